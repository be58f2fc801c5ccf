#include "app/DatabaseAccessDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/PasswordLimits.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "platform/DialogButtons.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"

CDatabaseAccessDialog::CDatabaseAccessDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Database access"));
    auto* group = new QGroupBox(QStringLiteral("&Enter database password"), this);
    m_password = new QLineEdit(group);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(kMaxPasswordLength);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_password);

    auto* note = new QLabel(QStringLiteral("If there is no password just press Enter\n"
                                           "To set database password go to Tools->Options"),
                            this);
    QDialogButtonBox* buttons = okCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(note);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_password->setFocus();
}

bool CDatabaseAccessDialog::createMissingDatabase(const QString& path, const QString& password) {
    const QString question = QStringLiteral(
                                 "The contacts file\n%1\ndoes not exist.\n\n"
                                 "Do you want to create a new, empty contacts file there?")
                                 .arg(QDir::toNativeSeparators(path));
    if (messageBox(question, Prompter::Buttons::YesNo, Prompter::Icon::Question) != Prompter::Yes)
        return false;
    try {
        CDatabase::Create(path, password);
    } catch (const CDbException& e) {
        ReportDbException(e);
        return false;
    }
    return true;
}

void CDatabaseAccessDialog::accept() {
    const QString password = m_password->text();
    const QString path = databasePath();
    if (!QFileInfo::exists(path) && !createMissingDatabase(path, password)) {
        m_password->setFocus();
        return;
    }
    try {
        openSharedDatabase(password);
    } catch (const CDbException& e) {
        if (!e.hasErrorInfo()) {
            messageBox(loadString(60024));
            reject();
            return;
        }
        ReportDbException(e);
        m_password->selectAll();
        m_password->setFocus();
        return;
    }
    QDialog::accept();
}

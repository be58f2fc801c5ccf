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
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"
#include "platform/DialogButtons.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/WaitCursor.h"

CDatabaseAccessDialog::CDatabaseAccessDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Database access"));
    auto* group = new QGroupBox(QStringLiteral("&Enter database password"), this);
    m_password = new QLineEdit(group);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(kMaxPasswordLength);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_password);
    // A new file is encrypted with the password typed here, and a typing error would lock
    // it for ever: it is asked for twice.
    m_againLabel = new QLabel(QStringLiteral("&Password again (new contacts file)"), group);
    m_again = new QLineEdit(group);
    m_again->setObjectName(QStringLiteral("passwordAgain"));
    m_again->setEchoMode(QLineEdit::Password);
    m_again->setMaxLength(kMaxPasswordLength);
    m_againLabel->setBuddy(m_again);
    groupLayout->addWidget(m_againLabel);
    groupLayout->addWidget(m_again);
    const bool server = CDatabase::isServerAddress(databasePath());
    showPasswordAgain(!server && !QFileInfo::exists(databasePath()));
    if (server)
        group->setTitle(QStringLiteral("&Enter your password on the server"));

    auto* note = new QLabel(
        server ? QStringLiteral("Server: %1\nThe password is not kept.").arg(databasePath())
               : QStringLiteral("If there is no password just press Enter\n"
                                "To set database password go to "
                                "Tools->Options"),
        this);
    QDialogButtonBox* buttons = okCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(note);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_password->setFocus();
}

void CDatabaseAccessDialog::showPasswordAgain(bool shown) {
    m_againLabel->setVisible(shown);
    m_again->setVisible(shown);
}

bool CDatabaseAccessDialog::createMissingDatabase(const QString& path, const QString& password) {
    const QFileInfo file(path);
    QString question = QStringLiteral(
                           "The contacts file %1 does not exist in the folder\n%2\n\n"
                           "Do you want to create a new, empty contacts file in this folder?")
                           .arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath()));
    if (!password.isEmpty())
        question += QStringLiteral(
            "\n\nIt will be encrypted with the password you typed: "
            "without it, it cannot be opened.");
    if (messageBox(question, Prompter::Buttons::YesNo, Prompter::Icon::Question) != Prompter::Yes)
        return false;
    return reportDbErrors([&] { CDatabase::Create(path, password); });
}

bool CDatabaseAccessDialog::createMissingServerSchema(const QString& uri, const QString& password) {
    return reportDbErrors([&] {
        CServerConnection server(uri, password);
        if (serverschema::version(server) > 0)
            return;
        const QString question =
            QStringLiteral(
                "The database \"%1\" on the server %2 holds no Tarvex tables yet.\n\n"
                "Do you want to create them now, empty?")
                .arg(server.database(), server.server());
        if (messageBox(question, Prompter::Buttons::YesNo, Prompter::Icon::Question) ==
            Prompter::Yes)
            serverschema::ensure(server);
    });
}

void CDatabaseAccessDialog::accept() {
    const QString password = m_password->text();
    const QString path = databasePath();
    if (CDatabase::isServerAddress(path)) {
        if (!createMissingServerSchema(path, password)) {
            m_password->selectAll();
            m_password->setFocus();
            return;
        }
    } else if (!QFileInfo::exists(path)) {
        if (!password.isEmpty() && m_again->text() != password) {
            showPasswordAgain(true);
            messageBox(QStringLiteral("The two passwords differ. Type the same password in both "
                                      "fields: the new contacts file is encrypted with it."),
                       Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
            m_again->clear();
            m_password->selectAll();
            m_password->setFocus();
            return;
        }
        if (!createMissingDatabase(path, password)) {
            m_password->setFocus();
            return;
        }
    }
    try {
        // A server may be slow to answer, or bring its tables up to date once.
        const WaitCursor wait;
        openSharedDatabase(password);
    } catch (const CDbException& e) {
        if (!e.hasErrorInfo()) {
            messageBox(loadString(60024));
            reject();
            return;
        }
        reportDbException(e);
        m_password->selectAll();
        m_password->setFocus();
        return;
    }
    QDialog::accept();
}

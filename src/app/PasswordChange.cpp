#include "app/PasswordChange.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MainFrame.h"
#include "app/PasswordLimits.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/ErrorReport.h"
#include "data/KnownValueLoader.h"
#include "platform/DialogButtons.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"

namespace {

QLineEdit* passwordEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(kMaxPasswordLength);
    return edit;
}

}  // namespace

CPasswordChangeDialog::CPasswordChangeDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Database password change"));
    auto* group = new QGroupBox(QStringLiteral("&Enter passwords"), this);
    m_old = passwordEdit("oldPassword", group);
    m_new = passwordEdit("newPassword", group);
    m_again = passwordEdit("newPasswordAgain", group);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("&Old password"), m_old);
    form->addRow(QStringLiteral("&New password"), m_new);
    form->addRow(QStringLiteral("New password again"), m_again);

    auto* note = new QLabel(
        QStringLiteral(
            "Be careful!\n\nIf you forget password there will be no way of accesing data."),
        this);
    QDialogButtonBox* buttons = okCancelButtons(this, QStringLiteral("&Set password"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(note);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CPasswordChangeDialog::accept() {
    if (sharedDatabase().isServer()) {
        messageBox(QStringLiteral("On the team's server your password is the server's: ask the "
                                  "server's administrator to change it."),
                   Prompter::Buttons::Ok, Prompter::Icon::Information);
        return;
    }
    if (m_new->text() != m_again->text()) {
        messageBox(loadString(60019));
        m_new->setFocus();
        return;
    }
    if (changeDatabasePassword(databasePath(), m_old->text(), m_new->text(), reportDbException) ==
        1) {
        messageBox(loadString(60020));
        QDialog::accept();
    }
}

void RunPasswordChange(QWidget* parent) {
    if (messageBox(loadString(60021), Prompter::Buttons::YesNo, Prompter::Icon::Question) !=
        Prompter::Yes)
        return;
    CMainFrame* frame = CMainFrame::instance();
    bool loading = false;
    if (frame) {
        frame->CloseRecordWindows();
        // The background readers' connections would keep the file from being opened alone.
        frame->StopIntegrityCheck();
        loading = frame->knownValueLoader().busy();
        frame->knownValueLoader().stop();
    }
    CPasswordChangeDialog dialog(parent);
    dialog.exec();
    // The check and a stopped load start again on the file as it is now.
    if (frame && sharedDatabase().IsOpen()) {
        frame->StartIntegrityCheck();
        if (loading)
            frame->StartKnownValueLoad();
    }
}

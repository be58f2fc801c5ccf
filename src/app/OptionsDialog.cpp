#include "app/OptionsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/PasswordChange.h"
#include "app/Settings.h"
#include "platform/DialogButtons.h"
#include "platform/Prompter.h"

COptionsDialog::COptionsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Options"));

    auto* alarm = new QGroupBox(QStringLiteral("A&larm"), this);
    auto* pathLabel = new QLabel(QStringLiteral("&Path to the sound file (.wav)"), alarm);
    m_soundFile = new QLineEdit(alarm);
    m_soundFile->setObjectName(QStringLiteral("soundFile"));
    m_soundFile->setReadOnly(true);
    m_soundFile->setMinimumWidth(260);
    pathLabel->setBuddy(m_soundFile);
    auto* browse = new QPushButton(QStringLiteral("..."), alarm);
    browse->setObjectName(QStringLiteral("browse"));
    browse->setAutoDefault(false);
    browse->setFixedWidth(32);
    connect(browse, &QPushButton::clicked, this, &COptionsDialog::chooseSoundFile);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_soundFile, 1);
    pathRow->addWidget(browse);
    auto* alarmLayout = new QVBoxLayout(alarm);
    alarmLayout->addWidget(pathLabel);
    alarmLayout->addLayout(pathRow);

    auto* entry = new QGroupBox(QStringLiteral("Data entry"), this);
    auto* question = new QLabel(
        QStringLiteral("If you enter unknown person or company you want program to:"), entry);
    question->setWordWrap(true);
    m_createNew = new QRadioButton(QStringLiteral("Create &new one"), entry);
    m_createNew->setObjectName(QStringLiteral("createNew"));
    m_notifyUser = new QRadioButton(QStringLiteral("Notify &user"), entry);
    m_notifyUser->setObjectName(QStringLiteral("notifyUser"));
    m_doNothing = new QRadioButton(QStringLiteral("&Do nothing"), entry);
    m_doNothing->setObjectName(QStringLiteral("doNothing"));
    m_autoFirm = new QCheckBox(
        QStringLiteral("&Automatically fill company name when person entered"), entry);
    m_autoFirm->setObjectName(QStringLiteral("autoFirm"));
    auto* entryLayout = new QVBoxLayout(entry);
    entryLayout->addWidget(question);
    entryLayout->addWidget(m_createNew);
    entryLayout->addWidget(m_notifyUser);
    entryLayout->addWidget(m_doNothing);
    entryLayout->addWidget(m_autoFirm);

    m_rememberColumns = new QCheckBox(QStringLiteral("&Remember column sizes and positions"), this);
    m_rememberColumns->setObjectName(QStringLiteral("rememberColumns"));

    auto* security = new QGroupBox(QStringLiteral("&Security"), this);
    auto* change = new QPushButton(QStringLiteral("C&hange password"), security);
    change->setObjectName(QStringLiteral("changePassword"));
    change->setAutoDefault(false);
    connect(change, &QPushButton::clicked, this, [this] { RunPasswordChange(this); });
    m_backupOnExit = new QCheckBox(QStringLiteral("Automatic bac&kup on exit"), security);
    m_backupOnExit->setObjectName(QStringLiteral("backupOnExit"));
    auto* securityLayout = new QHBoxLayout(security);
    securityLayout->addWidget(change);
    securityLayout->addWidget(m_backupOnExit);
    securityLayout->addStretch();

    QDialogButtonBox* buttons = okCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(alarm);
    layout->addWidget(entry);
    layout->addWidget(m_rememberColumns);
    layout->addWidget(security);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    CSettings& s = settings();
    if (!s.hasUnsavedChanges())
        s.Load();
    m_soundFile->setText(s.soundFile);
    m_autoFirm->setChecked(s.fillFirmAutomatically);
    m_rememberColumns->setChecked(s.rememberColumns);
    m_backupOnExit->setChecked(s.backupOnExit);
    switch (s.unknownNameAction) {
        case 1:
            m_createNew->setChecked(true);
            break;
        case 2:
            m_notifyUser->setChecked(true);
            break;
        default:
            m_doNothing->setChecked(true);
            break;
    }
}

void COptionsDialog::chooseSoundFile() {
    const QString file = prompter().openFileName(
        QStringLiteral("Open"),
        QStringLiteral("WAV Sound files (*.wav)|*.wav|All files (*.*)|*.*||"));
    if (!file.isEmpty())
        m_soundFile->setText(file);
}

void COptionsDialog::accept() {
    CSettings& s = settings();
    s.soundFile = m_soundFile->text();
    s.fillFirmAutomatically = m_autoFirm->isChecked();
    s.rememberColumns = m_rememberColumns->isChecked();
    s.backupOnExit = m_backupOnExit->isChecked();
    if (m_createNew->isChecked())
        s.unknownNameAction = 1;
    if (m_notifyUser->isChecked())
        s.unknownNameAction = 2;
    if (m_doNothing->isChecked())
        s.unknownNameAction = 3;
    if (!s.Save())
        messageBox(settingsNotSavedMessage(), Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
    QDialog::accept();
}

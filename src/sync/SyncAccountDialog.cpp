#include "sync/SyncAccountDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The vCard versions an address book takes, as the server lists them.
constexpr int kVersionsRole = Qt::UserRole + 1;

}  // namespace

CSyncAccountDialog::CSyncAccountDialog(const SyncAccount& account, QWidget* parent)
    : QDialog(parent), m_cardVersion(account.cardVersion) {
    setWindowTitle(tr("Sync accounts"));
    auto* form = new QFormLayout;
    m_url = new QLineEdit(account.server.toString(), this);
    m_url->setObjectName(QStringLiteral("url"));
    m_url->setPlaceholderText(QStringLiteral("https://dav.example.org"));
    m_user = new QLineEdit(account.user, this);
    m_user->setObjectName(QStringLiteral("user"));
    m_password = new QLineEdit(account.password, this);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_find = new QPushButton(tr("&Find address books"), this);
    m_find->setObjectName(QStringLiteral("find"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_addressbook = new QComboBox(this);
    m_addressbook->setObjectName(QStringLiteral("addressbook"));
    m_calendar = new QComboBox(this);
    m_calendar->setObjectName(QStringLiteral("calendar"));
    m_calendar->addItem(tr("(none)"), QString());
    if (account.addressbook.isValid())
        m_addressbook->addItem(account.addressbook.toString(), account.addressbook.toString());
    if (account.calendar.isValid()) {
        m_calendar->addItem(account.calendar.toString(), account.calendar.toString());
        m_calendar->setCurrentIndex(1);
    }
    m_interval = new QSpinBox(this);
    m_interval->setObjectName(QStringLiteral("interval"));
    m_interval->setRange(0, 24 * 60);
    m_interval->setSpecialValueText(tr("only by hand"));
    m_interval->setSuffix(tr(" minutes"));
    m_interval->setValue(account.intervalMinutes);
    m_conflict = new QComboBox(this);
    m_conflict->setObjectName(QStringLiteral("conflict"));
    m_conflict->addItem(tr("Ask"), int(SyncAccount::Conflict::Ask));
    m_conflict->addItem(tr("The server's value wins"), int(SyncAccount::Conflict::Server));
    m_conflict->addItem(tr("This file's value wins"), int(SyncAccount::Conflict::Local));
    m_conflict->setCurrentIndex(m_conflict->findData(int(account.conflict)));

    form->addRow(tr("Server &address:"), m_url);
    form->addRow(tr("&User name:"), m_user);
    form->addRow(tr("&Password:"), m_password);
    form->addRow(QString(), m_find);
    form->addRow(QString(), m_status);
    form->addRow(tr("Address &book:"), m_addressbook);
    form->addRow(tr("&Calendar for alarms:"), m_calendar);
    form->addRow(tr("Sync &every:"), m_interval);
    form->addRow(tr("Field changed on &both sides:"), m_conflict);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_find, &QPushButton::clicked, this, &CSyncAccountDialog::find);
    connect(m_addressbook, &QComboBox::currentIndexChanged, this, &CSyncAccountDialog::updateOk);
    updateOk();
}

CSyncAccountDialog::~CSyncAccountDialog() = default;

SyncAccount CSyncAccountDialog::account() const {
    SyncAccount account;
    account.server = QUrl::fromUserInput(m_url->text().trimmed());
    account.user = m_user->text().trimmed();
    account.password = m_password->text();
    account.addressbook = QUrl(m_addressbook->currentData().toString());
    account.calendar = QUrl(m_calendar->currentData().toString());
    account.intervalMinutes = m_interval->value();
    account.conflict = SyncAccount::Conflict(m_conflict->currentData().toInt());
    const QStringList versions = m_addressbook->currentData(kVersionsRole).toStringList();
    const bool only4 = !versions.isEmpty() && !versions.contains(QStringLiteral("3.0")) &&
                       versions.contains(QStringLiteral("4.0"));
    account.cardVersion = versions.isEmpty() ? m_cardVersion
                          : only4            ? VCardVersion::V4
                                             : VCardVersion::V3;
    return account;
}

void CSyncAccountDialog::find() {
    const SyncAccount entered = account();
    if (!entered.server.isValid() || entered.user.isEmpty()) {
        m_status->setText(tr("Enter the server's address and your user name first."));
        emit searchFinished();
        return;
    }
    m_find->setEnabled(false);
    m_status->setText(tr("Looking for address books..."));
    m_discovery = std::make_unique<CDavDiscovery>(entered.server, entered.user, entered.password);
    connect(m_discovery.get(), &CDavDiscovery::finished, this, &CSyncAccountDialog::found);
    m_discovery->start();
}

void CSyncAccountDialog::found(const QList<DavCollection>& collections, const QString& error) {
    m_find->setEnabled(true);
    m_discovery.release()->deleteLater();
    if (!error.isEmpty()) {
        m_status->setText(error);
        emit searchFinished();
        return;
    }
    const QString chosenBook = m_addressbook->currentData().toString();
    const QString chosenCalendar = m_calendar->currentData().toString();
    m_addressbook->clear();
    while (m_calendar->count() > 1)
        m_calendar->removeItem(1);
    int books = 0;
    for (const DavCollection& collection : collections) {
        QComboBox* box =
            collection.kind == DavCollection::Kind::AddressBook ? m_addressbook : m_calendar;
        books += collection.kind == DavCollection::Kind::AddressBook ? 1 : 0;
        box->addItem(collection.displayName, collection.url.toString());
        box->setItemData(box->count() - 1, collection.vCardVersions, kVersionsRole);
    }
    if (const int index = m_addressbook->findData(chosenBook); index >= 0)
        m_addressbook->setCurrentIndex(index);
    if (const int index = m_calendar->findData(chosenCalendar); index >= 0)
        m_calendar->setCurrentIndex(index);
    m_status->setText(books == 0 ? tr("The server shows no address book for this user.")
                                 : tr("%1 address books found.").arg(books));
    updateOk();
    emit searchFinished();
}

void CSyncAccountDialog::updateOk() {
    m_ok->setEnabled(m_addressbook->count() > 0);
}

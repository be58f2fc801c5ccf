#pragma once

#include <QDialog>
#include <memory>

#include "sync/DavDiscovery.h"
#include "sync/SyncAccount.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The sync account: the server's address, the user name and password, the address book for
// persons and companies and, optionally, a calendar, found on the server by "Find"; the
// interval of automatic syncs and what to do with a field changed on both sides.
class CSyncAccountDialog : public QDialog {
    Q_OBJECT
public:
    CSyncAccountDialog(const SyncAccount& account, QWidget* parent = nullptr);
    ~CSyncAccountDialog() override;

    // The account as entered, with the password typed.
    SyncAccount account() const;

    // Starts the search for address books and calendars.
    void find();

signals:
    void searchFinished();

private:
    void found(const QList<DavCollection>& collections, const QString& error);
    void updateOk();

    QLineEdit* m_url;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QPushButton* m_find;
    QLabel* m_status;
    QComboBox* m_addressbook;
    QComboBox* m_calendar;
    QSpinBox* m_interval;
    QComboBox* m_conflict;
    QPushButton* m_ok;
    std::unique_ptr<CDavDiscovery> m_discovery;
    // Kept for an address book whose versions are not listed (one not looked up again).
    VCardVersion m_cardVersion;
};

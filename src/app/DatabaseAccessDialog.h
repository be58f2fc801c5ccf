#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// The "Database access" prompt at every start: opens the shared connection with the typed
// password. It stays open after a failure so that the user can try again or cancel. When
// the contacts file does not exist yet, it offers to create it, and a password for the new
// file must be typed twice.
class CDatabaseAccessDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDatabaseAccessDialog(QWidget* parent = nullptr);

    void accept() override;

private:
    bool createMissingDatabase(const QString& path, const QString& password);
    // Offers to create the tables in a server database that has none; false when the
    // server cannot be reached or refused.
    bool createMissingServerSchema(const QString& uri, const QString& password);
    void showPasswordAgain(bool shown);

    QLineEdit* m_password;
    QLabel* m_againLabel;
    QLineEdit* m_again;
};

#pragma once

#include <QDialog>

class QLineEdit;

// The "Database access" prompt at every start: opens the shared connection with the typed
// password. It stays open after a failure so that the user can try again or cancel.
class CDatabaseAccessDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDatabaseAccessDialog(QWidget* parent = nullptr);

    void accept() override;

private:
    bool createMissingDatabase(const QString& path, const QString& password);

    QLineEdit* m_password;
};

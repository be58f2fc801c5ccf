#pragma once

#include <QDialog>

class QLineEdit;

// The "Database password change" dialog.
class CPasswordChangeDialog : public QDialog {
    Q_OBJECT
public:
    explicit CPasswordChangeDialog(QWidget* parent = nullptr);

    void accept() override;

private:
    QLineEdit* m_old;
    QLineEdit* m_new;
    QLineEdit* m_again;
};

// Asks for confirmation, closes the record windows and runs the password change dialog.
void RunPasswordChange(QWidget* parent);

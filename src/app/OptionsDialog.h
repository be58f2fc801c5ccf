#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

// The modal "Options" dialog: the alarm sound, what to do with unknown names, the company
// fill, the column memory of the lists, and the database password change.
class COptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit COptionsDialog(QWidget* parent = nullptr);

    void accept() override;

private:
    void chooseSoundFile();

    QLineEdit* m_soundFile;
    QRadioButton* m_createNew;
    QRadioButton* m_notifyUser;
    QRadioButton* m_doNothing;
    QCheckBox* m_autoFirm;
    QCheckBox* m_rememberColumns;
    QCheckBox* m_backupOnExit;
};

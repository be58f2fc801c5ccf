#pragma once

#include <QDialog>

class CAlarmSound;
class QLineEdit;

// The "Alarm" notice of one alarm that fell due: it shows the alarm, plays the alarm sound,
// records the notification in the database (the alarm advanced and saved), lets the main
// frame refresh and shows the alarm in the alarm form. Closing it changes nothing more.
// Several can be open at once; each deletes itself when closed.
class CAlarmNotice : public QDialog {
    Q_OBJECT
public:
    CAlarmNotice(qint32 alarmId, QWidget* owner);
    ~CAlarmNotice() override;

    // Runs the notification and shows the notice; false when the alarm no longer exists,
    // in which case the notice has closed itself, silently. While an import writes, all of
    // it waits until the import has ended (and true is returned).
    bool Init();

    qint32 alarmId() const { return m_id; }
    // The text of a control by its id: 1100 moment, 1018 company, 1017 contact person,
    // 1098 subject, 1021 comment.
    QString text(int controlId) const;
    const CAlarmSound* sound() const { return m_sound; }

private:
    QLineEdit* addText(int controlId, const QString& label);
    void showInAlarmForm();

    qint32 m_id;
    CAlarmSound* m_sound = nullptr;
    QHash<int, QLineEdit*> m_texts;
};

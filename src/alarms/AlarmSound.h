#pragma once

#include <QObject>

class QSoundEffect;

// Plays an alarm sound once, without waiting for it. A file that cannot be played gives the
// platform's warning sound instead.
class CAlarmSound : public QObject {
    Q_OBJECT
public:
    explicit CAlarmSound(QObject* parent = nullptr);

    // Starts the configured sound file, or the bundled sound when that file does not exist.
    void play(const QString& configuredFile);
    // The file being played (a resource path for the bundled sound).
    const QString& file() const { return m_file; }

private:
    void fallBack();

    QSoundEffect* m_effect = nullptr;
    QString m_file;
    bool m_fellBack = false;
};

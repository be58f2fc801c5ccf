#include "alarms/AlarmSound.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include "alarms/AlarmSoundSource.h"
#include "platform/CommandIcon.h"
#include "platform/Prompter.h"

CAlarmSound::CAlarmSound(QObject* parent) : QObject(parent) {}

void CAlarmSound::play(const QString& configuredFile) {
    initBuiltInResources();
    m_file = alarmSoundFile(configuredFile);
    // Without an audio output nothing could be heard.
    if (QMediaDevices::audioOutputs().isEmpty()) {
        fallBack();
        return;
    }
    m_effect = new QSoundEffect(this);
    connect(m_effect, &QSoundEffect::statusChanged, this, [this] {
        if (m_effect->status() == QSoundEffect::Error)
            fallBack();
    });
    m_effect->setSource(m_file.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + m_file)
                                                            : QUrl::fromLocalFile(m_file));
    m_effect->play();
}

void CAlarmSound::fallBack() {
    if (m_fellBack)
        return;
    m_fellBack = true;
    prompter().beep();
}

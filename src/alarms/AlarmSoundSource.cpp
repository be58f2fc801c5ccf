#include "alarms/AlarmSoundSource.h"

#include <QFileInfo>

QString alarmSoundFile(const QString& configured) {
    const QFileInfo file(configured);
    if (!configured.isEmpty() && file.isFile())
        return file.absoluteFilePath();
    return QString::fromLatin1(kBundledAlarmSound);
}

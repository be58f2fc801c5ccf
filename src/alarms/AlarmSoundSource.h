#pragma once

#include <QString>

// The sound shipped with the program, played when the configured file does not exist.
inline constexpr const char* kBundledAlarmSound = ":/sounds/alarm.wav";

// The file to play for the configured sound file (a path, relative ones to the working
// directory): the file itself when it exists, else the bundled sound.
QString alarmSoundFile(const QString& configured);

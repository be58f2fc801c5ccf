#pragma once

#include <QDateTime>
#include <functional>

// The one clock of the program (local time). Alarm and date code asks it instead of the
// system, so that tests can set the time. Safe to call from any thread.
QDateTime currentDateTime();

// Replaces the clock; an empty function brings back the system clock.
void setClockForTesting(std::function<QDateTime()> clock);

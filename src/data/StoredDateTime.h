#pragma once

#include <QDateTime>
#include <QString>

// DateTime columns hold local wall-clock time as the text "YYYY-MM-DD HH:MM:SS".
//
// In the program such a moment is a wall-clock value: a QDateTime in UTC that stands for
// the date and time as stored, not for an instant. Local time cannot hold every stored
// value (02:30 on the night the clocks go forward does not exist there), so a moment made
// from local time could come back shifted or invalid; a wall-clock value round-trips
// exactly in every time zone. Compare such moments only with other wall-clock values,
// e.g. wallClockNow().

// The wall-clock moment of a date and a time of day.
QDateTime wallClock(QDate date, QTime time);
// The wall-clock moment that shows the same date and time as `moment`.
QDateTime wallClock(const QDateTime& moment);
// Now, from the program's clock, as a wall-clock moment.
QDateTime wallClockNow();

// The stored text of a moment: its date and time as shown, whatever its kind of time; an
// invalid moment has no text (stored as NULL).
QString toStoredDateTime(const QDateTime& moment);
// The wall-clock moment of a stored text ("YYYY-MM-DD HH:MM:SS", or only the date);
// invalid if the text is not such a moment.
QDateTime fromStoredDateTime(QStringView text);
// The day of a stored moment ("YYYY-MM-DD", optionally followed by the time of day); invalid
// for another text.
QDate storedDay(QStringView text);
// The time of day of a stored moment ("YYYY-MM-DD HH:MM:SS"); midnight for a date alone;
// invalid for another text. Alarms keep their day and time of day in two such columns.
QTime storedTimeOfDay(QStringView text);
// True when the text has exactly the stored form "YYYY-MM-DD HH:MM:SS".
bool isStoredDateTime(QStringView text);

#pragma once

#include <QDateTime>
#include <QString>

// DateTime columns hold local time as the text "YYYY-MM-DD HH:MM:SS".

// The stored text of a moment; an invalid moment has no text (stored as NULL).
QString toStoredDateTime(const QDateTime& moment);
// The moment of a stored text ("YYYY-MM-DD HH:MM:SS", or only the date); invalid if the
// text is not such a moment.
QDateTime fromStoredDateTime(QStringView text);
// True when the text has exactly the stored form "YYYY-MM-DD HH:MM:SS".
bool isStoredDateTime(QStringView text);

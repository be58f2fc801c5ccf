#pragma once

#include <QString>
#include <QStringList>

// The spellings that duplicate matching compares. Two records probably are one when such a
// key of one equals a key of the other.
namespace duplicates {

// A name with letter case ignored, blanks and punctuation left out and accents dropped.
// German umlauts are written both ways, so that "Müller" meets "Mueller" and "Muller": the
// first key writes ä, ö, ü as ae, oe, ue, the second drops the dots; ß is ss in both. One key
// when both are the same, none for a text without a letter or digit.
QStringList nameKeys(const QString& text);

// An e-mail address with blanks around it, a "mailto:" in front and letter case ignored;
// empty when the text has no '@'.
QString emailKey(const QString& text);

// The last 8 digits of a phone number, whatever its country or area prefix and punctuation
// ("+49 89 1234-5678" meets "089 12345678"); empty for fewer than 6 digits, which say too
// little to tell a number.
QString phoneKey(const QString& text);

}  // namespace duplicates

#pragma once

#include <QString>
#include <QVariant>

// The text that lists show and the table dump writes for one field value. A null becomes
// "NULL"; a date/time shows its date as year/month/day, or with timeFlag (a `time` column)
// its time of day as hours:minutes:seconds. A time without a date always shows as a time.
QString VariantToText(const QVariant& value, bool timeFlag);

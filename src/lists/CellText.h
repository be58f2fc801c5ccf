#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include "data/FieldTypes.h"

// The text VariantToText gives for a column's value as the record set delivers it, computed
// from the value as the engine returns it (null, whole number or text). A `time` column shows
// the time of day, every other DateTime column the date.
QString storedValueText(const QVariant& stored, FieldType type, bool timeFlag);

// True when the column's values show their time of day: its name is "time" in any case.
bool isTimeColumn(const QString& column);

// Words shown instead of stored values. Each entry is "column,value,text": the first comma
// ends the column name, the last comma starts the text, the value is what lies between.
class CDisplayTextTable {
public:
    void add(const QString& entry) { m_entries.append(entry); }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // The first entry's text whose column and value equal the given ones ignoring case;
    // without one, an empty text for "NULL" (any case) and the text unchanged otherwise.
    QString DisplayText(const QString& column, const QString& text) const;

private:
    QStringList m_entries;
};

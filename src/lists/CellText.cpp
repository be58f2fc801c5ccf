#include "lists/CellText.h"

#include "data/StoredDateTime.h"
#include "lists/FieldText.h"

QString storedValueText(const QVariant& stored, FieldType type, bool timeFlag) {
    if (stored.isNull())
        return QStringLiteral("NULL");
    switch (type) {
        case FieldType::Long:
            return QString::number(static_cast<int>(stored.toLongLong()));
        case FieldType::DateTime: {
            const QString text = stored.toString();
            // The stored form already holds both shown texts; this spares a time-zone
            // conversion per cell, which counts at a million rows.
            if (isStoredDateTime(text)) {
                if (timeFlag)
                    return text.mid(11, 8);
                QString date = text.left(10);
                date[4] = u'/';
                date[7] = u'/';
                return date;
            }
            const QDateTime moment = fromStoredDateTime(text);
            return VariantToText(moment.isValid() ? QVariant(moment) : QVariant(), timeFlag);
        }
        case FieldType::Text:
            break;
    }
    return stored.toString();
}

bool isTimeColumn(const QString& column) {
    return column.compare(QLatin1String("time"), Qt::CaseInsensitive) == 0;
}

QString CDisplayTextTable::DisplayText(const QString& column, const QString& text) const {
    for (const QString& entry : m_entries) {
        const qsizetype first = entry.indexOf(u',');
        const qsizetype last = entry.lastIndexOf(u',');
        if (first < 0 || last <= first)
            continue;
        if (QStringView(entry).left(first).compare(column, Qt::CaseInsensitive) == 0 &&
            QStringView(entry)
                    .mid(first + 1, last - first - 1)
                    .compare(text, Qt::CaseInsensitive) == 0)
            return entry.mid(last + 1);
    }
    if (text.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
        return QString();
    return text;
}

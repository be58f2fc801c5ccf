#pragma once

#include <QList>
#include <QString>

// A window that shows records of one table in an order of its own (a record list), so
// that an export can take "the rows the list shows, in its order".
class CRecordIdSource {
public:
    virtual ~CRecordIdSource() = default;
    // "Person" or "Firm" (or another table name, which the export then does not offer).
    virtual QString shownTable() const = 0;
    // The ids of the rows shown, top to bottom.
    virtual QList<qint64> shownIds() const = 0;
};

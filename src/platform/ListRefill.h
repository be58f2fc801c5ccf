#pragma once

#include <QString>

// A record list that the main frame refills after data changed.
class CListRefill {
public:
    virtual ~CListRefill() = default;
    // Refills the rows with the given sort (empty: the list's default order); keeps the
    // columns when asked to.
    virtual void FillList(const QString& sort, bool keepColumns) = 0;
};

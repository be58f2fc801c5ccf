#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "data/FieldTypes.h"

// One key of a sort made of column names: the column's index among the source's columns,
// whether it is a text column (sorted ignoring letter case) and its direction.
struct SortTerm {
    int column;
    bool text;
    bool descending;
};

// The terms of a sort made of column names, each with an optional direction ("lastname,
// [first name] desc"); nothing when the sort holds anything else.
std::optional<std::vector<SortTerm>> sortTerms(const QString& sort,
                                               const std::vector<CFieldInfo>& columns);

#include "data/SortTerms.h"

#include <QStringList>
#include <algorithm>

std::optional<std::vector<SortTerm>> sortTerms(const QString& sort,
                                               const std::vector<CFieldInfo>& columns) {
    std::vector<SortTerm> terms;
    for (const QString& term : sort.split(u',')) {
        QString name = term.trimmed();
        bool descending = false;
        for (const char* direction : {" asc", " desc"}) {
            if (name.endsWith(QLatin1String(direction), Qt::CaseInsensitive)) {
                descending = direction[1] == 'd';
                name = name.left(name.size() - qsizetype(qstrlen(direction))).trimmed();
            }
        }
        if (name.startsWith(u'[') && name.endsWith(u']'))
            name = name.mid(1, name.size() - 2);
        const auto found =
            std::find_if(columns.begin(), columns.end(), [&name](const CFieldInfo& column) {
                return column.m_strName.compare(name, Qt::CaseInsensitive) == 0;
            });
        if (name.isEmpty() || found == columns.end())
            return std::nullopt;
        terms.push_back({static_cast<int>(found - columns.begin()),
                         found->m_nType == FieldType::Text, descending});
    }
    return terms;
}

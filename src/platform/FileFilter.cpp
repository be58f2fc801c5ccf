#include "platform/FileFilter.h"

#include <QStringList>

QString qtFileFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        QStringList cleaned;
        for (const QString& pattern : patterns)
            cleaned.append(pattern.trimmed());
        const QString group = QLatin1Char('(') + cleaned.join(QLatin1Char(' ')) + QLatin1Char(')');
        // Qt takes the last parenthesised group as the patterns; a description that already
        // ends with the same group is kept as it is.
        filters.append(description.endsWith(group)
                           ? description
                           : (description + QLatin1Char(' ') + group).trimmed());
    }
    return filters.join(QStringLiteral(";;"));
}

#include "sync/FieldMerge.h"

MergeResult mergeRecords(const QStringList& columns, const QMap<QString, QString>& base,
                         const QMap<QString, QString>& local, const QMap<QString, QString>& server,
                         const QString& recordName, const ConflictResolver& resolve) {
    MergeResult result;
    QList<FieldConflict> conflicts;
    for (const QString& column : columns) {
        const QString b = base.value(column), l = local.value(column), s = server.value(column);
        QString merged;
        if (l == s || s == b)
            merged = l;
        else if (l == b)
            merged = s;
        else
            conflicts.append({column, l, s});
        if (!merged.isEmpty())
            result.values.insert(column, merged);
    }
    if (conflicts.isEmpty())
        return result;
    const QList<ConflictChoice> choices = resolve(recordName, conflicts);
    for (qsizetype i = 0; i < conflicts.size(); ++i) {
        const FieldConflict& conflict = conflicts[i];
        const bool local = choices.value(i, ConflictChoice::Server) == ConflictChoice::Local;
        const QString& value = local ? conflict.local : conflict.server;
        if (!value.isEmpty())
            result.values.insert(conflict.column, value);
    }
    result.conflicts = int(conflicts.size());
    return result;
}

#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

// A field that both sides changed since they last agreed, each to its own value.
struct FieldConflict {
    QString column;
    QString local, server;
};

enum class ConflictChoice { Server, Local };

// Decides the conflicts of one record (named by `record`), one choice per conflict.
using ConflictResolver =
    std::function<QList<ConflictChoice>(const QString& record, const QList<FieldConflict>&)>;

struct MergeResult {
    QMap<QString, QString> values;
    int conflicts = 0;
};

// Merges field by field against `base`, the values both sides last agreed on: a field only
// one side changed takes that change, a field both changed alike takes it, and a field both
// changed differently goes to `resolve`. With an empty base (two records that never met)
// every field that differs and is set on both sides is a conflict. Empty values are left
// out of the maps.
MergeResult mergeRecords(const QStringList& columns, const QMap<QString, QString>& base,
                         const QMap<QString, QString>& local, const QMap<QString, QString>& server,
                         const QString& recordName, const ConflictResolver& resolve);

#include "data/RecordReads.h"

#include "data/Database.h"
#include "data/RecordSource.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"

namespace {

QString idList(std::span<const qint32> ids) {
    QString list;
    list.reserve(static_cast<qsizetype>(ids.size()) * 8);
    for (qint32 id : ids) {
        if (!list.isEmpty())
            list += u',';
        list += QString::number(id);
    }
    return list;
}

std::vector<qint32> idsOrdered(CDatabase& db, const QString& table, const QString& filter) {
    const CRecordSource source(db, table, filter, QStringLiteral("[id]"),
                               CRecordSource::Mode::Keyset);
    const std::vector<qint64> keys = source.readKeys();
    return std::vector<qint32>(keys.begin(), keys.end());
}

}  // namespace

qint64 lastRecordId(CDatabase& db, const QString& table) {
    CStatement last(db, QStringLiteral("SELECT max(id) FROM ") + quotedName(table));
    return last.step() ? last.int64(0) : 0;
}

std::vector<qint32> recordIdsWhere(CDatabase& db, const QString& table, const QString& condition,
                                   IdRange range) {
    if (range.all())
        return idsOrdered(db, table, condition);
    return idsOrdered(db, table,
                      QStringLiteral("(%1) And [id] Between %2 And %3")
                          .arg(condition)
                          .arg(range.firstId)
                          .arg(range.lastId));
}

std::vector<qint32> recordIdsAmong(CDatabase& db, const QString& table, const QString& condition,
                                   std::span<const qint32> ids) {
    if (ids.empty())
        return {};
    return idsOrdered(db, table,
                      QStringLiteral("(%1) And [id] In (%2)").arg(condition, idList(ids)));
}

QHash<qint32, QStringList> readRecordTexts(CDatabase& db, const QString& table,
                                           const QStringList& columns,
                                           std::span<const qint32> ids) {
    QHash<qint32, QStringList> texts;
    if (ids.empty())
        return texts;
    QStringList selected;
    for (const QString& column : columns)
        selected << quotedName(column);
    CStatement select(
        db, QStringLiteral("SELECT id, %1 FROM %2 WHERE id IN (%3)")
                .arg(selected.join(QStringLiteral(", ")), quotedName(table), idList(ids)));
    texts.reserve(static_cast<qsizetype>(ids.size()));
    while (select.step()) {
        QStringList row;
        row.reserve(columns.size());
        for (int i = 0; i < columns.size(); ++i)
            row << select.text(i + 1);
        texts.insert(static_cast<qint32>(select.int64(0)), row);
    }
    return texts;
}

void forEachRecordTexts(CDatabase& db, const QString& table, const QStringList& columns,
                        const std::function<void(qint32 id, const QStringList& texts)>& row) {
    QStringList selected;
    for (const QString& column : columns)
        selected << quotedName(column);
    CStatement select(db, QStringLiteral("SELECT id, %1 FROM %2 ORDER BY id")
                              .arg(selected.join(QStringLiteral(", ")), quotedName(table)));
    QStringList texts;
    while (select.step()) {
        texts.clear();
        for (int i = 0; i < columns.size(); ++i)
            texts << select.text(i + 1);
        row(static_cast<qint32>(select.int64(0)), texts);
    }
}

#include "data/RecordMerge.h"

#include <QSet>
#include <algorithm>
#include <set>

#include <sqlite3.h>

#include "data/Database.h"
#include "data/EngineError.h"
#include "data/FileDamage.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"
#include "data/Transaction.h"
#include "data/WriteGate.h"

namespace {

struct NameReference {
    const char* table;
    const char* column;
};

// Where records of a table are named, and where their dossier is kept.
struct MergeableTable {
    const char* table;
    std::initializer_list<NameReference> references;
    const char* dossierTable;
    const char* dossierKey;
};

const MergeableTable kMergeable[] = {
    {"Person",
     {{"Firm", "person"}, {"Contact", "person"}, {"Alarm", "person"}},
     "Sharks",
     "id_person"},
    {"Firm", {{"Person", "firm"}, {"Contact", "firm"}, {"Alarm", "firm"}}, "Sharks2", "id_firm"},
};

const MergeableTable& mergeableTable(const QString& table) {
    for (const MergeableTable& known : kMergeable)
        if (table.compare(QLatin1String(known.table), Qt::CaseInsensitive) == 0)
            return known;
    throw dbError(SQLITE_ERROR, QStringLiteral("Records of %1 cannot be merged.").arg(table));
}

QString idList(const std::vector<qint32>& ids) {
    QStringList texts;
    for (qint32 id : ids)
        texts << QString::number(id);
    return texts.join(u',');
}

// Every column of the rows whose `column` is one of the ids (or, for `id`, the rows
// themselves), in id order.
std::vector<StoredRow> readRows(CDatabase& db, const QString& table, const QString& column,
                                const std::vector<qint32>& ids) {
    std::vector<StoredRow> rows;
    if (ids.empty())
        return rows;
    CStatement select(db, QStringLiteral("SELECT * FROM %1 WHERE %2 IN (%3) ORDER BY id")
                              .arg(quotedName(table), quotedName(column), idList(ids)));
    QStringList columns;
    for (int i = 0; i < select.columnCount(); ++i)
        columns << select.columnName(i);
    while (select.step()) {
        StoredRow row{table, 0, columns, {}};
        for (int i = 0; i < select.columnCount(); ++i)
            row.values << select.value(i);
        row.id = qint32(row.values.value(columns.indexOf(QStringLiteral("id"))).toLongLong());
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<StoredRow> readRowsById(CDatabase& db, const QString& table,
                                    const std::vector<qint32>& ids) {
    return readRows(db, table, QStringLiteral("id"), ids);
}

QString textOf(const StoredRow& row, const QString& column) {
    return row.values.value(row.columns.indexOf(column)).toString();
}

QString displayName(const QString& table, const StoredRow& row) {
    if (table.compare(QLatin1String("Person"), Qt::CaseInsensitive) == 0)
        return textOf(row, QStringLiteral("lastname")) + u' ' +
               textOf(row, QStringLiteral("firstname"));
    return textOf(row, QStringLiteral("name"));
}

void updateRow(CDatabase& db, const QString& table, qint32 id, const QStringList& columns,
               const QVariantList& values) {
    QStringList sets;
    for (const QString& column : columns)
        sets << quotedName(column) + QStringLiteral(" = ?");
    CStatement update(db, QStringLiteral("UPDATE %1 SET %2 WHERE id = %3")
                              .arg(quotedName(table), sets.join(QStringLiteral(", ")))
                              .arg(id));
    for (int i = 0; i < values.size(); ++i)
        update.bind(i + 1, values[i]);
    update.execute();
}

void insertRow(CDatabase& db, const StoredRow& row) {
    QStringList names, marks;
    for (const QString& column : row.columns) {
        names << quotedName(column);
        marks << QStringLiteral("?");
    }
    CStatement insert(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(quotedName(row.table), names.join(u','), marks.join(u',')));
    for (int i = 0; i < row.values.size(); ++i)
        insert.bind(i + 1, row.values[i]);
    insert.execute();
}

void deleteRows(CDatabase& db, const QString& table, const std::vector<qint32>& ids) {
    if (!ids.empty())
        CStatement(
            db,
            QStringLiteral("DELETE FROM %1 WHERE id IN (%2)").arg(quotedName(table), idList(ids)))
            .execute();
}

std::vector<qint32> idsWhere(CDatabase& db, const QString& table, const QString& condition) {
    std::vector<qint32> ids;
    CStatement select(
        db, QStringLiteral("SELECT id FROM %1 WHERE %2").arg(quotedName(table), condition));
    while (select.step())
        ids.push_back(qint32(select.int64(0)));
    return ids;
}

QString nameCondition(const CDatabase& db, const QString& table, const QString& name) {
    if (table.compare(QLatin1String("Person"), Qt::CaseInsensitive) == 0)
        return textEquals(QStringLiteral("COALESCE(\"lastname\", '') || ' ' || "
                                         "COALESCE(\"firstname\", '')"),
                          name, sqlTargetOf(db));
    return textEquals(QStringLiteral("\"name\""), name, sqlTargetOf(db));
}

// Writes what a merge changed, keeping the rows as they were for the undo.
class MergeWriter {
public:
    MergeWriter(CDatabase& db, MergeUndo& undo) : m_db(db), m_undo(undo) {}

    void remember(const std::vector<StoredRow>& rows) {
        for (const StoredRow& row : rows)
            if (m_remembered.insert(key(row.table, row.id)).second)
                m_undo.before.push_back(row);
    }
    void update(const StoredRow& row, const QStringList& columns, const QVariantList& values) {
        remember({row});
        updateRow(m_db, row.table, row.id, columns, values);
        m_updated.emplace_back(row.table, row.id);
    }
    void remove(const QString& table, const std::vector<StoredRow>& rows) {
        remember(rows);
        std::vector<qint32> ids;
        for (const StoredRow& row : rows) {
            ids.push_back(row.id);
            m_undo.deleted.emplace_back(table, row.id);
        }
        deleteRows(m_db, table, ids);
    }
    // Reads back the rows updated, as the undo will expect to find them.
    void keepAfterImages() {
        for (const auto& [table, id] : m_updated) {
            const bool deleted = std::find(m_undo.deleted.begin(), m_undo.deleted.end(),
                                           std::pair(table, id)) != m_undo.deleted.end();
            if (deleted || !m_after.insert(key(table, id)).second)
                continue;
            for (StoredRow& row : readRowsById(m_db, table, {id}))
                m_undo.after.push_back(std::move(row));
        }
    }

private:
    static QString key(const QString& table, qint32 id) {
        return table + u'#' + QString::number(id);
    }

    CDatabase& m_db;
    MergeUndo& m_undo;
    std::set<QString> m_remembered, m_after;
    std::vector<std::pair<QString, qint32>> m_updated;
};

void renameReferences(CDatabase& db, MergeWriter& writer, const MergeableTable& mergeable,
                      const QStringList& oldNames, const QString& newName) {
    for (const NameReference& reference : mergeable.references) {
        const QString table = QLatin1String(reference.table);
        const QString column = QLatin1String(reference.column);
        QStringList conditions;
        for (const QString& name : oldNames)
            conditions << textEquals(quotedName(column), name, sqlTargetOf(db));
        const std::vector<qint32> ids =
            idsWhere(db, table, conditions.join(QStringLiteral(" OR ")));
        for (const StoredRow& row : readRowsById(db, table, ids))
            writer.update(row, {column}, {newName.isEmpty() ? QVariant() : QVariant(newName)});
    }
}

void moveDossiers(CDatabase& db, MergeWriter& writer, const MergeableTable& mergeable,
                  const MergeRequest& request, const QHash<qint32, QString>& names) {
    const QString table = QLatin1String(mergeable.dossierTable);
    const QString keyColumn = QLatin1String(mergeable.dossierKey);
    std::vector<qint32> owners{request.survivorId};
    owners.insert(owners.end(), request.mergedIds.begin(), request.mergedIds.end());
    const std::vector<StoredRow> dossiers = readRows(db, table, keyColumn, owners);
    const auto ownerOf = [&keyColumn](const StoredRow& row) {
        return qint32(row.values.value(row.columns.indexOf(keyColumn)).toLongLong());
    };
    // The survivor's own dossier, else the first merged one, becomes the survivor's.
    auto kept = std::find_if(dossiers.begin(), dossiers.end(), [&](const StoredRow& row) {
        return ownerOf(row) == request.survivorId;
    });
    if (kept == dossiers.end())
        kept = dossiers.begin();
    if (kept == dossiers.end())
        return;
    StoredRow combined = *kept;
    std::vector<StoredRow> absorbed;
    for (auto dossier = dossiers.begin(); dossier != dossiers.end(); ++dossier) {
        if (dossier == kept)
            continue;
        absorbed.push_back(*dossier);
        if (ownerOf(*dossier) == request.survivorId)
            continue;  // a second dossier row of the survivor's is never shown; it goes
        for (int i = 0; i < combined.columns.size(); ++i) {
            const QString& column = combined.columns[i];
            if (column == QLatin1String("id") || column == keyColumn)
                continue;
            const QString added = dossier->values.value(i).toString();
            if (added.isEmpty())
                continue;
            const QString text = request.combineDossierText(combined.values[i].toString(), added,
                                                            names.value(ownerOf(*dossier)));
            combined.values[i] = text;
        }
    }
    combined.values[combined.columns.indexOf(keyColumn)] = request.survivorId;
    QStringList columns = combined.columns;
    QVariantList values = combined.values;
    const qsizetype idColumn = columns.indexOf(QStringLiteral("id"));
    columns.removeAt(idColumn);
    values.removeAt(idColumn);
    writer.update(*kept, columns, values);
    writer.remove(table, absorbed);
}

void requireUndamaged() {
    if (filedamage::isDamaged())
        throw filedamage::refusedWrite();
}

}  // namespace

MergeUndo mergeRecords(CDatabase& db, const MergeRequest& request) {
    const MergeableTable& mergeable = mergeableTable(request.table);
    const QString table = QLatin1String(mergeable.table);
    requireUndamaged();
    CWriteGate::Hold hold(db.writeGate());
    CTransaction transaction(db);
    MergeUndo undo;
    MergeWriter writer(db, undo);

    std::vector<qint32> all{request.survivorId};
    all.insert(all.end(), request.mergedIds.begin(), request.mergedIds.end());
    const std::vector<StoredRow> rows = readRowsById(db, table, all);
    const auto survivor = std::find_if(rows.begin(), rows.end(), [&](const StoredRow& row) {
        return row.id == request.survivorId;
    });
    if (survivor == rows.end() || rows.size() != all.size())
        throw dbError(SQLITE_ERROR, QStringLiteral("A record to merge is no longer there."));

    QStringList columns;
    QVariantList values;
    for (auto value = request.survivorValues.cbegin(); value != request.survivorValues.cend();
         ++value) {
        if (!survivor->columns.contains(value.key()) || value.key() == QLatin1String("id"))
            throw dbError(SQLITE_ERROR,
                          QStringLiteral("no such column: %1.%2").arg(table, value.key()));
        columns << value.key();
        values << (value->isEmpty() ? QVariant() : QVariant(*value));
    }
    StoredRow merged = *survivor;
    for (int i = 0; i < columns.size(); ++i)
        merged.values[merged.columns.indexOf(columns[i])] = values[i];
    const QString newName = displayName(table, merged);
    undo.survivorName = newName.trimmed();
    undo.mergedCount = int(request.mergedIds.size());

    // The names to pass on: those of the merged records and the survivor's former one,
    // unless a record outside the merge is called so too.
    QHash<qint32, QString> names;
    QStringList oldNames;
    for (const StoredRow& row : rows) {
        const QString name = displayName(table, row);
        names.insert(row.id, name.trimmed());
        if (name == newName || name.trimmed().isEmpty() || oldNames.contains(name))
            continue;
        const std::vector<qint32> namesakes =
            idsWhere(db, table,
                     QStringLiteral("(%1) AND id NOT IN (%2)")
                         .arg(nameCondition(db, table, name), idList(all)));
        if (!namesakes.empty())
            continue;
        oldNames << name;
        if (name.trimmed() != name)
            oldNames << name.trimmed();  // "Smith " is also written "Smith"
    }
    if (!oldNames.isEmpty())
        renameReferences(db, writer, mergeable, oldNames, newName);
    moveDossiers(db, writer, mergeable, request, names);
    if (!columns.isEmpty())
        writer.update(*survivor, columns, values);
    std::vector<StoredRow> mergedRows;
    for (const StoredRow& row : rows)
        if (row.id != request.survivorId)
            mergedRows.push_back(row);
    writer.remove(table, mergedRows);
    writer.keepAfterImages();
    requireUndamaged();
    transaction.Commit();
    return undo;
}

bool undoMerge(CDatabase& db, const MergeUndo& undo) {
    requireUndamaged();
    CWriteGate::Hold hold(db.writeGate());
    CTransaction transaction(db);
    for (const StoredRow& after : undo.after) {
        const std::vector<StoredRow> now = readRowsById(db, after.table, {after.id});
        if (now.size() != 1 || now.front().values != after.values)
            return false;
    }
    for (const auto& [table, id] : undo.deleted)
        if (!readRowsById(db, table, {id}).empty())
            return false;
    QSet<QString> deleted;
    for (const auto& [table, id] : undo.deleted)
        deleted.insert(table + u'#' + QString::number(id));
    for (const StoredRow& row : undo.before) {
        if (deleted.contains(row.table + u'#' + QString::number(row.id))) {
            insertRow(db, row);
        } else {
            QStringList columns = row.columns;
            QVariantList values = row.values;
            const qsizetype idColumn = columns.indexOf(QStringLiteral("id"));
            columns.removeAt(idColumn);
            values.removeAt(idColumn);
            updateRow(db, row.table, row.id, columns, values);
        }
    }
    requireUndamaged();
    transaction.Commit();
    return true;
}

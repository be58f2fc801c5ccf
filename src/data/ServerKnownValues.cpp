#include "data/ServerKnownValues.h"

#include <map>
#include <vector>

#include "data/KnownValueSources.h"
#include "data/ServerSchema.h"
#include "data/Statement.h"

namespace serverknownvalues {

namespace {

using serverschema::quoted;

const QString kTable = QStringLiteral("\"KnownValue\"");

// An index in the load's order that holds the texts too: the load reads a source from the
// index alone, without a visit to the table for every group.
QString loadOrderIndex() {
    return QStringLiteral(
               "CREATE INDEX IF NOT EXISTS \"KnownValue_load_order\" ON %1 (source, first_row) "
               "INCLUDE (value1, value2)")
        .arg(kTable);
}

// The sources, by the table they read, in source order.
std::map<QString, std::vector<int>> sourcesByTable() {
    std::map<QString, std::vector<int>> tables;
    for (int source = 0; source < KnownValueSources::kNamedSources; ++source)
        tables[QLatin1String(KnownValueSources::columnsOf(source).table)].push_back(source);
    return tables;
}

// A source's two columns as `prefix`."column" (NULL for a missing second one).
std::pair<QString, QString> columnsOf(int source, const QString& prefix) {
    const KnownValueColumns columns = KnownValueSources::columnsOf(source);
    const auto column = [&](const char* name) {
        return name ? prefix + quoted(QLatin1String(name)) : QStringLiteral("NULL::text");
    };
    return {column(columns.first), column(columns.second)};
}

// The group of a row's texts: they are compared exactly, NULL apart from every text. A hash,
// since a key of the texts themselves could outgrow what an index entry holds.
QString keyOf(int source, const QString& prefix) {
    const auto [first, second] = columnsOf(source, prefix);
    return QStringLiteral("(tarvex_known_key(%1, %2) COLLATE \"C\")").arg(first, second);
}

// The groups of the rows of `rows` (a relation with the table's columns): each group's
// exact texts and first row, ordered by group, as the table's rows.
QString groupsOf(int source, const QString& rows) {
    const auto [first, second] = columnsOf(source, QStringLiteral("t."));
    return QStringLiteral(
               "SELECT '%1', key, value1, value2, min(id) FROM (SELECT %2 AS key, %3 COLLATE "
               "\"C\" AS value1, %4 COLLATE \"C\" AS value2, t.\"id\" AS id FROM %5 t) g "
               "GROUP BY key, value1, value2 ORDER BY key")
        .arg(sourceName(source), keyOf(source, QStringLiteral("t.")), first, second, rows);
}

QString fillStatement(int source) {
    return QStringLiteral("INSERT INTO %1 (source, key, value1, value2, first_row) %2")
        .arg(kTable,
             groupsOf(source, quoted(QLatin1String(KnownValueSources::columnsOf(source).table))));
}

// The condition, in dynamic SQL, that finds the rows of the group in `grp` through the
// column's index (whose collation finds the texts equal but for letter case).
QString groupCondition(int source) {
    const KnownValueColumns columns = KnownValueSources::columnsOf(source);
    QStringList parts;
    for (const auto& [column, value] :
         {std::pair{columns.first, "grp.value1"}, std::pair{columns.second, "grp.value2"}}) {
        if (!column)
            continue;
        const QString name = quoted(QLatin1String(column));
        parts << QStringLiteral(
                     "CASE WHEN %1 IS NULL THEN '%2 IS NULL' ELSE format('%2 = %L "
                     "AND (%2 COLLATE \"C\") = %L', %1, %1) END")
                     .arg(QLatin1String(value), QString(name).replace(u'\'', QStringLiteral("''")));
    }
    return parts.join(QStringLiteral(" || ' AND ' || "));
}

// The lines of a table's trigger function that bring one source's groups up to date with the
// rows that left a group (`left`, empty for an insert) and those that joined one (`joined`,
// empty for a delete), each a relation with the table's columns.
//
// Two writers that change one group at once take turns: the groups are locked first, in
// key order, and each group that rows left looks for its first row in a statement of its
// own, which sees what the other writer committed while this one waited.
QString sourceBlock(int source, const QString& left, const QString& joined) {
    const QString name = sourceName(source);
    const QString table = quoted(QLatin1String(KnownValueSources::columnsOf(source).table));
    QString block;
    if (!left.isEmpty()) {
        QStringList keys{
            QStringLiteral("SELECT %1 FROM %2 t").arg(keyOf(source, QStringLiteral("t.")), left)};
        if (!joined.isEmpty())
            keys << QStringLiteral("SELECT %1 FROM %2 t")
                        .arg(keyOf(source, QStringLiteral("t.")), joined);
        block += QStringLiteral(
                     "    PERFORM 1 FROM %1 WHERE source = '%2' AND key IN (%3) ORDER BY key "
                     "FOR UPDATE;\n"
                     "    FOR grp IN SELECT key, value1, value2 FROM %1 WHERE source = '%2' AND "
                     "key IN (%4) LOOP\n"
                     "        EXECUTE 'SELECT \"id\" FROM %5 WHERE ' || %6 || ' ORDER BY "
                     "\"id\" LIMIT 1' INTO first_id;\n"
                     "        IF first_id IS NULL THEN\n"
                     "            DELETE FROM %1 WHERE source = '%2' AND key = grp.key;\n"
                     "        ELSE\n"
                     "            UPDATE %1 SET first_row = first_id WHERE source = '%2' AND key = "
                     "grp.key AND first_row <> first_id;\n"
                     "        END IF;\n"
                     "    END LOOP;\n")
                     .arg(kTable, name, keys.join(QStringLiteral(" UNION ")), keys.first(), table,
                          groupCondition(source));
    }
    if (!joined.isEmpty())
        block += QStringLiteral(
                     "    INSERT INTO %1 (source, key, value1, value2, first_row) %2 ON CONFLICT "
                     "(source, key) DO UPDATE SET first_row = EXCLUDED.first_row WHERE "
                     "EXCLUDED.first_row < %1.first_row;\n")
                     .arg(kTable, groupsOf(source, joined));
    return block;
}

QString functionName(const QString& table) {
    return quoted(QStringLiteral("tarvex_known_values_") + table);
}

// The trigger function of a table that gives names: one for its inserts, updates, deletes
// and truncation. It runs with its owner's rights, so that every user who may write the
// table keeps the groups current without a right on "KnownValue" of their own.
QString triggerFunction(const QString& table, const std::vector<int>& sources) {
    // The rows of an update that left or joined a group: the old and new rows whose id and
    // group are not found on the other side.
    const auto changed = [](int source, const char* from, const char* other) {
        return QStringLiteral(
                   "(SELECT * FROM %1 x WHERE NOT EXISTS (SELECT 1 FROM %2 y WHERE "
                   "y.\"id\" = x.\"id\" AND %3 = %4))")
            .arg(QLatin1String(from), QLatin1String(other), keyOf(source, QStringLiteral("y.")),
                 keyOf(source, QStringLiteral("x.")));
    };
    QString inserted, updated, deleted;
    QStringList names;
    // Most updates change no name: one look at the rows tells, before any group is read.
    QStringList renamed{QStringLiteral("o.\"id\" IS NULL"), QStringLiteral("n.\"id\" IS NULL")};
    for (int source : sources) {
        const KnownValueColumns columns = KnownValueSources::columnsOf(source);
        for (const char* column : {columns.first, columns.second})
            if (column)
                renamed << QStringLiteral(
                               "(o.%1 COLLATE \"C\") IS DISTINCT FROM (n.%1 COLLATE "
                               "\"C\")")
                               .arg(quoted(QLatin1String(column)));
    }
    renamed.removeDuplicates();
    for (int source : sources) {
        names << u'\'' + sourceName(source) + u'\'';
        inserted += sourceBlock(source, {}, QStringLiteral("new_rows"));
        deleted += sourceBlock(source, QStringLiteral("old_rows"), {});
        updated += sourceBlock(source, changed(source, "old_rows", "new_rows"),
                               changed(source, "new_rows", "old_rows"));
    }
    return QStringLiteral(
               "CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
               "SET search_path FROM CURRENT AS $$\n"
               "DECLARE\n"
               "    grp record;\n"
               "    first_id bigint;\n"
               "BEGIN\n"
               "    IF TG_OP = 'TRUNCATE' THEN\n"
               "        DELETE FROM %2 WHERE source IN (%3);\n"
               "        RETURN NULL;\n"
               "    END IF;\n"
               // A bulk copy fills the table afterwards, at once.
               "    IF current_setting('%4', true) = 'on' THEN\n"
               "        RETURN NULL;\n"
               "    END IF;\n"
               "    IF TG_OP = 'INSERT' THEN\n%5"
               "    ELSIF TG_OP = 'DELETE' THEN\n%6"
               "    ELSIF EXISTS (SELECT 1 FROM old_rows o FULL JOIN new_rows n ON o.\"id\" = "
               "n.\"id\" WHERE %8) THEN\n%7"
               "    END IF;\n"
               "    RETURN NULL;\n"
               "END$$")
        .arg(functionName(table), kTable, names.join(QStringLiteral(", ")),
             QLatin1String(serverschema::kBulkCopySetting), inserted, deleted, updated,
             renamed.join(QStringLiteral(" OR ")));
}

QStringList triggers(const QString& table) {
    const QString name = quoted(table);
    const QString function = functionName(table);
    QStringList statements;
    for (const auto& [event, transitions] :
         {std::pair{"insert", "REFERENCING NEW TABLE AS new_rows "},
          std::pair{"update", "REFERENCING OLD TABLE AS old_rows NEW TABLE AS new_rows "},
          std::pair{"delete", "REFERENCING OLD TABLE AS old_rows "}, std::pair{"truncate", ""}}) {
        const QString trigger =
            quoted(table + QStringLiteral("_known_values_") + QLatin1String(event));
        // Made anew, so that a step of an upgrade may run again.
        statements << QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(trigger, name)
                   << QStringLiteral(
                          "CREATE TRIGGER %1 AFTER %2 ON %3 %4FOR EACH STATEMENT "
                          "EXECUTE FUNCTION %5()")
                          .arg(trigger, QString::fromLatin1(event).toUpper(), name,
                               QLatin1String(transitions), function);
    }
    return statements;
}

}  // namespace

QString sourceName(int source) {
    const KnownValueColumns columns = KnownValueSources::columnsOf(source);
    QString name = QLatin1String(columns.table) + u'.' + QLatin1String(columns.first);
    if (columns.second)
        name += u'.' + QLatin1String(columns.second);
    return name;
}

QStringList createStatements() {
    QStringList statements{
        // What a step of an upgrade that runs again finds made already is no news.
        QStringLiteral("SET LOCAL client_min_messages = warning"),
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS %1 (source text COLLATE \"C\" NOT NULL, key text COLLATE "
            "\"C\" NOT NULL, value1 text COLLATE \"C\", value2 text COLLATE \"C\", "
            "first_row bigint NOT NULL, PRIMARY KEY (source, key))")
            .arg(kTable),
        loadOrderIndex(),
        QStringLiteral("CREATE OR REPLACE FUNCTION tarvex_known_key(value1 text, value2 text) "
                       "RETURNS text LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$SELECT "
                       "md5(coalesce(length(value1) || ':' || value1, 'N') || "
                       "coalesce(length(value2) || ':' || value2, 'N'))$$"),
        // The functions that run with their owner's rights find the tables in this schema
        // alone, and nothing a user put in their temporary schema.
        QStringLiteral("SELECT set_config('search_path', quote_ident(current_schema()) || ', "
                       "pg_temp', true)"),
    };
    for (const auto& [table, sources] : sourcesByTable())
        statements << triggerFunction(table, sources) << triggers(table);
    statements << rebuildStatements();
    return statements;
}

QStringList loadOrderStatements() {
    return {QStringLiteral("DROP INDEX IF EXISTS \"KnownValue_first_row\""), loadOrderIndex()};
}

QStringList rebuildStatements() {
    QStringList statements{QStringLiteral("DELETE FROM %1").arg(kTable)};
    for (int source = 0; source < KnownValueSources::kNamedSources; ++source)
        statements << fillStatement(source);
    // The planner's statistics at once, so that the first load reads each source through the
    // index in its order.
    statements << QStringLiteral("ANALYZE %1").arg(kTable);
    return statements;
}

bool readable(CDatabase& db) {
    CStatement query(db, QStringLiteral("SELECT CASE WHEN has_table_privilege(to_regclass("
                                        "'\"KnownValue\"'), 'SELECT') THEN 1 ELSE 0 END"));
    return query.step() && query.int64(0) == 1;
}

}  // namespace serverknownvalues

#include "data/DatabaseCopy.h"

#include <sqlite3.h>

#include <QStringList>

#include "data/Database.h"
#include "data/DbException.h"
#include "data/EngineError.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"
#include "data/Transaction.h"

namespace {

struct SchemaObject {
    QString type;
    QString name;
    QString sql;
};

// The CREATE text with the object's name qualified by the target database.
QString createIn(const QString& target, const QString& sql) {
    // The engine stores these keywords upper-cased and single-spaced.
    static const QStringList prefixes = {
        QStringLiteral("CREATE TABLE "), QStringLiteral("CREATE INDEX "),
        QStringLiteral("CREATE UNIQUE INDEX "), QStringLiteral("CREATE VIEW "),
        QStringLiteral("CREATE TRIGGER ")};
    for (const QString& prefix : prefixes) {
        if (sql.startsWith(prefix))
            return prefix + quotedName(target) + u'.' + sql.mid(prefix.size());
    }
    throw dbError(SQLITE_ERROR, QStringLiteral("Cannot copy the database object: %1").arg(sql));
}

void run(CDatabase& db, const QString& sql) {
    CStatement(db, sql).execute();
}

}  // namespace

void copyDatabase(CDatabase& db, const QString& target) {
    std::vector<SchemaObject> objects;
    {
        // The engine's own tables (sqlite_sequence) are created by the engine.
        CStatement list(db, QStringLiteral("SELECT type, name, sql FROM main.sqlite_master "
                                           "WHERE sql IS NOT NULL AND substr(name, 1, 7) <> "
                                           "'sqlite_' ORDER BY rowid"));
        while (list.step())
            objects.push_back({list.text(0), list.text(1), list.text(2)});
    }
    const QString into = quotedName(target) + u'.';
    CTransaction transaction(db);
    // Tables and rows first, indexes afterwards (faster than filling indexed tables), then
    // the views and triggers that refer to them.
    for (const SchemaObject& object : objects) {
        if (object.type != u"table")
            continue;
        run(db, createIn(target, object.sql));
        run(db, QStringLiteral("INSERT INTO %1%2 SELECT * FROM main.%2")
                    .arg(into, quotedName(object.name)));
    }
    CStatement sequence(db, QStringLiteral("SELECT count(*) FROM main.sqlite_master "
                                           "WHERE name = 'sqlite_sequence'"));
    if (sequence.step() && sequence.int64(0) > 0) {
        run(db, QStringLiteral("DELETE FROM %1sqlite_sequence").arg(into));
        run(db, QStringLiteral("INSERT INTO %1sqlite_sequence SELECT * FROM main.sqlite_sequence")
                    .arg(into));
    }
    sequence.reset();
    CStatement version(db, QStringLiteral("PRAGMA main.user_version"));
    if (version.step())
        run(db, QStringLiteral("PRAGMA %1.user_version = %2")
                    .arg(quotedName(target))
                    .arg(version.int64(0)));
    for (const char* type : {"index", "view", "trigger"}) {
        for (const SchemaObject& object : objects)
            if (object.type == QLatin1String(type))
                run(db, createIn(target, object.sql));
    }
    transaction.Commit();
}

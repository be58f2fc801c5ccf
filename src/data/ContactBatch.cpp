#include "data/ContactBatch.h"

#include <sqlite3.h>

#include "data/Database.h"
#include "data/EngineError.h"
#include "data/FileDamage.h"
#include "data/Schema.h"
#include "data/Statement.h"

namespace {

CDatabase& undamaged(CDatabase& db) {
    if (filedamage::isDamaged())
        throw filedamage::refusedWrite();
    return db;
}

QSet<QString> foldedTexts(CDatabase& db, const QString& sql) {
    QSet<QString> texts;
    CStatement statement(db, sql);
    while (statement.step())
        texts.insert(statement.text(0).toCaseFolded());
    return texts;
}

QString quotedName(const QString& name) {
    return u'"' + name + u'"';
}

}  // namespace

// One prepared INSERT of every column but `id` of a table, bound by column name.
class CContactBatch::Inserter {
public:
    Inserter(CDatabase& db, const SourceDef& table)
        : m_table(QLatin1String(table.name)),
          m_columns(schema::tableColumns(table).mid(1)),
          m_statement(db, sqlFor(m_table, m_columns)) {}

    void insert(const QMap<QString, QString>& values) {
        for (auto value = values.cbegin(); value != values.cend(); ++value)
            if (!m_columns.contains(value.key()))
                throw dbError(SQLITE_ERROR,
                              QStringLiteral("no such column: %1.%2").arg(m_table, value.key()));
        for (qsizetype i = 0; i < m_columns.size(); ++i) {
            const QString value = values.value(m_columns[i]);
            m_statement.bind(int(i) + 1, value.isEmpty() ? QVariant() : QVariant(value));
        }
        m_statement.execute();
        m_statement.reset();
    }

    const QString& table() const { return m_table; }

private:
    static QString sqlFor(const QString& table, const QStringList& columns) {
        QStringList names, marks;
        for (const QString& column : columns) {
            names << quotedName(column);
            marks << QStringLiteral("?");
        }
        return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(quotedName(table), names.join(u", "), marks.join(u", "));
    }

    QString m_table;
    QStringList m_columns;
    CStatement m_statement;
};

CContactBatch::CContactBatch(CDatabase& db)
    : m_db(undamaged(db)), m_hold(db.writeGate()), m_transaction(db) {
    // One pass over the groups instead of a look-up per record.
    m_groups = foldedTexts(m_db, QStringLiteral("SELECT \"Name\" FROM \"Group\""));
    m_personInserter = std::make_unique<Inserter>(m_db, schema::Person);
    m_firmInserter = std::make_unique<Inserter>(m_db, schema::Firm);
    m_groupInserter = std::make_unique<Inserter>(m_db, schema::Group);
}

CContactBatch::~CContactBatch() = default;

void CContactBatch::addPerson(const QMap<QString, QString>& values) {
    requireUndamaged();
    m_personInserter->insert(values);
}

void CContactBatch::addFirm(const QMap<QString, QString>& values) {
    requireUndamaged();
    m_firmInserter->insert(values);
}

bool CContactBatch::addGroupIfMissing(const QString& name) {
    if (name.isEmpty() || m_groups.contains(name.toCaseFolded()))
        return false;
    requireUndamaged();
    m_groupInserter->insert({{QStringLiteral("Name"), name}});
    m_groups.insert(name.toCaseFolded());
    return true;
}

void CContactBatch::Commit() {
    requireUndamaged();
    m_transaction.Commit();
}

void CContactBatch::requireUndamaged() const {
    if (filedamage::isDamaged())
        throw filedamage::refusedWrite();
}

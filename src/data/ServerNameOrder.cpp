#include "data/ServerNameOrder.h"

#include <QChar>
#include <QCryptographicHash>

#include "data/Database.h"
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"
#include "data/StoredObjects.h"

namespace servernameorder {

namespace {

using serverschema::quoted;

constexpr schema::IndexDef kIndexes[] = {
    {"Person", "lastname", "firstname"},
    {"Firm", "name", nullptr},
    {"Alarm", "name", nullptr},
    {"Group", "Name", nullptr},
};

// Letters up to here (Latin with its extensions) are most of the non-ASCII letters in
// names; their short table spares the server a search of the whole one for each letter.
constexpr char32_t kLatinEnd = 0x250;

QString literal(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

// The body of the folding function: ASCII lowered as such, every other letter folded as
// QChar::toCaseFolded folds it, one letter for one, which translate() does. Letters with a
// case are all in the first two planes; the others hold ideographs, tags and private use.
QString foldBody() {
    QString from, to, latinFrom, latinTo;
    for (char32_t c = 0x80; c <= 0x1FFFF; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const char32_t folded = QChar::toCaseFolded(c);
        if (folded == c)
            continue;
        const QString letter = QString::fromUcs4(&c, 1);
        const QString foldedLetter = QString::fromUcs4(&folded, 1);
        from += letter;
        to += foldedLetter;
        if (c < kLatinEnd) {
            latinFrom += letter;
            latinTo += foldedLetter;
        }
    }
    return QStringLiteral(
               "SELECT CASE WHEN octet_length(v) = length(v) THEN lower(v COLLATE \"C\") "
               "WHEN v COLLATE \"C\" !~ '[^\\x01-\\u%1]' THEN translate(lower(v COLLATE \"C\"), "
               "%2, %3) ELSE translate(lower(v COLLATE \"C\"), %4, %5) END")
        .arg(QString::number(kLatinEnd - 1, 16).rightJustified(4, u'0'), literal(latinFrom),
             literal(latinTo), literal(from), literal(to));
}

const QString& body() {
    static const QString made = foldBody();
    return made;
}

// The function is named after its body: a server made by a program that folds otherwise
// (other Unicode tables) has a function of another name, so that finding ours by name is
// the whole check, and statements that order by it cannot call another.
const QString& functionName() {
    static const QString name =
        QStringLiteral("tarvex_fold_") +
        QString::fromLatin1(
            QCryptographicHash::hash(body().toUtf8(), QCryptographicHash::Md5).toHex().left(16));
    return name;
}

QString folded(const QString& columnSql) {
    return QStringLiteral("(%1(%2) COLLATE \"C\")").arg(functionName(), columnSql);
}

QString createIndex(const schema::IndexDef& index) {
    QStringList keys, columns;
    for (const char* column : {index.first, index.second}) {
        if (!column)
            continue;
        columns << quoted(QLatin1String(column));
        keys << folded(columns.back()) + QStringLiteral(" NULLS FIRST");
    }
    keys << QStringLiteral("\"id\" NULLS FIRST");
    // The names themselves ride along so that reading the order needs no table rows: the
    // server reads a row's columns to know the folded key's, unless the index holds them.
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3) INCLUDE (%4)")
        .arg(quoted(schema::indexName(index) + QStringLiteral("_folded")),
             quoted(QLatin1String(index.table)), keys.join(QStringLiteral(", ")),
             columns.join(QStringLiteral(", ")));
}

}  // namespace

QStringList createStatements() {
    // The cost of a call is that of a few operators. The planner counts it for every row
    // a statement orders by folded names even where the index hands over the folded
    // names, and at the default cost of a function (a hundred operators) it would start
    // parallel workers to read an index in order, which takes longer than reading it.
    QStringList statements{
        QStringLiteral("CREATE OR REPLACE FUNCTION %1(v text) RETURNS text LANGUAGE sql "
                       "IMMUTABLE STRICT PARALLEL SAFE COST 1 AS $fold$%2$fold$")
            .arg(functionName(), body())};
    for (const schema::IndexDef& index : kIndexes)
        statements << createIndex(index);
    return statements;
}

bool canHold(CServerConnection& server) {
    return server.exec(QStringLiteral("SELECT current_setting('server_encoding') = 'UTF8'"))
               .text(0, 0) == QLatin1String("t");
}

std::span<const schema::IndexDef> indexes() {
    return kIndexes;
}

bool foldsAsThisProgram(CDatabase& db) {
    CStoredObjects& stored = db.storedObjects();
    if (!stored.foldsNamesAsThisProgram())
        stored.rememberFoldsNamesAsThisProgram(
            db.server()
                .exec(QStringLiteral("SELECT to_regprocedure($1) IS NOT NULL"),
                      {functionName() + QStringLiteral("(text)")})
                .text(0, 0) == QLatin1String("t"));
    return *stored.foldsNamesAsThisProgram();
}

QString orderBy(std::span<const SortedKeyColumn> columns) {
    QStringList terms;
    for (const SortedKeyColumn& column : columns)
        terms << QStringLiteral("%1(%2) COLLATE BINARY").arg(functionName(), column.sql);
    terms << QStringLiteral("rowid");
    return terms.join(QStringLiteral(", "));
}

}  // namespace servernameorder

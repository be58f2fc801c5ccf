#include "data/ServerSql.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include "data/NoCaseCollation.h"
#include "data/Schema.h"

namespace {

// The names of the server's schema by their lower-case forms: tables and stored queries
// apart from columns, since a table and a column may differ only in letter case ("Person"
// and Contact's "person"), and the columns of each table, since two tables may spell one
// column differently ("Name" of Group, "name" of Firm).
struct SchemaNames {
    QHash<QString, QString> sources;
    QHash<QString, QString> columns;
    QHash<QString, QHash<QString, QString>> columnsOf;  // by the source's name
    QSet<QString> spellings;
};

const SchemaNames& schemaNames() {
    static const SchemaNames names = [] {
        SchemaNames all;
        auto add = [&all](QHash<QString, QString>& to, const QString& name) {
            to.insert(name.toLower(), name);
            all.spellings.insert(name);
        };
        for (const SourceDef* table : schema::tables()) {
            const QString source = QLatin1String(table->name);
            add(all.sources, source);
            for (const QString& column : schema::tableColumns(*table)) {
                add(all.columns, column);
                add(all.columnsOf[source], column);
            }
        }
        for (const SourceDef* query : schema::queries()) {
            const QString source = QLatin1String(query->name);
            add(all.sources, source);
            for (const FieldDef& field : query->fields) {
                add(all.columns, QLatin1String(field.name));
                add(all.columnsOf[source], QLatin1String(field.name));
            }
        }
        for (const char* column : {"row_version", "created_by"})
            add(all.columns, QLatin1String(column));
        return all;
    }();
    return names;
}

bool isKnownName(const QString& name) {
    const QString lower = name.toLower();
    return schemaNames().sources.contains(lower) || schemaNames().columns.contains(lower);
}

bool namesSource(const QString& wordBefore) {
    static const QStringList sourceWords = {"from", "join", "into", "update", "table", "view"};
    return sourceWords.contains(wordBefore, Qt::CaseInsensitive);
}

// A name as the schema spells it: the table's or query's after a word that names one, else
// the column of the statement's table (`source`, the schema's spelling, may be empty), else
// as written when the schema spells it so, else any column's.
QString canonicalName(const QString& name, const QString& wordBefore, const QString& source) {
    const QString lower = name.toLower();
    const SchemaNames& names = schemaNames();
    const QString sourceName = names.sources.value(lower);
    if (!sourceName.isEmpty() && namesSource(wordBefore))
        return sourceName;
    const QString ownColumn = names.columnsOf.value(source).value(lower);
    if (!ownColumn.isEmpty())
        return ownColumn;
    if (names.spellings.contains(name))
        return name;
    const QString column = names.columns.value(lower);
    if (!column.isEmpty())
        return column;
    return sourceName.isEmpty() ? name : sourceName;
}

// The schema's spelling of the first table or query the statement reads or writes; empty
// when it names none.
QString statementSource(const QString& sql) {
    static const QRegularExpression named(
        QStringLiteral(R"(\b(?:from|update|into)\s+[`"\[]?([A-Za-z_][A-Za-z0-9_]*))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = named.match(sql);
    return match.hasMatch() ? schemaNames().sources.value(match.captured(1).toLower()) : QString();
}

bool isSqlWord(const QString& word) {
    static const QStringList words = {
        "and",     "or",     "not",       "like",    "is",     "null",        "in",
        "between", "escape", "collate",   "asc",     "desc",   "select",      "from",
        "where",   "order",  "by",        "group",   "having", "distinct",    "as",
        "on",      "join",   "left",      "inner",   "outer",  "cross",       "exists",
        "case",    "when",   "then",      "else",    "end",    "limit",       "offset",
        "insert",  "into",   "values",    "update",  "set",    "delete",      "default",
        "create",  "drop",   "table",     "index",   "view",   "temp",        "temporary",
        "begin",   "commit", "rollback",  "union",   "all",    "cast",        "text",
        "integer", "bigint", "primary",   "key",     "if",     "returning",   "with",
        "true",    "false",  "savepoint", "release", "to",     "conflict",    "do",
        "nothing", "nulls",  "first",     "last",    "count",  "current_user"};
    return words.contains(word, Qt::CaseInsensitive);
}

QString quotedServerName(const QString& name, const QString& wordBefore = {},
                         const QString& source = {}) {
    const QString canonical = canonicalName(name, wordBefore, source);
    return u'"' + QString(canonical).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// The end of a span opened by `quote` at `from` that closes with `close`, doubled closers
// inside; the text's end when it is not closed.
qsizetype spanEnd(const QString& text, qsizetype from, QChar close) {
    qsizetype i = from + 1;
    while (i < text.size()) {
        if (text[i] == close) {
            if (close != u']' && i + 1 < text.size() && text[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return text.size();
}

QString unquoted(const QString& span, QChar close) {
    QString inner = span.mid(1, span.size() - 2);
    if (close != u']')
        inner.replace(QString(2, close), QString(close));
    return inner;
}

QString collationOf(const QString& name) {
    if (name.compare(u"binary", Qt::CaseInsensitive) == 0)
        return QStringLiteral("\"C\"");
    if (name.compare(u"nocase", Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String(kUnicodeNoCase), Qt::CaseInsensitive) == 0)
        return QStringLiteral("\"tarvex_nocase\"");
    return quotedServerName(name);
}

}  // namespace

QString toServerSql(const QString& sqliteSql) {
    QString out;
    out.reserve(sqliteSql.size() + 16);
    int nextParameter = 1;
    const QString source = statementSource(sqliteSql);
    // The last word written and whether it was NOT (for NOT LIKE) or COLLATE.
    QString lastWord;
    qsizetype lastWordAt = -1;
    // The file puts NULL before every value and the server after: each ORDER BY key says
    // where NULL goes. The open ORDER BY's parenthesis depth, and whether its current key
    // says so itself.
    int depth = 0;
    int orderDepth = -1;
    bool keyNamesNulls = false;
    QString keyLastWord;
    const auto endOrderKey = [&] {
        if (orderDepth < 0 || keyNamesNulls)
            return;
        while (!out.isEmpty() && out.back().isSpace())
            out.chop(1);
        out += keyLastWord.compare(u"desc", Qt::CaseInsensitive) == 0
                   ? QStringLiteral(" NULLS LAST")
                   : QStringLiteral(" NULLS FIRST");
    };
    const QString& text = sqliteSql;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (orderDepth == depth && (c == u',' || c == u')' || c == u';')) {
            endOrderKey();
            keyNamesNulls = false;
            keyLastWord.clear();
            if (c != u',')
                orderDepth = -1;
        }
        if (c == u'(')
            ++depth;
        if (c == u')')
            --depth;
        if (c == u'\'') {
            const qsizetype end = spanEnd(text, i, u'\'');
            out += text.mid(i, end - i);
            i = end;
            lastWord.clear();
            continue;
        }
        if (c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            const qsizetype end = spanEnd(text, i, close);
            const QString name = unquoted(text.mid(i, end - i), close);
            out += lastWord.compare(u"collate", Qt::CaseInsensitive) == 0
                       ? collationOf(name)
                       : quotedServerName(name, lastWord, source);
            i = end;
            lastWord.clear();
            continue;
        }
        if (c == u'?') {
            qsizetype end = i + 1;
            while (end < text.size() && text[end].isDigit())
                ++end;
            int number = nextParameter;
            if (end > i + 1)
                number = text.mid(i + 1, end - i - 1).toInt();
            nextParameter = std::max(nextParameter, number + 1);
            out += u'$' + QString::number(number);
            i = end;
            lastWord.clear();
            continue;
        }
        if (c.isLetter() || c == u'_') {
            qsizetype end = i;
            while (end < text.size() && isWordChar(text[end]))
                ++end;
            const QString word = text.mid(i, end - i);
            qsizetype next = end;
            while (next < text.size() && text[next].isSpace())
                ++next;
            // "INSERT INTO Person (...)" names a table before its columns, not a function.
            const bool call = next < text.size() && text[next] == u'(' && !namesSource(lastWord);
            const bool qualifier = end < text.size() && text[end] == u'.';
            const QString lower = word.toLower();
            if (orderDepth == depth && (lower == u"limit" || lower == u"offset")) {
                endOrderKey();
                out += u' ';
                orderDepth = -1;
            }
            const qsizetype wordAt = out.size();
            if (lastWord.compare(u"collate", Qt::CaseInsensitive) == 0) {
                out += collationOf(word);
            } else if (lower == u"like") {
                if (lastWord.compare(u"not", Qt::CaseInsensitive) == 0) {
                    out.truncate(lastWordAt);
                    out += QStringLiteral("#!~");
                } else {
                    out += QStringLiteral("#~");
                }
            } else if (lower == u"is" && next < text.size() && text[next] == u'?') {
                // SQLite's IS compares NULLs as equal.
                out += QStringLiteral("IS NOT DISTINCT FROM");
            } else if (lower == u"datetime" && !call) {
                out += QStringLiteral("timestamp without time zone");
            } else if (lower == u"rowid") {
                out += QStringLiteral("\"id\"");
            } else if (lower == u"temp" && qualifier) {
                out += QStringLiteral("pg_temp");
            } else if ((lower == u"immediate" || lower == u"exclusive" || lower == u"deferred") &&
                       lastWord.compare(u"begin", Qt::CaseInsensitive) == 0) {
                // BEGIN alone.
            } else if (!call && !isSqlWord(word) && isKnownName(word)) {
                out += quotedServerName(word, lastWord, source);
            } else {
                out += word;
            }
            if (lower == u"by" && lastWord.compare(u"order", Qt::CaseInsensitive) == 0) {
                orderDepth = depth;
                keyNamesNulls = false;
                keyLastWord.clear();
            } else if (orderDepth == depth) {
                keyNamesNulls = keyNamesNulls || lower == u"nulls";
                keyLastWord = word;
            }
            lastWord = word;
            lastWordAt = wordAt;
            i = end;
            continue;
        }
        if (c.isDigit()) {
            // A number, which may hold letters ("1e5"): never a name.
            qsizetype end = i;
            while (end < text.size() && (isWordChar(text[end]) || text[end] == u'.'))
                ++end;
            out += text.mid(i, end - i);
            i = end;
            lastWord.clear();
            continue;
        }
        out += c;
        if (!c.isSpace())
            lastWord.clear();
        ++i;
    }
    endOrderKey();
    return out;
}

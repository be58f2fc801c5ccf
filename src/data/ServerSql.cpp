#include "data/ServerSql.h"

#include <QHash>
#include <QStringList>

#include "data/NoCaseCollation.h"
#include "data/Schema.h"

namespace {

// The names of the server's schema by their lower-case forms: tables and stored queries
// apart from columns, since a table and a column may differ only in letter case ("Person"
// and Contact's "person").
struct SchemaNames {
    QHash<QString, QString> sources;
    // Columns of different tables may differ in letter case only (Firm's "name" and Group's
    // "Name"): every spelling is kept.
    QHash<QString, QStringList> columns;
};

const SchemaNames& schemaNames() {
    static const SchemaNames names = [] {
        SchemaNames all;
        auto addSource = [&all](const QString& name) { all.sources.insert(name.toLower(), name); };
        auto addColumn = [&all](const QString& name) {
            QStringList& spellings = all.columns[name.toLower()];
            if (!spellings.contains(name))
                spellings << name;
        };
        for (const SourceDef* table : schema::tables()) {
            addSource(QLatin1String(table->name));
            for (const QString& column : schema::tableColumns(*table))
                addColumn(column);
        }
        for (const SourceDef* query : schema::queries()) {
            addSource(QLatin1String(query->name));
            for (const FieldDef& field : query->fields)
                addColumn(QLatin1String(field.name));
        }
        for (const char* column : {"row_version", "created_by"})
            addColumn(QLatin1String(column));
        return all;
    }();
    return names;
}

bool isKnownName(const QString& name) {
    const QString lower = name.toLower();
    return schemaNames().sources.contains(lower) || schemaNames().columns.contains(lower);
}

// A name as the schema spells it: the table's or query's after a word that names one, else
// as written when the schema spells it so, else the column's (its first spelling).
QString canonicalName(const QString& name, const QString& wordBefore) {
    const QString lower = name.toLower();
    const SchemaNames& names = schemaNames();
    const QString source = names.sources.value(lower);
    const QStringList columns = names.columns.value(lower);
    static const QStringList sourceWords = {"from", "join", "into", "update", "table", "view"};
    if (!source.isEmpty() && sourceWords.contains(wordBefore, Qt::CaseInsensitive))
        return source;
    if (name == source || columns.contains(name))
        return name;
    if (!columns.isEmpty())
        return columns.first();
    return source.isEmpty() ? name : source;
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

QString quotedServerName(const QString& name, const QString& wordBefore = {}) {
    const QString canonical = canonicalName(name, wordBefore);
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
    // The last word written and whether it was NOT (for NOT LIKE) or COLLATE.
    QString lastWord;
    qsizetype lastWordAt = -1;
    const QString& text = sqliteSql;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
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
                       : quotedServerName(name, lastWord);
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
            const bool call = next < text.size() && text[next] == u'(';
            const bool qualifier = end < text.size() && text[end] == u'.';
            const QString lower = word.toLower();
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
                out += quotedServerName(word, lastWord);
            } else {
                out += word;
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
    return out;
}

#include "data/SqlDialect.h"

#include <QRegularExpression>
#include <algorithm>
#include <vector>

#include "data/Database.h"
#include "data/JetLike.h"
#include "data/NoCaseCollation.h"

namespace {

// Index just past the quoted span that opens at `from` (the closing quote, with doubled
// quotes inside); -1 when it is not closed.
qsizetype endOfQuoted(const QString& text, qsizetype from, QChar quote) {
    qsizetype i = from + 1;
    while (i < text.size()) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return -1;
}

qsizetype endOfBracketed(const QString& text, qsizetype from) {
    const qsizetype close = text.indexOf(u']', from + 1);
    return close < 0 ? -1 : close + 1;
}

// End of the quoted or bracketed span that opens at `from`, or -1 when it is not closed.
qsizetype endOfSpan(const QString& text, qsizetype from) {
    const QChar c = text[from];
    if (c == u'[')
        return endOfBracketed(text, from);
    if (c == u'\'' || c == u'"')
        return endOfQuoted(text, from, c);
    return from + 1;
}

// The text with every quoted or bracketed span and every parenthesised part blanked out
// (same length), so that keywords can be found at the top level only.
QString topLevelMask(const QString& text) {
    QString mask = text;
    int depth = 0;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        qsizetype end = endOfSpan(text, i);
        if (end < 0)
            end = text.size();
        if (c == u'(')
            ++depth;
        const bool hidden = end > i + 1 || depth > 0;
        if (c == u')' && depth > 0)
            --depth;
        if (hidden)
            for (qsizetype k = i; k < end; ++k)
                mask[k] = u'x';
        i = end;
    }
    return mask;
}

// One piece of an engine text: its SQLite form and, for a string literal, its value.
struct Token {
    enum Kind { Space, Name, Word, String, Symbol };
    Kind kind;
    QString sql;
    QString value;
};

bool isKeyword(const QString& word) {
    static const QStringList keywords = {
        "and",    "or",      "not",    "like",     "is",     "null", "in",    "between",
        "escape", "collate", "asc",    "desc",     "select", "from", "where", "order",
        "by",     "group",   "having", "distinct", "as",     "on",   "join",  "exists",
        "case",   "when",    "then",   "else",     "end",    "glob", "limit"};
    return keywords.contains(word, Qt::CaseInsensitive);
}

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}

std::vector<Token> tokens(const QString& text) {
    std::vector<Token> result;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        qsizetype end = endOfSpan(text, i);
        if (end < 0) {
            // An unclosed quote or bracket: kept as it is, for the engine to report.
            result.push_back({Token::Symbol, text.mid(i), {}});
            break;
        }
        if (c == u'\'' || c == u'"') {
            const QString quote(c);
            const QString value = text.mid(i + 1, end - i - 2).replace(quote + quote, quote);
            result.push_back({Token::String,
                              c == u'\'' ? text.mid(i, end - i) : u'\'' + sqlQuoted(value) + u'\'',
                              value});
        } else if (c == u'[') {
            result.push_back({Token::Name, quotedName(text.mid(i + 1, end - i - 2)), {}});
        } else if (c.isSpace()) {
            while (end < text.size() && text[end].isSpace())
                ++end;
            result.push_back({Token::Space, text.mid(i, end - i), {}});
        } else if (isWordStart(c)) {
            while (end < text.size() && (text[end].isLetterOrNumber() || text[end] == u'_'))
                ++end;
            const QString word = text.mid(i, end - i);
            result.push_back({isKeyword(word) ? Token::Word : Token::Name, word, {}});
        } else if (c == u'+' || c == u'&') {
            result.push_back({Token::Symbol, QStringLiteral("||"), {}});
        } else {
            if (end < text.size() && (c == u'<' || c == u'>' || c == u'!') &&
                (text[end] == u'=' || (c == u'<' && text[end] == u'>')))
                ++end;
            result.push_back({Token::Symbol, text.mid(i, end - i), {}});
        }
        i = end;
    }
    return result;
}

bool isAscii(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isWord(const Token& token, std::initializer_list<const char*> words) {
    return token.kind == Token::Word &&
           std::any_of(words.begin(), words.end(), [&token](const char* word) {
               return token.sql.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
           });
}

// A text the lists show for a stored date-time ("2003/04/05", "10:20:30"), which LIKE
// matches on a DateTime column but "=" would not.
bool isShownDateTime(const QString& text) {
    static const QRegularExpression shown(
        QStringLiteral(R"(^(\d{4}/\d{2}/\d{2}( \d{2}:\d{2}:\d{2})?|\d{2}:\d{2}:\d{2})$)"));
    return shown.match(text).hasMatch();
}

// The SQLite text of a comparison "name op 'literal'" that keeps the engine's index use
// and compares with Unicode letter case ignored; empty when it stays as written.
QString comparison(const QString& name, const Token& op, const Token& literal, SqlTarget target) {
    if (op.sql == u"=")
        return isAscii(literal.value) ? QString() : textEquals(name, literal.value, target);
    if (op.sql == u"<>" || op.sql == u"!=")
        return isAscii(literal.value) ? QString()
                                      : QStringLiteral("%1 <> %2 COLLATE %3")
                                            .arg(name, literal.sql, QLatin1String(kUnicodeNoCase));
    const std::optional<QString> text = JetLikePattern(literal.value).literalText();
    if (!text || isShownDateTime(*text))
        return {};
    return textEquals(name, *text, target);
}

}  // namespace

SqlTarget sqlTargetOf(const CDatabase& db) {
    return db.isServer() ? SqlTarget::Server : SqlTarget::File;
}

QString toSqlite(const QString& engineSql, SqlTarget target) {
    const std::vector<Token> all = tokens(engineSql);
    // The next token that is not blank, from `i` on in direction `step`; -1 past the ends.
    auto solid = [&all](qsizetype i, int step) {
        while (i >= 0 && i < static_cast<qsizetype>(all.size()) && all[i].kind == Token::Space)
            i += step;
        return i < static_cast<qsizetype>(all.size()) ? i : -1;
    };
    QString out;
    out.reserve(engineSql.size() + 16);
    for (qsizetype i = 0; i < static_cast<qsizetype>(all.size()); ++i) {
        // "name = 'text'", "name <> 'text'" and "name like 'text'", standing alone between
        // the condition's keywords and parentheses.
        if (all[i].kind == Token::Name) {
            const qsizetype before = solid(i - 1, -1);
            const qsizetype op = solid(i + 1, +1);
            const qsizetype literal = op < 0 ? -1 : solid(op + 1, +1);
            const qsizetype after = literal < 0 ? -1 : solid(literal + 1, +1);
            const bool alone =
                (before < 0 || all[before].sql == u"(" ||
                 isWord(all[before], {"and", "or", "not", "where", "on", "when", "having"})) &&
                (after < 0 || all[after].sql == u")" || all[after].sql == u";" ||
                 all[after].sql == u"," ||
                 (all[after].kind == Token::Word && !isWord(all[after], {"escape", "collate"})));
            const bool compares = op >= 0 && (all[op].sql == u"=" || all[op].sql == u"<>" ||
                                              all[op].sql == u"!=" || isWord(all[op], {"like"}));
            if (alone && compares && literal >= 0 && all[literal].kind == Token::String) {
                const QString rewritten = comparison(all[i].sql, all[op], all[literal], target);
                if (!rewritten.isEmpty()) {
                    out += rewritten;
                    i = literal;
                    continue;
                }
            }
        }
        out += all[i].sql;
    }
    return out;
}

QString toSqliteSort(const QString& engineSort, const QStringList& textColumns) {
    QStringList terms;
    for (const QString& term : engineSort.split(u',')) {
        const std::vector<Token> parts = tokens(term.trimmed());
        std::vector<const Token*> solid;
        for (const Token& token : parts)
            if (token.kind != Token::Space)
                solid.push_back(&token);
        const bool plainName = !solid.empty() && solid.size() <= 2 &&
                               solid[0]->kind == Token::Name &&
                               (solid.size() == 1 || isWord(*solid[1], {"asc", "desc"}));
        QString column = plainName ? solid[0]->sql : QString();
        if (column.startsWith(u'`'))
            column =
                column.mid(1, column.size() - 2).replace(QStringLiteral("``"), QStringLiteral("`"));
        if (plainName && textColumns.contains(column, Qt::CaseInsensitive))
            terms << QStringLiteral("%1 COLLATE %2%3")
                         .arg(solid[0]->sql, QLatin1String(kUnicodeNoCase),
                              solid.size() == 2 ? u' ' + solid[1]->sql : QString());
        else
            terms << toSqlite(term.trimmed());
    }
    return terms.join(QStringLiteral(", "));
}

QString textEquals(const QString& column, const QString& value, SqlTarget target) {
    const QString literal = u'\'' + sqlQuoted(value) + u'\'';
    if (isAscii(value) || target == SqlTarget::Server)
        return QStringLiteral("%1 = %2 COLLATE NOCASE").arg(column, literal);
    // Every text equal to the value ignoring letter case starts with the value's ASCII
    // part (in any letter case), then a character beyond ASCII: the engine finds that
    // range in the column's NOCASE index, and the Unicode comparison picks within it.
    QByteArray prefix;
    for (const QChar c : value) {
        if (c.unicode() >= 0x80)
            break;
        prefix += static_cast<char>(c.unicode());
    }
    const QString hexPrefix = QString::fromLatin1(prefix.toHex());
    return QStringLiteral(
               "(%1 >= CAST(X'%2C280' AS TEXT) COLLATE NOCASE AND %1 < CAST(X'%2F5' "
               "AS TEXT) COLLATE NOCASE AND %1 = %3 COLLATE %4)")
        .arg(column, hexPrefix, literal, QLatin1String(kUnicodeNoCase));
}

QString sqlQuoted(const QString& value) {
    QString quoted = value;
    return quoted.replace(u'\'', QStringLiteral("''"));
}

QString likeLiteral(const QString& value) {
    QString literal;
    literal.reserve(value.size() + 8);
    for (const QChar c : value) {
        if (c == u'*' || c == u'?' || c == u'#' || c == u'[')
            literal += u'[' + QString(c) + u']';
        else if (c == u'\'')
            literal += QStringLiteral("''");
        else
            literal += c;
    }
    return literal;
}

QString quotedName(const QString& name) {
    // Backticks, not double quotes: the engine takes a double-quoted name that matches no
    // column for a string, so a misspelt column would silently compare with its own name.
    QString inner = name;
    return u'`' + inner.replace(u'`', QStringLiteral("``")) + u'`';
}

std::optional<SimpleSelect> parseSimpleSelect(const QString& engineSql) {
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*select\s+\*\s+from\s+(\S+?)(?:\s+where\s+(.*?))?)"
                       R"((?:\s+order\s+by\s+(.*?))?\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = form.match(topLevelMask(engineSql));
    if (!match.hasMatch())
        return std::nullopt;
    auto part = [&](int group) {
        return match.capturedStart(group) < 0
                   ? QString()
                   : engineSql.mid(match.capturedStart(group), match.capturedLength(group));
    };
    const QString source = sourceName(part(1));
    if (source.isEmpty())
        return std::nullopt;
    return SimpleSelect{source, part(2).trimmed(), part(3).trimmed()};
}

QString sourceName(const QString& source) {
    const QString text = source.trimmed();
    if (text.startsWith(u'[') && text.endsWith(u']') && text.indexOf(u']') == text.size() - 1)
        return text.mid(1, text.size() - 2);
    static const QRegularExpression bareName(QStringLiteral(R"(^\w+$)"));
    if (bareName.match(text).hasMatch() && text.compare(u"select", Qt::CaseInsensitive) != 0)
        return text;
    return {};
}

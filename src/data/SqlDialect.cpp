#include "data/SqlDialect.h"

#include <QRegularExpression>

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

}  // namespace

QString toSqlite(const QString& engineSql) {
    QString out;
    out.reserve(engineSql.size() + 16);
    for (qsizetype i = 0; i < engineSql.size();) {
        const QChar c = engineSql[i];
        qsizetype end = endOfSpan(engineSql, i);
        if (end < 0) {
            // An unclosed quote or bracket: kept as it is, for the engine to report.
            out += QStringView(engineSql).mid(i);
            break;
        }
        if (c == u'\'' || c == u'"' || c == u'[') {
            const QString inner = engineSql.mid(i + 1, end - i - 2);
            if (c == u'\'')
                out += QStringView(engineSql).mid(i, end - i);
            else if (c == u'"')
                out += u'\'' +
                       sqlQuoted(
                           QString(inner).replace(QStringLiteral("\"\""), QStringLiteral("\""))) +
                       u'\'';
            else
                out += quotedName(inner);
        } else if (c == u'+' || c == u'&') {
            out += QStringLiteral("||");
        } else {
            out += c;
        }
        i = end;
    }
    return out;
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
    QString inner = name;
    return u'"' + inner.replace(u'"', QStringLiteral("\"\"")) + u'"';
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

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <vector>

// The list filter's pattern, compiled once and matched against many cell texts. "*" matches
// any run of characters, "?" one character, "[...]" one character in the set ("[!...]" or
// "[^...]" one not in it; ranges "a-z" in either order), "\" makes the next character
// literal, inside and outside sets. Letter case is ignored and only the first 2047
// characters of pattern and text count. The whole text must match; a malformed pattern
// matches nothing. A "*" followed by more pattern needs at least one character of text left,
// so "**" matches every text except the empty one.
class CWildcardPattern {
public:
    explicit CWildcardPattern(const QString& pattern);

    bool isValid() const { return m_valid; }
    bool matches(QStringView text) const;
    // The same on UTF-8 text, as the engine hands it over; ASCII text is matched in place.
    bool matchesUtf8(QByteArrayView text) const;

private:
    struct Token {
        enum Kind { Literal, AnyOne, AnyRun, Set };
        Kind kind = Literal;
        QChar ch;
        bool negated = false;
        std::vector<std::pair<QChar, QChar>> ranges;
    };

    bool parse(const QString& pattern);
    // Matches the `n` upper-cased characters that `at(i)` gives.
    template <class CharAt>
    bool matchesUpper(qsizetype n, CharAt at) const;
    static bool matchesOne(const Token& token, QChar c);

    std::vector<Token> m_tokens;
    bool m_valid = false;
    // For a pattern "*text*" with no wildcard in the text: that text, upper-cased.
    QString m_needle;
};

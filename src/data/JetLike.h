#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

// A compiled pattern of the engine's LIKE: "*" any run of characters, "?" one character,
// "#" one digit, "[a-c]" / "[!a-c]" one character in / not in a set of characters and
// ranges (so "[*]" is a literal "*"); everything else matches itself. Letter case is
// ignored (Unicode case folding). The whole text must match.
class JetLikePattern {
public:
    // `escape`, when not 0, makes the character after it literal (the ESCAPE of LIKE).
    explicit JetLikePattern(QStringView pattern, char32_t escape = 0);

    // False for a malformed pattern (a "[" without "]", an escape at the end); such a
    // pattern matches nothing.
    bool isValid() const { return m_valid; }
    // Matches the whole text. A stored date-time text "YYYY-MM-DD HH:MM:SS" also matches
    // when the pattern matches its shown forms "YYYY/MM/DD", "HH:MM:SS" or
    // "YYYY/MM/DD HH:MM:SS".
    bool matches(QStringView text) const;
    // The same on UTF-8 text, as the engine hands it over. Plain ASCII text is matched in
    // place, without conversion.
    bool matchesUtf8(const char* text, int length) const;

    // The one text the pattern matches (ignoring letter case) when it has no wildcards,
    // "[*]"-style sets of one character read as that character; nullopt otherwise.
    std::optional<QString> literalText() const;

private:
    struct Element {
        enum Kind { Literal, AnyOne, Digit, Set, AnyRun };
        Element(Kind k, char32_t c = 0) : kind(k), ch(c) {}
        Kind kind;
        char32_t ch;
        bool negated = false;
        std::vector<std::pair<char32_t, char32_t>> ranges;
    };

    // Matches the `length` characters that `at(i)` gives, already case folded.
    template <class CharAt>
    bool matchesFolded(std::size_t length, CharAt at) const;
    bool matchesFolded(const std::u32string& text) const;
    static bool matchesOne(const Element& element, char32_t c);

    bool matchesAscii(const unsigned char* text, std::size_t length) const;
    bool containsNeedle(const unsigned char* text, std::size_t length) const;

    std::vector<Element> m_elements;
    bool m_valid = true;
    // For a pattern "*text*" without wildcards in the text: that text, folded. Searches
    // look for it directly.
    std::u32string m_needle;
    bool m_needleIsAscii = false;
};

// `text LIKE pattern` with the rules above.
bool jetLike(QStringView text, QStringView pattern);

// Registers like(pattern, text) and like(pattern, text, escape) on a connection, so that
// the SQL operator LIKE follows the rules above.
void registerLikeFunction(sqlite3* handle);

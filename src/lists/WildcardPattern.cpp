#include "lists/WildcardPattern.h"

#include <algorithm>

namespace {

constexpr qsizetype kMaxChars = 2047;

QString prepared(QStringView text) {
    return text.toString().toUpper().left(kMaxChars);
}

}  // namespace

CWildcardPattern::CWildcardPattern(const QString& pattern) {
    m_valid = parse(prepared(pattern));
    if (!m_valid)
        m_tokens.clear();
}

bool CWildcardPattern::parse(const QString& pattern) {
    const qsizetype n = pattern.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = pattern[i++];
        Token token;
        if (c == u'*') {
            token.kind = Token::AnyRun;
        } else if (c == u'?') {
            token.kind = Token::AnyOne;
        } else if (c == u'\\') {
            if (i == n)
                return false;
            token.ch = pattern[i++];
        } else if (c == u'[') {
            token.kind = Token::Set;
            if (i < n && (pattern[i] == u'!' || pattern[i] == u'^')) {
                token.negated = true;
                ++i;
            }
            bool closed = false;
            while (i < n) {
                QChar from = pattern[i++];
                if (from == u']') {
                    closed = true;
                    break;
                }
                if (from == u'\\') {
                    if (i == n)
                        return false;
                    from = pattern[i++];
                }
                QChar to = from;
                if (i < n && pattern[i] == u'-') {
                    ++i;
                    if (i == n || pattern[i] == u']')
                        return false;
                    to = pattern[i++];
                    if (to == u'\\') {
                        if (i == n)
                            return false;
                        to = pattern[i++];
                    }
                }
                token.ranges.emplace_back(std::min(from, to), std::max(from, to));
            }
            if (!closed || token.ranges.empty())
                return false;
        } else {
            token.ch = c;
        }
        m_tokens.push_back(std::move(token));
    }
    return true;
}

bool CWildcardPattern::matchesOne(const Token& token, QChar c) {
    switch (token.kind) {
        case Token::Literal:
            return token.ch == c;
        case Token::AnyOne:
            return true;
        case Token::Set: {
            const bool inSet =
                std::any_of(token.ranges.begin(), token.ranges.end(),
                            [c](const auto& r) { return r.first <= c && c <= r.second; });
            return inSet != token.negated;
        }
        case Token::AnyRun:
            break;
    }
    return false;
}

bool CWildcardPattern::matches(QStringView text) const {
    if (!m_valid)
        return false;
    // Plain ASCII texts, by far the most common, are upper-cased as they are read instead of
    // being copied first; a filter reads a million of them.
    const bool ascii =
        text.size() <= kMaxChars &&
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    return ascii ? matchesUpper<true>(text) : matchesUpper<false>(prepared(text));
}

template <bool foldAscii>
bool CWildcardPattern::matchesUpper(QStringView text) const {
    const auto at = [text](qsizetype i) {
        const QChar c = text[i];
        if constexpr (foldAscii)
            return c >= u'a' && c <= u'z' ? QChar(c.unicode() - 32) : c;
        else
            return c;
    };
    // Matching with a return to the latest "*" on a mismatch: a later "*" absorbs whatever an
    // earlier one could, so trying earlier ones again finds nothing new.
    const std::size_t m = m_tokens.size();
    const qsizetype n = text.size();
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t p = 0;
    qsizetype t = 0;
    std::size_t starToken = kNone;
    qsizetype starText = 0;
    while (true) {
        if (p < m && m_tokens[p].kind == Token::AnyRun) {
            if (p + 1 == m)
                return true;
            if (t == n)
                return false;
            starToken = p++;
            starText = t;
            continue;
        }
        if (t == n && p == m)
            return true;
        if (t < n && p < m && matchesOne(m_tokens[p], at(t))) {
            ++p;
            ++t;
            continue;
        }
        if (starToken == kNone || starText + 1 >= n)
            return false;
        p = starToken + 1;
        t = ++starText;
    }
}

#include "lists/WildcardPattern.h"

#include <QStringDecoder>
#include <algorithm>

namespace {

constexpr qsizetype kMaxChars = 2047;

QString prepared(QStringView text) {
    return text.toString().toUpper().left(kMaxChars);
}

QChar upperAscii(QChar c) {
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - 32) : c;
}

}  // namespace

CWildcardPattern::CWildcardPattern(const QString& pattern) {
    m_valid = parse(prepared(pattern));
    if (!m_valid) {
        m_tokens.clear();
        return;
    }
    // The filter dialog puts the user's text between stars: "*text*" without wildcards in
    // the text, which is looked for directly.
    const auto isLiteral = [](const Token& token) { return token.kind == Token::Literal; };
    if (m_tokens.size() > 2 && m_tokens.front().kind == Token::AnyRun &&
        m_tokens.back().kind == Token::AnyRun &&
        std::all_of(m_tokens.begin() + 1, m_tokens.end() - 1, isLiteral)) {
        for (auto token = m_tokens.begin() + 1; token != m_tokens.end() - 1; ++token)
            m_needle += token->ch;
    }
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
    if (ascii)
        return matchesUpper(text.size(), [text](qsizetype i) { return upperAscii(text[i]); });
    const QString upper = prepared(text);
    return matchesUpper(upper.size(), [&upper](qsizetype i) { return upper[i]; });
}

bool CWildcardPattern::matchesUtf8(QByteArrayView text) const {
    if (!m_valid)
        return false;
    const bool ascii = text.size() <= kMaxChars &&
                       std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return matchesUpper(text.size(),
                            [text](qsizetype i) { return upperAscii(QChar(text[i])); });
    // Decoded and upper-cased in a buffer that stays, as this runs for row after row.
    thread_local QString upper;
    upper.resize(text.size());
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QChar* end = decoder.appendToBuffer(upper.data(), text);
    upper.truncate(end - upper.constData());
    upper = std::move(upper).toUpper();
    const qsizetype n = std::min(upper.size(), kMaxChars);
    return matchesUpper(n, [](qsizetype i) { return upper[i]; });
}

template <class CharAt>
bool CWildcardPattern::matchesUpper(qsizetype n, CharAt at) const {
    if (!m_needle.isEmpty()) {
        const qsizetype k = m_needle.size();
        for (qsizetype i = 0; i + k <= n; ++i) {
            qsizetype j = 0;
            while (j < k && at(i + j) == m_needle[j])
                ++j;
            if (j == k)
                return true;
        }
        return false;
    }
    // Matching with a return to the latest "*" on a mismatch: a later "*" absorbs whatever an
    // earlier one could, so trying earlier ones again finds nothing new.
    const std::size_t m = m_tokens.size();
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

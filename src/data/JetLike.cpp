#include "data/JetLike.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>

#include "data/StoredDateTime.h"
#include "data/Utf8.h"

namespace {

char32_t fold(char32_t c) {
    if (c < 0x80)
        return c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c;
    return QChar::toCaseFolded(c);
}

std::u32string folded(QStringView text) {
    std::u32string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (char32_t c : text.toUcs4())
        result.push_back(fold(c));
    return result;
}

constexpr std::size_t kStoredDateTimeLength = 19;  // "YYYY-MM-DD HH:MM:SS"
constexpr std::size_t kDateLength = 10;

// Whether ASCII text is a stored date-time.
bool isStoredDateTime(const unsigned char* text, std::size_t length) {
    if (length != kStoredDateTimeLength)
        return false;
    constexpr char kShape[] = "0000-00-00 00:00:00";
    for (std::size_t i = 0; i < length; ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == '0' ? !digit : text[i] != kShape[i])
            return false;
    }
    return true;
}

// The forms in which the lists show a stored date-time "YYYY-MM-DD HH:MM:SS".
std::vector<std::u32string> shownDateTimeForms(const std::u32string& stored) {
    std::u32string date = stored.substr(0, 10);
    std::replace(date.begin(), date.end(), U'-', U'/');
    const std::u32string time = stored.substr(11);
    return {date, time, date + U' ' + time};
}

}  // namespace

JetLikePattern::JetLikePattern(QStringView pattern, char32_t escape) {
    const std::u32string p = folded(pattern);
    const char32_t foldedEscape = escape ? fold(escape) : 0;
    for (std::size_t i = 0; i < p.size() && m_valid; ++i) {
        const char32_t c = p[i];
        if (foldedEscape && c == foldedEscape) {
            if (++i == p.size())
                m_valid = false;
            else
                m_elements.push_back({Element::Literal, p[i]});
        } else if (c == U'*') {
            if (m_elements.empty() || m_elements.back().kind != Element::AnyRun)
                m_elements.push_back({Element::AnyRun});
        } else if (c == U'?') {
            m_elements.push_back({Element::AnyOne});
        } else if (c == U'#') {
            m_elements.push_back({Element::Digit});
        } else if (c == U'[') {
            const std::size_t close = p.find(U']', i + 1);
            if (close == std::u32string::npos) {
                m_valid = false;
                break;
            }
            Element set{Element::Set};
            std::size_t k = i + 1;
            if (k < close && p[k] == U'!' && k + 1 < close) {
                set.negated = true;
                ++k;
            }
            for (; k < close; ++k) {
                if (k + 2 < close && p[k + 1] == U'-') {
                    set.ranges.emplace_back(std::min(p[k], p[k + 2]), std::max(p[k], p[k + 2]));
                    k += 2;
                } else {
                    set.ranges.emplace_back(p[k], p[k]);
                }
            }
            // "[]" matches the empty text: it adds no element.
            if (!set.ranges.empty())
                m_elements.push_back(std::move(set));
            i = close;
        } else {
            m_elements.push_back({Element::Literal, c});
        }
    }
    const auto isLiteral = [](const Element& e) { return e.kind == Element::Literal; };
    if (m_valid && m_elements.size() > 2 && m_elements.front().kind == Element::AnyRun &&
        m_elements.back().kind == Element::AnyRun &&
        std::all_of(m_elements.begin() + 1, m_elements.end() - 1, isLiteral)) {
        for (auto e = m_elements.begin() + 1; e != m_elements.end() - 1; ++e)
            m_needle += e->ch;
        m_needleIsAscii =
            std::all_of(m_needle.begin(), m_needle.end(), [](char32_t c) { return c < 0x80; });
    }
}

bool JetLikePattern::containsNeedle(const unsigned char* text, std::size_t length) const {
    // A folded letter beyond ASCII is never one of ASCII text.
    const std::size_t m = m_needle.size();
    if (!m_needleIsAscii || length < m)
        return false;
    for (std::size_t i = 0; i + m <= length; ++i) {
        if (fold(text[i]) != m_needle[0])
            continue;
        std::size_t k = 1;
        while (k < m && fold(text[i + k]) == m_needle[k])
            ++k;
        if (k == m)
            return true;
    }
    return false;
}

bool JetLikePattern::matchesOne(const Element& element, char32_t c) {
    switch (element.kind) {
        case Element::Literal:
            return c == element.ch;
        case Element::AnyOne:
            return true;
        case Element::Digit:
            return c >= U'0' && c <= U'9';
        case Element::Set: {
            const bool inSet =
                std::any_of(element.ranges.begin(), element.ranges.end(),
                            [c](const auto& r) { return c >= r.first && c <= r.second; });
            return inSet != element.negated;
        }
        case Element::AnyRun:
            break;
    }
    return false;
}

template <class CharAt>
bool JetLikePattern::matchesFolded(std::size_t length, CharAt at) const {
    // Every element but "*" takes exactly one character, so on a mismatch it is enough to
    // let the last "*" take one character more: O(text x pattern), never exponential.
    const std::size_t n = length;
    const std::size_t m = m_elements.size();
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t starElement = std::u32string::npos;
    std::size_t starText = 0;
    while (s < n) {
        if (p < m && m_elements[p].kind == Element::AnyRun) {
            starElement = p++;
            starText = s;
        } else if (p < m && matchesOne(m_elements[p], at(s))) {
            ++p;
            ++s;
        } else if (starElement != std::u32string::npos) {
            p = starElement + 1;
            s = ++starText;
        } else {
            return false;
        }
    }
    while (p < m && m_elements[p].kind == Element::AnyRun)
        ++p;
    return p == m;
}

bool JetLikePattern::matchesFolded(const std::u32string& text) const {
    return matchesFolded(text.size(), [&text](std::size_t i) { return text[i]; });
}

bool JetLikePattern::matches(QStringView text) const {
    if (!m_valid)
        return false;
    const std::u32string value = folded(text);
    if (matchesFolded(value))
        return true;
    if (!isStoredDateTime(text))
        return false;
    const auto forms = shownDateTimeForms(value);
    return std::any_of(forms.begin(), forms.end(),
                       [this](const std::u32string& form) { return matchesFolded(form); });
}

bool JetLikePattern::matchesUtf8(const char* text, int length) const {
    if (!m_valid)
        return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const auto size = static_cast<std::size_t>(length);
    if (!std::all_of(bytes, bytes + size, [](unsigned char c) { return c < 0x80; })) {
        // Read into a buffer that stays, as this runs for row after row. Such a text is no
        // stored date-time, which is plain ASCII.
        thread_local std::u32string value;
        value.clear();
        for (const unsigned char* at = bytes; at < bytes + size;)
            value.push_back(fold(nextUtf8Character(at, bytes + size)));
        return m_needle.empty()
                   ? matchesFolded(value)
                   : std::u32string_view(value).find(m_needle) != std::u32string_view::npos;
    }
    if (matchesAscii(bytes, size))
        return true;
    // Stored date-times are plain ASCII; their shown forms are tried as above, on a copy
    // of the text whose date part reads "YYYY/MM/DD".
    if (!isStoredDateTime(bytes, size))
        return false;
    std::array<unsigned char, kStoredDateTimeLength> shown;
    std::copy(bytes, bytes + size, shown.begin());
    shown[4] = shown[7] = '/';
    return matchesAscii(shown.data(), kDateLength) ||
           matchesAscii(shown.data() + kDateLength + 1, kStoredDateTimeLength - kDateLength - 1) ||
           matchesAscii(shown.data(), kStoredDateTimeLength);
}

bool JetLikePattern::matchesAscii(const unsigned char* text, std::size_t length) const {
    return m_needle.empty() ? matchesFolded(length, [text](std::size_t i) { return fold(text[i]); })
                            : containsNeedle(text, length);
}

std::optional<QString> JetLikePattern::literalText() const {
    if (!m_valid)
        return std::nullopt;
    std::u32string text;
    for (const Element& element : m_elements) {
        if (element.kind == Element::Literal)
            text.push_back(element.ch);
        else if (element.kind == Element::Set && !element.negated && element.ranges.size() == 1 &&
                 element.ranges.front().first == element.ranges.front().second)
            text.push_back(element.ranges.front().first);
        else
            return std::nullopt;
    }
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

bool jetLike(QStringView text, QStringView pattern) {
    return JetLikePattern(pattern).matches(text);
}

namespace {

QString textArgument(sqlite3_value* value) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                             sqlite3_value_bytes(value));
}

bool matchesArgument(const JetLikePattern& pattern, sqlite3_value* value) {
    // The text first, then its length: the engine may convert the value to text on the way.
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return pattern.matchesUtf8(text, sqlite3_value_bytes(value));
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
    }
    // The pattern is usually a constant: compile it once per statement.
    auto* pattern = static_cast<JetLikePattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        char32_t escape = 0;
        if (argc == 3) {
            const QList<uint> escapeText = textArgument(argv[2]).toUcs4();
            if (escapeText.size() != 1) {
                sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
                return;
            }
            escape = escapeText.front();
        }
        pattern = new JetLikePattern(textArgument(argv[0]), escape);
        sqlite3_set_auxdata(context, 0, pattern,
                            [](void* p) { delete static_cast<JetLikePattern*>(p); });
        // SQLite may have discarded it at once; fetch it back (or compile for this row).
        pattern = static_cast<JetLikePattern*>(sqlite3_get_auxdata(context, 0));
        if (!pattern) {
            const JetLikePattern once(textArgument(argv[0]), escape);
            sqlite3_result_int(context, matchesArgument(once, argv[1]) ? 1 : 0);
            return;
        }
    }
    sqlite3_result_int(context, matchesArgument(*pattern, argv[1]) ? 1 : 0);
}

}  // namespace

void registerLikeFunction(sqlite3* handle) {
    for (int argc : {2, 3})
        sqlite3_create_function_v2(handle, "like", argc, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                   nullptr, likeFunction, nullptr, nullptr, nullptr);
}

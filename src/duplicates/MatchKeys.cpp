#include "duplicates/MatchKeys.h"

namespace duplicates {

namespace {

constexpr char16_t kCombiningDiaeresis = 0x0308;
constexpr qsizetype kPhoneDigits = 8;
constexpr qsizetype kFewestPhoneDigits = 6;

// Letters that no canonical decomposition takes apart, written as a reader would.
const char* spelledOut(char16_t folded) {
    switch (folded) {
        case u'ß':
            return "ss";
        case u'æ':
            return "ae";
        case u'œ':
            return "oe";
        case u'ø':
            return "o";
        case u'ł':
            return "l";
        case u'đ':
            return "d";
        case u'ð':
            return "d";
        case u'þ':
            return "th";
        case u'ı':
            return "i";
        default:
            return nullptr;
    }
}

bool isUmlautBase(char16_t c) {
    return c == u'a' || c == u'o' || c == u'u';
}

// Appends one case-folded character to the key pair: `german` writes umlauts as ae, oe, ue.
void appendFolded(QString& german, QString& plain, char16_t c) {
    if (c < 0x80) {
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
            german += QChar(c);
            plain += QChar(c);
        }
        return;
    }
    if (c == kCombiningDiaeresis) {
        // A decomposed umlaut: its base letter is already in both keys.
        if (!plain.isEmpty() && isUmlautBase(plain.back().unicode()))
            german += u'e';
        return;
    }
    if (const char* spelled = spelledOut(c)) {
        german += QLatin1String(spelled);
        plain += QLatin1String(spelled);
        return;
    }
    const QChar ch(c);
    if (ch.decompositionTag() == QChar::Canonical) {
        const QString parts = ch.decomposition();
        // The base letter, then the umlaut's dots if that is what the rest holds.
        for (const QChar part : parts)
            appendFolded(german, plain, part.toCaseFolded().unicode());
        return;
    }
    if (ch.isLetterOrNumber()) {
        german += ch;
        plain += ch;
    }
}

}  // namespace

QStringList nameKeys(const QString& text) {
    QString german, plain;
    german.reserve(text.size() + 4);
    plain.reserve(text.size());
    for (const QChar c : text)
        appendFolded(german, plain, c.toCaseFolded().unicode());
    if (plain.isEmpty())
        return {};
    if (german == plain)
        return {plain};
    return {german, plain};
}

QString emailKey(const QString& text) {
    QString address = text.trimmed();
    if (address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
        address.remove(0, 7);
    if (!address.contains(u'@'))
        return {};
    return address.toCaseFolded();
}

QString phoneKey(const QString& text) {
    QString digits;
    for (const QChar c : text)
        if (c >= u'0' && c <= u'9')
            digits += c;
    if (digits.size() < kFewestPhoneDigits)
        return {};
    return digits.right(kPhoneDigits);
}

}  // namespace duplicates

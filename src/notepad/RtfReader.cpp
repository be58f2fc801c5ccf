#include "notepad/RtfReader.h"

#include <QHash>
#include <algorithm>
#include <limits>
#include <string_view>
#include <vector>

#include "notepad/CodePage.h"

namespace {

// Groups nested deeper than this share the state of the deepest one kept, so a file of
// nothing but opening braces costs no memory per brace.
constexpr int kMaxDepth = 4096;
constexpr int kDefaultHalfPoints = 24;

enum class Destination { Text, Skip, FontTable, ColorTable };

struct GroupState {
    Destination destination = Destination::Text;
    int font = -1;
    int halfPoints = kDefaultHalfPoints;
    int color = 0;
    int unicodeSkip = 1;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool hidden = false;
    RichAlignment alignment = RichAlignment::Left;
};

struct FontEntry {
    QString face;
    std::optional<int> codePage;
};

// Destinations that hold no text of the document even without a \* mark.
bool isSkippedDestination(std::string_view word) {
    static constexpr std::string_view kSkipped[] = {"annotation",
                                                    "atnauthor",
                                                    "atnid",
                                                    "bkmkend",
                                                    "bkmkstart",
                                                    "blipuid",
                                                    "colorschememapping",
                                                    "datastore",
                                                    "docvar",
                                                    "falt",
                                                    "fldinst",
                                                    "filetbl",
                                                    "footer",
                                                    "footerf",
                                                    "footerl",
                                                    "footerr",
                                                    "footnote",
                                                    "generator",
                                                    "header",
                                                    "headerf",
                                                    "headerl",
                                                    "headerr",
                                                    "info",
                                                    "latentstyles",
                                                    "listoverridetable",
                                                    "listtable",
                                                    "mmathPr",
                                                    "nonshppict",
                                                    "object",
                                                    "objdata",
                                                    "panose",
                                                    "pgdsctbl",
                                                    "pict",
                                                    "private",
                                                    "revtbl",
                                                    "rsidtbl",
                                                    "rxe",
                                                    "stylesheet",
                                                    "tc",
                                                    "themedata",
                                                    "txe",
                                                    "userprops",
                                                    "xe",
                                                    "xmlnstbl"};
    return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

bool isUnderlineWord(std::string_view word) {
    return word.size() >= 2 && word.substr(0, 2) == "ul" && word != "ulnone" && word != "ulc";
}

class Reader {
public:
    explicit Reader(const QByteArray& data) : m_data(data) { m_groups.emplace_back(); }

    RichText run() {
        const qsizetype size = m_data.size();
        while (m_pos < size) {
            const char c = m_data[m_pos++];
            switch (c) {
                case '{':
                    flush();
                    openGroup();
                    break;
                case '}':
                    flush();
                    closeGroup();
                    break;
                case '\\':
                    controlSequence();
                    break;
                case '\r':
                case '\n':
                    break;
                default:
                    textByte(c);
                    break;
            }
        }
        flush();
        RichText text = m_out.take();
        // Writers end every paragraph with \par, so the last paragraph a file yields
        // after its final \par is no paragraph of its own.
        if (text.paragraphs.size() > 1 && text.paragraphs.back().runs.empty())
            text.paragraphs.pop_back();
        return text;
    }

private:
    GroupState& state() { return m_groups.back(); }

    void openGroup() {
        m_skipFallback = 0;
        if (static_cast<int>(m_groups.size()) >= kMaxDepth) {
            ++m_overflow;
            return;
        }
        m_groups.push_back(m_groups.back());
        m_destinationPending = true;
    }

    void closeGroup() {
        m_skipFallback = 0;
        m_destinationPending = false;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        // A stray closing brace at the outermost level is ignored.
        if (m_groups.size() <= 1)
            return;
        const Destination leaving = state().destination;
        m_groups.pop_back();
        // A font entry may end with its group instead of a semicolon.
        if (leaving == Destination::FontTable)
            endFontEntry();
    }

    // Reads what follows a backslash.
    void controlSequence() {
        const qsizetype size = m_data.size();
        if (m_pos >= size)
            return;
        const char c = m_data[m_pos];
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++m_pos;
        if (c == '\'') {
            hexByte();
            return;
        }
        flush();
        const bool pendingDestination = m_destinationPending;
        m_destinationPending = false;
        switch (c) {
            case '*':
                // An optional destination: we know none whose text belongs to the document.
                if (pendingDestination)
                    state().destination = Destination::Skip;
                break;
            case '\\':
            case '{':
            case '}':
                literal(QChar::fromLatin1(c));
                break;
            case '~':
                literal(QChar(0x00A0));
                break;
            case '_':
                literal(QChar(0x2011));
                break;
            case '\r':
            case '\n':
                paragraph();
                break;
            case '\t':
                literal(QChar('\t'));
                break;
            default:
                // \- (optional hyphen), \| and \: show nothing.
                consumeFallback();
                break;
        }
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    void controlWord() {
        const qsizetype size = m_data.size();
        const qsizetype start = m_pos;
        while (m_pos < size && isLetter(m_data[m_pos]))
            ++m_pos;
        const std::string_view word(m_data.constData() + start,
                                    static_cast<std::size_t>(m_pos - start));
        bool hasParam = false;
        bool negative = false;
        qint64 value = 0;
        if (m_pos < size && m_data[m_pos] == '-' && m_pos + 1 < size &&
            isDigit(m_data[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        int digits = 0;
        while (m_pos < size && isDigit(m_data[m_pos])) {
            // Digits beyond what an int holds are read but do not grow the value.
            if (digits < 10)
                value = value * 10 + (m_data[m_pos] - '0');
            ++digits;
            ++m_pos;
            hasParam = true;
        }
        if (m_pos < size && m_data[m_pos] == ' ')
            ++m_pos;
        value = std::clamp<qint64>(negative ? -value : value, std::numeric_limits<int>::min(),
                                   std::numeric_limits<int>::max());
        const int param = static_cast<int>(value);

        if (word == "bin") {
            // Binary data: skip the bytes, however many there are left.
            const qint64 skip = std::max<qint64>(0, hasParam ? param : 0);
            m_pos += static_cast<qsizetype>(std::min<qint64>(skip, size - m_pos));
            return;
        }
        flush();
        const bool pendingDestination = m_destinationPending;
        m_destinationPending = false;
        if (state().destination == Destination::Skip)
            return;
        if (pendingDestination && applyDestination(word))
            return;
        if (state().destination == Destination::FontTable) {
            fontTableWord(word, hasParam, param);
            return;
        }
        if (state().destination == Destination::ColorTable) {
            colorTableWord(word, param);
            return;
        }
        if (word == "u") {
            literal(QChar(static_cast<char16_t>(param < 0 ? param + 65536 : param)));
            m_skipFallback = state().unicodeSkip;
            return;
        }
        textWord(word, hasParam, param);
    }

    // A control word at the start of a group that names its destination.
    bool applyDestination(std::string_view word) {
        if (word == "fonttbl") {
            state().destination = Destination::FontTable;
            m_fontEntry = -1;
            return true;
        }
        if (word == "colortbl") {
            state().destination = Destination::ColorTable;
            return true;
        }
        if (isSkippedDestination(word)) {
            state().destination = Destination::Skip;
            return true;
        }
        return false;
    }

    void fontTableWord(std::string_view word, bool hasParam, int param) {
        if (word == "f" && hasParam) {
            endFontEntry();
            m_fontEntry = param;
            m_fonts.insert(param, FontEntry());
        } else if (word == "fcharset" && m_fontEntry >= 0) {
            if (const std::optional<int> cp = codepage::forCharset(param))
                m_fonts[m_fontEntry].codePage = cp;
        } else if (word == "cpg" && m_fontEntry >= 0 && param > 0) {
            m_fonts[m_fontEntry].codePage = param;
        }
    }

    void endFontEntry() {
        if (m_fontEntry >= 0 && !m_fontName.isEmpty()) {
            FontEntry& entry = m_fonts[m_fontEntry];
            if (entry.face.isEmpty()) {
                entry.face =
                    codepage::decode(m_fontName, entry.codePage.value_or(m_codePage)).trimmed();
            }
        }
        m_fontName.clear();
    }

    void colorTableWord(std::string_view word, int param) {
        const unsigned component = static_cast<unsigned>(std::clamp(param, 0, 255));
        if (word == "red") {
            m_color = (m_color & 0x00FFFFu) | (component << 16);
        } else if (word == "green") {
            m_color = (m_color & 0xFF00FFu) | (component << 8);
        } else if (word == "blue") {
            m_color = (m_color & 0xFFFF00u) | component;
        } else {
            return;
        }
        m_colorSet = true;
    }

    void textWord(std::string_view word, bool hasParam, int param) {
        GroupState& s = state();
        const bool on = !hasParam || param != 0;
        if (word == "b") {
            s.bold = on;
        } else if (word == "i") {
            s.italic = on;
        } else if (word == "ulnone") {
            s.underline = false;
        } else if (isUnderlineWord(word)) {
            s.underline = on;
        } else if (word == "v") {
            s.hidden = on;
        } else if (word == "f") {
            s.font = param;
        } else if (word == "fs") {
            s.halfPoints = param > 0 ? std::min(param, 3276) : kDefaultHalfPoints;
        } else if (word == "cf") {
            s.color = std::max(param, 0);
        } else if (word == "plain") {
            s.font = m_defaultFont;
            s.halfPoints = kDefaultHalfPoints;
            s.color = 0;
            s.bold = s.italic = s.underline = s.hidden = false;
        } else if (word == "pard") {
            s.alignment = RichAlignment::Left;
        } else if (word == "ql") {
            s.alignment = RichAlignment::Left;
        } else if (word == "qc") {
            s.alignment = RichAlignment::Center;
        } else if (word == "qr") {
            s.alignment = RichAlignment::Right;
        } else if (word == "qj") {
            s.alignment = RichAlignment::Justify;
        } else if (word == "uc") {
            s.unicodeSkip = std::clamp(param, 0, 16);
        } else if (word == "par" || word == "sect" || word == "page" || word == "row") {
            paragraph();
        } else if (word == "line") {
            literal(QChar(QChar::LineSeparator));
        } else if (word == "tab" || word == "cell" || word == "nestcell") {
            literal(QChar('\t'));
        } else if (word == "emdash") {
            literal(QChar(0x2014));
        } else if (word == "endash") {
            literal(QChar(0x2013));
        } else if (word == "emspace") {
            literal(QChar(0x2003));
        } else if (word == "enspace") {
            literal(QChar(0x2002));
        } else if (word == "qmspace") {
            literal(QChar(0x2005));
        } else if (word == "bullet") {
            literal(QChar(0x2022));
        } else if (word == "lquote") {
            literal(QChar(0x2018));
        } else if (word == "rquote") {
            literal(QChar(0x2019));
        } else if (word == "ldblquote") {
            literal(QChar(0x201C));
        } else if (word == "rdblquote") {
            literal(QChar(0x201D));
        } else if (word == "ansicpg" && param > 0) {
            m_codePage = param;
        } else if (word == "ansi") {
            m_codePage = codepage::kWestern;
        } else if (word == "mac") {
            m_codePage = 10000;
        } else if (word == "pc") {
            m_codePage = 437;
        } else if (word == "pca") {
            m_codePage = 850;
        } else if (word == "deff") {
            m_defaultFont = param;
            if (m_groups.size() <= 2 && s.font < 0)
                s.font = param;
        } else {
            // An unknown word ends an \uN fallback, as any control word does.
            m_skipFallback = 0;
        }
    }

    static int hexValue(char c) {
        if (isDigit(c))
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    void hexByte() {
        const qsizetype size = m_data.size();
        int byte = 0;
        int digits = 0;
        while (digits < 2 && m_pos < size) {
            const int d = hexValue(m_data[m_pos]);
            if (d < 0)
                break;
            byte = byte * 16 + d;
            ++digits;
            ++m_pos;
        }
        m_destinationPending = false;
        if (digits == 0)
            return;
        textByte(static_cast<char>(byte));
    }

    void textByte(char byte) {
        m_destinationPending = false;
        if (m_skipFallback > 0) {
            --m_skipFallback;
            return;
        }
        const GroupState& s = state();
        switch (s.destination) {
            case Destination::Skip:
                return;
            case Destination::FontTable:
                if (byte == ';') {
                    endFontEntry();
                } else {
                    m_fontName += byte;
                }
                return;
            case Destination::ColorTable:
                if (byte == ';') {
                    m_colors.push_back(m_colorSet ? std::optional<unsigned>(m_color)
                                                  : std::nullopt);
                    m_color = 0;
                    m_colorSet = false;
                }
                return;
            case Destination::Text:
                break;
        }
        if (s.hidden)
            return;
        if (byte == '\t') {
            flush();
            literal(QChar('\t'));
            return;
        }
        if (static_cast<unsigned char>(byte) < 0x20)
            return;
        m_pending += byte;
    }

    // The code page in which the current font's bytes are written.
    int currentCodePage() {
        const int font = state().font;
        if (font >= 0) {
            const auto it = m_fonts.constFind(font);
            if (it != m_fonts.constEnd() && it->codePage)
                return *it->codePage;
        }
        return m_codePage;
    }

    RichCharFormat currentFormat() {
        const GroupState& s = state();
        RichCharFormat f;
        if (s.font >= 0) {
            const auto it = m_fonts.constFind(s.font);
            if (it != m_fonts.constEnd())
                f.face = it->face;
        }
        f.halfPoints = s.halfPoints;
        f.bold = s.bold;
        f.italic = s.italic;
        f.underline = s.underline;
        if (s.color > 0 && s.color < static_cast<int>(m_colors.size()))
            f.color = m_colors[static_cast<std::size_t>(s.color)];
        return f;
    }

    void insert(const QString& text) {
        m_out.setFormat(currentFormat());
        m_out.setAlignment(state().alignment);
        m_out.insertText(text);
    }

    void flush() {
        if (m_pending.isEmpty())
            return;
        insert(codepage::decode(m_pending, currentCodePage()));
        m_pending.clear();
    }

    void literal(QChar c) {
        m_destinationPending = false;
        if (consumeFallback())
            return;
        const GroupState& s = state();
        if (s.destination != Destination::Text || s.hidden)
            return;
        flush();
        insert(QString(c));
    }

    // True when the character is part of an \uN fallback and so not shown.
    bool consumeFallback() {
        if (m_skipFallback <= 0)
            return false;
        --m_skipFallback;
        return true;
    }

    void paragraph() {
        m_skipFallback = 0;
        const GroupState& s = state();
        if (s.destination != Destination::Text)
            return;
        m_out.setAlignment(s.alignment);
        m_out.endParagraph();
    }

    const QByteArray& m_data;
    qsizetype m_pos = 0;
    std::vector<GroupState> m_groups;
    int m_overflow = 0;
    bool m_destinationPending = false;
    int m_skipFallback = 0;
    int m_codePage = codepage::kWestern;
    int m_defaultFont = -1;
    QHash<int, FontEntry> m_fonts;
    int m_fontEntry = -1;
    QByteArray m_fontName;
    std::vector<std::optional<unsigned>> m_colors;
    unsigned m_color = 0;
    bool m_colorSet = false;
    QByteArray m_pending;
    RichTextBuilder m_out;
};

}  // namespace

bool IsRtf(const QByteArray& data) {
    // Some editors put a UTF-8 byte order mark before the header.
    qsizetype i = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < data.size() &&
           (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return data.mid(i, 5) == "{\\rtf";
}

RichText ReadRtf(const QByteArray& data) {
    if (data.startsWith("\xEF\xBB\xBF"))
        return Reader(data.mid(3)).run();
    return Reader(data).run();
}

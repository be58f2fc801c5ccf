#pragma once

#include <QString>
#include <optional>
#include <vector>

// Window-free rich text: what the notepad shows, what the RTF reader produces and the
// writer stores. Unset members mean "the document's default".
struct RichCharFormat {
    QString face;
    int halfPoints = 0;  // font size in half points; 0: default
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::optional<unsigned> color;  // 0xRRGGBB; none: the automatic colour

    bool operator==(const RichCharFormat&) const = default;
};

enum class RichAlignment { Left, Center, Right, Justify };

struct RichRun {
    QString text;  // no paragraph breaks; a line break inside a paragraph is U+2028
    RichCharFormat format;

    bool operator==(const RichRun&) const = default;
};

struct RichParagraph {
    RichAlignment alignment = RichAlignment::Left;
    std::vector<RichRun> runs;

    QString text() const;
    bool operator==(const RichParagraph&) const = default;
};

struct RichText {
    std::vector<RichParagraph> paragraphs;

    // The plain text, paragraphs separated by '\n'.
    QString plainText() const;
    bool isEmpty() const;
};

// Builds rich text the way text is typed into an editor: a current format and alignment,
// and text inserted at the end, where "\r\n", "\n" and "\r" start a new paragraph.
class RichTextBuilder {
public:
    RichTextBuilder();

    void setFormat(const RichCharFormat& format) { m_format = format; }
    const RichCharFormat& format() const { return m_format; }
    void setAlignment(RichAlignment alignment);
    // Appends text in the current format; adjacent text of one format joins one run.
    void insertText(const QString& text);
    void endParagraph();
    // True until the first text or paragraph break arrives.
    bool isEmpty() const { return m_empty; }

    const RichText& text() const { return m_text; }
    RichText take();

private:
    void appendToRun(const QString& text);

    RichText m_text;
    RichCharFormat m_format;
    bool m_empty = true;
};

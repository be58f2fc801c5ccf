#include "notepad/RichTextDocument.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

namespace {

Qt::Alignment toQt(RichAlignment alignment) {
    switch (alignment) {
        case RichAlignment::Center:
            return Qt::AlignHCenter;
        case RichAlignment::Right:
            return Qt::AlignRight;
        case RichAlignment::Justify:
            return Qt::AlignJustify;
        case RichAlignment::Left:
            break;
    }
    return Qt::AlignLeft;
}

RichAlignment fromQt(Qt::Alignment alignment) {
    if (alignment & Qt::AlignHCenter)
        return RichAlignment::Center;
    if (alignment & (Qt::AlignRight | Qt::AlignTrailing))
        return RichAlignment::Right;
    if (alignment & Qt::AlignJustify)
        return RichAlignment::Justify;
    return RichAlignment::Left;
}

void setAlignment(QTextCursor& cursor, RichAlignment alignment) {
    QTextBlockFormat block = cursor.blockFormat();
    block.setAlignment(toQt(alignment));
    cursor.setBlockFormat(block);
}

RichCharFormat fromQt(const QTextCharFormat& format, const QFont& defaultFont) {
    const QFont font = format.font().resolve(defaultFont);
    RichCharFormat f;
    f.face = font.family();
    if (font.pointSizeF() > 0)
        f.halfPoints = static_cast<int>(std::lround(font.pointSizeF() * 2));
    f.bold = font.weight() > QFont::Medium;
    f.italic = font.italic();
    f.underline = font.underline();
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        f.color = format.foreground().color().rgb() & 0xFFFFFFu;
    return f;
}

}  // namespace

QTextCharFormat toTextCharFormat(const RichCharFormat& format) {
    QTextCharFormat f;
    if (!format.face.isEmpty())
        f.setFontFamilies({format.face});
    if (format.halfPoints > 0)
        f.setFontPointSize(format.halfPoints / 2.0);
    f.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(format.italic);
    f.setFontUnderline(format.underline);
    if (format.color)
        f.setForeground(QColor::fromRgb(*format.color | 0xFF000000u));
    return f;
}

void insertRichText(QTextCursor& cursor, const RichText& text) {
    cursor.beginEditBlock();
    bool first = true;
    for (const RichParagraph& paragraph : text.paragraphs) {
        if (!first)
            cursor.insertBlock();
        first = false;
        setAlignment(cursor, paragraph.alignment);
        for (const RichRun& run : paragraph.runs)
            cursor.insertText(run.text, toTextCharFormat(run.format));
    }
    cursor.endEditBlock();
}

RichText richTextOf(const QTextDocument& document) {
    RichText text;
    const QFont defaultFont = document.defaultFont();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        RichParagraph paragraph;
        paragraph.alignment = fromQt(block.blockFormat().alignment());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            QString piece = fragment.text();
            piece.remove(QChar::ObjectReplacementCharacter);
            if (piece.isEmpty())
                continue;
            RichRun run{piece, fromQt(fragment.charFormat(), defaultFont)};
            if (!paragraph.runs.empty() && paragraph.runs.back().format == run.format) {
                paragraph.runs.back().text += run.text;
            } else {
                paragraph.runs.push_back(std::move(run));
            }
        }
        text.paragraphs.push_back(std::move(paragraph));
    }
    return text;
}

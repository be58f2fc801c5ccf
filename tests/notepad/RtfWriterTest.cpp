#include <gtest/gtest.h>

#include "notepad/RtfReader.h"
#include "notepad/RtfWriter.h"

namespace {

RichCharFormat fmt(const char* face, int halfPoints, bool b = false, bool i = false, bool u = false,
                   std::optional<unsigned> color = std::nullopt) {
    RichCharFormat f;
    f.face = QString::fromUtf8(face);
    f.halfPoints = halfPoints;
    f.bold = b;
    f.italic = i;
    f.underline = u;
    f.color = color;
    return f;
}

}  // namespace

TEST(RtfWriter, OurFilesReadBackWithTextAndFormats) {
    RichText text;
    text.paragraphs.push_back(
        {RichAlignment::Left,
         {{QStringLiteral("Plain "), fmt("Arial", 18)},
          {QStringLiteral("bold"), fmt("Arial", 18, true)},
          {QStringLiteral(" all three"), fmt("Times New Roman", 24, true, true, true)}}});
    text.paragraphs.push_back({RichAlignment::Center,
                               {{QString::fromUtf8("Ünïcödé € Привет 你好 \xF0\x9F\x98\x81"),
                                 fmt("Courier New", 20, false, false, false, 0x641E1E)}}});
    text.paragraphs.push_back({RichAlignment::Right, {}});
    text.paragraphs.push_back({RichAlignment::Justify,
                               {{QStringLiteral("braces {x} back\\slash\ttab") +
                                     QChar(QChar::LineSeparator) + QStringLiteral("line"),
                                 fmt("Arial", 18, false, false, false, 0x0000FF)}}});
    text.paragraphs.push_back({RichAlignment::Left, {}});

    const RichText back = ReadRtf(WriteRtf(text));
    ASSERT_EQ(back.paragraphs.size(), text.paragraphs.size());
    for (std::size_t i = 0; i < text.paragraphs.size(); ++i)
        EXPECT_EQ(back.paragraphs[i], text.paragraphs[i]) << "paragraph " << i;
}

TEST(RtfWriter, WritesTablesAndFallbacksOtherReadersUnderstand) {
    RichText text;
    text.paragraphs.push_back(
        {RichAlignment::Left,
         {{QString::fromUtf8("é你"), fmt("Arial", 18, false, false, false, 0x641E1E)}}});
    const QByteArray rtf = WriteRtf(text);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}"));
    EXPECT_TRUE(rtf.contains("{\\colortbl ;\\red100\\green30\\blue30;}"));
    // A reader without \u support sees the Windows-1252 byte, or "?" where there is none.
    EXPECT_TRUE(rtf.contains("\\u233\\'e9\\u20320?"));
    EXPECT_TRUE(rtf.trimmed().endsWith("\\par\r\n}"));
}

TEST(RtfWriter, AnEmptyDocumentStaysOneEmptyParagraph) {
    RichText empty;
    empty.paragraphs.emplace_back();
    const RichText back = ReadRtf(WriteRtf(empty));
    ASSERT_EQ(back.paragraphs.size(), 1u);
    EXPECT_TRUE(back.isEmpty());
}

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>

#include "notepad/RtfReader.h"

namespace {

QByteArray sample(const char* name) {
    QFile file(QStringLiteral(TARVEX_TEST_DIR "/samples/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

RichText read(const char* rtf) {
    return ReadRtf(QByteArray(rtf));
}

// The run of a paragraph that contains the text.
const RichRun* runWith(const RichParagraph& paragraph, const QString& text) {
    for (const RichRun& run : paragraph.runs) {
        if (run.text.contains(text))
            return &run;
    }
    return nullptr;
}

}  // namespace

TEST(RtfReader, ReadsAWordPadFileWithItsFormats) {
    const RichText text = ReadRtf(sample("wordpad.rtf"));
    ASSERT_EQ(text.paragraphs.size(), 3u);
    EXPECT_EQ(text.paragraphs[0].text(), QStringLiteral("Plain bold italic under"));
    EXPECT_EQ(text.paragraphs[1].text(), QString::fromUtf8("Centré red"));
    EXPECT_EQ(text.paragraphs[2].text(), QStringLiteral("right green"));

    const RichParagraph& first = text.paragraphs[0];
    EXPECT_EQ(first.alignment, RichAlignment::Left);
    const RichRun* plain = runWith(first, QStringLiteral("Plain"));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->format.face, QStringLiteral("Calibri"));
    EXPECT_EQ(plain->format.halfPoints, 22);
    EXPECT_FALSE(plain->format.bold);
    EXPECT_TRUE(runWith(first, QStringLiteral("bold"))->format.bold);
    EXPECT_TRUE(runWith(first, QStringLiteral("italic"))->format.italic);
    EXPECT_FALSE(runWith(first, QStringLiteral("italic"))->format.bold);
    EXPECT_TRUE(runWith(first, QStringLiteral("under"))->format.underline);

    const RichRun* red =
        text.paragraphs[1].runs.front().text.isEmpty() ? nullptr : &text.paragraphs[1].runs.front();
    ASSERT_TRUE(red);
    EXPECT_EQ(text.paragraphs[1].alignment, RichAlignment::Center);
    EXPECT_EQ(red->format.face, QStringLiteral("Arial"));
    EXPECT_EQ(red->format.halfPoints, 28);
    EXPECT_EQ(red->format.color, 0xFF0000u);
    EXPECT_EQ(text.paragraphs[2].alignment, RichAlignment::Right);
    EXPECT_EQ(text.paragraphs[2].runs.front().format.color, 0x008000u);
}

TEST(RtfReader, ReadsCodePagesUnicodeFieldsAndSkipsWhatIsNoText) {
    const RichText text = ReadRtf(sample("word.rtf"));
    ASSERT_EQ(text.paragraphs.size(), 4u);
    // cp1251 through \fcharset204, cp1252 through \fcharset0, \u with one and two fallback
    // bytes, GBK through \fcharset134 and a surrogate pair.
    EXPECT_EQ(text.paragraphs[0].text(), QString::fromUtf8("Привет café € 你你 \xF0\x9F\x98\x81"));
    EXPECT_EQ(runWith(text.paragraphs[0], QStringLiteral("caf"))->format.face,
              QStringLiteral("Arial"));
    EXPECT_EQ(text.paragraphs[0].runs.front().format.face, QStringLiteral("Times New Roman"));
    // The field shows its result, not its instruction.
    EXPECT_EQ(text.paragraphs[1].text(), QStringLiteral("link text after field"));
    EXPECT_TRUE(runWith(text.paragraphs[1], QStringLiteral("link"))->format.underline);
    // The picture and its binary data are skipped.
    EXPECT_EQ(text.paragraphs[2].text(), QStringLiteral("pic gone"));
    // An unknown \* destination is dropped, an unknown group without \* keeps its text.
    EXPECT_EQ(text.paragraphs[3].text(), QString::fromUtf8("kept words—\tend") +
                                             QChar(QChar::LineSeparator) + QStringLiteral("next"));
    EXPECT_FALSE(text.plainText().contains(QStringLiteral("Sample title")));
    EXPECT_FALSE(text.plainText().contains(QStringLiteral("Normal")));
    EXPECT_FALSE(text.plainText().contains(QStringLiteral("HYPERLINK")));
}

TEST(RtfReader, GroupsRestoreTheFormatOfTheirParent) {
    const RichText text = ReadRtf(sample("nested.rtf"));
    ASSERT_EQ(text.paragraphs.size(), 3u);
    const RichParagraph& p = text.paragraphs[0];
    EXPECT_EQ(p.text(), QStringLiteral("plain bold bold italic courier bold again plain"));
    EXPECT_EQ(p.runs.front().format.face, QStringLiteral("Helvetica"));
    EXPECT_EQ(p.runs.front().format.halfPoints, 20);
    const RichRun* courier = runWith(p, QStringLiteral("courier"));
    ASSERT_TRUE(courier);
    EXPECT_EQ(courier->format.face, QStringLiteral("Courier"));
    EXPECT_EQ(courier->format.halfPoints, 30);
    EXPECT_TRUE(courier->format.bold && courier->format.italic);
    const RichRun* again = runWith(p, QStringLiteral("bold again"));
    EXPECT_TRUE(again->format.bold);
    EXPECT_FALSE(again->format.italic);
    EXPECT_EQ(again->format.halfPoints, 20);
    EXPECT_FALSE(p.runs.back().format.bold);
    // The alignment in force at \par is the paragraph's; the inner group's ends before.
    EXPECT_EQ(text.paragraphs[1].alignment, RichAlignment::Center);
    EXPECT_EQ(text.paragraphs[2].text(), QStringLiteral("tail"));
}

TEST(RtfReader, RecognisesRtfByItsHeader) {
    EXPECT_TRUE(IsRtf("{\\rtf1 x}"));
    EXPECT_TRUE(IsRtf("\r\n  {\\rtf1\\ansi x}"));
    EXPECT_FALSE(IsRtf("plain text"));
    EXPECT_FALSE(IsRtf(""));
    EXPECT_FALSE(IsRtf("{\\rt"));
    EXPECT_TRUE(IsRtf("\xEF\xBB\xBF{\\rtf1 x}"));
    EXPECT_EQ(ReadRtf("\xEF\xBB\xBF{\\rtf1 x}").plainText(), QStringLiteral("x"));
}

TEST(RtfReader, DamagedInputGivesWhatCouldBeRead) {
    EXPECT_EQ(read("{\\rtf1 abc}}}} def}").plainText(), QStringLiteral("abc def"));
    EXPECT_EQ(read("{\\rtf1 {\\b {{ unclosed").plainText(), QStringLiteral(" unclosed"));
    EXPECT_EQ(read("{\\rtf1 ok\\bin999999 xx}").plainText(), QStringLiteral("ok"));
    EXPECT_EQ(read("{\\rtf1 ok\\bin-5 xx}").plainText(), QStringLiteral("okxx"));
    EXPECT_EQ(read("{\\rtf1 cut\\'4").plainText(), QStringLiteral("cut"));
    EXPECT_EQ(read("{\\rtf1 end\\").plainText(), QStringLiteral("end"));
    EXPECT_EQ(read("{\\rtf1 \\fs99999999999999999 big\\u99999999999 x}").plainText().left(3),
              QStringLiteral("big"));
    EXPECT_TRUE(read("").isEmpty());
}

TEST(RtfReader, DeepNestingAndHugeFilesReadInLinearTime) {
    QElapsedTimer timer;
    timer.start();
    QByteArray deep = "{\\rtf1 ";
    deep += QByteArray(100000, '{') + "\\b deep" + QByteArray(100000, '}') + " after}";
    const RichText nested = ReadRtf(deep);
    EXPECT_EQ(nested.plainText(), QStringLiteral("deep after"));

    // Only opening braces, nothing closes them.
    EXPECT_TRUE(ReadRtf("{\\rtf1 " + QByteArray(1000000, '{')).isEmpty());

    QByteArray line = "Some text with \\'e9 accents \\u8364? here. ";
    QByteArray huge = "{\\rtf1\\ansi ";
    huge.reserve(50 * 1024 * 1024 + 1024);
    int lines = 0;
    while (huge.size() < 50 * 1024 * 1024) {
        huge += line;
        if (++lines % 20 == 0)
            huge += "\\b bold\\b0\\par\n";
    }
    huge += "}";
    const RichText big = ReadRtf(huge);
    EXPECT_EQ(big.paragraphs.size(), static_cast<std::size_t>((lines + 19) / 20));
    EXPECT_TRUE(big.paragraphs.front().text().startsWith(
        QString::fromUtf8("Some text with é accents € here. Some")));
    EXPECT_TRUE(big.paragraphs.front().runs.back().format.bold);
    EXPECT_LT(timer.elapsed(), 60000);
}

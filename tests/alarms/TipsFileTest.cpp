#include <QFile>

#include "TempWorkDir.h"
#include "alarms/TipsFile.h"

namespace {

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

}  // namespace

class TipsFileTest : public TempWorkDirTest {};

TEST_F(TipsFileTest, SkipsCommentsAndSpacingAndWrapsAround) {
    writeFile(path("tips.txt"),
              "; comment\nFirst tip\n\n second is indented\n\tthird tabbed\n"
              "Second tip\r\n;last comment\n");
    CTipsFile tips;
    ASSERT_TRUE(tips.open(path("tips.txt")));
    ASSERT_TRUE(tips.seek(0));
    EXPECT_EQ(tips.nextTip(), QStringLiteral("First tip\n"));
    EXPECT_EQ(tips.nextTip(), QStringLiteral("Second tip\n"));
    // After the last tip the first comes again.
    EXPECT_EQ(tips.nextTip(), QStringLiteral("First tip\n"));
}

TEST_F(TipsFileTest, ContinuesFromAStoredPosition) {
    writeFile(path("tips.txt"), "one\ntwo\nthree\nfour\n");
    qint64 position = 0;
    {
        CTipsFile tips;
        ASSERT_TRUE(tips.open(path("tips.txt")));
        ASSERT_TRUE(tips.seek(position));
        EXPECT_EQ(tips.nextTip(), QStringLiteral("one\n"));
        EXPECT_EQ(tips.nextTip(), QStringLiteral("two\n"));
        EXPECT_EQ(tips.nextTip(), QStringLiteral("three\n"));
        position = tips.position();
    }
    CTipsFile again;
    ASSERT_TRUE(again.open(path("tips.txt")));
    ASSERT_TRUE(again.seek(position));
    EXPECT_EQ(again.nextTip(), QStringLiteral("four\n"));
}

TEST_F(TipsFileTest, LongLinesAreReadIn999CharacterPieces) {
    const QByteArray line = QByteArray(999, 'a') + QByteArray(500, 'b') + '\n';
    writeFile(path("tips.txt"), line);
    CTipsFile tips;
    ASSERT_TRUE(tips.open(path("tips.txt")));
    ASSERT_TRUE(tips.seek(0));
    EXPECT_EQ(tips.nextTip(), QString(999, u'a'));
    EXPECT_EQ(tips.nextTip(), QString(500, u'b') + u'\n');
}

TEST_F(TipsFileTest, AFileWithoutATipGivesAnEmptyTipAfterOnePass) {
    writeFile(path("tips.txt"), "; only comments\n\n  and spacing\n");
    CTipsFile tips;
    ASSERT_TRUE(tips.open(path("tips.txt")));
    ASSERT_TRUE(tips.seek(16));
    EXPECT_EQ(tips.nextTip(), QString());
    writeFile(path("empty.txt"), "");
    ASSERT_TRUE(tips.open(path("empty.txt")));
    EXPECT_EQ(tips.nextTip(), QString());
}

TEST_F(TipsFileTest, MissingFileAndBadPosition) {
    CTipsFile tips;
    EXPECT_FALSE(tips.open(path("none.txt")));
    writeFile(path("tips.txt"), "tip\n");
    ASSERT_TRUE(tips.open(path("tips.txt")));
    EXPECT_FALSE(tips.seek(-4));
}

TEST(CtimeText, PadsTheDayWithABlank) {
    EXPECT_EQ(ctimeText(QDateTime(QDate(1999, 12, 6), QTime(18, 12, 29))),
              QStringLiteral("Mon Dec  6 18:12:29 1999"));
    EXPECT_EQ(ctimeText(QDateTime(QDate(2026, 2, 14), QTime(7, 5, 0))),
              QStringLiteral("Sat Feb 14 07:05:00 2026"));
}

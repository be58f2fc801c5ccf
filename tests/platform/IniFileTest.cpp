#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "TempWorkDir.h"
#include "platform/IniFile.h"

namespace {

class IniFileTest : public TempWorkDirTest {
protected:
    QString file() const { return path(QStringLiteral("Tarvex.ini")); }

    void writeRaw(const QByteArray& bytes) const {
        QFile out(file());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    QByteArray readRaw() const {
        QFile in(file());
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    IniFile ini(file());
    EXPECT_EQ(ini.readString("alarm", "wavfile", "alarm.wav"), "alarm.wav");
    EXPECT_EQ(ini.readInt("formview", "newdata", 3), 3);
    writeRaw("[alarm]\nwavfile=bell.wav\n");
    EXPECT_EQ(ini.readString("form", "wavfile", "none"), "none");
    EXPECT_EQ(ini.readString("alarm", "volume", "none"), "none");
    EXPECT_FALSE(QFile::exists(path("Tarvex.ini.tmp")));
}

TEST_F(IniFileTest, SectionsAndKeysAreFoundInAnyLetterCase) {
    writeRaw("[Alarm]\nWavFile = Bell.wav \n[LISTVIEW]\nstoreColumns=1\n");
    IniFile ini(file());
    EXPECT_EQ(ini.readString("alarm", "wavfile"), "Bell.wav");
    EXPECT_EQ(ini.readString("ALARM", "WAVFILE"), "Bell.wav");
    EXPECT_EQ(ini.readInt("listview", "storecolumns", 0), 1);
}

TEST_F(IniFileTest, ReadIntTakesTheLeadingDecimalNumber) {
    writeRaw(
        "[n]\nplain=42\ntrailing=12abc\nword=abc\nnegative=-32000\nspaced=  7  \nempty=\n"
        "huge=99999999999\n");
    IniFile ini(file());
    EXPECT_EQ(ini.readInt("n", "plain", 5), 42);
    EXPECT_EQ(ini.readInt("n", "trailing", 5), 12);
    EXPECT_EQ(ini.readInt("n", "word", 5), 0);
    EXPECT_EQ(ini.readInt("n", "negative", 5), -32000);
    EXPECT_EQ(ini.readInt("n", "spaced", 5), 7);
    EXPECT_EQ(ini.readInt("n", "empty", 5), 5);
    EXPECT_EQ(ini.readInt("n", "huge", 5), 2147483647);
}

TEST_F(IniFileTest, ReadStringIsCutAtMaxCharsAndLosesEnclosingQuotes) {
    writeRaw("[s]\nlong=abcdefghij\nquoted=\" padded \"\nhalf=\"open\n");
    IniFile ini(file());
    EXPECT_EQ(ini.readString("s", "long", {}, 4), "abcd");
    EXPECT_EQ(ini.readString("s", "quoted"), " padded ");
    EXPECT_EQ(ini.readString("s", "half"), "\"open");
}

TEST_F(IniFileTest, LinesThatAreNoEntriesAreIgnoredAndKeptOnWrite) {
    const QByteArray original =
        "; settings of Tarvex\n"
        "garbage line without equals\n"
        "[alarm]\n"
        "# a note\n"
        "wavfile=old.wav\n"
        "=no key\n"
        "\n"
        "[Unknown Section]\n"
        "whatever=1\n";
    writeRaw(original);
    IniFile ini(file());
    EXPECT_EQ(ini.readString("alarm", "# a note", "d"), "d");
    EXPECT_EQ(ini.readString("alarm", "", "d"), "d");
    ASSERT_TRUE(ini.writeString("alarm", "wavfile", "new.wav"));
    QByteArray expected = original;
    expected.replace("wavfile=old.wav", "wavfile=new.wav");
    EXPECT_EQ(readRaw(), expected);
}

TEST_F(IniFileTest, NewKeysAndSectionsLandWhereTheyBelong) {
    writeRaw("[alarm]\nwavfile=a.wav\n\n[form]\nautofirm=1\n");
    IniFile ini(file());
    ASSERT_TRUE(ini.writeInt("ALARM", "volume", 3));
    ASSERT_TRUE(ini.writeInt("formview", "newdata", 2));
    EXPECT_EQ(readRaw(),
              "[alarm]\nwavfile=a.wav\nvolume=3\n\n[form]\nautofirm=1\n\n[formview]\nnewdata=2\n");
}

TEST_F(IniFileTest, ExistingKeyKeepsItsSpellingAndOnlyTheFirstSectionChanges) {
    writeRaw("[Alarm]\nWavFile=a.wav\n[alarm]\nwavfile=b.wav\n");
    IniFile ini(file());
    ASSERT_TRUE(ini.writeString("alarm", "wavfile", "c.wav"));
    EXPECT_EQ(readRaw(), "[Alarm]\nWavFile=c.wav\n[alarm]\nwavfile=b.wav\n");
    EXPECT_EQ(ini.readString("alarm", "wavfile"), "c.wav");
}

TEST_F(IniFileTest, TwoObjectsOnOneFileSeeEachOthersWrites) {
    IniFile first(file());
    IniFile second(file());
    EXPECT_EQ(second.readInt("listview", "storecolumns", 0), 0);
    ASSERT_TRUE(first.writeInt("listview", "storecolumns", 1));
    EXPECT_EQ(second.readInt("listview", "storecolumns", 0), 1);
    ASSERT_TRUE(second.writeInt("listview", "storecolumns", 0));
    EXPECT_EQ(first.readInt("listview", "storecolumns", 1), 0);
}

TEST_F(IniFileTest, WritingLeavesNoTemporaryFilesBehind) {
    IniFile ini(file());
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(ini.writeInt("LV_person", QString("Pos%1").arg(i), i));
    EXPECT_EQ(QDir(dirPath()).entryList(QDir::Files | QDir::Hidden), QStringList{"Tarvex.ini"});
    EXPECT_EQ(ini.readInt("LV_person", "Pos19", -1), 19);
}

TEST_F(IniFileTest, ValuesThatWouldNotReadBackAreRefusedAndTheFileIsUntouched) {
    writeRaw("[alarm]\nwavfile=a.wav\n");
    IniFile ini(file());
    EXPECT_FALSE(ini.writeString("alarm", "wavfile", "x.wav\n[alarm]\nwavfile=evil.wav"));
    EXPECT_FALSE(ini.writeString("alarm", "wav=file", "x"));
    EXPECT_FALSE(ini.writeString("al]arm", "wavfile", "x"));
    EXPECT_FALSE(ini.writeString("alarm", "", "x"));
    EXPECT_FALSE(ini.writeStrings("alarm", {{"ok", "1"}, {"bad", "a\rb"}}));
    EXPECT_EQ(readRaw(), "[alarm]\nwavfile=a.wav\n");
}

TEST_F(IniFileTest, TextIsUtf8AndTheFileKeepsItsLineEndsAndMark) {
    writeRaw(
        "\xEF\xBB\xBF[alarm]\r\nwavfile=Gr\xC3\xBC\xC3\x9F"
        "e.wav\r\n");
    IniFile ini(file());
    EXPECT_EQ(ini.readString("alarm", "wavfile"), QString::fromUtf8("Grüße.wav"));
    ASSERT_TRUE(ini.writeString("alarm", "wavfile", QString::fromUtf8("Čaj.wav")));
    EXPECT_EQ(readRaw(),
              "\xEF\xBB\xBF[alarm]\r\nwavfile=\xC4\x8C"
              "aj.wav\r\n");
}

TEST_F(IniFileTest, WriteFailsWhenTheFolderDoesNotExist) {
    IniFile ini(path("missing/Tarvex.ini"));
    EXPECT_FALSE(ini.writeString("alarm", "wavfile", "a.wav"));
    EXPECT_EQ(ini.readString("alarm", "wavfile", "d"), "d");
}

}  // namespace

TEST_F(IniFileTest, ASectionNameWithBlanksAroundItIsOneSectionThatReadsBack) {
    // Window titles become section names; a name may end in a blank.
    IniFile ini(file());
    const QString section = QStringLiteral("WP_Zikinfo - Smith \v");
    ASSERT_TRUE(ini.writeString(section, "left", "10"));
    ASSERT_TRUE(ini.writeString(section, "left", "20"));
    EXPECT_EQ(ini.readString(section, "left"), "20");
    EXPECT_EQ(ini.readString("WP_Zikinfo - Smith", "left"), "20");
    EXPECT_EQ(readRaw(), "[WP_Zikinfo - Smith]\nleft=20\n");
}

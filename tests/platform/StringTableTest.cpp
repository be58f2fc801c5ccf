#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>

#include "TempWorkDir.h"
#include "platform/CommandIcon.h"
#include "platform/CommandIds.h"
#include "platform/ResourceLibrary.h"
#include "platform/StringTable.h"

namespace {

TEST(StringTable, BuiltInTextsAreThoseTheProgramShows) {
    EXPECT_EQ(loadString(113), "Tarvex");
    EXPECT_EQ(loadString(57344), "Tarvex");
    EXPECT_EQ(loadString(108), "Ti&p of the Day...");
    EXPECT_EQ(loadString(110), "Tips file does not exist\r\nin the prescribed directory");
    EXPECT_EQ(loadString(60020), "New  password set!");
    EXPECT_EQ(loadString(60015), "Do you want to save changed Zik info data of ");
    EXPECT_EQ(loadString(60023),
              "All pending alarms will be disabled while Tarvex is not running.\n\nAre you sure "
              "you want to exit?");
    EXPECT_EQ(loadString(60006),
              "Firm you used does not exist in the firm list. Use new firm option to add it.\r\n"
              "\r\nYou can press F4 in a firm name field to see list of used firm names.");
    EXPECT_TRUE(loadString(60024).startsWith("DAO not installed."));
    EXPECT_TRUE(loadString(60024).endsWith("check the DAO directory on the CD."));
}

TEST(StringTable, AlarmStatusWordsAndWindowTitles) {
    const QStringList status{loadString(60028), loadString(60029), loadString(60030),
                             loadString(60033), loadString(60032), loadString(60031)};
    EXPECT_EQ(status, (QStringList{"Done", "Pending", "Disabled", "Every day", "Every month",
                                   "Every year"}));
    EXPECT_EQ(loadString(60036), "Company profiles");
    EXPECT_EQ(loadString(60037), "Persons");
    EXPECT_EQ(loadString(60038), "Contacts");
    EXPECT_EQ(loadString(60039), "Alarms");
    EXPECT_EQ(loadString(60040), "Groups");
    EXPECT_EQ(loadString(60044), "Text zikinfo - ");
    EXPECT_EQ(loadString(121).section('\n', 1, 1), "Person");
    EXPECT_EQ(loadString(114).section('\n', 3, 3), "Tarvex Files (*.rtf)");
}

TEST(StringTable, UnknownIdGivesEmptyText) {
    EXPECT_TRUE(loadString(60004).isEmpty());
    EXPECT_TRUE(loadString(0).isEmpty());
}

class ResourceLibraryTest : public TempWorkDirTest {
protected:
    void TearDown() override {
        unloadResourceLibrary();
        TempWorkDirTest::TearDown();
    }

    static QString rccTool() {
        return QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + "/rcc";
    }

    // Builds resdll.rcc in the working directory from a strings file and one icon.
    void buildLibrary(const QByteArray& strings) {
        QDir(dirPath()).mkpath("lib/icons");
        writeFile("lib/strings.ini", strings);
        writeFile("lib/icons/save.svg",
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\">"
                  "<rect width=\"32\" height=\"32\" fill=\"red\"/></svg>");
        writeFile("lib/lib.qrc",
                  "<RCC><qresource prefix=\"/resdll\"><file>strings.ini</file>"
                  "<file>icons/save.svg</file></qresource></RCC>");
        QProcess rcc;
        rcc.start(rccTool(), {"-binary", path("lib/lib.qrc"), "-o", path("resdll.rcc")});
        ASSERT_TRUE(rcc.waitForFinished(30000));
        ASSERT_EQ(rcc.exitCode(), 0) << rcc.readAllStandardError().toStdString();
    }

    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

TEST_F(ResourceLibraryTest, MissingLibraryIsNoErrorAndTheBuiltInsStay) {
    EXPECT_FALSE(loadResourceLibrary(dirPath()));
    EXPECT_FALSE(resourceLibraryLoaded());
    EXPECT_EQ(loadString(113), "Tarvex");
    initBuiltInResources();
    EXPECT_EQ(imagePath("save"), ":/icons/save.svg");
    EXPECT_EQ(imagePath("splash"), ":/splash.svg");
    EXPECT_TRUE(imagePath("no-such-image").isEmpty());
}

TEST_F(ResourceLibraryTest, LibraryReplacesStringsAndImagesUntilUnloaded) {
    if (!QFile::exists(rccTool()))
        GTEST_SKIP() << "rcc is not installed";
    buildLibrary(
        "; translated texts\n"
        "113=Tarvex NL\r\n"
        "60003=Bewerking annuleren?\\n\\nZeker \\\\ echt?\n"
        "not a string\n"
        "abc=ignored\n"
        "60020= met spaties \n");
    initBuiltInResources();
    ASSERT_TRUE(loadResourceLibrary(dirPath()));
    EXPECT_TRUE(resourceLibraryLoaded());
    EXPECT_EQ(loadString(113), "Tarvex NL");
    EXPECT_EQ(loadString(60003), "Bewerking annuleren?\n\nZeker \\ echt?");
    EXPECT_EQ(loadString(60020), " met spaties ");
    EXPECT_EQ(loadString(60002), "WARNING!\n\nAre you sure you want to delete current record?");
    EXPECT_EQ(imagePath("save"), ":/resdll/icons/save.svg");
    EXPECT_EQ(imagePath("print"), ":/icons/print.svg");
    const QImage saved = commandIcon(cmd::SaveRecord).pixmap(16, 16).toImage();
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.pixelColor(8, 8), QColor(Qt::red));

    unloadResourceLibrary();
    EXPECT_EQ(loadString(113), "Tarvex");
    EXPECT_EQ(imagePath("save"), ":/icons/save.svg");
}

}  // namespace

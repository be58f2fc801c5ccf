#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "TempWorkDir.h"
#include "app/AppPaths.h"
#include "app/Registry.h"
#include "app/Settings.h"
#include "app/WindowPlacement.h"

namespace {

class SettingsTest : public TempWorkDirTest {
protected:
    void SetUp() override {
        TempWorkDirTest::SetUp();
        initAppPaths();
    }

    void writeIni(const QByteArray& bytes) const {
        QFile file(path("Tarvex.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray readIni() const {
        QFile file(path("Tarvex.ini"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static CSettings loaded() {
        CSettings object;
        object.Load();
        return object;
    }
};

TEST_F(SettingsTest, MissingFileGivesTheDefaultsAndIsNotCreatedByLoading) {
    const CSettings object = loaded();
    EXPECT_EQ(object.soundFile, "alarm.wav");
    EXPECT_FALSE(object.rememberColumns);
    EXPECT_TRUE(object.fillFirmAutomatically);
    EXPECT_EQ(object.unknownNameAction, 3);
    EXPECT_FALSE(QFile::exists(path("Tarvex.ini")));
}

TEST_F(SettingsTest, SaveWritesEveryKeyAndLoadReadsThemBack) {
    CSettings object;
    object.soundFile = "/home/me/sounds/gong.wav";
    object.rememberColumns = true;
    object.fillFirmAutomatically = false;
    object.unknownNameAction = 2;
    object.backupOnExit = false;
    ASSERT_TRUE(object.Save());
    EXPECT_EQ(readIni(),
              "[alarm]\nwavfile=/home/me/sounds/gong.wav\n\n[listview]\nstorecolumns=1\n\n"
              "[form]\nautofirm=0\n\n[formview]\nnewdata=2\n\n[backup]\nonexit=0\n");
    const CSettings again = loaded();
    EXPECT_EQ(again.soundFile, object.soundFile);
    EXPECT_TRUE(again.rememberColumns);
    EXPECT_FALSE(again.fillFirmAutomatically);
    EXPECT_EQ(again.unknownNameAction, 2);
    EXPECT_FALSE(again.backupOnExit);
    // A file without the key backs up at exit.
    writeIni("[form]\nautofirm=1\n");
    EXPECT_TRUE(loaded().backupOnExit);
}

TEST_F(SettingsTest, BooleansAreTrueOnlyForOne) {
    writeIni("[listview]\nstorecolumns=2\n[form]\nautofirm=2\n");
    CSettings object = loaded();
    EXPECT_FALSE(object.rememberColumns);
    EXPECT_FALSE(object.fillFirmAutomatically);
    writeIni("[LISTVIEW]\nStoreColumns=1\n[form]\nautofirm=yes\n");
    object = loaded();
    EXPECT_TRUE(object.rememberColumns);
    EXPECT_FALSE(object.fillFirmAutomatically);
}

TEST_F(SettingsTest, UnknownNameActionOutsideTheRangeIsKeptButActsAsDoNothing) {
    writeIni("[formview]\nnewdata=7\n");
    CSettings object = loaded();
    EXPECT_EQ(object.unknownNameAction, 7);
    EXPECT_EQ(object.unknownNameChoice(), 3);
    object.unknownNameAction = object.unknownNameChoice();
    ASSERT_TRUE(object.Save());
    EXPECT_EQ(loaded().unknownNameAction, 3);
    writeIni("[formview]\nnewdata=1\n");
    EXPECT_EQ(loaded().unknownNameChoice(), 1);
}

TEST_F(SettingsTest, SoundFileIsReadWithRoomFor2047Characters) {
    const QString longName = QString(3000, 'x');
    writeIni("[alarm]\nwavfile=" + longName.toUtf8() + "\n");
    EXPECT_EQ(loaded().soundFile, longName.left(2047));
}

TEST_F(SettingsTest, StartingFromAnotherDirectoryUsesThatDirectorysFile) {
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    ASSERT_TRUE(QDir::setCurrent(other.path()));
    initAppPaths();
    EXPECT_EQ(workingDirectory(), QDir(other.path()).absolutePath() + "/");
    EXPECT_EQ(settingsFilePath(), workingDirectory() + "Tarvex.ini");
    CSettings object;
    object.unknownNameAction = 1;
    ASSERT_TRUE(object.Save());
    EXPECT_TRUE(QFile::exists(other.filePath("Tarvex.ini")));
    EXPECT_FALSE(QFile::exists(path("Tarvex.ini")));
    // A later change of the current directory does not move the settings file.
    ASSERT_TRUE(QDir::setCurrent(dirPath()));
    EXPECT_EQ(loaded().unknownNameAction, 1);
}

TEST_F(SettingsTest, PlacementOfAWindowNeverSavedReadsTen) {
    const WindowPlacement placement = loadPlacement("Persons");
    for (int value :
         {placement.showCmd, placement.flags, placement.minX, placement.minY, placement.maxX,
          placement.maxY, placement.left, placement.top, placement.right, placement.bottom})
        EXPECT_EQ(value, 10);
}

TEST_F(SettingsTest, PlacementIsSavedUnderTheWindowTitleAndReadBack) {
    writeIni("[alarm]\nwavfile=a.wav\n");
    const WindowPlacement saved{2, 0, -32000, -32000, -1, -1, 20, 30, 420, 330};
    ASSERT_TRUE(savePlacement("Persons", saved));
    EXPECT_EQ(readIni(),
              "[alarm]\nwavfile=a.wav\n\n[WP_Persons]\nwp.showCmd=2\nwp.flags=0\n"
              "wp.ptMinPosition.x=-32000\nwp.ptMinPosition.y=-32000\nwp.ptMaxPosition.x=-1\n"
              "wp.ptMaxPosition.y=-1\nwp.left=20\nwp.right=420\nwp.top=30\nwp.bottom=330\n");
    const WindowPlacement read = loadPlacement("persons");
    EXPECT_EQ(read.showCmd, 2);
    EXPECT_EQ(read.minX, -32000);
    EXPECT_EQ(read.maxY, -1);
    EXPECT_EQ(read.left, 20);
    EXPECT_EQ(read.top, 30);
    EXPECT_EQ(read.right, 420);
    EXPECT_EQ(read.bottom, 330);
    EXPECT_EQ(loadPlacement("List Persons").left, 10);
}

TEST_F(SettingsTest, RegistryIsTheApplicationKeyAwayFromTheUsersOwnDuringTests) {
    QSettings& key = registry();
    EXPECT_EQ(key.organizationName(), "Orvandel");
    EXPECT_EQ(key.applicationName(), "Tarvex");
    EXPECT_EQ(key.format(), QSettings::NativeFormat);
    EXPECT_TRUE(key.fileName().contains(".qttest")) << key.fileName().toStdString();
}

}  // namespace

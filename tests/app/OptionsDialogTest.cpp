#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "AppFixture.h"
#include "app/OptionsDialog.h"
#include "app/Settings.h"
#include "platform/IniFile.h"

namespace {

template <class T>
T* child(QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void writeIni(const QString& text) {
    QFile file(settingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

}  // namespace

TEST_F(AppTest, OptionsShowTheFileAndSaveOnOk) {
    writeIni(
        "[formview]\nnewdata=7\n[listview]\nstorecolumns=1\n[form]\nautofirm=0\n"
        "[alarm]\nwavfile=bell.wav\n");
    COptionsDialog dialog;
    EXPECT_TRUE(child<QRadioButton>(&dialog, "doNothing")->isChecked());
    EXPECT_EQ(child<QLineEdit>(&dialog, "soundFile")->text(), "bell.wav");
    EXPECT_TRUE(child<QLineEdit>(&dialog, "soundFile")->isReadOnly());
    EXPECT_TRUE(child<QCheckBox>(&dialog, "rememberColumns")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(&dialog, "autoFirm")->isChecked());
    dialog.accept();
    IniFile ini(settingsFilePath());
    EXPECT_EQ(ini.readInt("formview", "newdata", 0), 3);
    EXPECT_EQ(ini.readInt("listview", "storecolumns", 0), 1);
    EXPECT_EQ(ini.readInt("form", "autofirm", 1), 0);
    EXPECT_EQ(ini.readString("alarm", "wavfile", ""), "bell.wav");
}

TEST_F(AppTest, OptionsChooseSoundFileKeepsOtherChangesAndCancelSavesNothing) {
    writeIni("[formview]\nnewdata=1\n");
    COptionsDialog dialog;
    EXPECT_TRUE(child<QRadioButton>(&dialog, "createNew")->isChecked());
    child<QCheckBox>(&dialog, "rememberColumns")->setChecked(true);
    prompts.answerFile("/tmp/sounds/ring.wav");
    child<QPushButton>(&dialog, "browse")->click();
    EXPECT_EQ(child<QLineEdit>(&dialog, "soundFile")->text(), "/tmp/sounds/ring.wav");
    EXPECT_TRUE(child<QCheckBox>(&dialog, "rememberColumns")->isChecked());
    child<QPushButton>(&dialog, "browse")->click();  // cancelled chooser: nothing changes
    EXPECT_EQ(child<QLineEdit>(&dialog, "soundFile")->text(), "/tmp/sounds/ring.wav");
    dialog.reject();
    IniFile ini(settingsFilePath());
    EXPECT_EQ(ini.readString("alarm", "wavfile", "none"), "none");
    EXPECT_EQ(settings().soundFile, "alarm.wav");
}

TEST_F(AppTest, OptionsRadioButtonsGiveTheUnknownNameAction) {
    COptionsDialog dialog;
    child<QRadioButton>(&dialog, "notifyUser")->setChecked(true);
    dialog.accept();
    EXPECT_EQ(settings().unknownNameAction, 2);
    EXPECT_EQ(IniFile(settingsFilePath()).readInt("formview", "newdata", 0), 2);
}

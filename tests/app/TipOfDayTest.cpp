#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QSettings>

#include "AppFixture.h"
#include "alarms/TipsFile.h"
#include "app/Registry.h"
#include "app/TipOfDayDialog.h"
#include "platform/StringTable.h"

namespace {

void writeTips(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

}  // namespace

class TipOfDayTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        registry().remove(QStringLiteral("Tip"));
    }
    void TearDown() override {
        registry().remove(QStringLiteral("Tip"));
        AppTest::TearDown();
    }
};

TEST_F(TipOfDayTest, NextTipTwiceThenTheNextOpeningShowsTheFourth) {
    writeTips(path("tips.txt"), "; tips\none\ntwo\n\nthree\nfour\nfive\n");
    {
        CTipOfDayDialog tip;
        EXPECT_EQ(tip.windowTitle(), "Tip of the day");
        EXPECT_EQ(tip.tipText(), "one\n");
        tip.nextButton()->click();
        tip.nextButton()->click();
        EXPECT_EQ(tip.tipText(), "three\n");
    }
    CTipOfDayDialog again;
    EXPECT_EQ(again.tipText(), "four\n");
    EXPECT_EQ(registry().value("Tip/TimeStamp").toString(),
              ctimeText(QFileInfo(path("tips.txt")).lastModified()));
}

TEST_F(TipOfDayTest, AnotherModificationTimeStartsWithTheFirstTip) {
    writeTips(path("tips.txt"), "one\ntwo\nthree\n");
    { CTipOfDayDialog tip; }
    registry().setValue("Tip/TimeStamp", "Mon Dec  6 18:12:29 1999");
    CTipOfDayDialog tip;
    EXPECT_EQ(tip.tipText(), "one\n");
}

TEST_F(TipOfDayTest, ShowAtStartUpIsStoredOnlyOnClose) {
    writeTips(path("tips.txt"), "one\n");
    EXPECT_TRUE(CTipOfDayDialog::showAtStartUp());
    {
        CTipOfDayDialog tip;
        EXPECT_TRUE(tip.startUpBox()->isChecked());
        tip.startUpBox()->setChecked(false);
        tip.reject();
    }
    EXPECT_TRUE(CTipOfDayDialog::showAtStartUp());
    {
        CTipOfDayDialog tip;
        tip.startUpBox()->setChecked(false);
        tip.findChild<QPushButton*>("button1")->click();
    }
    EXPECT_EQ(registry().value("Tip/StartUp").toInt(), 1);
    EXPECT_FALSE(CTipOfDayDialog::showAtStartUp());
    CTipOfDayDialog tip;
    EXPECT_FALSE(tip.startUpBox()->isChecked());
}

TEST_F(TipOfDayTest, WithoutATipsFileTheBundledTipsAreShown) {
    CTipOfDayDialog tip;
    EXPECT_FALSE(tip.tipText().isEmpty());
    EXPECT_NE(tip.tipText(), loadString(110));
    EXPECT_TRUE(tip.nextButton()->isEnabled());
    // The bundled file holds at least 20 tips, all different.
    CTipsFile bundled;
    ASSERT_TRUE(bundled.open(CTipsFile::kBundled));
    ASSERT_TRUE(bundled.seek(0));
    QStringList tips;
    for (int i = 0; i < 20; ++i)
        tips << bundled.nextTip().value_or(QString());
    tips.removeDuplicates();
    EXPECT_EQ(tips.size(), 20);
}

TEST_F(TipOfDayTest, AFileWithoutTipsShowsAnEmptyTip) {
    writeTips(path("tips.txt"), "; nothing here\n\n");
    CTipOfDayDialog tip;
    EXPECT_EQ(tip.tipText(), QString());
    tip.nextButton()->click();
    EXPECT_EQ(tip.tipText(), QString());
    EXPECT_TRUE(prompts.messages().isEmpty());
}

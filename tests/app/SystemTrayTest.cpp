#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

#include "AppFixture.h"
#include "app/SystemTray.h"
#include "platform/CommandIds.h"
#include "platform/StringTable.h"

namespace {

QIcon coloured(Qt::GlobalColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// A tray as the main frame makes it, on a desktop that has a notification area.
struct TrayParts {
    QObject owner;
    QMenu menu;
    QAction restore{QStringLiteral("Restore program")};
    QAction exit{QStringLiteral("E&xit program")};
    CSystemTray tray{&owner, true};
    QList<int> commands;

    TrayParts() {
        restore.setData(cmd::RestoreProgram);
        exit.setData(cmd::ExitProgram);
        menu.addAction(&restore);
        menu.addSeparator();
        menu.addAction(&exit);
        tray.Create(QStringLiteral("Tarvex - Contacts File"), coloured(Qt::blue), &menu,
                    [this](int id) { commands << id; });
    }
};

}  // namespace

TEST(SystemTray, HidingAndShowingTwiceChangesNothingMore) {
    TrayParts parts;
    CSystemTray& tray = parts.tray;
    ASSERT_TRUE(tray.enabled());
    EXPECT_FALSE(tray.hidden());
    tray.HideIcon();
    tray.HideIcon();
    EXPECT_TRUE(tray.hidden());
    tray.ShowIcon();
    tray.ShowIcon();
    EXPECT_FALSE(tray.hidden());
    tray.RemoveIcon();
    EXPECT_FALSE(tray.enabled());
    EXPECT_TRUE(tray.GetIcon().isNull());
    tray.ShowIcon();
    EXPECT_FALSE(tray.icon()->isVisible());
}

TEST(SystemTray, DoubleClickRunsTheDefaultItemShownInBold) {
    TrayParts parts;
    CSystemTray& tray = parts.tray;
    // By position first: item 0 is "Restore program".
    EXPECT_EQ(tray.defaultCommand(), cmd::RestoreProgram);
    tray.SetMenuDefaultItem(cmd::RestoreProgram, false);
    tray.OnTrayNotification(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(parts.commands.isEmpty());
    tray.OnTrayNotification(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(parts.commands, QList<int>{cmd::RestoreProgram});
    EXPECT_TRUE(parts.restore.font().bold());
    EXPECT_FALSE(parts.exit.font().bold());
    EXPECT_EQ(parts.menu.defaultAction(), &parts.restore);
}

TEST(SystemTray, AnimationCyclesTheListAndStopsBackToTheSavedIcon) {
    TrayParts parts;
    CSystemTray& tray = parts.tray;
    const QIcon red = coloured(Qt::red);
    const QIcon green = coloured(Qt::green);
    EXPECT_FALSE(tray.Animate(20, 0)) << "no icon list yet";
    ASSERT_TRUE(tray.SetIconList({red, QIcon(), green}));
    const qint64 before = tray.GetIcon().cacheKey();
    ASSERT_TRUE(tray.Animate(10, 0));
    QTest::qWait(15);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tray.animationIndex() == 1; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tray.animationIndex() == 2; }));
    EXPECT_EQ(tray.GetIcon().cacheKey(), green.cacheKey());
    EXPECT_TRUE(QTest::qWaitFor([&] { return tray.animationIndex() == 0; }));
    // With duration 0 it runs until stopped.
    QTest::qWait(100);
    EXPECT_TRUE(tray.animating());
    tray.StopAnimation();
    EXPECT_FALSE(tray.animating());
    EXPECT_EQ(tray.GetIcon().cacheKey(), before);
}

TEST(SystemTray, WithoutANotificationAreaEverythingIsANoOp) {
    QObject owner;
    CSystemTray tray(&owner, false);
    EXPECT_FALSE(tray.Create(QStringLiteral("Tarvex"), coloured(Qt::blue), nullptr, {}));
    EXPECT_FALSE(tray.enabled());
    tray.ShowIcon();
    tray.HideIcon();
    tray.RemoveIcon();
    EXPECT_TRUE(tray.GetIcon().isNull());
}

TEST_F(AppTest, WithoutATrayMinimisingMinimisesAndTheProgramRunsOn) {
    // The offscreen platform has no notification area, like many Linux desktops.
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    auto frame = makeFrame({});
    EXPECT_FALSE(frame->tray()->enabled());
    frame->showMinimized();
    QTest::qWait(20);
    EXPECT_TRUE(frame->isVisible()) << "a hidden window could not be restored by anyone";
    EXPECT_TRUE(frame->isMinimized());
    frame->SendCommand(cmd::RestoreProgram);
    EXPECT_FALSE(frame->isMinimized());
}

TEST_F(AppTest, ExitProgramAsksAndNoKeepsTheProgramRunning) {
    auto frame = makeFrame({});
    prompts.answer(Prompter::No);
    EXPECT_TRUE(frame->SendCommand(cmd::ExitProgram));
    ASSERT_EQ(prompts.messages(), QStringList{loadString(60023)});
    EXPECT_EQ(prompts.lastIcon(), Prompter::Icon::Exclamation);
    QTest::qWait(20);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->isMinimized());
    prompts.answer(Prompter::Yes);
    frame->SendCommand(cmd::ExitProgram);
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(AppTest, TrayMenuHoldsRestoreInBoldAndExit) {
    auto frame = makeFrame({});
    QMenu* menu = frame->findChild<QMenu*>("TrayMenu174");
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (QAction* action : menu->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(items, (QStringList{"Restore program", "-", "E&xit program"}));
    EXPECT_TRUE(frame->SendCommand(cmd::RestoreProgram));
}

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/QtPrompter.h"

namespace {

// Runs the action on the message box as soon as it is shown.
void whenBoxShows(std::function<void(QMessageBox*)> action) {
    QTimer::singleShot(0, [action] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            whenBoxShows(action);
            return;
        }
        action(box);
    });
}

TEST(QtPrompter, YesNoQuestionShowsTheTextUnderTheProgramsCaption) {
    QtPrompter prompter;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenBoxShows([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        EXPECT_NE(box->button(QMessageBox::Yes), nullptr);
        EXPECT_EQ(box->button(QMessageBox::Cancel), nullptr);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(
        prompter.message("Cancel editing?", Prompter::Buttons::YesNo, Prompter::Icon::Exclamation),
        Prompter::No);
    EXPECT_EQ(title, "Tarvex");
    EXPECT_EQ(text, "Cancel editing?");
    EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(QtPrompter, AnswersMapToThePromptersButtons) {
    QtPrompter prompter;
    whenBoxShows([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(prompter.message("q", Prompter::Buttons::YesNoCancel, Prompter::Icon::Question),
              Prompter::Yes);
    whenBoxShows([](QMessageBox* box) { box->button(QMessageBox::Cancel)->click(); });
    EXPECT_EQ(prompter.message("q", Prompter::Buttons::OkCancel, Prompter::Icon::Stop),
              Prompter::Cancel);
    whenBoxShows([](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(prompter.message("i", Prompter::Buttons::Ok, Prompter::Icon::Information),
              Prompter::Ok);
}

TEST(QtPrompter, EscapeInAYesNoBoxAnswersNo) {
    QtPrompter prompter;
    whenBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(prompter.message("q", Prompter::Buttons::YesNo, Prompter::Icon::Question),
              Prompter::No);
}

TEST(QtPrompter, InstallMakesItTheDefault) {
    installQtPrompter();
    EXPECT_NE(dynamic_cast<QtPrompter*>(&prompter()), nullptr);
    setDefaultPrompter(nullptr);
    EXPECT_EQ(dynamic_cast<QtPrompter*>(&prompter()), nullptr);
}

}  // namespace

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "forms/DataEntryDialog.h"

namespace {

// Runs the dialog and lets `interact` answer it.
std::optional<QString> askWith(const std::function<void(CDataEntryDialog&)>& interact) {
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDataEntryDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        interact(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    return CDataEntryDialog::ask(nullptr);
}

QPushButton* button(QWidget& dialog, const QString& text) {
    for (auto* candidate : dialog.findChildren<QPushButton*>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

}  // namespace

TEST(DataEntryDialog, OkReturnsTheEnteredName) {
    QString caption, group;
    const auto name = askWith([&](CDataEntryDialog& dialog) {
        caption = dialog.windowTitle();
        group = dialog.findChild<QGroupBox*>()->title();
        QTest::keyClicks(dialog.nameEdit(), "O'Brien & Sons");
        QTest::mouseClick(button(dialog, "&OK"), Qt::LeftButton);
    });
    EXPECT_EQ(caption, "Data entry");
    EXPECT_EQ(group, "&Enter name");
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(*name, "O'Brien & Sons");
}

TEST(DataEntryDialog, EnterWithNothingTypedReturnsAnEmptyName) {
    const auto name = askWith(
        [](CDataEntryDialog& dialog) { QTest::keyClick(dialog.nameEdit(), Qt::Key_Return); });
    ASSERT_TRUE(name.has_value());
    EXPECT_TRUE(name->isEmpty());
}

TEST(DataEntryDialog, CancelReturnsNothing) {
    EXPECT_FALSE(askWith([](CDataEntryDialog& dialog) {
                     QTest::keyClicks(dialog.nameEdit(), "Suppliers");
                     QTest::mouseClick(button(dialog, "&Cancel"), Qt::LeftButton);
                 }).has_value());
    EXPECT_FALSE(askWith([](CDataEntryDialog& dialog) {
                     QTest::keyClick(dialog.nameEdit(), Qt::Key_Escape);
                 }).has_value());
}

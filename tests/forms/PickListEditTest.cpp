#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

#include "forms/PickListEdit.h"
#include "forms/PickListPopup.h"
#include "platform/TypeAheadListBox.h"
#include "support/ScriptedPrompter.h"

namespace {

class PickListEditTest : public testing::Test {
protected:
    void SetUp() override {
        m_window.setGeometry(100, 100, 300, 80);
        auto* layout = new QVBoxLayout(&m_window);
        layout->addWidget(m_edit);
        m_edit->setList(&m_list);
        m_window.show();
        m_edit->setFocus();
    }

    // Presses F4 and, if a pop-up opens, hands it to `interact` (which must close it).
    // Returns whether a pop-up opened.
    bool pressF4(const std::function<void(CPickListPopup&)>& interact = {}) {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto* popup = qobject_cast<CPickListPopup*>(QApplication::activeModalWidget());
            if (!popup)
                return;
            opened = true;
            if (interact)
                interact(*popup);
            if (popup->isVisible())
                popup->reject();
        });
        QTest::keyClick(m_edit, Qt::Key_F4);
        QCoreApplication::processEvents();
        return opened;
    }

    ScriptedPrompter m_prompter;
    QStringList m_list{"Orvandel Systems", "Acme Corporation", "acme Two", "Bravo", "beta"};
    QWidget m_window;
    CPickListEdit* m_edit = new CPickListEdit;
};

}  // namespace

TEST_F(PickListEditTest, TypingCompletesFromTheListWithTheTailSelected) {
    QTest::keyClicks(m_edit, "ac");
    EXPECT_EQ(m_edit->text(), "Acme Corporation");
    EXPECT_EQ(m_edit->selectionStart(), 2);
    EXPECT_EQ(m_edit->selectedText(), "me Corporation");

    // Typing on replaces the selected tail and completes again.
    QTest::keyClicks(m_edit, "me t");
    EXPECT_EQ(m_edit->text(), "acme Two");
    EXPECT_EQ(m_edit->selectedText(), "wo");

    QTest::keyClick(m_edit, Qt::Key_X);
    EXPECT_EQ(m_edit->text(), "acme Tx");
    EXPECT_FALSE(m_edit->hasSelectedText());
}

TEST_F(PickListEditTest, DeletingNeverCompletes) {
    QTest::keyClicks(m_edit, "or");
    ASSERT_EQ(m_edit->text(), "Orvandel Systems");
    QTest::keyClick(m_edit, Qt::Key_Backspace);
    EXPECT_EQ(m_edit->text(), "Or");
    QTest::keyClick(m_edit, Qt::Key_Backspace);
    EXPECT_EQ(m_edit->text(), "O");

    m_edit->setText("Bravo");
    m_edit->setCursorPosition(2);
    QTest::keyClick(m_edit, Qt::Key_Delete);
    EXPECT_EQ(m_edit->text(), "Brvo");
}

TEST_F(PickListEditTest, FieldsWithoutListOrReadOnlyNeitherCompleteNorOpenTheList) {
    m_edit->setList(nullptr);
    QTest::keyClicks(m_edit, "ac");
    EXPECT_EQ(m_edit->text(), "ac");
    EXPECT_FALSE(pressF4());

    m_edit->setList(&m_list);
    m_edit->setReadOnly(true);
    EXPECT_FALSE(pressF4());
    EXPECT_EQ(m_edit->text(), "ac");
}

TEST_F(PickListEditTest, F4OnAnEmptyFieldSelectsNothingAndEnterEmptiesTheField) {
    QString selected = "unset";
    int rows = 0;
    EXPECT_TRUE(pressF4([&](CPickListPopup& popup) {
        selected = popup.listBox()->selectedText();
        rows = popup.listBox()->count();
        QTest::keyClick(popup.listBox(), Qt::Key_Return);
    }));
    EXPECT_EQ(selected, "");
    EXPECT_EQ(rows, m_list.size());
    EXPECT_EQ(m_edit->text(), "");
}

TEST_F(PickListEditTest, F4StartsAtTheTypedTextAndTakesTheChosenEntry) {
    m_edit->setText("b");
    QString initial;
    QRect geometry;
    EXPECT_TRUE(pressF4([&](CPickListPopup& popup) {
        initial = popup.listBox()->selectedText();
        geometry = popup.geometry();
        QTest::keyClicks(popup.listBox(), "br");
        QTest::keyClick(popup.listBox(), Qt::Key_Enter);
    }));
    // Sorted ignoring case, "beta" is the first entry that begins with "b".
    EXPECT_EQ(initial, "beta");
    EXPECT_EQ(m_edit->text(), "Bravo");
    const QPoint fieldTop = m_edit->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(geometry, QRect(fieldTop, QSize(m_edit->width(), CPickListEdit::kPopupHeight)));
}

TEST_F(PickListEditTest, EscapeLeavesTheFieldAlone) {
    m_edit->setText("Orv");
    EXPECT_TRUE(pressF4([](CPickListPopup& popup) {
        QTest::keyClick(popup.listBox(), Qt::Key_Down);
        QTest::keyClick(popup.listBox(), Qt::Key_Escape);
        EXPECT_FALSE(popup.isVisible());
    }));
    EXPECT_EQ(m_edit->text(), "Orv");
}

TEST_F(PickListEditTest, F4MarksTheListShownWhileThePopupIsOpen) {
    bool during = false;
    EXPECT_TRUE(pressF4([&](CPickListPopup& popup) {
        during = m_edit->listShown();
        popup.reject();
    }));
    EXPECT_TRUE(during);
    EXPECT_FALSE(m_edit->listShown());

    EXPECT_TRUE(pressF4([](CPickListPopup& popup) { popup.accept(); }));
    EXPECT_FALSE(m_edit->listShown());
}

TEST_F(PickListEditTest, F7AsksTheFormToResolveOnlyWhenEnabled) {
    QSignalSpy spy(m_edit, &CPickListEdit::resolveRequested);
    QTest::keyClick(m_edit, Qt::Key_F7);
    EXPECT_EQ(spy.count(), 0);

    m_edit->setResolveOnF7(true);
    m_edit->setResolveMessage(CPickListEdit::kResolvePerson);
    m_edit->setReadOnly(true);
    QTest::keyClick(m_edit, Qt::Key_F7);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 0x8002);
}

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <random>

#include "forms/PickListPopup.h"
#include "forms/TypeAheadComboBox.h"
#include "platform/TypeAheadListBox.h"
#include "support/ScriptedPrompter.h"

namespace {

const QStringList kNames{"Alpha", "beta", "Bravo", "brown", "Charlie"};

class TypeAheadListBoxTest : public testing::Test {
protected:
    void SetUp() override {
        m_box.setItems(kNames);
        m_box.show();
    }

    ScriptedPrompter m_prompter;
    CTypeAheadListBox m_box;
};

}  // namespace

TEST_F(TypeAheadListBoxTest, KeysWithinASecondBuildOnePrefix) {
    QTest::keyClicks(&m_box, "br");
    EXPECT_EQ(m_box.selectedText(), "Bravo");
    EXPECT_TRUE(m_box.typeAhead().isTiming());
    QTest::keyClick(&m_box, Qt::Key_O);
    QTest::keyClick(&m_box, Qt::Key_W);
    EXPECT_EQ(m_box.selectedText(), "brown");

    // After a pause the next key starts afresh.
    m_box.typeAhead().expire();
    EXPECT_FALSE(m_box.typeAhead().isTiming());
    QTest::keyClick(&m_box, Qt::Key_C);
    EXPECT_EQ(m_box.selectedText(), "Charlie");
    QTest::keyClick(&m_box, Qt::Key_H);
    EXPECT_EQ(m_box.selectedText(), "Charlie");
    EXPECT_EQ(m_prompter.beeps(), 0);
}

TEST_F(TypeAheadListBoxTest, NoMatchBeepsAndKeepsTheSelection) {
    QTest::keyClicks(&m_box, "be");
    ASSERT_EQ(m_box.selectedText(), "beta");
    QTest::keyClick(&m_box, Qt::Key_X);
    EXPECT_EQ(m_prompter.beeps(), 1);
    EXPECT_EQ(m_box.selectedText(), "beta");
    EXPECT_EQ(m_box.typeAhead().text(), "bex");

    // Backspace drops the stray key; emptying the prefix goes to the first entry.
    QTest::keyClick(&m_box, Qt::Key_Backspace);
    EXPECT_EQ(m_box.typeAhead().text(), "be");
    QTest::keyClick(&m_box, Qt::Key_Backspace);
    QTest::keyClick(&m_box, Qt::Key_Backspace);
    EXPECT_EQ(m_box.selectedText(), "Alpha");
    QTest::keyClick(&m_box, Qt::Key_Backspace);
    EXPECT_EQ(m_box.typeAhead().text(), "");
    EXPECT_EQ(m_prompter.beeps(), 1);

    QTest::keyClick(&m_box, Qt::Key_Z);
    EXPECT_EQ(m_prompter.beeps(), 2);
    EXPECT_EQ(m_box.selectedText(), "Alpha");
}

TEST_F(TypeAheadListBoxTest, MultipleSelectionMovesTheCurrentEntryOnly) {
    m_box.setSelectionMode(QAbstractItemView::MultiSelection);
    m_box.selectionModel()->select(m_box.model()->index(0, 0), QItemSelectionModel::Select);
    m_box.selectionModel()->select(m_box.model()->index(2, 0), QItemSelectionModel::Select);

    QTest::keyClick(&m_box, Qt::Key_C);
    EXPECT_EQ(m_box.currentRow(), 4);
    EXPECT_EQ(m_box.selectedRows(), (QList<int>{0, 2}));

    // Space keeps toggling the current entry.
    QTest::keyClick(&m_box, Qt::Key_Space);
    EXPECT_EQ(m_box.selectedRows(), (QList<int>{0, 2, 4}));
    EXPECT_EQ(m_box.typeAhead().text(), "c");
}

TEST(TypeAheadComboBox, TypingSelectsByPrefix) {
    ScriptedPrompter prompter;
    CTypeAheadComboBox combo;
    combo.addItems(kNames);
    combo.show();
    QSignalSpy activated(&combo, &QComboBox::activated);

    QTest::keyClicks(&combo, "BR");
    EXPECT_EQ(combo.currentText(), "Bravo");
    EXPECT_EQ(activated.count(), 2);  // "beta", then "Bravo"
    QTest::keyClicks(&combo, "ow");
    EXPECT_EQ(combo.currentText(), "brown");

    QTest::keyClick(&combo, Qt::Key_Q);
    EXPECT_EQ(prompter.beeps(), 1);
    EXPECT_EQ(combo.currentText(), "brown");

    combo.typeAhead().expire();
    QTest::keyClick(&combo, Qt::Key_A);
    EXPECT_EQ(combo.currentText(), "Alpha");
    EXPECT_EQ(activated.count(), 4);
}

TEST(TypeAheadComboBox, TypingInTheOpenDropDownMovesItsHighlight) {
    ScriptedPrompter prompter;
    CTypeAheadComboBox combo;
    combo.addItems(kNames);
    combo.show();
    combo.showPopup();
    QTest::keyClicks(combo.view(), "ch");
    EXPECT_EQ(combo.view()->currentIndex().row(), 4);
    QTest::keyClick(combo.view(), Qt::Key_Return);
    EXPECT_EQ(combo.currentText(), "Charlie");
    EXPECT_EQ(combo.typeAhead().text(), "ch");
}

TEST(PickListPopup, SortsIgnoringCaseAndOpensAtOnceForLongLists) {
    const QStringList small{"beta", "Alpha", "BETA", "alpha 2", "Gamma"};
    CPickListPopup sorted(QRect(0, 0, 200, 128), small, QString());
    EXPECT_EQ(sorted.listBox()->items(),
              (QStringList{"Alpha", "alpha 2", "BETA", "beta", "Gamma"}));
    EXPECT_EQ(sorted.listBox()->selectedText(), "");

    QStringList names;
    for (int i = 0; i < 100000; ++i)
        names.append(QStringLiteral("Name %1").arg(i, 6, 10, QChar('0')));
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    QElapsedTimer clock;
    clock.start();
    CPickListPopup popup(QRect(0, 0, 200, 128), names, "name 09999");
    popup.show();
    QCoreApplication::processEvents();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(popup.listBox()->selectedText(), "Name 099990");
    EXPECT_EQ(popup.listBox()->itemText(0), "Name 000000");
    EXPECT_EQ(popup.listBox()->itemText(99999), "Name 099999");
}

TEST(PickListPopup, NearTheScreenBottomIsLiftedToStayVisible) {
    CPickListPopup probe(QRect(0, 0, 10, 10), {}, QString());
    const QRect screen = probe.screen()->availableGeometry();
    const QRect area(screen.left() + 10, screen.bottom() - 40, 200, 128);
    CPickListPopup popup(area, kNames, QString());
    EXPECT_EQ(popup.geometry().size(), area.size());
    EXPECT_EQ(popup.geometry().left(), area.left());
    EXPECT_EQ(popup.geometry().bottom(), screen.bottom());
}

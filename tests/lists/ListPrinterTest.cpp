#include "lists/ListPrinter.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/LinePrintDevice.h"

namespace {

// A list as the printout reads it.
class FakeList : public CListPrintSource {
public:
    struct Column {
        QString title;
        int width;
        int position;
    };
    int headerCount() const override { return static_cast<int>(columns.size()); }
    int headerWidth(int item) const override { return columns[item].width; }
    QString headerText(int item) const override { return columns[item].title; }
    int headerPosition(int item) const override { return columns[item].position; }
    int listRowCount() const override { return static_cast<int>(rows.size()); }
    QString itemText(int row, int subItem) override { return rows[row][subItem]; }

    std::vector<Column> columns;
    std::vector<QStringList> rows;
};

class ListPrinterTest : public testing::Test {
protected:
    void SetUp() override {
        m_previous = setPrinterChooser([this]() -> std::unique_ptr<PrintDevice> {
            // Pages 1012 lines high.
            return std::make_unique<LinePrintDevice>(lines, charsPerLine, 1012 * 10);
        });
    }
    void TearDown() override { setPrinterChooser(std::move(m_previous)); }

    QStringList lines;
    int charsPerLine = 110;

private:
    PrinterChooser m_previous;
};

TEST_F(ListPrinterTest, ColumnsShareTheLineAndExactSharesComeOutOneShort) {
    FakeList list;
    list.columns = {{"lastname", 128, 0}, {"firstname", 128, 1}};
    list.rows = {{"Miller", "Ann"}, {"A much longer last name than fits", "Bob"}};
    CListPrinter printer;
    printer.setSourceList(&list);
    ASSERT_TRUE(printer.Print());
    // (110 - 5) characters shared by two equal columns: 52.5 * 0.99999998 -> 52.
    ASSERT_EQ(printer.columns().size(), 2u);
    EXPECT_EQ(printer.columns()[0].width, 52);
    ASSERT_EQ(lines.size(), 4 + 1 + 2);
    EXPECT_EQ(lines[0], "Tarvex - Contacts File version 1.2");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "No   " + QString("lastname").leftJustified(52) + ' ' +
                            QString("firstname").leftJustified(52));
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "0001 " + QString("Miller").leftJustified(52) + ' ' +
                            QString("Ann").leftJustified(52));
    EXPECT_EQ(lines[5], "0002 " + QString("A much longer last name than fits").leftJustified(52) +
                            ' ' + QString("Bob").leftJustified(52));
    EXPECT_EQ(lines[6], "");  // the body ends with a line break
}

TEST_F(ListPrinterTest, WidthsScaleWithTheSinglePrecisionFactor) {
    // 100 characters to share among 256 pixels: the 128-pixel column gets
    // 50 * 0.99999998 = 49.99999888, so 49 characters, the 64-pixel ones 24.
    charsPerLine = 105;
    FakeList list;
    list.columns = {{"a", 128, 0}, {"b", 64, 1}, {"c", 64, 2}};
    list.rows = {{"x", "y", "z"}};
    CListPrinter printer;
    printer.setSourceList(&list);
    ASSERT_TRUE(printer.Print());
    EXPECT_EQ(printer.columns()[0].width, 49);
    EXPECT_EQ(printer.columns()[1].width, 24);
    EXPECT_EQ(printer.columns()[2].width, 24);
    EXPECT_EQ(lines[4].size(), 5 + 49 + 1 + 24 + 1 + 24);
}

TEST_F(ListPrinterTest, DraggedOrderWidthZeroColumnsAndLineFeedsInCells) {
    FakeList list;
    list.columns = {{"first", 100, 2}, {"hidden", 0, 0}, {"second", 100, 1}};
    list.rows = {{"one\r\ntwo", "secret", "three\nfour"}};
    CListPrinter printer;
    printer.setSourceList(&list);
    ASSERT_TRUE(printer.Print());
    ASSERT_EQ(printer.columns().size(), 2u);
    EXPECT_EQ(printer.columns()[0].title, "second");
    EXPECT_EQ(printer.columns()[1].title, "first");
    const int w = printer.columns()[0].width;
    EXPECT_EQ(w, 52);
    EXPECT_EQ(lines[4], "0001 " + QString("three four").leftJustified(w) + ' ' +
                            QString("one  two").leftJustified(w));
    EXPECT_FALSE(lines[4].contains("secret"));
}

TEST_F(ListPrinterTest, RowNumbersGetFiveDigitsFromRow10000) {
    FakeList list;
    list.columns = {{"name", 10, 0}};
    for (int i = 0; i < 10001; ++i)
        list.rows.push_back({QStringLiteral("n%1").arg(i)});
    CListPrinter printer;
    printer.setSourceList(&list);
    ASSERT_TRUE(printer.Print());
    const int w = printer.columns()[0].width;
    EXPECT_EQ(w, 104);
    EXPECT_TRUE(lines.contains("9999 " + QString("n9998").leftJustified(w)));
    EXPECT_TRUE(lines.contains("10000 " + QString("n9999").leftJustified(w)));
    EXPECT_TRUE(lines.contains("10001 " + QString("n10000").leftJustified(w)));
}

TEST_F(ListPrinterTest, WithoutASourceListNothingIsPrinted) {
    CListPrinter printer;
    EXPECT_FALSE(printer.Print());
    EXPECT_TRUE(lines.isEmpty());
}

}  // namespace

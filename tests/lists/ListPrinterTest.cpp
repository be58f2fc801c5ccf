#include "lists/ListPrinter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A printer that keeps every drawn line: characters 10 units wide, pages of 1000 lines.
class LinePrinter : public PrintDevice {
public:
    LinePrinter(QStringList& lines, int charsPerLine)
        : m_lines(lines), m_width(charsPerLine * 10) {}
    int dpiY() const override { return 72; }
    int pageHeight() const override { return 1012 * 10; }
    int physicalPageWidth() const override { return m_width; }
    int physicalLeftOffset() const override { return 0; }
    PrintFontMetrics fontMetrics(const PrintFont&) const override { return {7, 0, 10}; }
    bool startDoc(const QString&) override { return true; }
    bool startPage() override { return true; }
    void selectFont(const PrintFont&) override {}
    bool drawText(int, int, const QString& text) override {
        m_lines << text;
        return true;
    }
    bool endPage() override { return true; }
    bool endDoc() override { return true; }
    void abortDoc() override {}

private:
    QStringList& m_lines;
    int m_width;
};

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
            return std::make_unique<LinePrinter>(lines, charsPerLine);
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

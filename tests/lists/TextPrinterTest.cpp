#include "platform/TextPrinter.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <functional>
#include <vector>

#include "platform/Clock.h"

namespace {

struct DrawnLine {
    int x;
    int y;
    QString text;
};

// What a fake printer was asked to do, kept outside the device because the printout owns
// and discards the device.
struct Recording {
    int devicesMade = 0;
    QStringList calls;
    std::vector<std::vector<DrawnLine>> pages;
    QList<PrintFont> fontsAsked;
    QString docName;
};

class FakePrintDevice : public PrintDevice {
public:
    explicit FakePrintDevice(Recording& log) : m_log(log) {}

    int dpiY() const override { return m_dpiY; }
    int pageHeight() const override { return m_pageHeight; }
    int physicalPageWidth() const override { return 5100; }
    int physicalLeftOffset() const override { return 100; }
    PrintFontMetrics fontMetrics(const PrintFont& font) const override {
        m_log.fontsAsked.append(font);
        return {40, 7, 40};  // line height 50, 4900 / 40 = 122 characters per line
    }

    bool startDoc(const QString& name) override {
        m_log.calls << QStringLiteral("startDoc");
        m_log.docName = name;
        m_started = m_canStart;
        return m_started;
    }
    bool startPage() override {
        m_log.calls << QStringLiteral("startPage");
        m_log.pages.emplace_back();
        return m_started;
    }
    void selectFont(const PrintFont&) override { m_log.calls << QStringLiteral("selectFont"); }
    bool drawText(int x, int y, const QString& text) override {
        if (!m_started || --m_drawsUntilFailure == 0)
            return false;
        m_log.pages.back().push_back({x, y, text});
        return true;
    }
    bool endPage() override {
        m_log.calls << QStringLiteral("endPage");
        return true;
    }
    bool endDoc() override {
        m_log.calls << QStringLiteral("endDoc");
        return true;
    }
    void abortDoc() override { m_log.calls << QStringLiteral("abortDoc"); }

    int m_dpiY = 600;
    int m_pageHeight = 1000;  // 1000 / 50 - 12 = 8 lines per page
    bool m_canStart = true;
    int m_drawsUntilFailure = -1;

private:
    Recording& m_log;
    bool m_started = false;
};

// A printout that reports the metrics it was given and may refuse or build its own text.
class ProbePrinter : public CTextPrinter {
public:
    bool PrepareText() override {
        ++prepareCalls;
        seenLineHeight = lineHeight();
        seenLinesPerPage = linesPerPage();
        seenCharsPerLine = charactersPerLine();
        if (prepare)
            prepare(*this);
        return accept;
    }

    int prepareCalls = 0;
    int seenLineHeight = 0;
    int seenLinesPerPage = 0;
    int seenCharsPerLine = 0;
    bool accept = true;
    std::function<void(ProbePrinter&)> prepare;
};

class TextPrinterTest : public testing::Test {
protected:
    void SetUp() override {
        m_previous = setPrinterChooser([this]() -> std::unique_ptr<PrintDevice> {
            ++m_log.devicesMade;
            if (m_cancel)
                return nullptr;
            auto device = std::make_unique<FakePrintDevice>(m_log);
            if (m_configure)
                m_configure(*device);
            return device;
        });
    }
    void TearDown() override { setPrinterChooser(std::move(m_previous)); }

    static QString numberedLines(int count) {
        QStringList lines;
        for (int i = 1; i <= count; ++i)
            lines << QStringLiteral("line %1").arg(i);
        return lines.join(QStringLiteral("\r\n"));
    }
    QStringList pageTexts(size_t page) const {
        QStringList texts;
        for (const DrawnLine& line : m_log.pages.at(page))
            texts << line.text;
        return texts;
    }

    Recording m_log;
    bool m_cancel = false;
    std::function<void(FakePrintDevice&)> m_configure;

private:
    PrinterChooser m_previous;
};

TEST_F(TextPrinterTest, MetricsComeFromThePrinterAndFont) {
    ProbePrinter printer;
    printer.AddHeaderLine(QStringLiteral("Person data"));
    ASSERT_TRUE(printer.Print());
    EXPECT_EQ(printer.seenLineHeight, 50);
    EXPECT_EQ(printer.seenLinesPerPage, 8);
    EXPECT_EQ(printer.seenCharsPerLine, 122);
    ASSERT_FALSE(m_log.fontsAsked.isEmpty());
    EXPECT_EQ(m_log.fontsAsked.front().face, QStringLiteral("Courier NEW"));
    EXPECT_EQ(m_log.fontsAsked.front().pixelSize, 66);  // 8 pt at 600 dpi

    // The character height is truncated: 8 pt at 300 dpi is 33.3 units.
    m_log = {};
    m_configure = [](FakePrintDevice& device) { device.m_dpiY = 300; };
    ProbePrinter coarse;
    coarse.Print();
    EXPECT_EQ(m_log.fontsAsked.front().pixelSize, 33);
}

TEST_F(TextPrinterTest, LinesArePlacedUnderTheHeaderAfterOneEmptyLine) {
    CTextPrinter printer;
    printer.SetDocName(QStringLiteral("Tarvex - person"));
    printer.AddHeaderLine(QStringLiteral("Person data"));
    printer.AddHeaderLine(QStringLiteral("==========="));
    printer.SetText(QStringLiteral("Last name: Smith\r\nFirst name: Ann\r\n"));
    ASSERT_TRUE(printer.Print());

    EXPECT_EQ(m_log.docName, QStringLiteral("Tarvex - person"));
    EXPECT_EQ(m_log.calls,
              (QStringList{"startDoc", "selectFont", "startPage", "endPage", "endDoc"}));
    ASSERT_EQ(m_log.pages.size(), 1u);
    const std::vector<DrawnLine>& page = m_log.pages[0];
    ASSERT_EQ(page.size(), 5u);
    const int expectedY[] = {0, 50, 150, 200, 250};
    for (size_t i = 0; i < page.size(); ++i) {
        EXPECT_EQ(page[i].x, 5);
        EXPECT_EQ(page[i].y, expectedY[i]) << i;
    }
    EXPECT_EQ(pageTexts(0), (QStringList{"Person data", "===========", "Last name: Smith",
                                         "First name: Ann", ""}));
}

TEST_F(TextPrinterTest, UnnamedJobWithEmptyBodyPrintsOnePage) {
    CTextPrinter printer;
    printer.AddHeaderLine(QStringLiteral("Alarm data"));
    ASSERT_TRUE(printer.Print());
    EXPECT_EQ(m_log.docName, QStringLiteral("unnamed"));
    ASSERT_EQ(m_log.pages.size(), 1u);
    EXPECT_EQ(pageTexts(0), (QStringList{"Alarm data", ""}));
    EXPECT_EQ(m_log.pages[0][1].y, 100);
}

TEST_F(TextPrinterTest, FullPageAndOneLineMoreStartsASecondPageWithTheHeader) {
    // 8 lines per page, one header line and one empty line: six body lines fit.
    CTextPrinter full;
    full.AddHeaderLine(QStringLiteral("Firm data"));
    full.SetText(numberedLines(6));
    full.Print();
    EXPECT_EQ(m_log.pages.size(), 1u);
    EXPECT_EQ(m_log.pages[0].back().y, 7 * 50);

    m_log = {};
    CTextPrinter overflow;
    overflow.AddHeaderLine(QStringLiteral("Firm data"));
    overflow.SetText(numberedLines(7));
    ASSERT_TRUE(overflow.Print());
    ASSERT_EQ(m_log.pages.size(), 2u);
    EXPECT_EQ(m_log.calls, (QStringList{"startDoc", "selectFont", "startPage", "endPage",
                                        "selectFont", "startPage", "endPage", "endDoc"}));
    EXPECT_EQ(pageTexts(1), (QStringList{"Firm data", "line 7"}));
    EXPECT_EQ(m_log.pages[1][0].y, 0);
    EXPECT_EQ(m_log.pages[1][1].y, 100);
}

TEST_F(TextPrinterTest, BodyIsCutAtLineFeedsWithoutCarriageReturns) {
    EXPECT_EQ(CTextPrinter::SplitLines(QStringLiteral("a\r\nb\n\nc")),
              (QStringList{"a", "b", "", "c"}));
    EXPECT_EQ(CTextPrinter::SplitLines(QStringLiteral("end\n")), (QStringList{"end", ""}));
    EXPECT_EQ(CTextPrinter::SplitLines(QStringLiteral("a\rb")), (QStringList{"ab"}));
    EXPECT_EQ(CTextPrinter::SplitLines(QString()), (QStringList{""}));
}

TEST_F(TextPrinterTest, DefaultDateHeaderIsMadeOnceAndRepeated) {
    setClockForTesting([] { return QDateTime(QDate(2024, 9, 3), QTime(7, 5, 9)); });
    CTextPrinter printer;
    printer.SetText(numberedLines(6));  // 8 - 2 header lines - 1 empty: five fit a page
    const bool printed = printer.Print();
    setClockForTesting({});
    ASSERT_TRUE(printed);

    ASSERT_EQ(m_log.pages.size(), 2u);
    const QStringList header{"Tarvex (07:05:09  03 September 2024)", "---"};
    EXPECT_EQ(pageTexts(0).mid(0, 3), header + QStringList{"line 1"});
    EXPECT_EQ(m_log.pages[0][2].y, 150);
    EXPECT_EQ(pageTexts(1), header + QStringList{"line 6"});
}

TEST_F(TextPrinterTest, CancelledOrRefusedPrintoutStartsNoJob) {
    m_cancel = true;
    ProbePrinter cancelled;
    EXPECT_FALSE(cancelled.Print());
    EXPECT_EQ(m_log.devicesMade, 1);
    EXPECT_EQ(cancelled.prepareCalls, 0);
    EXPECT_TRUE(m_log.calls.isEmpty());

    m_cancel = false;
    ProbePrinter refused;
    refused.accept = false;
    EXPECT_FALSE(refused.Print());
    EXPECT_EQ(refused.prepareCalls, 1);
    EXPECT_TRUE(m_log.calls.isEmpty());
}

TEST_F(TextPrinterTest, PrepareTextBuildsHeaderAndBodyToFitThePage) {
    ProbePrinter printer;
    printer.SetText(QStringLiteral("replaced"));
    printer.prepare = [](ProbePrinter& self) {
        self.AddHeaderLine(QStringLiteral("List"));
        self.SetText(QString(self.seenCharsPerLine, QLatin1Char('x')) + QStringLiteral("\r\n"));
    };
    ASSERT_TRUE(printer.Print());
    ASSERT_EQ(m_log.pages.size(), 1u);
    EXPECT_EQ(pageTexts(0), (QStringList{"List", QString(122, QLatin1Char('x')), ""}));
}

TEST_F(TextPrinterTest, FailingDrawAbortsTheJobAndLeavesThePageOpen) {
    m_configure = [](FakePrintDevice& device) { device.m_drawsUntilFailure = 9; };
    CTextPrinter printer;
    printer.AddHeaderLine(QStringLiteral("Contact data"));
    printer.SetText(numberedLines(20));
    EXPECT_TRUE(printer.Print());
    EXPECT_EQ(m_log.calls, (QStringList{"startDoc", "selectFont", "startPage", "endPage",
                                        "selectFont", "startPage", "abortDoc"}));
    EXPECT_EQ(pageTexts(1), (QStringList{"Contact data"}));
}

TEST_F(TextPrinterTest, JobThatCannotStartIsAborted) {
    m_configure = [](FakePrintDevice& device) { device.m_canStart = false; };
    CTextPrinter printer;
    printer.SetText(numberedLines(3));
    EXPECT_TRUE(printer.Print());
    EXPECT_EQ(m_log.calls, (QStringList{"startDoc", "selectFont", "startPage", "abortDoc"}));
}

TEST_F(TextPrinterTest, PageWithoutRoomForTheBodyAbortsInsteadOfPrintingForever) {
    // 700 / 50 - 12 = 2 lines per page: the header and its empty line take them all.
    m_configure = [](FakePrintDevice& device) { device.m_pageHeight = 700; };
    CTextPrinter printer;
    printer.AddHeaderLine(QStringLiteral("Person data"));
    printer.SetText(numberedLines(3));
    EXPECT_TRUE(printer.Print());
    EXPECT_EQ(m_log.pages.size(), 1u);
    EXPECT_EQ(m_log.calls.back(), QStringLiteral("abortDoc"));
}

}  // namespace

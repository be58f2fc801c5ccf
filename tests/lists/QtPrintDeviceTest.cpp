#include "lists/QtPrintDevice.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>

#include "ScriptedPrompter.h"
#include "TempWorkDir.h"
#include "platform/TextPrinter.h"

namespace {

// Reports the page metrics a printout gets from the device.
class MetricsProbe : public CTextPrinter {
public:
    bool PrepareText() override {
        linesPerPageSeen = linesPerPage();
        charsPerLineSeen = charactersPerLine();
        return true;
    }
    int linesPerPageSeen = 0;
    int charsPerLineSeen = 0;
};

// The text of a PDF file with its blanks evened out, from whichever converter the machine
// has; empty without one.
QString pdfText(const QString& pdf, const QString& workDir) {
    QProcess process;
    const QString txt = workDir + QStringLiteral("/out.txt");
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, txt});
    } else if (!QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty()) {
        process.start(QStringLiteral("gs"),
                      {QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
                       QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=txtwrite"),
                       QStringLiteral("-sOutputFile=") + txt, pdf});
    } else {
        return {};
    }
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    QFile file(txt);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).simplified();
}

class QtPrintDeviceTest : public TempWorkDirTest {
protected:
    void TearDown() override {
        setPrinterChooser({});
        TempWorkDirTest::TearDown();
    }

    // Makes printouts print to the given PDF file without a dialog.
    static void printTo(const QString& pdf) {
        setPrinterChooser([pdf]() -> std::unique_ptr<PrintDevice> {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return std::make_unique<QtPrintDevice>(std::move(printer));
        });
    }
};

TEST_F(QtPrintDeviceTest, PrintsAReadablePdfOverSeveralPages) {
    const QString pdf = path(QStringLiteral("printout.pdf"));
    printTo(pdf);

    MetricsProbe probe;
    ASSERT_TRUE(probe.Print());
    // An 8 pt line on a sheet of paper: dozens of lines, about a hundred characters.
    EXPECT_GT(probe.linesPerPageSeen, 40);
    EXPECT_LT(probe.linesPerPageSeen, 120);
    EXPECT_GT(probe.charsPerLineSeen, 60);
    EXPECT_LT(probe.charsPerLineSeen, 160);

    QStringList body;
    for (int i = 1; i <= 150; ++i)
        body << QStringLiteral("Row %1 Smith Ann").arg(i);
    CTextPrinter printer;
    printer.SetDocName(QStringLiteral("Tarvex - person"));
    printer.AddHeaderLine(QStringLiteral("Person data"));
    printer.SetText(body.join(QStringLiteral("\r\n")));
    ASSERT_TRUE(printer.Print());

    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GT(bytes.size(), 2000);

    const QString text = pdfText(pdf, dirPath());
    if (text.isEmpty())
        GTEST_SKIP() << "no PDF text converter on this machine";
    EXPECT_GE(text.count(QStringLiteral("Person data")), 2);
    EXPECT_TRUE(text.contains(QStringLiteral("Row 1 Smith Ann")));
    EXPECT_TRUE(text.contains(QStringLiteral("Row 150 Smith Ann")));
}

TEST_F(QtPrintDeviceTest, CancelledPrintDialogPrintsNothing) {
    ScriptedPrompter prompter;
    prompter.answerPrint(false);
    installQtPrinting();
    CTextPrinter printer;
    printer.SetText(QStringLiteral("never printed"));
    EXPECT_FALSE(printer.Print());
}

}  // namespace

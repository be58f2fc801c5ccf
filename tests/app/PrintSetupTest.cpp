#include <gtest/gtest.h>

#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>

#include "FormFixture.h"
#include "app/WindowKinds.h"
#include "lists/QtPrintDevice.h"
#include "platform/TextPrinter.h"
#include "notepad/VondDoc.h"
#include "notepad/VondView.h"
#include "platform/CommandIds.h"
#include "platform/IniFile.h"
#include "platform/PageSetup.h"

namespace {

// The size of the first page of a PDF file in points, as pdfinfo reads it.
QSizeF pdfPageSize(const QString& pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(60000))
        return {};
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"))
            .match(QString::fromUtf8(info.readAllStandardOutput()));
    return size.hasMatch() ? QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble())
                           : QSizeF();
}

QStringList fileMenuTexts(QMainWindow& frame) {
    QStringList texts;
    const QList<QAction*> menus = frame.menuBar()->actions();
    if (!menus.isEmpty() && menus.first()->menu())
        for (const QAction* item : menus.first()->menu()->actions())
            texts << item->text();
    return texts;
}

const QPageLayout kLandscapeA5(QPageSize(QPageSize::A5), QPageLayout::Landscape,
                               QMarginsF(20, 15, 20, 15), QPageLayout::Millimeter);

}  // namespace

class PrintSetupTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        pageSetup() = CPageSetup();
        installQtPrinting();
    }
    void TearDown() override {
        setPrinterChooser({});
        pageSetup() = CPageSetup();
        FormTest::TearDown();
    }
    CVondView* newNotepad() {
        EXPECT_TRUE(command(cmd::Notepad));
        CSpawnMDIChildWnd* child = frame->activeChild();
        auto* doc = child ? qobject_cast<CVondDoc*>(child->document()) : nullptr;
        return doc ? doc->view() : nullptr;
    }
};

TEST_F(PrintSetupTest, TheChosenPageReachesListAndNotepadPrintoutsAndSurvivesARestart) {
    frame = std::make_unique<CMainFrame>(makeDocTemplates());
    frame->show();
    EXPECT_TRUE(fileMenuTexts(*frame).contains(QStringLiteral("P&rint Setup...")));

    prompts.answerPageSetup(kLandscapeA5);
    ASSERT_TRUE(command(cmd::PrintSetup));
    EXPECT_EQ(pageSetup().layout().orientation(), QPageLayout::Landscape);

    // A list or record printout.
    const QString listPdf = path(QStringLiteral("list.pdf"));
    prompts.answerPrintTo(listPdf);
    CTextPrinter printout;
    printout.SetText(QStringLiteral("one printed line"));
    ASSERT_TRUE(printout.Print());
    const QSizeF listPage = pdfPageSize(listPdf);
    EXPECT_NEAR(listPage.width(), 595.3, 1.0) << listPdf.toStdString();
    EXPECT_NEAR(listPage.height(), 419.5, 1.0);

    // The notepad, from its own File menu.
    CVondView* view = newNotepad();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(fileMenuTexts(*frame).contains(QStringLiteral("P&rint Setup...")));
    view->insertPlainText(QStringLiteral("printed line"));
    const QString notePdf = path(QStringLiteral("note.pdf"));
    prompts.answerPrintTo(notePdf);
    ASSERT_TRUE(command(cmd::FilePrint));
    const QSizeF notePage = pdfPageSize(notePdf);
    EXPECT_GT(notePage.width(), notePage.height());
    EXPECT_NEAR(notePage.height(), 419.5, 1.0);

    // A new run finds the choice in the settings file; the dialog opens with it, and a
    // cancelled dialog changes nothing.
    frame.reset();
    pageSetup() = CPageSetup();
    frame = std::make_unique<CMainFrame>(makeDocTemplates());
    ASSERT_TRUE(pageSetup().isChosen());
    const QPageLayout kept = pageSetup().layout();
    EXPECT_EQ(kept.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(kept.pageSize().id(), QPageSize::A5);
    EXPECT_NEAR(kept.margins(QPageLayout::Millimeter).left(), 20, 0.01);
    EXPECT_NEAR(kept.margins(QPageLayout::Millimeter).top(), 15, 0.01);
    prompts.answerPageSetup(std::nullopt);
    ASSERT_TRUE(command(cmd::PrintSetup));
    EXPECT_EQ(prompts.pageSetupShown().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(pageSetup().layout().orientation(), QPageLayout::Landscape);
}

TEST_F(PrintSetupTest, ADamagedPrintSectionChoosesNothing) {
    IniFile file(settingsFilePath());
    ASSERT_TRUE(file.writeStrings(QStringLiteral("print"),
                                  {{QStringLiteral("paperwidth"), QStringLiteral("210")},
                                   {QStringLiteral("paperheight"), QStringLiteral("297")},
                                   {QStringLiteral("orientation"), QStringLiteral("landscape")}}));
    for (const char* margins : {"10,10,10", "10,x,10,10", "10,-1,10,10", "200,10,200,10"}) {
        ASSERT_TRUE(file.writeString(QStringLiteral("print"), QStringLiteral("margins"),
                                     QString::fromLatin1(margins)));
        pageSetup().load(file);
        EXPECT_FALSE(pageSetup().isChosen()) << margins;
    }
}

#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolBar>

#include "FormFixture.h"
#include "app/WindowKinds.h"
#include "data/FirmRcs.h"
#include "data/SharksRcs.h"
#include "forms/FirmFView.h"
#include "forms/PersonFView.h"
#include "notepad/NotepadCommands.h"
#include "notepad/RecentFileList.h"
#include "notepad/RtfWriter.h"
#include "notepad/VondDoc.h"
#include "notepad/VondView.h"
#include "platform/CommandIds.h"
#include "platform/CommandTable.h"

namespace {

class NotepadTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        QSettings(QStringLiteral("Orvandel"), QStringLiteral("Tarvex")).clear();
        frame = std::make_unique<CMainFrame>(makeDocTemplates());
        frame->resize(1200, 900);
        frame->show();
        QApplication::setActiveWindow(frame.get());
    }

    CVondDoc* activeDoc() const {
        CSpawnMDIChildWnd* child = frame->activeChild();
        return child ? qobject_cast<CVondDoc*>(child->document()) : nullptr;
    }
    CVondView* newNotepad() {
        EXPECT_TRUE(command(cmd::Notepad));
        CVondDoc* doc = activeDoc();
        return doc ? doc->view() : nullptr;
    }
    int notepadCount() const {
        int n = 0;
        for (QMdiSubWindow* w : frame->mdiArea()->subWindowList())
            n += qobject_cast<CVondDoc*>(static_cast<CSpawnMDIChildWnd*>(w)->document()) ? 1 : 0;
        return n;
    }
    // Selects the characters [from, to) of the view's text.
    static void select(CVondView* view, int from, int to) {
        QTextCursor c(view->document());
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        view->setTextCursor(c);
    }
    QString writeFile(const char* name, const QByteArray& bytes) {
        QFile f(path(QString::fromLatin1(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
};

}  // namespace

TEST_F(NotepadTest, NewNotepadTypesInNinePointArialAndEveryCommandOpensAnother) {
    CVondView* view = newNotepad();
    ASSERT_TRUE(view);
    EXPECT_EQ(activeDoc()->GetTitle(), QStringLiteral("Notepad"));
    view->setFocus();
    QTest::keyClicks(view, QStringLiteral("Hello"));
    const RichText text = view->GetRichText();
    ASSERT_EQ(text.paragraphs.size(), 1u);
    ASSERT_EQ(text.paragraphs[0].runs.size(), 1u);
    EXPECT_EQ(text.paragraphs[0].runs[0].text, QStringLiteral("Hello"));
    EXPECT_EQ(text.paragraphs[0].runs[0].format.face.toLower(), QStringLiteral("arial"));
    EXPECT_EQ(text.paragraphs[0].runs[0].format.halfPoints, 18);
    EXPECT_FALSE(text.paragraphs[0].runs[0].format.bold);
    EXPECT_TRUE(activeDoc()->IsModified());

    newNotepad();
    EXPECT_EQ(notepadCount(), 2);
    // The notepad frame carries toolbar 114.
    auto* child = frame->activeChild();
    ASSERT_TRUE(child->toolBar());
    QList<int> ids;
    for (QAction* a : child->toolBar()->actions())
        ids << (a->isSeparator() ? 0 : a->data().toInt());
    EXPECT_EQ(ids, toolbarLayout(toolbars::Notepad));
}

TEST_F(NotepadTest, BoldTogglesOnMixedSelectionsAndShowsTheThreeStates) {
    CVondView* view = newNotepad();
    ASSERT_TRUE(view);
    view->insertPlainText(QStringLiteral("one two three"));
    select(view, 4, 7);
    ASSERT_TRUE(command(notepadcmd::Bold));
    EXPECT_EQ(view->EffectState(CVondView::Effect::Bold), Qt::Checked);
    EXPECT_TRUE(frame->findChild<QAction*>(QStringLiteral("command_32888"))->isChecked());

    select(view, 0, 13);
    EXPECT_EQ(view->EffectState(CVondView::Effect::Bold), Qt::PartiallyChecked);
    EXPECT_EQ(activeDoc()->GetCheckState(notepadcmd::Bold), Qt::PartiallyChecked);
    QWidget* button = frame->activeChild()->toolBar()->widgetForAction(
        frame->activeChild()->toolBarAction(notepadcmd::Bold));
    ASSERT_TRUE(button);
    EXPECT_TRUE(button->property("indeterminate").toBool());

    command(notepadcmd::Bold);  // partly bold: all of it becomes bold
    EXPECT_EQ(view->EffectState(CVondView::Effect::Bold), Qt::Checked);
    EXPECT_FALSE(button->property("indeterminate").toBool());
    const RichText allBold = view->GetRichText();
    for (const RichRun& run : allBold.paragraphs[0].runs)
        EXPECT_TRUE(run.format.bold) << run.text.toStdString();
    command(notepadcmd::Bold);  // all bold: none of it stays bold
    EXPECT_EQ(view->EffectState(CVondView::Effect::Bold), Qt::Unchecked);
    const RichText noneBold = view->GetRichText();
    for (const RichRun& run : noneBold.paragraphs[0].runs)
        EXPECT_FALSE(run.format.bold);

    select(view, 0, 3);
    command(notepadcmd::Italic);
    command(notepadcmd::Underline);
    select(view, 2, 6);
    EXPECT_EQ(view->EffectState(CVondView::Effect::Italic), Qt::PartiallyChecked);
    EXPECT_EQ(view->EffectState(CVondView::Effect::Underline), Qt::PartiallyChecked);
    select(view, 0, 2);
    EXPECT_EQ(view->EffectState(CVondView::Effect::Italic), Qt::Checked);
    select(view, 4, 6);
    EXPECT_EQ(view->EffectState(CVondView::Effect::Italic), Qt::Unchecked);
}

TEST_F(NotepadTest, AlignmentButtonsShowTheSelectedParagraphs) {
    CVondView* view = newNotepad();
    ASSERT_TRUE(view);
    view->insertPlainText(QStringLiteral("first\nsecond\nthird"));
    select(view, 7, 8);
    command(notepadcmd::AlignCenter);
    EXPECT_EQ(activeDoc()->GetCheckState(notepadcmd::AlignCenter), Qt::Checked);
    EXPECT_EQ(activeDoc()->GetCheckState(notepadcmd::AlignLeft), Qt::Unchecked);
    EXPECT_TRUE(frame->findChild<QAction*>(QStringLiteral("command_32893"))->isChecked());

    select(view, 0, 9);  // left and centred paragraphs
    for (int id : {notepadcmd::AlignLeft, notepadcmd::AlignCenter, notepadcmd::AlignRight})
        EXPECT_EQ(activeDoc()->GetCheckState(id), Qt::PartiallyChecked) << id;
    command(notepadcmd::AlignRight);
    EXPECT_EQ(activeDoc()->GetCheckState(notepadcmd::AlignRight), Qt::Checked);
    const RichText text = view->GetRichText();
    EXPECT_EQ(text.paragraphs[0].alignment, RichAlignment::Right);
    EXPECT_EQ(text.paragraphs[1].alignment, RichAlignment::Right);
    EXPECT_EQ(text.paragraphs[2].alignment, RichAlignment::Left);
}

TEST_F(NotepadTest, SaveAndOpenKeepTextAndFormatsAndFillTheRecentList) {
    CVondView* view = newNotepad();
    ASSERT_TRUE(view);
    view->insertPlainText(QString::fromUtf8("Grüße € {x}\nzwei"));
    select(view, 0, 5);
    command(notepadcmd::Bold);
    select(view, 14, 18);
    command(notepadcmd::AlignCenter);
    const RichText typed = view->GetRichText();

    const QString file = path(QStringLiteral("note.rtf"));
    prompts.answerFile(file);
    ASSERT_TRUE(command(cmd::FileSave));
    EXPECT_FALSE(activeDoc()->IsModified());
    EXPECT_EQ(activeDoc()->GetTitle(), QStringLiteral("note.rtf"));
    EXPECT_EQ(recentfiles::files().value(0), file);

    prompts.answerFile(file);
    ASSERT_TRUE(command(cmd::FileOpen));
    EXPECT_EQ(notepadCount(), 2);
    CVondDoc* opened = activeDoc();
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->GetTitle(), QStringLiteral("note.rtf"));
    EXPECT_FALSE(opened->IsModified());
    const RichText back = opened->view()->GetRichText();
    ASSERT_EQ(back.paragraphs.size(), typed.paragraphs.size());
    for (std::size_t i = 0; i < typed.paragraphs.size(); ++i)
        EXPECT_EQ(back.paragraphs[i], typed.paragraphs[i]) << i;

    for (int i = 0; i < 5; ++i)
        recentfiles::add(path(QStringLiteral("f%1.rtf").arg(i)));
    EXPECT_EQ(recentfiles::files().size(), recentfiles::kSize);
    EXPECT_EQ(recentfiles::files().value(0), path(QStringLiteral("f4.rtf")));
}

TEST_F(NotepadTest, FilesThatDoNotExistOrAreNoRtfOpenNothing) {
    prompts.answer(Prompter::Ok);
    prompts.answer(Prompter::Ok);
    EXPECT_FALSE(frame->OpenDocumentFile(path(QStringLiteral("missing.rtf"))));
    const QString text = writeFile("plain.rtf", "just text, no header");
    EXPECT_FALSE(frame->OpenDocumentFile(text));
    // The contacts file is never opened by the notepad: closing that descriptor would drop
    // the engine's locks on it.
    prompts.answer(Prompter::Ok);
    EXPECT_FALSE(frame->OpenDocumentFile(databasePath()));
    ASSERT_EQ(prompts.messages().size(), 3);
    EXPECT_TRUE(prompts.messages()[0].contains(QStringLiteral("does not exist")));
    EXPECT_TRUE(prompts.messages()[1].contains(QStringLiteral("not a rich-text")));
    EXPECT_TRUE(prompts.messages()[2].contains(QStringLiteral("choose another file")));
    EXPECT_EQ(notepadCount(), 0);

    const QString good = writeFile("good.rtf", "{\\rtf1 {\\b Bold} text}");
    CSpawnMDIChildWnd* opened = frame->OpenDocumentFile(good);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->windowTitle(), QStringLiteral("good.rtf"));
    EXPECT_EQ(activeDoc()->view()->toPlainText(), QStringLiteral("Bold text"));
}

TEST_F(NotepadTest, ClosingAModifiedNotepadAsksToSave) {
    CVondView* view = newNotepad();
    ASSERT_TRUE(view);
    view->insertPlainText(QStringLiteral("keep me"));
    ASSERT_TRUE(activeDoc()->IsModified());
    CSpawnMDIChildWnd* child = frame->activeChild();

    prompts.answer(Prompter::Cancel);
    EXPECT_FALSE(child->close());
    EXPECT_EQ(notepadCount(), 1);
    EXPECT_TRUE(prompts.messages().last().contains(QStringLiteral("Save changes to Notepad?")));

    // Closing the program asks too; Cancel keeps it running.
    prompts.answer(Prompter::Cancel);
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(notepadCount(), 1);

    const QString file = path(QStringLiteral("kept.rtf"));
    prompts.answer(Prompter::Yes);
    prompts.answerFile(file);
    EXPECT_TRUE(child->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(notepadCount(), 0);
    EXPECT_TRUE(QFile::exists(file));

    newNotepad()->insertPlainText(QStringLiteral("drop me"));
    prompts.answer(Prompter::No);
    EXPECT_TRUE(frame->activeChild()->close());
}

TEST_F(NotepadTest, PrintsWithHalfInchMarginsToPdf) {
    CVondView* view = newNotepad();
    ASSERT_TRUE(view);
    view->insertPlainText(QStringLiteral("printed line"));
    EXPECT_EQ(view->printMargins(), QMarginsF(0.5, 0.5, 0.5, 0.5));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = path(QStringLiteral("out.pdf"));
    printer.setOutputFileName(pdf);
    view->PrintDocument(printer);
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Inch);
    EXPECT_NEAR(margins.left(), 0.5, 0.01);
    EXPECT_NEAR(margins.right(), 0.5, 0.01);
    EXPECT_NEAR(margins.top(), 0.5, 0.01);
    EXPECT_NEAR(margins.bottom(), 0.5, 0.01);
    QFile out(pdf);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_TRUE(out.read(4) == "%PDF");
}

TEST_F(NotepadTest, FindAndReplace) {
    CVondView* view = newNotepad();
    ASSERT_TRUE(view);
    view->insertPlainText(QStringLiteral("cat dog cat bird"));
    view->moveCursor(QTextCursor::Start);
    EXPECT_TRUE(view->FindText(QStringLiteral("cat"), {}));
    EXPECT_EQ(view->textCursor().selectionStart(), 0);
    EXPECT_TRUE(view->FindText(QStringLiteral("cat"), {}));
    EXPECT_EQ(view->textCursor().selectionStart(), 8);
    EXPECT_TRUE(view->FindText(QStringLiteral("cat"), {}));  // wraps round
    EXPECT_EQ(view->textCursor().selectionStart(), 0);
    EXPECT_FALSE(view->FindText(QStringLiteral("fish"), {}));
    EXPECT_EQ(view->ReplaceAll(QStringLiteral("cat"), QStringLiteral("cow"), {}), 2);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("cow dog cow bird"));
}

TEST_F(NotepadTest, PersonViewButtonShowsTheDossierAsText) {
    addPerson("Smith", "John");
    qint32 id = 0;
    {
        CPersonRcs rs(&sharedDatabase());
        rs.Open();
        id = rs.longValue("id");
        CSharksRcs sharks(&sharedDatabase());
        sharks.Open();
        sharks.AddNew();
        sharks.setValue("id_person", id);
        sharks.setValue("busbio_goals", QStringLiteral("grow"));
        sharks.Update();
    }
    ASSERT_TRUE(command(cmd::ViewPersons));
    auto* form = view<CPersonFView>(QStringLiteral("Person"));
    ASSERT_TRUE(form);
    auto* viewButton = form->findChild<QPushButton*>(QStringLiteral("button1165"));
    ASSERT_TRUE(viewButton);
    viewButton->click();
    CVondDoc* doc = activeDoc();
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("Text zikinfo - Smith John"));
    EXPECT_EQ(frame->activeChild()->size(), QSize(400, 300));
    EXPECT_TRUE(frame->activeChild()->isVisible());
    EXPECT_FALSE(doc->IsModified());
    const QString text = doc->view()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("busbio_goals\ngrow\n\n")))
        << text.left(200).toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("id_person")));
}

TEST_F(NotepadTest, FirmViewButtonOpensTheTextAtTheTopLeft) {
    {
        CFirmRcs rs(&sharedDatabase());
        rs.Open();
        rs.AddNew();
        rs.setValue("name", QStringLiteral("Acme"));
        rs.Update();
    }
    ASSERT_TRUE(command(cmd::ViewCompanies));
    auto* form = view<CFirmFView>(QStringLiteral("Firm"));
    ASSERT_TRUE(form);
    auto* viewButton = form->findChild<QPushButton*>(QStringLiteral("button1165"));
    ASSERT_TRUE(viewButton);
    viewButton->click();
    CVondDoc* doc = activeDoc();
    ASSERT_TRUE(doc);
    // No dossier row yet: an empty text.
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("Text zikinfo - Acme"));
    EXPECT_TRUE(doc->view()->toPlainText().isEmpty());
    EXPECT_EQ(frame->activeChild()->geometry(), QRect(0, 0, 400, 300));
}

TEST_F(NotepadTest, DroppedRtfFilesOpenInNewNotepads) {
    const QString a = writeFile("a.rtf", "{\\rtf1 first}");
    const QString b = writeFile("b.rtf", "{\\rtf1 second}");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &drop);
    EXPECT_EQ(notepadCount(), 2);
    EXPECT_EQ(activeDoc()->GetTitle(), QStringLiteral("b.rtf"));
    EXPECT_EQ(activeDoc()->view()->toPlainText(), QStringLiteral("second"));
}

TEST_F(NotepadTest, ToolbarNewOpensANotepadAndRecordKeysLeaveTheEditorAlone) {
    CVondView* view = newNotepad();
    ASSERT_TRUE(view);
    ASSERT_TRUE(command(cmd::FileNew));
    EXPECT_EQ(notepadCount(), 2);
    view = activeDoc()->view();
    view->insertPlainText(QStringLiteral("one\ntwo"));
    view->moveCursor(QTextCursor::Start);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view->textCursor().position(), 7);
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view->textCursor().position(), 0);
}

TEST_F(NotepadTest, TheFileMenuListsTheRecentFilesAndOpensThem) {
    const QString file = writeFile("recent.rtf", "{\\rtf1 from the list}");
    recentfiles::add(file);
    QMenu* fileMenu = nullptr;
    for (QAction* a : frame->menuBar()->actions()) {
        if (a->menu() && a->text() == QStringLiteral("&File"))
            fileMenu = a->menu();
    }
    ASSERT_TRUE(fileMenu);
    emit fileMenu->aboutToShow();
    QAction* entry = nullptr;
    for (QAction* a : fileMenu->actions()) {
        if (a->text() == QStringLiteral("&1 recent.rtf"))
            entry = a;
    }
    ASSERT_TRUE(entry);
    entry->trigger();
    ASSERT_TRUE(activeDoc());
    EXPECT_EQ(activeDoc()->view()->toPlainText(), QStringLiteral("from the list"));
}

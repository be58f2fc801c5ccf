#include "forms/DossierText.h"

#include "app/MainFrame.h"
#include "app/SpawnMDIChildWnd.h"
#include "notepad/RichText.h"
#include "notepad/TableTextDump.h"
#include "notepad/VondDoc.h"
#include "notepad/VondView.h"
#include "platform/WaitCursor.h"

CSpawnMDIChildWnd* ShowDossierText(const QString& table, const QString& filter,
                                   const QString& title, bool toTopLeft) {
    WaitCursor wait;
    CMainFrame* main = CMainFrame::instance();
    CSpawnMDIChildWnd* frame = main ? main->OpenWindowByKind(QStringLiteral("Notepad")) : nullptr;
    if (!frame)
        return nullptr;
    // Hidden while it is filled, so the text does not appear line by line.
    frame->hide();
    auto* doc = qobject_cast<CVondDoc*>(frame->document());
    if (CVondView* view = doc ? doc->view() : nullptr) {
        RichTextBuilder dump;
        dump.setFormat(RichCharFormat());
        if (TableTextDump(table, &dump, filter, QString()) && !dump.isEmpty())
            view->InsertRichText(dump.text());
        // What the form wrote is no change of the user's.
        doc->SetModifiedFlag(false);
    }
    frame->resize(400, 300);
    if (toTopLeft)
        frame->move(0, 0);
    frame->show();
    if (doc)
        doc->SetTitle(title);
    return frame;
}

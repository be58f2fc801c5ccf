#include "forms/DossierText.h"

#include <QWidget>

#include "notepad/RichText.h"
#include "notepad/TableTextDump.h"
#include "notepad/VondDoc.h"
#include "notepad/VondView.h"
#include "platform/FrameServices.h"
#include "platform/WaitCursor.h"

QWidget* ShowDossierText(const QString& table, const QString& filter, const QString& title,
                         bool toTopLeft) {
    WaitCursor wait;
    CFrameServices* services = frameServices();
    CView* notepad = services ? services->OpenNewWindow(QStringLiteral("Notepad")) : nullptr;
    QWidget* frame = notepad ? services->FrameOf(dynamic_cast<QWidget*>(notepad)) : nullptr;
    if (!frame)
        return nullptr;
    // Hidden while it is filled, so the text does not appear line by line.
    frame->hide();
    auto* doc = qobject_cast<CVondDoc*>(notepad->GetDocument());
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

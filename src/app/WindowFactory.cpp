#include "app/WindowFactory.h"

#include <QMdiArea>
#include <array>

#include "app/ChildFrames.h"
#include "app/WindowPlacement.h"
#include "data/RecordLocator.h"
#include "notepad/RecentFileList.h"
#include "notepad/RtfFile.h"
#include "notepad/VondDoc.h"
#include "platform/CommandIds.h"
#include "platform/OpenWindowRegistry.h"
#include "platform/Prompter.h"

namespace {

// The windows that hold record sets; they close before the file is replaced or its password
// changes.
constexpr std::array<const char*, 11> kRecordWindowKinds{
    "Person",   "Alarm",       "Group",     "Contact",  "Firm",      "Zikinfo",
    "Zikinfo2", "Contactlist", "Alarmlist", "Firmlist", "Personlist"};

}  // namespace

CWindowFactory::CWindowFactory(QMdiArea& mdi, CDocTemplateRegistry templates, QIcon icon,
                               std::function<void(CDocument*)> opened)
    : m_mdi(mdi),
      m_templates(std::move(templates)),
      m_icon(std::move(icon)),
      m_opened(std::move(opened)) {}

CSpawnMDIChildWnd* CWindowFactory::OpenWindowByKind(const QString& kind) {
    const CDocTemplate* docTemplate = m_templates.find(kind);
    if (!docTemplate || !docTemplate->createDocument || !docTemplate->createView)
        return nullptr;
    std::unique_ptr<CDocument> document = docTemplate->createDocument();
    if (!document)
        return nullptr;
    CDocument* doc = document.get();
    doc->SetTitle(kind);
    QWidget* view = docTemplate->createView(doc);
    if (!view)
        return nullptr;
    CSpawnMDIChildWnd* frame = nullptr;
    switch (docTemplate->frameKind) {
        case FrameKind::Record:
            frame = new CDBFrame(std::move(document), view);
            break;
        case FrameKind::List:
            frame = new CListFrame(std::move(document), view);
            break;
        case FrameKind::Child:
            frame = new CChildFrame(std::move(document), view);
            break;
        case FrameKind::Notepad:
            frame = new CNotepadFrame(std::move(document), view);
            break;
    }
    frame->setProperty("frameKind", static_cast<int>(docTemplate->frameKind));
    frame->setWindowIcon(m_icon);
    m_mdi.addSubWindow(frame);
    m_opened(doc);
    frame->RestorePlacement();
    if (CView* v = frame->view())
        v->OnInitialUpdate();
    frame->show();
    m_mdi.setActiveSubWindow(frame);
    return frame;
}

CView* CWindowFactory::OpenOrActivate(const QString& kind) {
    if (CView* view = openwindows::find(kind)) {
        ActivateView(view);
        return view;
    }
    CSpawnMDIChildWnd* frame = OpenWindowByKind(kind);
    return frame ? frame->view() : nullptr;
}

void CWindowFactory::NewRecordOfKind(const QString& kind) {
    CView* view = OpenOrActivate(kind);
    if (view && view->GetDocument())
        view->GetDocument()->UpdateAllViews(nullptr, cmd::AddNew);
}

void CWindowFactory::NewPersonWithName(const QString& name) {
    const QString text = name.trimmed();
    if (text.isEmpty())
        return;
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    NewRecordWith(QStringLiteral("Person"),
                  CRecordLocator(blank < 0 ? text : text.left(blank),
                                 blank < 0 ? QString() : text.mid(blank + 1)));
}

void CWindowFactory::NewFirmWithName(const QString& name) {
    const QString text = name.trimmed();
    if (!text.isEmpty())
        NewRecordWith(QStringLiteral("Firm"), CRecordLocator(text, QString()));
}

void CWindowFactory::NewRecordWith(const QString& kind, CRecordLocator locator) {
    CView* view = OpenOrActivate(kind);
    if (view && view->GetDocument())
        view->GetDocument()->UpdateAllViews(nullptr, cmd::AddNew, &locator);
}

void CWindowFactory::NewNotepad() {
    if (CSpawnMDIChildWnd* frame = OpenWindowByKind(QStringLiteral("Notepad"))) {
        if (CDocument* doc = frame->document())
            doc->OnNewDocument();
    }
}

CSpawnMDIChildWnd* CWindowFactory::OpenDocumentFile(const QString& path) {
    QString problem;
    const std::optional<RichText> text = ReadRtfFile(path, &problem);
    if (!text) {
        recentfiles::remove(path);
        messageBox(problem, Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
        return nullptr;
    }
    CSpawnMDIChildWnd* frame = OpenWindowByKind(QStringLiteral("Notepad"));
    if (auto* doc = frame ? qobject_cast<CVondDoc*>(frame->document()) : nullptr)
        doc->OnOpenDocument(path, *text);
    return frame;
}

void CWindowFactory::ActivateView(CView* view) {
    if (CSpawnMDIChildWnd* frame = frameOf(view)) {
        if (frame->isMinimized())
            frame->showNormal();
        m_mdi.setActiveSubWindow(frame);
    }
}

CSpawnMDIChildWnd* CWindowFactory::frameOf(CView* view) const {
    return childFrameOf(dynamic_cast<QWidget*>(view));
}

CSpawnMDIChildWnd* CWindowFactory::activeChild() const {
    return qobject_cast<CSpawnMDIChildWnd*>(m_mdi.activeSubWindow());
}

void CWindowFactory::PlaceFrame(QWidget* view) {
    if (CSpawnMDIChildWnd* frame = childFrameOf(view)) {
        frame->RestorePlacement();
        frame->fitToViewOnce();
    }
}

void CWindowFactory::FitFrameToView(QWidget* view) {
    if (CSpawnMDIChildWnd* frame = childFrameOf(view))
        frame->fitToView();
}

QRect CWindowFactory::SavedPlacement(const QString& title) {
    const WindowPlacement saved = loadPlacement(title);
    return QRect(saved.left, saved.top, saved.right - saved.left, saved.bottom - saved.top);
}

QStringList CWindowFactory::OpenRecordWindowKinds() const {
    QStringList kinds;
    for (const char* kind : kRecordWindowKinds)
        if (openwindows::find(QString::fromLatin1(kind)))
            kinds.append(QString::fromLatin1(kind));
    return kinds;
}

bool CWindowFactory::CloseRecordWindowsAsking() {
    for (const char* kind : kRecordWindowKinds) {
        if (CSpawnMDIChildWnd* frame = frameOf(openwindows::find(QString::fromLatin1(kind))))
            if (!frame->close())
                return false;
    }
    CloseRecordWindows();
    return true;
}

void CWindowFactory::CloseRecordWindows() {
    for (const char* kind : kRecordWindowKinds) {
        if (CSpawnMDIChildWnd* frame = frameOf(openwindows::find(QString::fromLatin1(kind))))
            frame->destroyNow();
    }
}

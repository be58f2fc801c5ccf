#include "platform/Document.h"

CDocument::CDocument(QObject* parent) : QObject(parent) {}

CDocument::~CDocument() {
    for (CView* view : std::as_const(m_views))
        view->SetDocument(nullptr);
}

void CDocument::AddView(CView* view) {
    if (view && !m_views.contains(view)) {
        m_views.append(view);
        if (view->GetDocument() != this)
            view->SetDocument(this);
    }
}

void CDocument::RemoveView(CView* view) {
    m_views.removeAll(view);
}

void CDocument::UpdateAllViews(CView* sender, int hint, CHintObject* hintObject) {
    // A view may close its window while handling the update; work on a copy.
    const QList<CView*> views = m_views;
    for (CView* view : views) {
        if (view != sender && m_views.contains(view))
            view->OnUpdate(sender, hint, hintObject);
    }
}

void CDocument::SetTitle(const QString& title) {
    if (title == m_title)
        return;
    m_title = title;
    emit titleChanged(title);
}

bool CDocument::OnCommand(int) {
    return false;
}

bool CDocument::IsCommandEnabled(int, bool&) const {
    return false;
}

CView::~CView() {
    if (m_document)
        m_document->RemoveView(this);
}

void CView::SetDocument(CDocument* document) {
    if (document == m_document)
        return;
    CDocument* previous = m_document;
    m_document = document;
    if (previous)
        previous->RemoveView(this);
    if (document)
        document->AddView(this);
}

void CView::OnUpdate(CView*, int, CHintObject*) {}

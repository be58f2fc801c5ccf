#pragma once

#include <QString>

class CView;

// At most one window of each record kind exists: every form, list and dossier view enters
// itself here under its kind name while it lives. Kind names ignore letter case.
namespace openwindows {

CView* find(const QString& kind);
void enter(const QString& kind, CView* view);
void leave(const QString& kind, CView* view);

}  // namespace openwindows

// Holds a view's registry entry for the view's lifetime.
class OpenWindowSlot {
public:
    OpenWindowSlot(const QString& kind, CView* view);
    ~OpenWindowSlot();
    OpenWindowSlot(const OpenWindowSlot&) = delete;
    OpenWindowSlot& operator=(const OpenWindowSlot&) = delete;

private:
    QString m_kind;
    CView* m_view;
};

#include "platform/OpenWindowRegistry.h"

#include <QHash>

namespace {

QHash<QString, CView*>& openWindowTable() {
    static QHash<QString, CView*> table;
    return table;
}

}  // namespace

namespace openwindows {

CView* find(const QString& kind) {
    return openWindowTable().value(kind.toLower(), nullptr);
}

void enter(const QString& kind, CView* view) {
    openWindowTable().insert(kind.toLower(), view);
}

void leave(const QString& kind, CView* view) {
    auto it = openWindowTable().find(kind.toLower());
    if (it != openWindowTable().end() && it.value() == view)
        openWindowTable().erase(it);
}

}  // namespace openwindows

OpenWindowSlot::OpenWindowSlot(const QString& kind, CView* view) : m_kind(kind), m_view(view) {
    openwindows::enter(kind, view);
}

OpenWindowSlot::~OpenWindowSlot() {
    openwindows::leave(m_kind, m_view);
}

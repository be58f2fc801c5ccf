#include "platform/CallerLink.h"

#include <array>

#include "platform/Document.h"

void CallerLink::set(CView* view) {
    caller = dynamic_cast<QWidget*>(view);
    returnPending = true;
}

CView* CallerLink::callerView() const {
    return dynamic_cast<CView*>(caller.data());
}

CallerLink& callerLink(FormKind kind) {
    static std::array<CallerLink, 4> links;
    return links[static_cast<std::size_t>(kind)];
}

#include "app/ChildFrames.h"

namespace {

constexpr int kFormToolbar = 119;
constexpr int kListToolbar = 122;

constexpr Qt::WindowFlags kNoMaximize = Qt::SubWindow | Qt::CustomizeWindowHint |
                                        Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

}  // namespace

CDBFrame::CDBFrame(std::unique_ptr<CDocument> document, QWidget* view)
    : CSpawnMDIChildWnd(std::move(document), view) {
    setWindowFlags(kNoMaximize);
    addToolBar(kFormToolbar);
}

CListFrame::CListFrame(std::unique_ptr<CDocument> document, QWidget* view)
    : CSpawnMDIChildWnd(std::move(document), view) {
    addToolBar(kListToolbar);
}

CChildFrame::CChildFrame(std::unique_ptr<CDocument> document, QWidget* view)
    : CSpawnMDIChildWnd(std::move(document), view) {
    setWindowFlags(kNoMaximize);
}

#include "app/ChildFrames.h"

#include <QAction>
#include <QStyle>
#include <QToolBar>

#include "platform/CommandTable.h"

namespace {

constexpr int kFormToolbar = 119;
constexpr int kListToolbar = 122;

// The indeterminate look of a formatting button whose selection is mixed.
constexpr char kIndeterminateStyle[] =
    "QToolButton[indeterminate=\"true\"] { background: palette(midlight);"
    " border: 1px dotted palette(dark); }";

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

CNotepadFrame::CNotepadFrame(std::unique_ptr<CDocument> document, QWidget* view)
    : CSpawnMDIChildWnd(std::move(document), view) {
    addToolBar(toolbars::Notepad);
    toolBar()->setStyleSheet(QString::fromLatin1(kIndeterminateStyle));
    if (CDocument* doc = this->document()) {
        connect(doc, &CDocument::commandStateChanged, this, &CNotepadFrame::updateButtonStates);
    }
    updateButtonStates();
}

void CNotepadFrame::updateButtonStates() {
    CDocument* doc = document();
    if (!doc)
        return;
    for (QAction* action : toolBar()->actions()) {
        const std::optional<Qt::CheckState> state = doc->GetCheckState(action->data().toInt());
        if (!state)
            continue;
        QWidget* button = toolBar()->widgetForAction(action);
        const bool indeterminate = *state == Qt::PartiallyChecked;
        if (!button || button->property("indeterminate").toBool() == indeterminate)
            continue;
        button->setProperty("indeterminate", indeterminate);
        button->style()->unpolish(button);
        button->style()->polish(button);
    }
}

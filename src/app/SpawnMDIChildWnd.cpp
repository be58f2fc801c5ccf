#include "app/SpawnMDIChildWnd.h"

#include <algorithm>

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QPointer>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/CommandActions.h"
#include "app/WindowPlacement.h"
#include "data/ErrorReport.h"
#include "platform/CommandTable.h"
#include "platform/Document.h"

namespace {

constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

}  // namespace

CSpawnMDIChildWnd::CSpawnMDIChildWnd(std::unique_ptr<CDocument> document, QWidget* view)
    : m_document(std::move(document)), m_view(view), m_body(new QWidget(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_layout = new QVBoxLayout(m_body);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_view);
    setWidget(m_body);
    if (m_document) {
        setWindowTitle(m_document->GetTitle());
        connect(m_document.get(), &CDocument::titleChanged, this, &QWidget::setWindowTitle);
    }
}

CSpawnMDIChildWnd::~CSpawnMDIChildWnd() {
    // The view goes before its document, so that it can still leave the document, and so
    // do the toolbar's buttons, which read the document's state.
    delete m_view;
    m_view = nullptr;
    delete m_toolBar;
    m_toolBar = nullptr;
}

CView* CSpawnMDIChildWnd::view() const {
    return dynamic_cast<CView*>(m_view);
}

void CSpawnMDIChildWnd::addToolBar(int toolbarId) {
    m_toolBar = new QToolBar(m_body);
    m_toolBar->setIconSize(QSize(20, 20));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The buttons are this frame's own: they show the state of its document, also while
    // another window is active, and run their command on it. They look like the command's
    // menu item and carry no key, which stays with the menu's action.
    for (int id : toolbarLayout(toolbarId)) {
        if (id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* shared = commandAction(id);
        if (!shared)
            continue;
        auto* button = new QAction(shared->icon(), shared->text(), m_toolBar);
        button->setData(id);
        button->setToolTip(shared->toolTip());
        button->setStatusTip(shared->statusTip());
        button->setCheckable(shared->isCheckable());
        connect(button, &QAction::triggered, this, [this, id] { runToolBarCommand(id); });
        // Commands the document leaves to the main window follow the main window's state.
        connect(shared, &QAction::changed, button, [this, button] { updateButton(button); });
        m_toolBar->addAction(button);
    }
    if (m_document)
        connect(m_document.get(), &CDocument::commandStateChanged, this,
                &CSpawnMDIChildWnd::updateToolBar);
    updateToolBar();
    m_layout->insertWidget(0, m_toolBar);
}

QAction* CSpawnMDIChildWnd::toolBarAction(int id) const {
    if (!m_toolBar)
        return nullptr;
    for (QAction* action : m_toolBar->actions()) {
        if (!action->isSeparator() && action->data().toInt() == id)
            return action;
    }
    return nullptr;
}

void CSpawnMDIChildWnd::updateToolBar() {
    if (!m_toolBar)
        return;
    for (QAction* action : m_toolBar->actions()) {
        if (!action->isSeparator())
            updateButton(action);
    }
}

void CSpawnMDIChildWnd::updateButton(QAction* button) {
    const int id = button->data().toInt();
    bool enabled = false;
    if (!m_document || !m_document->IsCommandEnabled(id, enabled)) {
        const QAction* shared = commandAction(id);
        enabled = shared && shared->isEnabled();
    }
    button->setEnabled(enabled);
    if (button->isCheckable())
        button->setChecked(m_document && m_document->GetCheckState(id) == Qt::Checked);
}

void CSpawnMDIChildWnd::runToolBarCommand(int id) {
    const QPointer<CSpawnMDIChildWnd> self(this);
    reportDbErrors([&] {
        bool enabled = false;
        if (m_document && m_document->IsCommandEnabled(id, enabled)) {
            if (enabled)
                m_document->OnCommand(id);
        } else if (QAction* shared = commandAction(id)) {
            shared->trigger();
        }
    });
    // A pressed button shows the state the command left, also when nothing reported it.
    if (self)
        updateToolBar();
}

CSpawnMDIChildWnd* childFrameOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<CSpawnMDIChildWnd*>(w))
            return frame;
    }
    return nullptr;
}

void CSpawnMDIChildWnd::fitToViewOnce() {
    if (m_fitted)
        return;
    fitToView();
}

void CSpawnMDIChildWnd::fitToView() {
    m_fitted = true;
    // A fitted frame keeps its size as a fixed size: lift it, and bring the view's layout up
    // to date (a pane just hidden still counts until the layout runs again).
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (QLayout* viewLayout = m_view->layout())
        viewLayout->activate();
    m_layout->activate();
    m_body->adjustSize();
    adjustSize();
    if (!resizable())
        setFixedSize(size());
    keepInsideWorkspace();
}

void CSpawnMDIChildWnd::keepInsideWorkspace() {
    QMdiArea* area = mdiArea();
    if (!area)
        return;
    // A frame that grew past the right or bottom edge moves back as far as it fits.
    const QSize space = area->viewport()->size();
    QPoint at = pos();
    if (at.x() + width() > space.width())
        at.setX(std::max(0, space.width() - width()));
    if (at.y() + height() > space.height())
        at.setY(std::max(0, space.height() - height()));
    if (at != pos())
        move(at);
}

bool CSpawnMDIChildWnd::RestorePlacement() {
    if (!m_document)
        return false;
    const WindowPlacement wp = loadPlacement(m_document->GetTitle());
    const QRect normal(QPoint(wp.left, wp.top), QPoint(wp.right - 1, wp.bottom - 1));
    QRect screen(QPoint(0, 0), mdiArea() ? mdiArea()->viewport()->size() : QSize());
    if (!normal.isValid() || !normal.intersects(screen))
        return false;
    if (resizable()) {
        setGeometry(normal);
    } else {
        move(normal.topLeft());
    }
    m_normalGeometry = geometry();
    if (wp.showCmd == kShowMinimized) {
        showMinimized();
        move(wp.minX, wp.minY);
    } else if (wp.showCmd == kShowMaximized && resizable()) {
        showMaximized();
    }
    return true;
}

void CSpawnMDIChildWnd::SavePlacement() {
    if (!m_document)
        return;
    WindowPlacement wp;
    wp.showCmd = isMinimized() ? kShowMinimized : isMaximized() ? kShowMaximized : kShowNormal;
    wp.flags = 0;
    const QPoint minimized = isMinimized() ? pos() : m_minimizedPosition;
    wp.minX = minimized.x();
    wp.minY = minimized.y();
    wp.maxX = wp.maxY = -1;
    const QRect normal = m_normalGeometry.isValid() ? m_normalGeometry : geometry();
    wp.left = normal.left();
    wp.top = normal.top();
    wp.right = normal.right() + 1;
    wp.bottom = normal.bottom() + 1;
    savePlacement(m_document->GetTitle(), wp);
}

void CSpawnMDIChildWnd::destroyNow() {
    m_closing = true;
    SavePlacement();
    delete this;
}

void CSpawnMDIChildWnd::closeEvent(QCloseEvent* event) {
    if (!m_closing && m_document) {
        // A record that could not be saved keeps its window open.
        bool saved = false;
        if (!reportDbErrors([&] { saved = m_document->SaveModified(); }) || !saved) {
            event->ignore();
            return;
        }
    }
    if (!m_closing) {
        m_closing = true;
        SavePlacement();
    }
    QMdiSubWindow::closeEvent(event);
}

void CSpawnMDIChildWnd::rememberNormalGeometry() {
    if (!isMinimized() && !isMaximized() && isVisible())
        m_normalGeometry = geometry();
    if (isMinimized())
        m_minimizedPosition = pos();
}

void CSpawnMDIChildWnd::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    rememberNormalGeometry();
}

void CSpawnMDIChildWnd::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    rememberNormalGeometry();
}

void CSpawnMDIChildWnd::changeEvent(QEvent* event) {
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        rememberNormalGeometry();
}

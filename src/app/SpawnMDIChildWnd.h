#pragma once

#include <QMdiSubWindow>
#include <QRect>
#include <memory>

#include "platform/Document.h"

class QAction;
class QToolBar;
class QVBoxLayout;

// The child frame that hosts the widget, or nullptr.
class CSpawnMDIChildWnd;
CSpawnMDIChildWnd* childFrameOf(QWidget* widget);

// Base of every child frame: it owns the window's document, hosts the view (and an optional
// toolbar above it), and keeps the window's placement in the settings file under
// "WP_" + the document's title.
class CSpawnMDIChildWnd : public QMdiSubWindow {
    Q_OBJECT
public:
    CSpawnMDIChildWnd(std::unique_ptr<CDocument> document, QWidget* view);
    ~CSpawnMDIChildWnd() override;

    CDocument* document() const { return m_document.get(); }
    CView* view() const;
    QWidget* viewWidget() const { return m_view; }
    QToolBar* toolBar() const { return m_toolBar; }
    // The frame's own toolbar button of a command, or nullptr.
    QAction* toolBarAction(int id) const;

    // Restores the placement saved for the document's title. False when none applies (no
    // saved placement, or its rectangle lies wholly outside the visible area).
    bool RestorePlacement();
    void SavePlacement();

    // Fits the frame to the view's size hint (again after a layout change).
    void fitToView();
    // Fits the frame to the view the first time only; resizing it later is left to the user.
    void fitToViewOnce();
    // Moves the frame left or up where it reaches past the edge of the workspace.
    void keepInsideWorkspace();

    // Destroys the frame at once (its view and record set with it), without any question;
    // unsaved edits are lost. The object is gone when this returns.
    void destroyNow();

    // True once the document's closing has started.
    bool isClosing() const { return m_closing; }

protected:
    // Puts a toolbar with the given layout above the view.
    void addToolBar(int toolbarId);
    virtual bool resizable() const { return true; }
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rememberNormalGeometry();
    // Shows on the toolbar which commands the frame's document allows.
    void updateToolBar();
    void updateButton(QAction* button);
    void runToolBarCommand(int id);

    std::unique_ptr<CDocument> m_document;
    QWidget* m_view;
    QWidget* m_body;
    QVBoxLayout* m_layout;
    QToolBar* m_toolBar = nullptr;
    QRect m_normalGeometry;
    QPoint m_minimizedPosition;
    bool m_fitted = false;
    bool m_closing = false;
};

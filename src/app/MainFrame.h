#pragma once

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>

#include "platform/DocTemplate.h"
#include "platform/FrameServices.h"

class CSpawnMDIChildWnd;
class CView;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;
class CommandActions;
class CHelpWindow;
class CSearchDlg;

// The application's main window: the child windows live in its MDI area; it carries the
// command toolbar, the menus and the status bar, opens windows by kind, routes commands
// to the active child's document and runs the refresh after data changed.
class CMainFrame : public QMainWindow, public CFrameServices {
    Q_OBJECT
public:
    explicit CMainFrame(CDocTemplateRegistry templates);
    ~CMainFrame() override;

    // The one main frame of the process, or nullptr.
    static CMainFrame* instance();

    QMdiArea* mdiArea() const { return m_mdi; }
    const CDocTemplateRegistry& templates() const { return m_templates; }

    // Opens a new window of the named kind; nullptr when no template matches or the
    // window cannot be created.
    CSpawnMDIChildWnd* OpenWindowByKind(const QString& kind);
    // Activates the open window of the kind, or opens one; returns its view.
    CView* OpenOrActivate(const QString& kind) override;
    // Makes the frame of the view the active child window.
    void ActivateView(CView* view) override;
    CSpawnMDIChildWnd* frameOf(CView* view) const;
    CSpawnMDIChildWnd* activeChild() const;

    void NewPersonWithName(const QString& name);
    void NewFirmWithName(const QString& name);
    // Called after records were written or deleted: refills the open lists and reloads
    // the known-value lists.
    void DataChangedRefresh();
    // Restores a minimised main window and brings it in front of other applications.
    void RestoreMainWindow() override;
    QString settingsFile() const override;
    bool rememberColumns() const override;
    // The search tool while it is open.
    CSearchDlg* searchTool() const;
    // Closes the record windows (forms, person dossier, lists) at once, without asking.
    void CloseRecordWindows();

    // Runs a command as if chosen from a menu; false when nobody handled it.
    bool SendCommand(int id);
    // Recomputes which commands are enabled.
    void UpdateCommandStates();

    // Shows the bundled help at the given anchor (empty: the contents).
    void ShowHelp(const QString& anchor = {});

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OnCommand(int id);
    bool IsCommandEnabled(int id) const;
    void openOrActivateKind(const QString& kind);
    void newRecordOfKind(const QString& kind);
    void buildMenus();
    void fillMenuBar(int menuId);
    void buildToolBar();
    void buildStatusBar();
    void onSubWindowActivated(QMdiSubWindow* window);
    void updateTitle();
    void showAbout();
    void showOptions();
    void showSearchTool();

    CDocTemplateRegistry m_templates;
    QMdiArea* m_mdi;
    CommandActions* m_actions;
    QToolBar* m_toolBar = nullptr;
    int m_menuId = 0;
    QPointer<CHelpWindow> m_help;
    QPointer<CSearchDlg> m_search;
    QList<QKeySequence> m_recordKeys;
};

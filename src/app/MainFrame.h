#pragma once

#include "data/ChangeNotifier.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "platform/DocTemplate.h"
#include "platform/FrameServices.h"

class CSpawnMDIChildWnd;
class CView;
class QMdiArea;
class QMenu;
class QMdiSubWindow;
class QToolBar;
class CommandActions;
class CRecordKeys;
class CHelpWindow;
class CIntegrityCheck;
class CExternalChangeWatch;
class CKnownValueLoader;
class CAlarmScheduler;
class CSystemTray;
class QMenu;
class CSearchDlg;
class QLabel;

// The application's main window: the child windows live in its MDI area; it carries the
// command toolbar, the menus and the status bar, opens windows by kind, routes commands
// to the active child's document and runs the refresh after data changed. It owns the alarm
// scheduler and the tray icon, and shows the notice of each alarm that falls due.
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
    CView* OpenNewWindow(const QString& kind) override;
    QWidget* FrameOf(QWidget* view) const override;
    void PlaceFrame(QWidget* view) override;
    void FitFrameToView(QWidget* view) override;
    QRect SavedPlacement(const QString& title) const override;
    CSpawnMDIChildWnd* activeChild() const;

    void NewPersonWithName(const QString& name) override;
    void NewFirmWithName(const QString& name) override;
    // Stops the alarm scanner, rebuilds the watched alarms from the database and starts a
    // new scanner over them.
    void RestartAlarmScheduler() override;
    // Hears every committed change on the change notifier: hands the running scanner the
    // alarms the change touched, or restarts it when the change cannot say which. (The lists
    // and the known-value lists hear the notifier themselves.)
    void UpdateAlarmScheduler(const DataChange& change);
    void StopAlarmScanner();
    CAlarmScheduler& alarmScheduler() const { return *m_scheduler; }
    CSystemTray* tray() const { return m_tray; }
    UserOptions options() const override;
    void AlarmNoticeOpened() override;
    void AlarmNoticeClosed() override;
    // Restores a minimised main window and brings it in front of other applications.
    void RestoreMainWindow() override;
    QString settingsFile() const override;
    bool rememberColumns() const override;
    // The search tool while it is open.
    CSearchDlg* searchTool() const;
    // Closes the record windows (forms, person dossier, lists) at once, without asking.
    void CloseRecordWindows();
    // The kinds of the record windows that are open.
    QStringList OpenRecordWindowKinds() const;
    // Closes the record windows as the user would, each asking about unsaved changes; false
    // when one of them stays open.
    bool CloseRecordWindowsAsking();

    // Runs a command as if chosen from a menu; false when nobody handled it.
    bool SendCommand(int id) override;
    // Recomputes which commands are enabled.
    void UpdateCommandStates();

    // Checks the contacts file for damage in the background (see CIntegrityCheck).
    void StartIntegrityCheck();
    void StopIntegrityCheck();
    // Says in the status bar when the contacts file is kept without the write-ahead log.
    void ShowFileNote();
    // The check under way or done, or nullptr.
    CIntegrityCheck* integrityCheck() const { return m_integrityCheck.get(); }
    // Fills the known-value lists in the background (see CKnownValueLoader).
    void StartKnownValueLoad();
    // Starts looking once a second, and whenever a window is activated, for what other
    // programs committed to the file.
    void StartChangeWatch();
    CKnownValueLoader& knownValueLoader() const { return *m_knownValues; }
    // Opens an .rtf file in a new notepad window titled with the file's name; a file that
    // does not exist or is not RTF is reported and opens nothing.
    CSpawnMDIChildWnd* OpenDocumentFile(const QString& path);

    // Shows the bundled help at the given anchor (empty: the contents).
    void ShowHelp(const QString& anchor = {});

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

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
    void createTray();
    // Hides the window into the tray, or minimises it where there is no tray.
    void minimizeToTray();
    void exitProgram();
    // Shows the notice of the alarm the scanner found due.
    void OnAlarmDue(qint32 id);
    void newNotepad();
    void openFile();
    void addRecentFileEntries(QMenu* menu);
    void showSearchTool();

    CDocTemplateRegistry m_templates;
    QMdiArea* m_mdi;
    CommandActions* m_actions;
    QToolBar* m_toolBar = nullptr;
    int m_menuId = 0;
    QPointer<CHelpWindow> m_help;
    QPointer<CSearchDlg> m_search;
    std::unique_ptr<CRecordKeys> m_recordKeys;
    std::unique_ptr<CIntegrityCheck> m_integrityCheck;
    std::unique_ptr<CKnownValueLoader> m_knownValues;
    std::unique_ptr<CExternalChangeWatch> m_changeWatch;
    CSystemTray* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    QLabel* m_fileNote = nullptr;
    std::unique_ptr<CAlarmScheduler> m_scheduler;
};

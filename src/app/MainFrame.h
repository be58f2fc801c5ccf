#pragma once

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "app/FileTasks.h"
#include "app/FrameAlarms.h"
#include "app/WindowFactory.h"
#include "duplicates/MergeHistory.h"
#include "platform/DocTemplate.h"
#include "platform/FrameServices.h"

class CSpawnMDIChildWnd;
class CView;
class QMdiArea;
class QMenu;
class QMdiSubWindow;
class CommandActions;
class CRecordKeys;
class CHelpWindow;
class CFrameMenus;
class CFrameTray;
class CSystemTray;
class CSearchDlg;
class CFrameSync;
class CKeychainStore;

// The application's main window and the composition root: the child windows live in its MDI
// area; it puts together the pieces that carry its concerns (the window factory, the menus
// and bars, the tray icon, the alarm scheduler, the background work on the file), routes
// every command to them or to the active child's document, and answers the other windows
// through CFrameServices.
class CMainFrame : public QMainWindow, public CFrameServices {
    Q_OBJECT
public:
    explicit CMainFrame(CDocTemplateRegistry templates);
    ~CMainFrame() override;

    // The one main frame of the process, or nullptr.
    static CMainFrame* instance();

    QMdiArea* mdiArea() const { return m_mdi; }
    const CDocTemplateRegistry& templates() const { return m_windows.templates(); }

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
    // new scanner over them. (Between restarts the scanner follows the change notifier.)
    void RestartAlarmScheduler() override;
    void StopAlarmScanner();
    CAlarmScheduler& alarmScheduler() const { return m_alarms->scheduler(); }
    CSystemTray* tray() const;
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

    // Says in the status bar when the contacts file is kept without the write-ahead log.
    void ShowFileNote();
    // The background check, the known-value load and the watch for other programs' writes.
    CFileTasks& fileTasks() { return m_fileTasks; }
    void StartIntegrityCheck() { m_fileTasks.StartIntegrityCheck(); }
    void StopIntegrityCheck() { m_fileTasks.StopIntegrityCheck(); }
    CIntegrityCheck* integrityCheck() const { return m_fileTasks.integrityCheck(); }
    void StartKnownValueLoad() { m_fileTasks.StartKnownValueLoad(); }
    void StartChangeWatch() { m_fileTasks.StartChangeWatch(); }
    CKnownValueLoader& knownValueLoader() const { return m_fileTasks.knownValueLoader(); }
    duplicates::CMergeHistory& mergeHistory() { return m_mergeHistory; }
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
    void onSubWindowActivated(QMdiSubWindow* window);
    void updateTitle();
    // The server in use, in words: "host:port, database name, user name".
    QString serverName() const;
    void showAbout();
    void showOptions();
    void exitProgram();
    // Shows the notice of the alarm the scanner found due.
    void OnAlarmDue(qint32 id);
    void openFile();
    void showSearchTool();
    void showDuplicates();

    QMdiArea* m_mdi;
    CWindowFactory m_windows;
    CFileTasks m_fileTasks;
    CommandActions* m_actions = nullptr;
    CFrameMenus* m_menus = nullptr;
    std::unique_ptr<CFrameTray> m_tray;
    CFrameAlarms* m_alarms = nullptr;
    CKeychainStore* m_passwordStore = nullptr;
    CFrameSync* m_sync = nullptr;
    QPointer<CHelpWindow> m_help;
    QPointer<CSearchDlg> m_search;
    std::unique_ptr<CRecordKeys> m_recordKeys;
    // The last merge of duplicates, undoable until the program ends.
    duplicates::CMergeHistory m_mergeHistory;
};

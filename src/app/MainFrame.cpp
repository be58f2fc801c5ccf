#include "app/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <algorithm>
#include <array>

#include "alarms/AlarmNotice.h"
#include "alarms/AlarmScheduler.h"
#include "alarms/SchedulerUpdate.h"
#include "app/AboutDialog.h"
#include "app/AppPaths.h"
#include "app/BackupCommands.h"
#include "app/ChildFrames.h"
#include "app/CommandActions.h"
#include "app/FrameMenus.h"
#include "app/FrameSync.h"
#include "app/FrameTray.h"
#include "app/HelpWindow.h"
#include "app/MenuLayout.h"
#include "app/OptionsDialog.h"
#include "app/PrintSetupCommand.h"
#include "app/RecordKeys.h"
#include "app/ServerCopyCommands.h"
#include "app/Settings.h"
#include "app/SystemTray.h"
#include "app/TipOfDayDialog.h"
#include "app/WindowPlacement.h"
#include "data/Connection.h"
#include "data/DBDoc.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "data/ExternalChangeWatch.h"
#include "data/IntegrityCheck.h"
#include "data/KnownValueLoader.h"
#include "data/KnownValues.h"
#include "data/RecordLocator.h"
#include "data/ServerConnection.h"
#include "duplicates/DuplicatesDialog.h"
#include "exchange/ExportDialog.h"
#include "exchange/ImportDialog.h"
#include "lists/SearchDlg.h"
#include "notepad/RecentFileList.h"
#include "notepad/RtfFile.h"
#include "notepad/VondDoc.h"
#include "platform/CommandIcon.h"
#include "platform/CommandIds.h"
#include "platform/CommandTable.h"
#include "platform/ListRefill.h"
#include "platform/OpenWindowRegistry.h"
#include "platform/Prompter.h"
#include "platform/RecordIdSource.h"
#include "platform/StringTable.h"
#include "platform/WaitCursor.h"
#include "sync/PasswordStore.h"

namespace {

CMainFrame* theMainFrame = nullptr;

// Commands that open or activate a window of a kind; "new" ones then start a new record.
struct KindCommand {
    int id;
    const char* kind;
    bool newRecord;
};

constexpr std::array<KindCommand, 13> kKindCommands{{
    {cmd::ViewContacts, "Contact", false},
    {cmd::ViewPersons, "Person", false},
    {cmd::ViewCompanies, "Firm", false},
    {cmd::ViewAlarms, "Alarm", false},
    {cmd::ViewGroups, "Group", false},
    {cmd::ListContacts, "Contactlist", false},
    {cmd::ListPersons, "Personlist", false},
    {cmd::ListCompanies, "Firmlist", false},
    {cmd::ListAlarms, "Alarmlist", false},
    {cmd::NewContact, "Contact", true},
    {cmd::NewPerson, "Person", true},
    {cmd::NewCompany, "Firm", true},
    {cmd::NewAlarm, "Alarm", true},
}};

const KindCommand* kindCommand(int id) {
    for (const KindCommand& k : kKindCommands) {
        if (k.id == id)
            return &k;
    }
    return nullptr;
}

int menuFor(FrameKind kind) {
    switch (kind) {
        case FrameKind::Record:
            return menus::RecordForm;
        case FrameKind::List:
            return menus::RecordList;
        case FrameKind::Child:
            return menus::ChildWindow;
        case FrameKind::Notepad:
            return menus::Notepad;
    }
    return menus::Main;
}

}  // namespace

CMainFrame::CMainFrame(CDocTemplateRegistry templates)
    : m_mdi(new QMdiArea(this)),
      m_windows(*m_mdi, std::move(templates), namedIcon(QStringLiteral("tarvex")),
                [this](CDocument* doc) {
                    connect(doc, &CDocument::commandStateChanged, this,
                            &CMainFrame::UpdateCommandStates);
                    connect(doc, &CDocument::titleChanged, this, &CMainFrame::updateTitle);
                }) {
    theMainFrame = this;
    setFrameServices(this);
    setWindowTitle(loadString(113));
    setWindowIcon(namedIcon(QStringLiteral("tarvex")));
    setCentralWidget(m_mdi);
    m_mdi->setViewMode(QMdiArea::SubWindowView);
    m_actions = new CommandActions(this, [this](int id) { SendCommand(id); });
    m_menus = new CFrameMenus(*this, *m_actions, *m_mdi,
                              [this](const QString& path) { OpenDocumentFile(path); });
    setAcceptDrops(true);
    settings().Load();
    LoadPrintSetup();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);
    connect(&m_fileTasks.changeWatch(), &CExternalChangeWatch::serverConnection, this,
            [this](bool, const QString& text) {
                m_menus->showFileNote(QStringLiteral("Server %1: %2").arg(serverName(), text));
            });
    connect(&m_mergeHistory, &duplicates::CMergeHistory::changed, this,
            &CMainFrame::UpdateCommandStates);
    m_recordKeys = std::make_unique<CRecordKeys>(
        this,
        [this](int id) {
            const QAction* action = m_actions->action(id);
            return action && action->isEnabled();
        },
        [this](int id) { SendCommand(id); });
    qApp->installEventFilter(this);
    // Room for a form with its history pane beside another window.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableSize() : QSize(1280, 900);
    resize(std::min(available.width(), 1320), std::min(available.height(), 900));
    m_tray = std::make_unique<CFrameTray>(*this, *m_actions, [this](int id) { SendCommand(id); });
    m_alarms = new CFrameAlarms([this](qint32 id) { OnAlarmDue(id); }, this);
    m_passwordStore = new CKeychainStore(this);
    m_sync = new CFrameSync(*this, *m_passwordStore, [this] { UpdateCommandStates(); });
    // Coming back from another program that may have written to the file.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    m_fileTasks.LookForOtherWriters();
            });
    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    StopAlarmScanner();
    qApp->removeEventFilter(this);
    // The child windows go first, while this frame can still take their last signals.
    disconnect(m_mdi, nullptr, this, nullptr);
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
    for (QMdiSubWindow* window : windows)
        delete window;
    delete m_search;
    if (theMainFrame == this)
        theMainFrame = nullptr;
    if (frameServices() == this)
        setFrameServices(nullptr);
}

CSystemTray* CMainFrame::tray() const {
    return m_tray->icon();
}

CMainFrame* CMainFrame::instance() {
    return theMainFrame;
}

CSpawnMDIChildWnd* CMainFrame::OpenWindowByKind(const QString& kind) {
    return m_windows.OpenWindowByKind(kind);
}

CView* CMainFrame::OpenOrActivate(const QString& kind) {
    return m_windows.OpenOrActivate(kind);
}

CSpawnMDIChildWnd* CMainFrame::frameOf(CView* view) const {
    return m_windows.frameOf(view);
}

CSpawnMDIChildWnd* CMainFrame::activeChild() const {
    return m_windows.activeChild();
}

void CMainFrame::ActivateView(CView* view) {
    m_windows.ActivateView(view);
}

void CMainFrame::NewPersonWithName(const QString& name) {
    m_windows.NewPersonWithName(name);
}

void CMainFrame::NewFirmWithName(const QString& name) {
    m_windows.NewFirmWithName(name);
}

void CMainFrame::RestartAlarmScheduler() {
    m_alarms->Restart();
}

void CMainFrame::StopAlarmScanner() {
    m_alarms->Stop();
}

void CMainFrame::OnAlarmDue(qint32 id) {
    RestoreMainWindow();
    // The notice deletes itself when closed, or at once when its alarm is gone.
    auto* notice = new CAlarmNotice(id, this);
    notice->Init();
}

UserOptions CMainFrame::options() const {
    const CSettings& current = settings();
    return {current.soundFile, current.fillFirmAutomatically, current.unknownNameChoice()};
}

void CMainFrame::AlarmNoticeOpened() {
    m_tray->noticeOpened();
}

void CMainFrame::AlarmNoticeClosed() {
    m_tray->noticeClosed();
}

void CMainFrame::exitProgram() {
    m_tray->hideIcon();
    RestoreMainWindow();
    if (messageBox(loadString(60023), Prompter::Buttons::YesNo, Prompter::Icon::Exclamation) ==
        Prompter::Yes) {
        close();
        return;
    }
    m_tray->minimizeWindow();
}

QString CMainFrame::serverName() const {
    const CServerConnection& server = sharedDatabase().server();
    return QStringLiteral("%1, database %2, user %3")
        .arg(server.server(), server.database(), server.user());
}

void CMainFrame::ShowFileNote() {
    if (sharedDatabase().isServer()) {
        m_menus->showFileNote(QStringLiteral("Server %1").arg(serverName()));
        updateTitle();
        return;
    }
    const QString network = sharedDatabase().networkFileSystem();
    m_menus->showFileNote(
        network.isEmpty()
            ? QString()
            : QStringLiteral("The contacts file is on a network drive (%1): it is kept with a "
                             "rollback journal, since the write-ahead log needs all its "
                             "programs on one machine.")
                  .arg(network));
}

void CMainFrame::RestoreMainWindow() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    if (QWindow* handle = windowHandle())
        handle->requestActivate();
}

QString CMainFrame::settingsFile() const {
    return settingsFilePath();
}

bool CMainFrame::rememberColumns() const {
    return settings().rememberColumns;
}

CSearchDlg* CMainFrame::searchTool() const {
    return m_search;
}

void CMainFrame::showDuplicates() {
    duplicates::CDuplicatesDialog dialog(sharedDatabase(), m_mergeHistory, settingsFile(), this);
    dialog.exec();
}

void CMainFrame::showSearchTool() {
    // The tool is a window of its own, without a parent, of which one exists at a time.
    if (!m_search)
        m_search = new CSearchDlg;
    m_search->show();
    m_search->raise();
    m_search->activateWindow();
}

QStringList CMainFrame::OpenRecordWindowKinds() const {
    return m_windows.OpenRecordWindowKinds();
}

bool CMainFrame::CloseRecordWindowsAsking() {
    if (!m_windows.CloseRecordWindowsAsking())
        return false;
    CloseRecordWindows();
    return true;
}

void CMainFrame::CloseRecordWindows() {
    // The search tool reads its results through a connection of its own.
    delete m_search;
    m_windows.CloseRecordWindows();
}

bool CMainFrame::SendCommand(int id) {
    QAction* action = m_actions->action(id);
    if (action && !action->isEnabled())
        return false;
    // Every command from the menus, the keys, the toolbar and the tray enters here.
    bool handled = false;
    return reportDbErrors([&] { handled = OnCommand(id); }) && handled;
}

bool CMainFrame::OnCommand(int id) {
    if (const KindCommand* k = kindCommand(id)) {
        if (k->newRecord) {
            m_windows.NewRecordOfKind(QString::fromLatin1(k->kind));
        } else {
            m_windows.OpenOrActivate(QString::fromLatin1(k->kind));
        }
        return true;
    }
    switch (id) {
        case cmd::Notepad:
        case cmd::FileNew:
            m_windows.NewNotepad();
            return true;
        case cmd::FileOpen:
            openFile();
            return true;
        case cmd::AlarmDue:
            OnAlarmDue(m_alarms->scheduler().dueAlarmId());
            return true;
        case cmd::RestoreProgram:
            RestoreMainWindow();
            m_tray->hideIcon();
            return true;
        case cmd::ExitProgram:
            exitProgram();
            return true;
        case cmd::TipOfTheDay: {
            CTipOfDayDialog tip(this);
            tip.exec();
            return true;
        }
        case cmd::Import: {
            CImportDialog dialog(sharedDatabase(), this);
            dialog.exec();
            return true;
        }
        case cmd::Export: {
            CSpawnMDIChildWnd* child = activeChild();
            const auto* shown =
                child ? dynamic_cast<const CRecordIdSource*>(child->viewWidget()) : nullptr;
            CExportDialog dialog(sharedDatabase(), shown, this);
            dialog.exec();
            return true;
        }
        case cmd::Backup:
            RunBackup(this);
            return true;
        case cmd::SyncAccounts:
            // Runs once the menu or key that chose it has finished, like the other dialogs
            // that wait for the network.
            QMetaObject::invokeMethod(
                this, [this] { m_sync->showAccounts(); }, Qt::QueuedConnection);
            return true;
        case cmd::SyncNow:
            m_sync->syncNow();
            return true;
        case cmd::RestoreBackup:
            // Runs once the menu or key that chose it has finished, since it closes windows.
            QMetaObject::invokeMethod(
                this, [this] { reportDbErrors([this] { RunRestore(*this); }); },
                Qt::QueuedConnection);
            return true;
        case cmd::Options:
            // Runs once the menu or key that chose it has finished: a password change in the
            // dialog destroys windows, which must not happen inside the action's own trigger.
            QMetaObject::invokeMethod(
                this, [this] { reportDbErrors([this] { showOptions(); }); }, Qt::QueuedConnection);
            return true;
        case cmd::Search:
            showSearchTool();
            return true;
        case cmd::FindDuplicates:
            showDuplicates();
            return true;
        case cmd::UndoMerge:
            m_mergeHistory.undoAndReport(sharedDatabase());
            return true;
        case cmd::CopyToServer:
            RunCopyToServer(this);
            return true;
        case cmd::CopyFromServer:
            RunCopyFromServer(this);
            return true;
        case cmd::PrintSetup:
            RunPrintSetup();
            return true;
        case cmd::Help:
            ShowHelp();
            return true;
        case cmd::About:
            showAbout();
            return true;
        case cmd::AppExit:
            close();
            return true;
        case cmd::WindowCascade:
            m_mdi->cascadeSubWindows();
            return true;
        case cmd::WindowTile:
            m_mdi->tileSubWindows();
            return true;
        case cmd::WindowArrange:
            for (QMdiSubWindow* w : m_mdi->subWindowList()) {
                if (w->isMinimized())
                    w->showMinimized();
            }
            return true;
        case cmd::ViewToolbar:
            m_menus->toolBar()->setHidden(!m_menus->toolBar()->isHidden());
            UpdateCommandStates();
            return true;
        case cmd::ViewStatusBar:
            statusBar()->setHidden(!statusBar()->isHidden());
            UpdateCommandStates();
            return true;
        default:
            break;
    }
    if (CSpawnMDIChildWnd* child = activeChild()) {
        if (CDocument* doc = child->document())
            return doc->OnCommand(id);
    }
    return false;
}

bool CMainFrame::IsCommandEnabled(int id) const {
    // A server user who may only read is offered no command that writes.
    const bool writable = sharedDatabase().IsOpen() && !sharedDatabase().isReadOnly();
    if (const KindCommand* k = kindCommand(id))
        return m_windows.templates().find(QString::fromLatin1(k->kind)) &&
               (!k->newRecord || !sharedDatabase().isReadOnly());
    switch (id) {
        case cmd::Notepad:
        case cmd::FileNew:
        case cmd::FileOpen:
            return m_windows.templates().find(QStringLiteral("Notepad")) != nullptr;
        case cmd::Export:
        case cmd::Backup:
            return sharedDatabase().IsOpen();
        case cmd::CopyToServer:
            return sharedDatabase().IsOpen() && !sharedDatabase().isServer();
        case cmd::Import:
        case cmd::RestoreBackup:
        case cmd::FindDuplicates:
            return writable;
        case cmd::UndoMerge:
            return writable && m_mergeHistory.canUndo();
        case cmd::SyncNow:
            return writable && !m_sync->isRunning();
        case cmd::SyncAccounts:
        case cmd::CopyFromServer:
        case cmd::Options:
        case cmd::Search:
        case cmd::PrintSetup:
        case cmd::Help:
        case cmd::About:
        case cmd::AlarmDue:
        case cmd::RestoreProgram:
        case cmd::ExitProgram:
        case cmd::TipOfTheDay:
        case cmd::AppExit:
        case cmd::ViewToolbar:
        case cmd::ViewStatusBar:
            return true;
        case cmd::WindowCascade:
        case cmd::WindowTile:
        case cmd::WindowArrange:
            return !m_mdi->subWindowList().isEmpty();
        default:
            break;
    }
    if (CSpawnMDIChildWnd* child = activeChild()) {
        bool enabled = false;
        if (child->document() && child->document()->IsCommandEnabled(id, enabled))
            return enabled;
    }
    return false;
}

void CMainFrame::UpdateCommandStates() {
    for (int id : m_actions->ids())
        m_actions->action(id)->setEnabled(IsCommandEnabled(id));
    CSpawnMDIChildWnd* child = activeChild();
    CDocument* doc = child ? child->document() : nullptr;
    for (int id : m_actions->ids()) {
        QAction* action = m_actions->action(id);
        if (!action->isCheckable())
            continue;
        const std::optional<Qt::CheckState> state =
            doc ? doc->GetCheckState(id) : std::optional<Qt::CheckState>();
        action->setChecked(state == Qt::Checked);
    }
    // Whether the bars are meant to be shown, also before the window itself is shown.
    m_actions->setChecked(cmd::ViewToolbar, !m_menus->toolBar()->isHidden());
    m_actions->setChecked(cmd::ViewStatusBar, !statusBar()->isHidden());
}

void CMainFrame::onSubWindowActivated(QMdiSubWindow* window) {
    m_fileTasks.LookForOtherWriters();
    auto* frame = qobject_cast<CSpawnMDIChildWnd*>(window);
    const int menuId =
        frame ? menuFor(static_cast<FrameKind>(frame->property("frameKind").toInt())) : menus::Main;
    m_menus->fillMenuBar(menuId);
    updateTitle();
    UpdateCommandStates();
}

void CMainFrame::updateTitle() {
    QString caption = loadString(113);
    if (sharedDatabase().isServer())
        caption += QStringLiteral(" (server %1)").arg(serverName());
    CSpawnMDIChildWnd* child = activeChild();
    if (child && child->document()) {
        setWindowTitle(caption + QStringLiteral(" - ") + child->document()->GetTitle());
    } else {
        setWindowTitle(caption);
    }
}

void CMainFrame::ShowHelp(const QString& anchor) {
    // Help asked for from a modal dialog (an error report at the password prompt) belongs to
    // that dialog; a window of the main frame's would be blocked until the dialog closes.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = this;
    if (m_help && m_help->parentWidget() != owner) {
        m_help->close();
        m_help = nullptr;
    }
    if (!m_help)
        m_help = new CHelpWindow(owner);
    m_help->showPage(anchor);
}

void CMainFrame::showAbout() {
    CAboutDialog dialog(this);
    dialog.exec();
}

void CMainFrame::showOptions() {
    COptionsDialog dialog(this);
    dialog.exec();
}

void CMainFrame::openFile() {
    const QString path = prompter().openFileName(QStringLiteral("Open"), CVondDoc::fileFilter());
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

CSpawnMDIChildWnd* CMainFrame::OpenDocumentFile(const QString& path) {
    return m_windows.OpenDocumentFile(path);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            OpenDocumentFile(url.toLocalFile());
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
    for (QMdiSubWindow* window : windows) {
        if (!window->close()) {
            event->ignore();
            return;
        }
    }
    if (!settings().Save())
        messageBox(settingsNotSavedMessage(), Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
    settings().Save();
    // No alarm may be notified into a closing window.
    StopAlarmScanner();
    // The background readers give way to the copy; the copy of a large file takes a moment,
    // and the window is gone by then.
    m_fileTasks.StopReaders();
    hide();
    BackupOnExit();
    // The search tool is a window of its own; it goes with the main window.
    if (m_search)
        m_search->close();
    event->accept();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || !m_tray->icon()->enabled())
        return;
    // Hidden once the minimising has finished; restoring then happens through the tray icon.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized() && isVisible())
            m_tray->minimizeWindow();
    });
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // The record keys are translated before the focused control sees them, so that, for
    // example, Ctrl+Del erases the record even inside an edit field.
    if (m_recordKeys->translate(watched, event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

CView* CMainFrame::OpenNewWindow(const QString& kind) {
    CSpawnMDIChildWnd* frame = m_windows.OpenWindowByKind(kind);
    return frame ? frame->view() : nullptr;
}

QWidget* CMainFrame::FrameOf(QWidget* view) const {
    return childFrameOf(view);
}

void CMainFrame::PlaceFrame(QWidget* view) {
    m_windows.PlaceFrame(view);
}

void CMainFrame::FitFrameToView(QWidget* view) {
    m_windows.FitFrameToView(view);
}

QRect CMainFrame::SavedPlacement(const QString& title) const {
    return CWindowFactory::SavedPlacement(title);
}

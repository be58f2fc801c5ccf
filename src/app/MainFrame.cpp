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
#include "app/HelpWindow.h"
#include "app/MenuLayout.h"
#include "app/OptionsDialog.h"
#include "app/PrintSetupCommand.h"
#include "app/RecordKeys.h"
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

// The lists refilled after data changed, in this order.
// The windows that hold record sets; they close before the database password changes.
constexpr std::array<const char*, 11> kRecordWindowKinds{
    "Person",   "Alarm",       "Group",     "Contact",  "Firm",      "Zikinfo",
    "Zikinfo2", "Contactlist", "Alarmlist", "Firmlist", "Personlist"};

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
    : m_templates(std::move(templates)),
      m_mdi(new QMdiArea(this)),
      m_knownValues(std::make_unique<CKnownValueLoader>()) {
    theMainFrame = this;
    setFrameServices(this);
    setWindowTitle(loadString(113));
    setWindowIcon(namedIcon(QStringLiteral("tarvex")));
    setCentralWidget(m_mdi);
    m_mdi->setViewMode(QMdiArea::SubWindowView);
    m_actions = new CommandActions(this, [this](int id) { SendCommand(id); });
    buildToolBar();
    buildStatusBar();
    buildMenus();
    setAcceptDrops(true);
    settings().Load();
    LoadPrintSetup();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);
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
    createTray();
    m_scheduler = std::make_unique<CAlarmScheduler>(this, [this](qint32 id) { OnAlarmDue(id); });
    connect(&changeNotifier(), &CChangeNotifier::changed, this, &CMainFrame::UpdateAlarmScheduler);
    m_changeWatch = std::make_unique<CExternalChangeWatch>(sharedDatabase());
    // Coming back from another program that may have written to the file.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive && m_changeWatch->isActive())
                    m_changeWatch->check();
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

CMainFrame* CMainFrame::instance() {
    return theMainFrame;
}

void CMainFrame::buildToolBar() {
    m_toolBar = addToolBar(QStringLiteral("Main"));
    m_toolBar->setObjectName(QStringLiteral("MainToolBar"));
    m_toolBar->setIconSize(QSize(32, 32));
    m_toolBar->setMovable(true);
    for (int id : toolbarLayout(toolbars::Main)) {
        if (id == 0) {
            m_toolBar->addSeparator();
        } else if (QAction* action = m_actions->action(id)) {
            m_toolBar->addAction(action);
        }
    }
}

void CMainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    m_fileNote = new QLabel(bar);
    m_fileNote->setObjectName(QStringLiteral("fileNote"));
    m_fileNote->hide();
    bar->addWidget(m_fileNote);
    for (const char* pane : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(QString::fromLatin1(pane), bar);
        label->setObjectName(QString::fromLatin1(pane));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
        label->setEnabled(false);
        bar->addPermanentWidget(label);
    }
    bar->showMessage(QStringLiteral("Ready"));
}

void CMainFrame::buildMenus() {
    fillMenuBar(menus::Main);
}

void CMainFrame::fillMenuBar(int menuId) {
    if (menuId == m_menuId)
        return;
    m_menuId = menuId;
    // The bar owns its pop-ups; the old ones go with the old bar.
    for (QAction* action : menuBar()->actions()) {
        if (QMenu* menu = action->menu())
            menu->deleteLater();
    }
    menuBar()->clear();
    for (const MenuPopup& popup : menuLayout(menuId)) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.title));
        for (const MenuItem& item : popup.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            if (item.id == kRecentFilesItem) {
                addRecentFileEntries(menu);
                continue;
            }
            QAction* action = m_actions->action(item.id);
            if (!action)
                continue;
            m_actions->setMenuText(item.id, item.text ? QString::fromUtf8(item.text) : QString());
            menu->addAction(action);
        }
        if (popup.windowList) {
            connect(menu, &QMenu::aboutToShow, this, [this, menu, count = menu->actions().size()] {
                const QList<QAction*> actions = menu->actions();
                for (qsizetype i = count; i < actions.size(); ++i) {
                    menu->removeAction(actions[i]);
                    actions[i]->deleteLater();
                }
                const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
                if (!windows.isEmpty())
                    menu->addSeparator();
                int number = 1;
                for (QMdiSubWindow* window : windows) {
                    QAction* entry = menu->addAction(
                        QStringLiteral("&%1 %2").arg(number++).arg(window->windowTitle()));
                    entry->setCheckable(true);
                    entry->setChecked(window == m_mdi->activeSubWindow());
                    connect(entry, &QAction::triggered, this,
                            [this, window] { m_mdi->setActiveSubWindow(window); });
                }
            });
        }
    }
}

CSpawnMDIChildWnd* CMainFrame::OpenWindowByKind(const QString& kind) {
    const CDocTemplate* docTemplate = m_templates.find(kind);
    if (!docTemplate || !docTemplate->createDocument || !docTemplate->createView)
        return nullptr;
    std::unique_ptr<CDocument> document = docTemplate->createDocument();
    if (!document)
        return nullptr;
    CDocument* doc = document.get();
    doc->SetTitle(kind);
    QWidget* view = docTemplate->createView(doc);
    if (!view)
        return nullptr;
    CSpawnMDIChildWnd* frame = nullptr;
    switch (docTemplate->frameKind) {
        case FrameKind::Record:
            frame = new CDBFrame(std::move(document), view);
            break;
        case FrameKind::List:
            frame = new CListFrame(std::move(document), view);
            break;
        case FrameKind::Child:
            frame = new CChildFrame(std::move(document), view);
            break;
        case FrameKind::Notepad:
            frame = new CNotepadFrame(std::move(document), view);
            break;
    }
    frame->setProperty("frameKind", static_cast<int>(docTemplate->frameKind));
    frame->setWindowIcon(windowIcon());
    m_mdi->addSubWindow(frame);
    connect(doc, &CDocument::commandStateChanged, this, &CMainFrame::UpdateCommandStates);
    connect(doc, &CDocument::titleChanged, this, &CMainFrame::updateTitle);
    frame->RestorePlacement();
    if (CView* v = frame->view())
        v->OnInitialUpdate();
    frame->show();
    m_mdi->setActiveSubWindow(frame);
    return frame;
}

CView* CMainFrame::OpenOrActivate(const QString& kind) {
    if (CView* view = openwindows::find(kind)) {
        ActivateView(view);
        return view;
    }
    CSpawnMDIChildWnd* frame = OpenWindowByKind(kind);
    return frame ? frame->view() : nullptr;
}

CSpawnMDIChildWnd* CMainFrame::frameOf(CView* view) const {
    return childFrameOf(dynamic_cast<QWidget*>(view));
}

CSpawnMDIChildWnd* CMainFrame::activeChild() const {
    return qobject_cast<CSpawnMDIChildWnd*>(m_mdi->activeSubWindow());
}

void CMainFrame::ActivateView(CView* view) {
    if (CSpawnMDIChildWnd* frame = frameOf(view)) {
        if (frame->isMinimized())
            frame->showNormal();
        m_mdi->setActiveSubWindow(frame);
    }
}

void CMainFrame::openOrActivateKind(const QString& kind) {
    OpenOrActivate(kind);
}

void CMainFrame::newRecordOfKind(const QString& kind) {
    CView* view = OpenOrActivate(kind);
    if (view && view->GetDocument())
        view->GetDocument()->UpdateAllViews(nullptr, cmd::AddNew);
}

void CMainFrame::NewPersonWithName(const QString& name) {
    const QString text = name.trimmed();
    if (text.isEmpty())
        return;
    CView* view = OpenOrActivate(QStringLiteral("Person"));
    if (!view || !view->GetDocument())
        return;
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    CRecordLocator locator(blank < 0 ? text : text.left(blank),
                           blank < 0 ? QString() : text.mid(blank + 1));
    view->GetDocument()->UpdateAllViews(nullptr, cmd::AddNew, &locator);
}

void CMainFrame::NewFirmWithName(const QString& name) {
    const QString text = name.trimmed();
    if (text.isEmpty())
        return;
    CView* view = OpenOrActivate(QStringLiteral("Firm"));
    if (!view || !view->GetDocument())
        return;
    CRecordLocator locator(text, QString());
    view->GetDocument()->UpdateAllViews(nullptr, cmd::AddNew, &locator);
}

void CMainFrame::UpdateAlarmScheduler(const DataChange& change) {
    if (!change.touches(u"Alarm"))
        return;
    bool updated = false;
    reportDbErrors([&] {
        updated = sharedDatabase().IsOpen() &&
                  UpdateSchedulerAfter(change, *m_scheduler, sharedDatabase());
    });
    if (!updated)
        RestartAlarmScheduler();
}

void CMainFrame::RestartAlarmScheduler() {
    WaitCursor wait;
    StopAlarmScanner();
    if (!sharedDatabase().IsOpen())
        return;
    AlarmTable table;
    reportDbErrors([&] { table = LoadAlarmTable(sharedDatabase()); });
    if (!m_scheduler->Start(std::move(table)))
        messageBox(QStringLiteral("Error, couldn't start the alarm thread"));
}

void CMainFrame::StopAlarmScanner() {
    if (m_scheduler)
        m_scheduler->Stop();
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
    m_tray->ShowIcon();
    m_tray->Animate(200, 0);
}

void CMainFrame::AlarmNoticeClosed() {
    m_tray->StopAnimation();
    m_tray->HideIcon();
}

void CMainFrame::createTray() {
    m_tray = new CSystemTray(this, QSystemTrayIcon::isSystemTrayAvailable());
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("TrayMenu174"));
    m_trayMenu->addAction(m_actions->action(cmd::RestoreProgram));
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_actions->action(cmd::ExitProgram));
    // Without a notification area the program runs on without the icon.
    m_tray->Create(QStringLiteral("Tarvex - Contacts File"), namedIcon(QStringLiteral("tarvex")),
                   m_trayMenu, [this](int id) { SendCommand(id); });
    m_tray->SetMenuDefaultItem(cmd::RestoreProgram, false);
    // Icons 176 to 180, of which 177 and 179 are empty.
    m_tray->SetIconList({namedIcon(QStringLiteral("tarvex")), QIcon(),
                         namedIcon(QStringLiteral("alarm")), QIcon(),
                         namedIcon(QStringLiteral("new-alarm"))});
    // While the main window is visible there is no tray icon.
    m_tray->HideIcon();
}

void CMainFrame::minimizeToTray() {
    if (!m_tray->enabled()) {
        if (!isMinimized())
            showMinimized();
        return;
    }
    hide();
    m_tray->ShowIcon();
}

void CMainFrame::exitProgram() {
    m_tray->HideIcon();
    RestoreMainWindow();
    if (messageBox(loadString(60023), Prompter::Buttons::YesNo, Prompter::Icon::Exclamation) ==
        Prompter::Yes) {
        close();
        return;
    }
    minimizeToTray();
}

void CMainFrame::ShowFileNote() {
    const QString network = sharedDatabase().networkFileSystem();
    m_fileNote->setText(
        network.isEmpty()
            ? QString()
            : QStringLiteral("The contacts file is on a network drive (%1): it is kept with a "
                             "rollback journal, since the write-ahead log needs all its "
                             "programs on one machine.")
                  .arg(network));
    m_fileNote->setVisible(!network.isEmpty());
}

void CMainFrame::StartIntegrityCheck() {
    // With the rollback journal, a reader keeps every writer waiting: a check of the whole
    // file would hold up the user's saves for as long as it reads.
    if (sharedDatabase().journalMode() == QLatin1String("delete"))
        return;
    m_integrityCheck = std::make_unique<CIntegrityCheck>(databasePath(), currentPassword());
}

void CMainFrame::StopIntegrityCheck() {
    m_integrityCheck.reset();
}

void CMainFrame::StartKnownValueLoad() {
    m_knownValues->start();
}

void CMainFrame::StartChangeWatch() {
    m_changeWatch->start();
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

void CMainFrame::showSearchTool() {
    // The tool is a window of its own, without a parent, of which one exists at a time.
    if (!m_search)
        m_search = new CSearchDlg;
    m_search->show();
    m_search->raise();
    m_search->activateWindow();
}

QStringList CMainFrame::OpenRecordWindowKinds() const {
    QStringList kinds;
    for (const char* kind : kRecordWindowKinds)
        if (openwindows::find(QString::fromLatin1(kind)))
            kinds.append(QString::fromLatin1(kind));
    return kinds;
}

bool CMainFrame::CloseRecordWindowsAsking() {
    for (const char* kind : kRecordWindowKinds) {
        if (CSpawnMDIChildWnd* frame = frameOf(openwindows::find(QString::fromLatin1(kind))))
            if (!frame->close())
                return false;
    }
    CloseRecordWindows();
    return true;
}

void CMainFrame::CloseRecordWindows() {
    // The search tool reads its results through a connection of its own.
    delete m_search;
    for (const char* kind : kRecordWindowKinds) {
        if (CSpawnMDIChildWnd* frame = frameOf(openwindows::find(QString::fromLatin1(kind))))
            frame->destroyNow();
    }
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
            newRecordOfKind(QString::fromLatin1(k->kind));
        } else {
            openOrActivateKind(QString::fromLatin1(k->kind));
        }
        return true;
    }
    switch (id) {
        case cmd::Notepad:
        case cmd::FileNew:
            newNotepad();
            return true;
        case cmd::FileOpen:
            openFile();
            return true;
        case cmd::AlarmDue:
            OnAlarmDue(m_scheduler->dueAlarmId());
            return true;
        case cmd::RestoreProgram:
            RestoreMainWindow();
            m_tray->HideIcon();
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
            m_toolBar->setHidden(!m_toolBar->isHidden());
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
    if (const KindCommand* k = kindCommand(id))
        return m_templates.find(QString::fromLatin1(k->kind));
    switch (id) {
        case cmd::Notepad:
        case cmd::FileNew:
        case cmd::FileOpen:
            return m_templates.find(QStringLiteral("Notepad")) != nullptr;
        case cmd::Import:
        case cmd::Export:
        case cmd::Backup:
        case cmd::RestoreBackup:
            return sharedDatabase().IsOpen();
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
    m_actions->setChecked(cmd::ViewToolbar, !m_toolBar->isHidden());
    m_actions->setChecked(cmd::ViewStatusBar, !statusBar()->isHidden());
}

void CMainFrame::onSubWindowActivated(QMdiSubWindow* window) {
    if (m_changeWatch->isActive())
        m_changeWatch->check();
    auto* frame = qobject_cast<CSpawnMDIChildWnd*>(window);
    const int menuId =
        frame ? menuFor(static_cast<FrameKind>(frame->property("frameKind").toInt())) : menus::Main;
    fillMenuBar(menuId);
    updateTitle();
    UpdateCommandStates();
}

void CMainFrame::updateTitle() {
    const QString caption = loadString(113);
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

void CMainFrame::newNotepad() {
    if (CSpawnMDIChildWnd* frame = OpenWindowByKind(QStringLiteral("Notepad"))) {
        if (CDocument* doc = frame->document())
            doc->OnNewDocument();
    }
}

void CMainFrame::openFile() {
    const QString path = prompter().openFileName(QStringLiteral("Open"), CVondDoc::fileFilter());
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

CSpawnMDIChildWnd* CMainFrame::OpenDocumentFile(const QString& path) {
    QString problem;
    const std::optional<RichText> text = ReadRtfFile(path, &problem);
    if (!text) {
        recentfiles::remove(path);
        messageBox(problem, Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
        return nullptr;
    }
    CSpawnMDIChildWnd* frame = OpenWindowByKind(QStringLiteral("Notepad"));
    if (auto* doc = frame ? qobject_cast<CVondDoc*>(frame->document()) : nullptr)
        doc->OnOpenDocument(path, *text);
    return frame;
}

void CMainFrame::addRecentFileEntries(QMenu* menu) {
    // The entries are made each time the menu opens, from the list as it is then.
    QAction* anchor = menu->addSeparator();
    anchor->setVisible(false);
    connect(menu, &QMenu::aboutToShow, this, [this, menu, anchor] {
        for (QAction* old : menu->actions()) {
            if (old->property("recentFile").isValid()) {
                menu->removeAction(old);
                old->deleteLater();
            }
        }
        int number = 1;
        for (const QString& path : recentfiles::files()) {
            auto* entry = new QAction(
                QStringLiteral("&%1 %2").arg(number++).arg(QFileInfo(path).fileName()), menu);
            entry->setProperty("recentFile", path);
            entry->setStatusTip(path);
            connect(entry, &QAction::triggered, this, [this, path] { OpenDocumentFile(path); });
            menu->insertAction(anchor, entry);
        }
    });
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
    StopIntegrityCheck();
    m_knownValues->stop();
    hide();
    BackupOnExit();
    // The search tool is a window of its own; it goes with the main window.
    if (m_search)
        m_search->close();
    event->accept();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || !m_tray->enabled())
        return;
    // Hidden once the minimising has finished; restoring then happens through the tray icon.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized() && isVisible())
            minimizeToTray();
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
    CSpawnMDIChildWnd* frame = OpenWindowByKind(kind);
    return frame ? frame->view() : nullptr;
}

QWidget* CMainFrame::FrameOf(QWidget* view) const {
    return childFrameOf(view);
}

void CMainFrame::PlaceFrame(QWidget* view) {
    if (CSpawnMDIChildWnd* frame = childFrameOf(view)) {
        frame->RestorePlacement();
        frame->fitToViewOnce();
    }
}

void CMainFrame::FitFrameToView(QWidget* view) {
    if (CSpawnMDIChildWnd* frame = childFrameOf(view))
        frame->fitToView();
}

QRect CMainFrame::SavedPlacement(const QString& title) const {
    const WindowPlacement saved = loadPlacement(title);
    return QRect(saved.left, saved.top, saved.right - saved.left, saved.bottom - saved.top);
}

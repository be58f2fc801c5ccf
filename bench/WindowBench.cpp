#include "WindowBench.h"

#include <malloc.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

#include "BenchTable.h"
#include "DataBench.h"
#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/MainFrame.h"
#include "app/WindowKinds.h"
#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/KnownValueLoader.h"
#include "data/SortedKeyCache.h"
#include "forms/MyFormView.h"
#include "lists/ListModel.h"
#include "lists/MyListView.h"
#include "lists/SearchDlg.h"
#include "lists/SearchResultModel.h"
#include "platform/CommandIds.h"
#include "platform/OpenWindowRegistry.h"
#include "platform/ResourceLibrary.h"

namespace {

Timing once(const std::function<void()>& step) {
    const Stopwatch timer;
    step();
    return timer.elapsed();
}

// Lets the window paint what it shows, the lists read the rows the paint asked for, and the
// window paint them: as the user sees a window come up.
void showOnScreen(QWidget* window) {
    QApplication::processEvents();
    window->grab();
    QApplication::processEvents();
    window->grab();
}

// Lets windows already on screen repaint what changed, as a screen has them do: the widgets
// whose contents changed paint into the window's backing store, and the rows such a paint asks
// a list for are read and painted in turn. (A grab() would paint every widget again, which
// no screen asks for when a record changes.)
void repaintChanged() {
    for (int round = 0; round < 3; ++round)
        QApplication::processEvents();
}

// Lets the window's events run for `ms` milliseconds, as while a user reads or types.
void letEventsRun(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs `action` on the modal dialog that the next step opens.
void onNextModal(std::function<void(QDialog*)> action) {
    QTimer::singleShot(0, qApp, [action = std::move(action)] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            action(dialog);
        else
            onNextModal(action);
    });
}

// The memory the heap holds now (not what it once took and kept), in MiB.
double heapInUseMiB() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

// Closes the child window that holds `view` (a window of the kind `kind`), as its close
// button does.
void closeWindowOf(QWidget* view, const char* kind) {
    QWidget* window = view;
    while (window && !qobject_cast<QMdiSubWindow*>(window))
        window = window->parentWidget();
    if (!window)
        throw std::runtime_error("the view is in no child window");
    window->close();
    // A closed window is deleted later, which a bare processEvents() does not do.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    if (openwindows::find(QLatin1String(kind)))
        throw std::runtime_error(std::string("the window did not close: ") + kind);
}

template <class View>
View* openView(const char* kind) {
    auto* view = dynamic_cast<View*>(openwindows::find(QLatin1String(kind)));
    if (!view)
        throw std::runtime_error(std::string("no open window of the kind ") + kind);
    return view;
}

struct ListCase {
    int command;
    const char* kind;
    const char* table;
    const char* engineSort;
};

const ListCase kLists[] = {
    {cmd::ListPersons, "Personlist", "Person", "lastname, firstname, id"},
    {cmd::ListCompanies, "Firmlist", "Firm", "name, id"},
    {cmd::ListContacts, "Contactlist", "Contact", "date DESC, time DESC, id DESC"},
    {cmd::ListAlarms, "Alarmlist", "Alarm", "date DESC, time, id"},
};

class WindowBench {
public:
    WindowBench(std::unique_ptr<Reference> engine, const QString& password, BenchTable& table)
        : m_engine(std::move(engine)), m_password(password), m_table(table) {}

    void run() {
        startUp();
        lists();
        sortAndFilter();
        search();
        personForm();
        outsideChange();
        m_frame->close();
        QApplication::processEvents();
        m_frame.reset();
    }

private:
    void startUp() {
        // The pick lists fill in the background while the window comes up: timed from the
        // same start to the moment their load reports.
        const Stopwatch sinceStart;
        std::optional<Timing> filled;
        const Timing ours = once([&] {
            m_frame = std::make_unique<CMainFrame>(makeDocTemplates());
            QObject::connect(&m_frame->knownValueLoader(), &CKnownValueLoader::loaded,
                             m_frame.get(), [&] {
                                 if (!filled)
                                     filled = sinceStart.elapsed();
                             });
            m_frame->resize(1200, 800);
            m_frame->show();
            onNextModal([this](QDialog* access) {
                if (auto* field = access->findChild<QLineEdit*>(QStringLiteral("password")))
                    field->setText(m_password);
                access->accept();
            });
            if (!StartSession(*m_frame))
                throw std::runtime_error("the database access prompt was cancelled");
            showOnScreen(m_frame.get());
        });
        // The rows after these do not share the processor with the load.
        CKnownValueLoader& loader = m_frame->knownValueLoader();
        if (loader.busy()) {
            QEventLoop loop;
            QObject::connect(&loader, &CKnownValueLoader::loaded, &loop, &QEventLoop::quit);
            loop.exec();
        }
        const Timing engine = once([&] { m_engine->connectAgain()->time(distinctNamesSql()); });
        m_table.add(QStringLiteral("start-up to a usable main window"), ours, engine,
                    QStringLiteral("connection; the names are read in the background"));
        m_table.add(QStringLiteral("start-up to filled pick lists"),
                    filled.value_or(sinceStart.elapsed()), engine,
                    QStringLiteral("background known-value load; the window answers meanwhile"));
    }

    // Times `step`, then the engine's statement, then reads the note: in this order, as the
    // note tells what the step left.
    void row(const QString& operation, const std::function<void()>& step, const QString& engineSql,
             const std::function<QString()>& note = {}) {
        const Timing ours = once(step);
        const Timing engine = m_engine->time(engineSql);
        m_table.add(operation, ours, engine, note ? note() : QString());
    }

    void lists() {
        // The heap each list takes, measured before the engine's statement fills the
        // engine connection's own cache.
        double listsHeap = 0;
        for (const ListCase& list : kLists) {
            CMyListView* view = nullptr;
            double heap = 0;
            row(
                QStringLiteral("open the list of %1").arg(QLatin1String(list.table)),
                [&] {
                    const double before = heapInUseMiB();
                    m_frame->SendCommand(list.command);
                    view = openView<CMyListView>(list.kind);
                    showOnScreen(view);
                    heap = heapInUseMiB() - before;
                },
                QStringLiteral("SELECT * FROM %1 ORDER BY %2")
                    .arg(QLatin1String(list.table), QLatin1String(list.engineSort)),
                [&] {
                    return QStringLiteral("%1 rows; %2 MiB of heap")
                        .arg(view->listModel()->rowCount())
                        .arg(heap, 0, 'f', 1);
                });
            listsHeap += heap;
        }
        m_table.add(
            QStringLiteral("memory of the four open lists"), {0, 0, peakMemoryMiB()}, kNoEngine,
            QStringLiteral("%1 MiB of heap: ids and the rows on screen").arg(listsHeap, 0, 'f', 1));
    }

    void sortAndFilter() {
        auto* contacts = openView<CMyListView>("Contactlist");
        const int person = static_cast<int>(contacts->columnFields().indexOf(u"person"));
        const QString order = QStringLiteral("SELECT * FROM Contact ORDER BY person %1")
                                  .arg(CMyListView::sortDirectionToggle() == 1 ? u"ASC" : u"DESC");
        const auto rows = [contacts](const char* what) {
            return [contacts, what] {
                return QStringLiteral("%1 rows%2")
                    .arg(contacts->listModel()->rowCount())
                    .arg(QLatin1String(what));
            };
        };
        row(
            QStringLiteral("header-click sort of the contacts by person"),
            [&] {
                contacts->SortByColumn(person);
                showOnScreen(contacts);
            },
            order, rows(""));

        onNextModal([person](QDialog* filter) {
            filter->findChild<QComboBox*>(QStringLiteral("1051"))->setCurrentIndex(person);
            // OK puts the text between stars.
            filter->findChild<QLineEdit*>(QStringLiteral("1052"))->setText(QStringLiteral("smi"));
            filter->findChild<QPushButton*>(QStringLiteral("1"))->click();
        });
        row(
            QStringLiteral("filter all contacts: person *smi*"),
            [&] {
                contacts->OnUpdate(nullptr, cmd::Filter, nullptr);
                showOnScreen(contacts);
            },
            QStringLiteral("SELECT id FROM Contact WHERE ") +
                m_engine->like(QStringLiteral("person"), QStringLiteral("%smi%")),
            rows(" kept"));

        row(
            QStringLiteral("\"No filter\" on the contacts"),
            [&] {
                contacts->OnUpdate(nullptr, cmd::FilterOff, nullptr);
                showOnScreen(contacts);
            },
            order, rows(""));
    }

    void search() {
        m_frame->SendCommand(cmd::Search);
        CSearchDlg* tool = m_frame->searchTool();
        if (!tool)
            throw std::runtime_error("the search tool did not open");
        tool->findChild<QPushButton*>(QStringLiteral("4"))->click();  // "&All"
        // The user types the text: a second, in which the tool readies its connections.
        letEventsRun(1000);
        auto* results = tool->findChild<QAbstractItemView*>(QStringLiteral("1107"));
        for (const QString& text : {QStringLiteral("müll"), QStringLiteral("o'b")}) {
            tool->findChild<QLineEdit*>(QStringLiteral("1108"))->setText(text);
            const Timing ours = once([&] {
                // The search runs in the background: timed until its hits are shown. The
                // wait sleeps in an event loop, as the window's own does; a loop of
                // processEvents() would spin and take a processor from the server.
                QEventLoop wait;
                QObject::connect(tool->resultModel(), &CSearchResultModel::searchingChanged, &wait,
                                 [&wait](bool searching) {
                                     if (!searching)
                                         wait.quit();
                                 });
                tool->findChild<QPushButton*>(QStringLiteral("3"))->click();  // "&Search"
                if (tool->resultModel()->searching())
                    wait.exec();
                showOnScreen(tool);
            });
            m_table.add(QStringLiteral("search all four categories for '%1'").arg(text), ours,
                        engineSearch(text),
                        QStringLiteral("%1 hits").arg(results->model()->rowCount()));
        }
        tool->close();
    }

    // The same rows found with the engine's built-in LIKE, which ignores the letter case
    // of ASCII letters only.
    Timing engineSearch(const QString& text) {
        static const std::pair<const char*, const char*> categories[] = {
            {"Contact", "date, description, firm, person, time"},
            {"Person",
             "address_home, description, firm, firstname, lastname, title, function, [group], "
             "email_home, phone_home1, phone_bussines1, email_bussines"},
            {"Firm",
             "name, address, description, email1, fax1, phone1, title, function, person, "
             "[group], phone2, fax2, web"},
            {"Alarm", "date, description, firm, person, time, name"}};
        Timing total;
        for (const auto& [table, columns] : categories) {
            QStringList parts;
            for (const QString& column : QString::fromLatin1(columns).split(QStringLiteral(", ")))
                parts << m_engine->like(column, u'%' + text + u'%');
            total = total + m_engine->time(
                                QStringLiteral("SELECT id FROM %1 WHERE %2")
                                    .arg(QLatin1String(table), parts.join(QStringLiteral(" OR "))));
        }
        return total;
    }

    void personForm() {
        CMyFormView* form = nullptr;
        row(
            QStringLiteral("open the person form"),
            [&] {
                m_frame->SendCommand(cmd::ViewPersons);
                form = openView<CMyFormView>("Person");
                showOnScreen(form);
            },
            QStringLiteral("SELECT rowid FROM Person ORDER BY lastname, firstname"));
        // The form above took the order the person list had read. Without an open list (the
        // first window of the day) it reads every key itself, on a connection that has not
        // read them before. A server session's first touch of each page of the server's shared
        // buffers is slow on this machine's virtual processors, and doubles the statement's
        // time; the reference runs in a new session, so that both pay for it once.
        closeWindowOf(form, "Person");
        sortedKeyCache().forget(DataChange::all());
        const std::unique_ptr<Reference> newSession = m_engine->connectAgain();
        const Timing cold = once([&] {
            m_frame->SendCommand(cmd::ViewPersons);
            form = openView<CMyFormView>("Person");
            showOnScreen(form);
        });
        m_table.add(QStringLiteral("open the person form, no list's order to take"), cold,
                    newSession->time(
                        QStringLiteral("SELECT rowid FROM Person ORDER BY lastname, firstname")),
                    QStringLiteral("engine: the keys' statement in a new session"));
        // Each move an average of ten, each from a record where it moves the form: one move
        // takes a fraction of a millisecond, less than the noise of a single reading.
        struct MoveCase {
            int command;
            int before;  // untimed, so that the move has somewhere to go
            const char* name;
        };
        for (const MoveCase& move : {MoveCase{cmd::FirstRecord, cmd::NextRecord, "first"},
                                     MoveCase{cmd::NextRecord, 0, "next"},
                                     MoveCase{cmd::LastRecord, cmd::PreviousRecord, "last"}}) {
            constexpr int kMoves = 10;
            m_frame->ActivateView(form);
            Timing total;
            for (int i = 0; i < kMoves; ++i) {
                if (move.before)
                    m_frame->SendCommand(move.before);
                repaintChanged();
                total = total + once([&] {
                            m_frame->SendCommand(move.command);
                            repaintChanged();
                        });
            }
            m_table.add(QStringLiteral("person form: move to the %1 record (average)")
                            .arg(QLatin1String(move.name)),
                        total / kMoves,
                        m_engine->time(QStringLiteral("SELECT * FROM Person WHERE rowid = 5")));
        }

        // A change saved while the four lists are open: the data-changed refresh reloads
        // the known values and refills every list.
        m_frame->ActivateView(form);
        m_frame->SendCommand(cmd::EditRecord);
        auto* function = form->findChild<QLineEdit*>(QStringLiteral("function"));
        if (!function)
            throw std::runtime_error("the person form has no function field");
        // A text of this run: the same text as a run before would save nothing.
        function->setText(
            QStringLiteral("Buyer (bench %1)").arg(QDateTime::currentMSecsSinceEpoch()));
        const Timing ours = once([&] {
            m_frame->SendCommand(cmd::SaveRecord);
            QApplication::processEvents();
            for (const ListCase& list : kLists)
                openView<CMyListView>(list.kind)->waitForRefill();
            repaintChanged();
        });
        if (form->isEditing())
            throw std::runtime_error("the person form did not save");
        Timing engine = m_engine->time(QStringLiteral(
                            "UPDATE Person SET function = 'Buyer (bench)' WHERE rowid = "
                            "(SELECT max(rowid) FROM Person)")) +
                        m_engine->time(distinctNamesSql());
        for (const ListCase& list : kLists)
            engine = engine + m_engine->time(QStringLiteral("SELECT id FROM %1 ORDER BY %2")
                                                 .arg(QLatin1String(list.table),
                                                      QLatin1String(list.engineSort)));
        m_table.add(QStringLiteral("person form save + refresh, four lists open"), ours, engine,
                    QStringLiteral("engine: update, distinct names, the four lists' ids"));
        // The engine's update above is another program's write to the window: the watch
        // notices it and the lists read again here, untimed, not inside the next row.
        waitForChangeWatch();
        m_frame->fileTasks().LookForOtherWriters();
        for (const ListCase& list : kLists)
            openView<CMyListView>(list.kind)->waitForRefill();
        QApplication::processEvents();

        // The lists' share of that refresh: the same change announced again, each list moves
        // the one row and paints.
        const qint32 saved = lastPersonId();
        DataChange change;
        change.tables.push_back({QStringLiteral("Person"), {}, {saved}, {}});
        const auto listsPart = [&] {
            return once([&] {
                for (const ListCase& list : kLists)
                    openView<CMyListView>(list.kind)->DataChanged(change);
                repaintChanged();
            });
        };
        const QString savedKey =
            QStringLiteral("SELECT lastname, firstname FROM Person WHERE rowid = %1").arg(saved);
        m_table.add(QStringLiteral("the four lists' part of a person save's refresh"), listsPart(),
                    m_engine->time(savedKey), QStringLiteral("engine: the saved row's sort key"));
        // The first change after the lists were filled runs code and statements for the
        // first time; the saves after it, a fraction of a millisecond each, are averaged.
        constexpr int kSaves = 10;
        Timing total;
        for (int i = 0; i < kSaves; ++i)
            total = total + listsPart();
        m_table.add(QStringLiteral("the four lists' part of the next saves' refresh (average)"),
                    total / kSaves, m_engine->time(savedKey),
                    QStringLiteral("engine: the saved row's sort key"));
    }

    qint32 lastPersonId() {
        return static_cast<qint32>(
            m_engine->number(QStringLiteral("SELECT max(rowid) FROM Person")));
    }

    // A server announces a change when its transaction commits, and the announcement
    // arrives a moment later: the events of one look of the change watch are let run.
    static void waitForChangeWatch() { letEventsRun(1200); }

    // Another program adds a person: the change watch notices at its next look (on a file
    // once a second, on a server as soon as the server's notification arrives) and the open
    // person list shows the person, read off the user-interface thread. Timed from the other
    // program's commit to the row in the list.
    void outsideChange() {
        auto* persons = openView<CMyListView>("Personlist");
        m_frame->StartChangeWatch();
        const Stopwatch timer;
        const Timing insert = m_engine->time(QStringLiteral(
            "INSERT INTO [Person] (lastname, firstname) VALUES ('Aaron (bench)', 'Outside')"));
        const qint32 id = lastPersonId();
        // Timed to the moment the list takes the row in, not to the next look of a poll.
        QEventLoop loop;
        const auto seeRow = [&] {
            if (persons->listModel()->rowOf(id) >= 0)
                loop.quit();
        };
        CListModel* model = persons->listModel();
        QObject::connect(model, &QAbstractItemModel::rowsInserted, &loop, seeRow);
        QObject::connect(model, &QAbstractItemModel::modelReset, &loop, seeRow);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        const Timing shown = timer.elapsed();
        if (persons->listModel()->rowOf(id) < 0)
            throw std::runtime_error("the other program's person was not shown");
        showOnScreen(persons);
        const bool server = sharedDatabase().isServer();
        m_table.add(server ? QStringLiteral("another client's new person shown in the open "
                                            "person list")
                           : QStringLiteral("another program's new person shown in the open "
                                            "person list"),
                    shown, insert,
                    server ? QStringLiteral("announced by the server, heard as it arrives")
                           : QStringLiteral("the change watch looks once a second"));
    }

    std::unique_ptr<Reference> m_engine;
    QString m_password;
    BenchTable& m_table;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace

void runWindowBench(const QString& folder, BenchTable& table, std::unique_ptr<Reference> engine,
                    const QString& password) {
    QDir::setCurrent(folder);
    initAppPaths();
    loadResourceLibrary(workingDirectory());
    WindowBench(std::move(engine), password, table).run();
}

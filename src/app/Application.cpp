#include "app/Application.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QTimer>
#include <cstdio>

#include "app/AppPaths.h"
#include "app/DatabaseAccessDialog.h"
#include "app/GuardedApplication.h"
#include "app/MainFrame.h"
#include "app/SaveScript.h"
#include "app/Settings.h"
#include "app/TipOfDayDialog.h"
#include "app/WindowKinds.h"
#include "data/Connection.h"
#include "data/ErrorReport.h"
#include "data/FileDamage.h"
#include "data/ServerConnection.h"
#include "lists/QtPrintDevice.h"
#include "platform/CommandIcon.h"
#include "platform/Prompter.h"
#include "platform/QtPrompter.h"
#include "platform/ResourceLibrary.h"
#include "platform/StringTable.h"

namespace {

// A picture in a frameless window over the main window while the program starts.
std::unique_ptr<QLabel> makeSplash(QWidget* owner) {
    auto splash = std::make_unique<QLabel>(owner, Qt::SplashScreen | Qt::FramelessWindowHint);
    splash->setPixmap(namedIcon(QStringLiteral("splash")).pixmap(QSize(400, 250)));
    splash->adjustSize();
    splash->move(owner->geometry().center() - splash->rect().center());
    return splash;
}

}  // namespace

bool StartSession(CMainFrame& frame, const QStringList& arguments) {
    setDbHelpOpener([](const QString& context) {
        if (CMainFrame* main = CMainFrame::instance())
            main->ShowHelp(context.isEmpty() ? QStringLiteral("db-errors") : context);
    });
    const QString server = databaseServerSetting();
    if (!server.isEmpty()) {
        if (const QString problem = serverUriProblem(server); !problem.isEmpty()) {
            messageBox(problem + QStringLiteral("\n\n(Tarvex.ini, section [database], key server)"),
                       Prompter::Buttons::Ok, Prompter::Icon::Stop);
            return false;
        }
    }
    setDatabasePath(server.isEmpty() ? workingDirectory() + QStringLiteral("Tarvex.mdb") : server);
    // Damage can be noticed on any thread and in the middle of a read: the message waits
    // for the event loop.
    filedamage::setListener([] {
        QMetaObject::invokeMethod(
            qApp,
            [] {
                messageBox(filedamage::damageMessage(databasePath()), Prompter::Buttons::Ok,
                           Prompter::Icon::Stop);
            },
            Qt::QueuedConnection);
    });
    CDatabaseAccessDialog prompt(&frame);
    if (prompt.exec() != QDialog::Accepted)
        return false;
    // The commands that need the open file (Import, Export) are offered at once.
    frame.UpdateCommandStates();
    // A large file's names take seconds to read: the window answers meanwhile and the pick
    // lists fill when they are read.
    frame.StartKnownValueLoad();
    frame.StartChangeWatch();
    frame.ShowFileNote();
    frame.RestartAlarmScheduler();
    // The check reads the whole file in the background, at the lowest priority.
    frame.StartIntegrityCheck();
    if (!arguments.isEmpty())
        frame.OpenDocumentFile(arguments.first());
    return true;
}

int RunTarvex(int argc, char** argv) {
    CGuardedApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvandel"));
    QApplication::setApplicationName(QStringLiteral("Tarvex"));
    QApplication::setApplicationVersion(QStringLiteral("1.2"));
    QApplication::setWindowIcon(namedIcon(QStringLiteral("tarvex")));
    initAppPaths();
    loadResourceLibrary(workingDirectory());
    installQtPrompter();
    installQtPrinting();

    CMainFrame frame(makeDocTemplates());
    frame.show();
    std::unique_ptr<QLabel> splash = makeSplash(&frame);
    splash->show();
    splash->repaint();
    QApplication::processEvents();
    if (saveScriptRequested())
        answerAccessPromptFromScript();
    if (!StartSession(frame, QApplication::arguments().mid(1)))
        return 1;
    splash.reset();
    if (saveScriptRequested())
        return runSaveScript(frame) ? 0 : 2;
    if (CTipOfDayDialog::showAtStartUp()) {
        QTimer::singleShot(0, &frame, [&frame] {
            CTipOfDayDialog tip(&frame);
            tip.exec();
        });
    }
    return QApplication::exec();
}

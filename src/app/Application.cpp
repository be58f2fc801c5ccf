#include "app/Application.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <cstdio>

#include "app/AppPaths.h"
#include "app/DatabaseAccessDialog.h"
#include "app/MainFrame.h"
#include "app/WindowKinds.h"
#include "data/Connection.h"
#include "data/ErrorReport.h"
#include "data/KnownValues.h"
#include "lists/QtPrintDevice.h"
#include "platform/CommandIcon.h"
#include "platform/QtPrompter.h"
#include "platform/ResourceLibrary.h"
#include "platform/StringTable.h"
#include "platform/WaitCursor.h"

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
    setDatabasePath(workingDirectory() + QStringLiteral("Tarvex.mdb"));
    CDatabaseAccessDialog prompt(&frame);
    if (prompt.exec() != QDialog::Accepted)
        return false;
    {
        WaitCursor wait;
        LoadKnownValues();
    }
    if (!arguments.isEmpty())
        frame.OpenDocumentFile(arguments.first());
    return true;
}

int RunTarvex(int argc, char** argv) {
    QApplication app(argc, argv);
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
    if (!StartSession(frame, QApplication::arguments().mid(1)))
        return 1;
    splash.reset();
    return QApplication::exec();
}

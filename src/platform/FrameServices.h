#pragma once

#include <QRect>
#include <QString>

class CView;
class QWidget;

// The options of the settings object that windows outside the shell act on.
struct UserOptions {
    QString soundFile = QStringLiteral("alarm.wav");
    bool fillFirmAutomatically = true;
    int unknownNameChoice = 3;  // 1 create a new one, 2 notify the user, 3 do nothing
};

// What windows outside the application shell (lists, forms, search tool, alarms) ask of the main
// frame. The main frame installs itself while it lives; windows reach it through
// frameServices(), so that their folders need not know the shell.
class CFrameServices {
public:
    virtual ~CFrameServices() = default;

    virtual UserOptions options() const = 0;
    // The settings file (Tarvex.ini) and whether list column layouts are kept in it.
    virtual QString settingsFile() const = 0;
    virtual bool rememberColumns() const = 0;

    // The open window of the kind (activated), or a new one; its view, or nullptr when no
    // window of the kind can be opened.
    virtual CView* OpenOrActivate(const QString& kind) = 0;
    // Makes the view's frame the active child window.
    virtual void ActivateView(CView* view) = 0;
    // A new window of the kind; its view, or nullptr when none can be opened.
    virtual CView* OpenNewWindow(const QString& kind) = 0;
    // The child window that hosts the view widget, or nullptr.
    virtual QWidget* FrameOf(QWidget* view) const = 0;
    // Gives the view's window the placement last saved for its title, and its first size.
    virtual void PlaceFrame(QWidget* view) = 0;
    // Fits the view's window to the view again, after the view's layout changed.
    virtual void FitFrameToView(QWidget* view) = 0;
    // The normal rectangle last saved for windows of the title.
    virtual QRect SavedPlacement(const QString& title) const = 0;
    // Restores a minimised main window and brings it to the front.
    virtual void RestoreMainWindow() = 0;
    // Runs a command as if chosen from a menu; false when nobody handled it.
    virtual bool SendCommand(int id) = 0;
    virtual void NewPersonWithName(const QString& name) = 0;
    virtual void NewFirmWithName(const QString& name) = 0;
    // Rebuilds the watched alarms from the database and starts a fresh scanner.
    virtual void RestartAlarmScheduler() = 0;
    // An alarm notice opened (shows and animates the tray icon) or closed (stops it).
    virtual void AlarmNoticeOpened() = 0;
    virtual void AlarmNoticeClosed() = 0;
};

// The live main frame's services, or nullptr.
CFrameServices* frameServices();
void setFrameServices(CFrameServices* services);
// The options in force: the main frame's, or the defaults when there is none.
UserOptions userOptions();

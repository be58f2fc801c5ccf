#pragma once

#include <functional>

class CSystemTray;
class CommandActions;
class QMainWindow;
class QMenu;

// The main window's tray icon and its menu: the icon shows while the window is hidden in the
// tray and blinks while an alarm notice is open.
class CFrameTray {
public:
    // `run` carries out a command chosen from the icon's menu.
    CFrameTray(QMainWindow& window, CommandActions& actions, std::function<void(int)> run);

    CSystemTray* icon() const { return m_tray; }
    // Hides the window into the tray, or minimises it where there is no tray.
    void minimizeWindow();
    void hideIcon();
    // An alarm notice opened (the icon shows and blinks) or closed (it stops and hides).
    void noticeOpened();
    void noticeClosed();

private:
    QMainWindow& m_window;
    CSystemTray* m_tray;
    QMenu* m_menu;
};

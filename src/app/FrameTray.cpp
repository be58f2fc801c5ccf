#include "app/FrameTray.h"

#include <QMainWindow>
#include <QMenu>
#include <QSystemTrayIcon>

#include "app/CommandActions.h"
#include "app/SystemTray.h"
#include "platform/CommandIcon.h"
#include "platform/CommandIds.h"

CFrameTray::CFrameTray(QMainWindow& window, CommandActions& actions, std::function<void(int)> run)
    : m_window(window),
      m_tray(new CSystemTray(&window, QSystemTrayIcon::isSystemTrayAvailable())),
      m_menu(new QMenu(&window)) {
    m_menu->setObjectName(QStringLiteral("TrayMenu174"));
    m_menu->addAction(actions.action(cmd::RestoreProgram));
    m_menu->addSeparator();
    m_menu->addAction(actions.action(cmd::ExitProgram));
    // Without a notification area the program runs on without the icon.
    m_tray->Create(QStringLiteral("Tarvex - Contacts File"), namedIcon(QStringLiteral("tarvex")),
                   m_menu, std::move(run));
    m_tray->SetMenuDefaultItem(cmd::RestoreProgram, false);
    // Icons 176 to 180, of which 177 and 179 are empty.
    m_tray->SetIconList({namedIcon(QStringLiteral("tarvex")), QIcon(),
                         namedIcon(QStringLiteral("alarm")), QIcon(),
                         namedIcon(QStringLiteral("new-alarm"))});
    // While the main window is visible there is no tray icon.
    m_tray->HideIcon();
}

void CFrameTray::minimizeWindow() {
    if (!m_tray->enabled()) {
        if (!m_window.isMinimized())
            m_window.showMinimized();
        return;
    }
    m_window.hide();
    m_tray->ShowIcon();
}

void CFrameTray::hideIcon() {
    m_tray->HideIcon();
}

void CFrameTray::noticeOpened() {
    m_tray->ShowIcon();
    m_tray->Animate(200, 0);
}

void CFrameTray::noticeClosed() {
    m_tray->StopAnimation();
    m_tray->HideIcon();
}

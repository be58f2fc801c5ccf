#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QSystemTrayIcon;

// The program's icon in the notification area: added, hidden, shown and removed, with its
// tool tip and context menu; a double click runs the menu's default command, and the icon
// can be animated through a list of icons. Where the desktop has no notification area the
// object stays disabled and every operation does nothing.
class CSystemTray : public QObject {
    Q_OBJECT
public:
    // `trayAvailable` is whether the desktop has a notification area.
    explicit CSystemTray(QObject* parent, bool trayAvailable);
    ~CSystemTray() override;

    // Adds the icon with its tool tip (at most 63 characters) and menu; `run` carries out
    // the menu's commands. False, and disabled, without a notification area.
    bool Create(const QString& toolTip, const QIcon& icon, QMenu* menu,
                std::function<void(int)> run);
    bool enabled() const { return m_enabled; }
    bool hidden() const { return m_hidden; }

    void HideIcon();
    void ShowIcon();
    // Takes the icon out for good.
    void RemoveIcon();

    void SetIcon(const QIcon& icon);
    QIcon GetIcon() const;

    // The command run by a double click: a command id, or the position of a menu item.
    bool SetMenuDefaultItem(int item, bool byPosition);
    int defaultCommand() const;

    // The animation icons, in order (an entry may be an empty icon); false for none.
    bool SetIconList(const QList<QIcon>& icons);
    // Cycles the icon list every `stepMs`, for `durationSeconds` (0: until stopped).
    bool Animate(int stepMs, int durationSeconds);
    void StopAnimation();
    bool animating() const { return m_timer.isActive(); }
    int animationIndex() const { return m_index; }

    // What a click on the icon does: a double click runs the default command.
    void OnTrayNotification(int reason);

    QMenu* menu() const { return m_menu; }
    QSystemTrayIcon* icon() const { return m_icon; }

private:
    void onTimer();
    void markDefaultItem();

    bool m_available;
    bool m_enabled = false;
    bool m_hidden = false;
    QSystemTrayIcon* m_icon = nullptr;
    QPointer<QMenu> m_menu;
    std::function<void(int)> m_run;
    int m_defaultItem = 0;
    bool m_defaultByPosition = true;
    QList<QIcon> m_iconList;
    int m_index = 0;
    QTimer m_timer;
    QElapsedTimer m_started;
    int m_duration = 0;
    QIcon m_savedIcon;
    QIcon m_currentIcon;
};

#include "app/SystemTray.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

constexpr qsizetype kMaxToolTip = 63;

}  // namespace

CSystemTray::CSystemTray(QObject* parent, bool trayAvailable)
    : QObject(parent), m_available(trayAvailable) {
    m_timer.setObjectName(QStringLiteral("trayAnimation"));
    connect(&m_timer, &QTimer::timeout, this, &CSystemTray::onTimer);
}

CSystemTray::~CSystemTray() {
    RemoveIcon();
}

bool CSystemTray::Create(const QString& toolTip, const QIcon& icon, QMenu* menu,
                         std::function<void(int)> run) {
    if (!m_available)
        return false;
    m_icon = new QSystemTrayIcon(icon, this);
    m_icon->setToolTip(toolTip.left(kMaxToolTip));
    m_menu = menu;
    m_run = std::move(run);
    m_currentIcon = icon;
    if (menu) {
        m_icon->setContextMenu(menu);
        connect(menu, &QMenu::aboutToShow, this, &CSystemTray::markDefaultItem);
    }
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { OnTrayNotification(reason); });
    m_icon->show();
    m_enabled = true;
    m_hidden = false;
    return true;
}

void CSystemTray::HideIcon() {
    if (!m_enabled || m_hidden)
        return;
    m_icon->hide();
    m_hidden = true;
}

void CSystemTray::ShowIcon() {
    if (!m_enabled || !m_hidden)
        return;
    m_icon->setIcon(m_currentIcon);
    m_icon->show();
    m_hidden = false;
}

void CSystemTray::RemoveIcon() {
    if (!m_enabled)
        return;
    m_timer.stop();
    m_icon->hide();
    m_enabled = false;
}

void CSystemTray::SetIcon(const QIcon& icon) {
    m_currentIcon = icon;
    if (m_enabled)
        m_icon->setIcon(icon);
}

QIcon CSystemTray::GetIcon() const {
    return m_enabled ? m_currentIcon : QIcon();
}

bool CSystemTray::SetMenuDefaultItem(int item, bool byPosition) {
    if (m_defaultItem == item && m_defaultByPosition == byPosition)
        return true;
    m_defaultItem = item;
    m_defaultByPosition = byPosition;
    markDefaultItem();
    return true;
}

int CSystemTray::defaultCommand() const {
    if (!m_defaultByPosition)
        return m_defaultItem;
    if (!m_menu)
        return 0;
    const QList<QAction*> actions = m_menu->actions();
    if (m_defaultItem < 0 || m_defaultItem >= actions.size())
        return 0;
    return actions[m_defaultItem]->data().toInt();
}

void CSystemTray::markDefaultItem() {
    if (!m_menu)
        return;
    const int command = defaultCommand();
    for (QAction* action : m_menu->actions()) {
        QFont font = action->font();
        const bool isDefault = !action->isSeparator() && action->data().toInt() == command;
        font.setBold(isDefault);
        action->setFont(font);
        if (isDefault)
            m_menu->setDefaultAction(action);
    }
}

bool CSystemTray::SetIconList(const QList<QIcon>& icons) {
    m_iconList.clear();
    if (icons.isEmpty())
        return false;
    m_iconList = icons;
    return true;
}

bool CSystemTray::Animate(int stepMs, int durationSeconds) {
    StopAnimation();
    if (m_iconList.isEmpty())
        return false;
    m_index = 0;
    m_started.start();
    m_duration = durationSeconds;
    m_savedIcon = m_currentIcon;
    m_timer.start(stepMs);
    return m_timer.isActive();
}

void CSystemTray::StopAnimation() {
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    SetIcon(m_savedIcon);
}

void CSystemTray::onTimer() {
    const qint64 elapsedSeconds = m_started.elapsed() / 1000;
    if (m_duration > 0 && elapsedSeconds > m_duration) {
        StopAnimation();
        return;
    }
    m_index = (m_index + 1) % static_cast<int>(m_iconList.size());
    SetIcon(m_iconList[m_index]);
}

void CSystemTray::OnTrayNotification(int reason) {
    if (reason != QSystemTrayIcon::DoubleClick)
        return;
    const int command = defaultCommand();
    if (command != 0 && m_run)
        m_run(command);
}

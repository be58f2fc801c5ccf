#include "app/FrameMenus.h"

#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "app/CommandActions.h"
#include "app/MenuLayout.h"
#include "notepad/RecentFileList.h"
#include "platform/CommandTable.h"

CFrameMenus::CFrameMenus(QMainWindow& window, CommandActions& actions, QMdiArea& mdi,
                         std::function<void(const QString&)> openFile)
    : QObject(&window),
      m_window(window),
      m_actions(actions),
      m_mdi(mdi),
      m_openFile(std::move(openFile)) {
    buildToolBar();
    buildStatusBar();
    fillMenuBar(menus::Main);
}

void CFrameMenus::buildToolBar() {
    m_toolBar = m_window.addToolBar(QStringLiteral("Main"));
    m_toolBar->setObjectName(QStringLiteral("MainToolBar"));
    m_toolBar->setIconSize(QSize(32, 32));
    m_toolBar->setMovable(true);
    for (int id : toolbarLayout(toolbars::Main)) {
        if (id == 0) {
            m_toolBar->addSeparator();
        } else if (QAction* action = m_actions.action(id)) {
            m_toolBar->addAction(action);
        }
    }
}

void CFrameMenus::buildStatusBar() {
    QStatusBar* bar = m_window.statusBar();
    m_fileNote = new QLabel(bar);
    m_fileNote->setObjectName(QStringLiteral("fileNote"));
    m_fileNote->hide();
    // Beside the key panes, so that the command tips shown on the left never cover it.
    bar->addPermanentWidget(m_fileNote);
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

void CFrameMenus::showFileNote(const QString& text) {
    m_fileNote->setText(text);
    m_fileNote->setVisible(!text.isEmpty());
}

void CFrameMenus::fillMenuBar(int menuId) {
    if (menuId == m_menuId)
        return;
    m_menuId = menuId;
    QMenuBar* bar = m_window.menuBar();
    // The bar owns its pop-ups; the old ones go with the old bar.
    for (QAction* action : bar->actions()) {
        if (QMenu* menu = action->menu())
            menu->deleteLater();
    }
    bar->clear();
    for (const MenuPopup& popup : menuLayout(menuId)) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(popup.title));
        for (const MenuItem& item : popup.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            if (item.id == kRecentFilesItem) {
                addRecentFileEntries(menu);
                continue;
            }
            QAction* action = m_actions.action(item.id);
            if (!action)
                continue;
            m_actions.setMenuText(item.id, item.text ? QString::fromUtf8(item.text) : QString());
            menu->addAction(action);
        }
        if (popup.windowList)
            addWindowEntries(menu);
    }
}

void CFrameMenus::addWindowEntries(QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, [this, menu, count = menu->actions().size()] {
        const QList<QAction*> actions = menu->actions();
        for (qsizetype i = count; i < actions.size(); ++i) {
            menu->removeAction(actions[i]);
            actions[i]->deleteLater();
        }
        const QList<QMdiSubWindow*> windows = m_mdi.subWindowList();
        if (!windows.isEmpty())
            menu->addSeparator();
        int number = 1;
        for (QMdiSubWindow* window : windows) {
            QAction* entry =
                menu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(window->windowTitle()));
            entry->setCheckable(true);
            entry->setChecked(window == m_mdi.activeSubWindow());
            connect(entry, &QAction::triggered, this,
                    [this, window] { m_mdi.setActiveSubWindow(window); });
        }
    });
}

void CFrameMenus::addRecentFileEntries(QMenu* menu) {
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
            connect(entry, &QAction::triggered, this, [this, path] { m_openFile(path); });
            menu->insertAction(anchor, entry);
        }
    });
}

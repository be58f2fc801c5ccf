#pragma once

#include <QObject>
#include <functional>

class CommandActions;
class QLabel;
class QMainWindow;
class QMdiArea;
class QMenu;
class QToolBar;

// The main window's bars: the command toolbar, the status bar with its note about the file,
// and the menu bar, which is filled anew for the kind of the active child window, with the
// recently opened files and the open windows made each time their menu opens.
class CFrameMenus : public QObject {
    Q_OBJECT
public:
    // `openFile` opens a file chosen from the recent-file entries.
    CFrameMenus(QMainWindow& window, CommandActions& actions, QMdiArea& mdi,
                std::function<void(const QString&)> openFile);

    // Fills the menu bar with the menus of the layout, unless they are shown already.
    void fillMenuBar(int menuId);
    QToolBar* toolBar() const { return m_toolBar; }
    // Shows a note in the status bar; an empty text hides it.
    void showFileNote(const QString& text);

private:
    void buildToolBar();
    void buildStatusBar();
    void addRecentFileEntries(QMenu* menu);
    void addWindowEntries(QMenu* menu);

    QMainWindow& m_window;
    CommandActions& m_actions;
    QMdiArea& m_mdi;
    std::function<void(const QString&)> m_openFile;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_fileNote = nullptr;
    int m_menuId = 0;
};

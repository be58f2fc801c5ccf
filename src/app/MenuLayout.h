#pragma once

#include <QString>
#include <vector>

// The menu bars of the main window, as data: the bar without child window (113), with a
// record form active (175), with a record list active (176).
// The place of the recent-file entries in a menu.
inline constexpr int kRecentFilesItem = 57616;

struct MenuItem {
    int id = 0;                  // command id; 0 is a separator
    const char* text = nullptr;  // menu text when it differs from the command's own
};

struct MenuPopup {
    const char* title;
    std::vector<MenuItem> items;
    bool windowList = false;  // the Window menu also lists the open child windows
};

namespace menus {
inline constexpr int Main = 113;
inline constexpr int RecordForm = 175;
inline constexpr int RecordList = 176;
inline constexpr int ChildWindow = 128;  // group form and dossiers
inline constexpr int Notepad = 114;
}  // namespace menus

const std::vector<MenuPopup>& menuLayout(int menuId);

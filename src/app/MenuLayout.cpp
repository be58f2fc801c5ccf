#include "app/MenuLayout.h"

#include <map>

#include "platform/CommandIds.h"

namespace {

const MenuPopup kFile{
    "&File", {{cmd::Import}, {cmd::Export}, {0}, {cmd::Notepad}, {0}, {cmd::AppExit}}};

const MenuPopup kView{"&View",
                      {{cmd::ViewContacts},
                       {cmd::ViewPersons},
                       {cmd::ViewCompanies},
                       {cmd::ViewAlarms},
                       {cmd::ViewGroups},
                       {0},
                       {cmd::ListContacts},
                       {cmd::ListPersons},
                       {cmd::ListCompanies},
                       {cmd::ListAlarms},
                       {0},
                       {cmd::Search},
                       {0},
                       {cmd::ViewToolbar},
                       {cmd::ViewStatusBar}}};

const MenuPopup kTools{"&Tools", {{cmd::Options}}};

const MenuPopup kRecord{"&Record",
                        {{cmd::AddNew, "&Add new data"},
                         {cmd::EditRecord, "&Edit data"},
                         {cmd::SaveRecord, "&Save data"},
                         {cmd::EraseRecord, "E&rase data, cancel editing"},
                         {0},
                         {cmd::FirstRecord, "&First record"},
                         {cmd::PreviousRecord, "Pre&vious record"},
                         {cmd::NextRecord, "&Next record"},
                         {cmd::LastRecord, "&Last record"},
                         {0},
                         {cmd::Print, "&Print"},
                         {cmd::ListRecords, "L&ist records"}}};

const MenuPopup kList{"&List",
                      {{cmd::AddNew, "&New record"},
                       {cmd::EditRecord, "&View record"},
                       {cmd::Filter, "&Filter"},
                       {cmd::FilterOff, "N&o filter"},
                       {cmd::EraseRecord, "&Delete"},
                       {cmd::Print, "&Print"},
                       {0},
                       {cmd::ShowHiddenColumns, "Show hidden columns"}}};

const MenuPopup kWindow{
    "&Window", {{cmd::WindowCascade}, {cmd::WindowTile}, {cmd::WindowArrange}}, true};

const MenuPopup kHelp{"&Help", {{cmd::Help}, {0}, {cmd::About}}};

const std::map<int, std::vector<MenuPopup>> kMenus{
    {menus::Main, {kFile, kView, kTools, kHelp}},
    {menus::RecordForm, {kFile, kView, kRecord, kTools, kWindow, kHelp}},
    {menus::RecordList, {kFile, kView, kList, kTools, kWindow, kHelp}},
    {menus::ChildWindow, {kFile, kView, kTools, kWindow, kHelp}},
};

}  // namespace

const std::vector<MenuPopup>& menuLayout(int menuId) {
    auto it = kMenus.find(menuId);
    return it != kMenus.end() ? it->second : kMenus.at(menus::Main);
}

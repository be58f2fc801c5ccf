#include "app/MenuLayout.h"

#include <map>

#include "platform/CommandIds.h"

namespace {

const MenuPopup kFile{"&File",
                      {{cmd::Import},
                       {cmd::Export},
                       {0},
                       {cmd::Backup},
                       {cmd::RestoreBackup},
                       {0},
                       {cmd::PrintSetup},
                       {0},
                       {cmd::Notepad},
                       {cmd::FileOpen},
                       {0},
                       {kRecentFilesItem},
                       {0},
                       {cmd::AppExit}}};

const MenuPopup kNotepadFile{"&File",
                             {{cmd::Notepad, "&New."},
                              {cmd::FileOpen},
                              {cmd::FileSave},
                              {cmd::FileSaveAs},
                              {0},
                              {cmd::FilePrint},
                              {57609},
                              {cmd::PrintSetup},
                              {0},
                              {kRecentFilesItem},
                              {0},
                              {cmd::Import},
                              {cmd::Export},
                              {cmd::Backup},
                              {cmd::RestoreBackup},
                              {0},
                              {cmd::AppExit}}};

const MenuPopup kNotepadEdit{"&Edit",
                             {{57643},
                              {57644},
                              {0},
                              {57635},
                              {57634},
                              {57637},
                              {0},
                              {57642},
                              {0},
                              {57636},
                              {57640},
                              {57641}}};

const MenuPopup kNotepadFormat{"F&ormat",
                               {{32888}, {32889}, {32890}, {0}, {32891}, {32893}, {32892}}};

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

const MenuPopup kTools{"&Tools",
                       {{cmd::SyncAccounts},
                        {cmd::SyncNow},
                        {0},
                        {cmd::FindDuplicates},
                        {cmd::UndoMerge},
                        {0},
                        {cmd::CopyToServer},
                        {cmd::CopyFromServer},
                        {0},
                        {cmd::Options}}};

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

const MenuPopup kHelp{"&Help", {{cmd::Help}, {cmd::TipOfTheDay}, {0}, {cmd::About}}};

const std::map<int, std::vector<MenuPopup>> kMenus{
    {menus::Main, {kFile, kView, kTools, kHelp}},
    {menus::RecordForm, {kFile, kView, kRecord, kTools, kWindow, kHelp}},
    {menus::RecordList, {kFile, kView, kList, kTools, kWindow, kHelp}},
    {menus::ChildWindow, {kFile, kView, kTools, kWindow, kHelp}},
    {menus::Notepad, {kNotepadFile, kNotepadEdit, kNotepadFormat, kView, kWindow, kHelp}},
};

}  // namespace

const std::vector<MenuPopup>& menuLayout(int menuId) {
    auto it = kMenus.find(menuId);
    return it != kMenus.end() ? it->second : kMenus.at(menus::Main);
}

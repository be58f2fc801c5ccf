#pragma once

// Command ids of menus, toolbars and key tables. The numbers are the ones stored in the
// key tables and broadcast as update hints, so they never change.
namespace cmd {

// Main frame: windows by kind.
inline constexpr int ViewContacts = 32769;
inline constexpr int ViewPersons = 32770;
inline constexpr int ViewCompanies = 32771;
inline constexpr int ViewAlarms = 32772;
inline constexpr int ViewGroups = 32773;
inline constexpr int ListAlarms = 32779;
inline constexpr int ListCompanies = 32780;
inline constexpr int ListPersons = 32781;
inline constexpr int ListContacts = 32782;
inline constexpr int NewContact = 1044;
inline constexpr int NewCompany = 32775;
inline constexpr int NewPerson = 32777;
inline constexpr int NewAlarm = 32778;
inline constexpr int Search = 32785;
inline constexpr int Notepad = 32799;
inline constexpr int Options = 32798;
inline constexpr int Help = 57670;
inline constexpr int RestoreProgram = 32816;
inline constexpr int ExitProgram = 32817;
inline constexpr int AlarmDue = 32776;
inline constexpr int Import = 32830;
inline constexpr int Export = 32831;
inline constexpr int Backup = 32832;
inline constexpr int RestoreBackup = 32833;
inline constexpr int SyncAccounts = 32834;
inline constexpr int SyncNow = 32835;
inline constexpr int FindDuplicates = 32840;
inline constexpr int UndoMerge = 32841;
inline constexpr int CopyToServer = 32850;
inline constexpr int CopyFromServer = 32851;

// Record commands: handled by the record document, broadcast to its views.
inline constexpr int Print = 32774;
inline constexpr int Filter = 32783;
inline constexpr int ListRecords = 32784;
inline constexpr int FirstRecord = 32786;
inline constexpr int PreviousRecord = 32787;
inline constexpr int NextRecord = 32788;
inline constexpr int LastRecord = 32789;
inline constexpr int AddNew = 32790;
inline constexpr int EditRecord = 32791;
inline constexpr int SaveRecord = 32792;
inline constexpr int EraseRecord = 32793;
inline constexpr int FilterOff = 32794;  // also the show-record broadcast
inline constexpr int ShowRecord = 32794;
inline constexpr int DateRange = 32796;
inline constexpr int Close = 32797;
inline constexpr int ShowHiddenColumns = 32805;

// Name returns between forms (broadcast hints only).
inline constexpr int ReturnPersonName = 60008;
inline constexpr int ReturnFirmName = 60009;

// Application and framework commands.
inline constexpr int TipOfTheDay = 106;
inline constexpr int About = 57664;
inline constexpr int FileNew = 57600;
inline constexpr int FileOpen = 57601;
inline constexpr int FileSave = 57603;
inline constexpr int FileSaveAs = 57604;
inline constexpr int PrintSetup = 57606;
inline constexpr int FilePrint = 57607;
inline constexpr int AppExit = 57665;
inline constexpr int WindowCascade = 57650;
inline constexpr int WindowTile = 57651;
inline constexpr int WindowArrange = 57649;
inline constexpr int ViewToolbar = 59392;
inline constexpr int ViewStatusBar = 59393;

}  // namespace cmd

#pragma once

class CMainFrame;
class QWidget;

// The File menu's "Back up..." and "Restore..." and the automatic backup on exit.

// Writes a consistent copy of the open contacts file to a file the user chooses (proposed:
// a new name in the backups folder beside the file), with a progress dialog that can be
// cancelled; saves may go on meanwhile.
void RunBackup(QWidget* parent);

// Puts a backup the user chooses in place of the contacts file: checks it whole (asking
// for its password when it has one), keeps the current file as a backup first, and
// replaces the file only when no other program holds it. The record windows are closed
// for the change and opened again afterwards, every window refreshed. Any failure leaves
// the current file untouched and says why.
void RunRestore(CMainFrame& frame);

// The backup when the program ends, when the option asks for it and the file changed since
// the newest backup: a new copy in the backups folder, of which the newest seven are kept.
// A failure is said once and never keeps the program from ending. False when it failed.
bool BackupOnExit();

// How many automatic backups the backups folder keeps.
inline constexpr int kKeptBackups = 7;

#pragma once

class CMainFrame;

// A hidden self-test mode for the crash test. With the environment variable
// TARVEX_SAVE_SCRIPT naming a file, the program answers its start-up password prompt itself
// (with the text of a first line "password <text>", else none), then performs the file's
// saves through its own windows and quits. Each further line is "<kind> <tag>", the kind one
// of person, contact, alarm and dossier (the dossier of the person saved last); after each
// save that the window reports done, "saved <kind> <tag>" is written to standard output.
// A line "pause" writes "paused" and waits for a line on standard input, so that a test can
// act on the file between two saves.
// Every prompt is written to standard error and answered No (or Ok), except that a missing
// contacts file is created.
bool saveScriptRequested();
// Arranges for the start-up prompt about to be shown to be answered from the script.
void answerAccessPromptFromScript();
// Runs the saves of the script; false when one of them failed.
bool runSaveScript(CMainFrame& frame);

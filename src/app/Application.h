#pragma once

#include <QStringList>

#include "platform/DocTemplate.h"

// Starts the program: paths, settings, templates, the main window, the splash window and
// the "Database access" prompt; then runs the event loop. Returns the exit code.
int RunTarvex(int argc, char** argv);

class CMainFrame;

// The steps after the main window exists, apart from the event loop: false when the user
// cancelled the password prompt (the program then ends). Once the database is open, the
// file named on the command line (the first of `arguments`) opens as a notepad document.
bool StartSession(CMainFrame& frame, const QStringList& arguments = {});

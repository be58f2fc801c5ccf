#pragma once

#include <QString>

// The process's working directory as it was at start-up, with a trailing '/'. Empty until
// initAppPaths() has run.
const QString& workingDirectory();
// The settings file: the working directory + "Tarvex.ini"; "Tarvex.ini" (relative to the
// current directory) until initAppPaths() has run.
QString settingsFilePath();
// Reads the current directory; run once at start-up.
void initAppPaths();

#pragma once

#include <QString>
#include <functional>

class CDbException;

// The one report of a caught database exception: a message box with the engine's words
// and code, offering help; or, for a failure of the engine itself, its status code.
void ReportDbException(const CDbException& error);

// What opens the help at a help context when the user asks for help in the report.
void setDbHelpOpener(std::function<void(const QString& helpContext)> opener);

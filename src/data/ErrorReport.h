#pragma once

#include <QString>
#include <functional>
#include <utility>

#include "data/DbException.h"

// The one report of a caught database exception: a message box with the engine's words
// and code, offering help; or, for a failure of the engine itself, its status code.
void reportDbException(const CDbException& error);

// What opens the help at a help context when the user asks for help in the report.
void setDbHelpOpener(std::function<void(const QString& helpContext)> opener);

// Runs one step of an event handler, slot or command: a database exception that it throws
// becomes the error report, so that none reaches the event loop. False when it failed.
template <class Step>
bool reportDbErrors(Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const CDbException& error) {
        reportDbException(error);
        return false;
    }
}

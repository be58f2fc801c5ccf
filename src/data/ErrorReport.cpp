#include "data/ErrorReport.h"

#include <sqlite3.h>

#include "data/DbException.h"
#include "platform/Prompter.h"

namespace {

std::function<void(const QString&)>& helpOpener() {
    static std::function<void(const QString&)> opener;
    return opener;
}

// The engine's "database is locked" names no cause the user can act on: say who holds the
// file and that the failed step lost nothing, so that it can simply be tried again. A
// description of the program's own already says what to do.
QString shownDescription(const CDbException& error) {
    const int primary = error.code() & 0xFF;
    if ((primary != SQLITE_BUSY && primary != SQLITE_LOCKED) ||
        !error.description().startsWith(QLatin1String("database ")))
        return error.description();
    return QStringLiteral(
        "Another program is writing to the contacts file just now, so the file is locked "
        "and the change could not be written. Nothing is lost: what you typed is still in the "
        "form, and you can try Save again in a moment.");
}

}  // namespace

void setDbHelpOpener(std::function<void(const QString& helpContext)> opener) {
    helpOpener() = std::move(opener);
}

void reportDbException(const CDbException& error) {
    if (error.hasErrorInfo()) {
        const QString text = QStringLiteral("%1   (%2)\n\nWould you like to see help?")
                                 .arg(shownDescription(error), QString::number(error.code()));
        if (messageBox(text, Prompter::Buttons::YesNo, Prompter::Icon::Stop) == Prompter::Yes &&
            helpOpener())
            helpOpener()(error.helpContext());
        return;
    }
    const qint32 status = error.statusCode();
    messageBox(
        QString::asprintf("ERROR:CDaoException\n\nSCODE_CODE      =%d\nSCODE_FACILITY  =%d\n"
                          "SCODE_SEVERITY  =%d\nResultFromScode =%d\n",
                          status & 0xFFFF, (status >> 16) & 0x1FFF, status < 0 ? 1 : 0, status),
        Prompter::Buttons::Ok, Prompter::Icon::None);
}

#include "data/ErrorReport.h"

#include "data/DbException.h"
#include "platform/Prompter.h"

namespace {

std::function<void(const QString&)>& helpOpener() {
    static std::function<void(const QString&)> opener;
    return opener;
}

}  // namespace

void setDbHelpOpener(std::function<void(const QString& helpContext)> opener) {
    helpOpener() = std::move(opener);
}

void ReportDbException(const CDbException& error) {
    if (error.hasErrorInfo()) {
        const QString text = QStringLiteral("%1   (%2)\n\nWould you like to see help?")
                                 .arg(error.description(), QString::number(error.code()));
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

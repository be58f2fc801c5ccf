#include "app/GuardedApplication.h"

#include <exception>

#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "platform/Prompter.h"

namespace {

void reportUnexpected(const QString& what) {
    messageBox(QStringLiteral("Tarvex met an unexpected error and did not finish the last "
                              "action:\n\n%1\n\nYour saved data is not affected. If this "
                              "happens again, save your work and restart Tarvex.")
                   .arg(what),
               Prompter::Buttons::Ok, Prompter::Icon::Stop);
}

}  // namespace

CGuardedApplication::CGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool CGuardedApplication::notify(QObject* receiver, QEvent* event) {
    return deliverGuarded([&] { return QApplication::notify(receiver, event); });
}

bool CGuardedApplication::deliverGuarded(const std::function<bool()>& deliver) {
    try {
        return deliver();
    } catch (const CDbException& error) {
        ReportDbException(error);
    } catch (const std::exception& error) {
        reportUnexpected(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        reportUnexpected(QStringLiteral("unknown error"));
    }
    return false;
}

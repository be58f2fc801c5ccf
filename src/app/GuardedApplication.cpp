#include "app/GuardedApplication.h"

#include <QEvent>
#include <QMetaObject>
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

// What the log needs to find the handler that let the exception through.
void logEscape(const QObject* receiver, const QEvent* event, const QString& what) {
    const QString name = receiver ? QStringLiteral("%1 \"%2\"")
                                        .arg(QLatin1String(receiver->metaObject()->className()),
                                             receiver->objectName())
                                  : QStringLiteral("no receiver");
    qCritical("An exception escaped to the event loop: %s (receiver %s, event type %d)",
              qUtf8Printable(what), qUtf8Printable(name), event ? int(event->type()) : -1);
}

}  // namespace

CGuardedApplication::CGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool CGuardedApplication::notify(QObject* receiver, QEvent* event) {
    return deliverGuarded(receiver, event, [&] { return QApplication::notify(receiver, event); });
}

bool CGuardedApplication::deliverGuarded(const QObject* receiver, const QEvent* event,
                                         const std::function<bool()>& deliver) {
    try {
        return deliver();
    } catch (const CDbException& error) {
        logEscape(receiver, event, error.description());
        reportDbException(error);
    } catch (const std::exception& error) {
        logEscape(receiver, event, QString::fromLocal8Bit(error.what()));
        reportUnexpected(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        logEscape(receiver, event, QStringLiteral("unknown error"));
        reportUnexpected(QStringLiteral("unknown error"));
    }
    return false;
}

#pragma once

#include <QApplication>
#include <functional>

// The application object with a last resort for the event loop. Slots and event handlers
// that touch the database guard themselves through reportDbErrors; an exception that still
// escapes one is a fault of the program: it is logged with its receiver and event, and
// reported to the user once instead of ending the program.
class CGuardedApplication : public QApplication {
public:
    CGuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs one delivery of `event` to `receiver`; an escaping exception is logged and
    // reported, and gives false.
    static bool deliverGuarded(const QObject* receiver, const QEvent* event,
                               const std::function<bool()>& deliver);
};

#pragma once

#include <QApplication>
#include <functional>

// The application object with the last line of defence of the event loop: an exception
// that a handler let escape is reported to the user instead of ending the program. The
// windows guard their own database work; this catches what slipped through.
class CGuardedApplication : public QApplication {
public:
    CGuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs one delivery; an escaping exception is reported and gives false.
    static bool deliverGuarded(const std::function<bool()>& deliver);
};

#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <ctime>

// Runs a test in a named time zone and gives the process its own zone back afterwards, so
// that tests run in one process do not inherit it.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
        : m_had(qEnvironmentVariableIsSet("TZ")), m_previous(qgetenv("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_had)
            qputenv("TZ", m_previous);
        else
            qunsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool m_had;
    QByteArray m_previous;
};

#pragma once

#include <stop_token>

class CDatabase;

// Ends the statements of a connection as soon as `stop` is asked for, for as long as it
// lives: the connection's progress handler checks the token, so a stop asked for before a
// statement starts ends the statement as soon as it runs (an engine interrupt alone acts only
// on a statement already running); the interrupt is sent as well, for the engine's long
// single steps such as a file check. The token and the connection must outlive it.
class CStopOnRequest {
public:
    CStopOnRequest(CDatabase& db, const std::stop_token& stop);
    ~CStopOnRequest();
    CStopOnRequest(const CStopOnRequest&) = delete;
    CStopOnRequest& operator=(const CStopOnRequest&) = delete;

private:
    struct Interrupt {
        CDatabase* db;
        void operator()() const;
    };

    CDatabase& m_db;
    std::stop_callback<Interrupt> m_interrupt;
};

#include "data/StopOnRequest.h"

#include <sqlite3.h>

#include "data/Database.h"

namespace {

// The engine asks the handler at every loop of a running statement (also the first ones,
// before a long single step such as a file check): a look at the stop token is cheap next
// to reading a row.
constexpr int kStepsBetweenChecks = 1;

int stopRequested(void* token) {
    return static_cast<const std::stop_token*>(token)->stop_requested() ? 1 : 0;
}

}  // namespace

// On the team's server a statement runs to its end; the reader stops between statements.
void CStopOnRequest::Interrupt::operator()() const {
    if (!db->isServer())
        sqlite3_interrupt(db->handle());
}

CStopOnRequest::CStopOnRequest(CDatabase& db, const std::stop_token& stop)
    : m_db(db), m_interrupt(stop, Interrupt{&db}) {
    if (!db.isServer())
        sqlite3_progress_handler(db.handle(), kStepsBetweenChecks, &stopRequested,
                                 const_cast<std::stop_token*>(&stop));
}

CStopOnRequest::~CStopOnRequest() {
    if (!m_db.isServer() && m_db.IsOpen())
        sqlite3_progress_handler(m_db.handle(), 0, nullptr, nullptr);
}

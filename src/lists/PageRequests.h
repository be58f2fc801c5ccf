#pragma once

#include <QObject>
#include <QSet>
#include <functional>

// The pages of a paged model that its view asked for: collected while the view repaints and
// read together right after it, through `fetch(page)`. A failed read is reported once (the
// error report); the pages it left unread are read again when the view next asks for them,
// and a failure after a read that succeeded is reported again.
class CPageRequests {
public:
    CPageRequests(QObject* owner, std::function<void(int)> fetch)
        : m_owner(owner), m_fetch(std::move(fetch)) {}

    // Notes the page and queues one read for all the pages asked for until it runs.
    void request(int page);
    // Reads the pages asked for now. Throws CDbException.
    void fetchPending();
    // Forgets the pages asked for.
    void clear() { m_pending.clear(); }
    // Forgets the pages asked for and an earlier failure: for a new result.
    void reset() {
        m_pending.clear();
        m_reported = false;
    }

private:
    void fetchPendingGuarded();

    QObject* m_owner;
    std::function<void(int)> m_fetch;
    QSet<int> m_pending;
    bool m_queued = false;
    // A failure has been reported and no read has succeeded since.
    bool m_reported = false;
};

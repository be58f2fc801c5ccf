#include "lists/PageRequests.h"

#include <QTimer>
#include <utility>

#include "data/DbException.h"
#include "data/ErrorReport.h"

void CPageRequests::request(int page) {
    m_pending.insert(page);
    if (m_queued)
        return;
    m_queued = true;
    // One read for all the pages a repaint asks for, after the repaint.
    QTimer::singleShot(0, m_owner, [this] { fetchPendingGuarded(); });
}

void CPageRequests::fetchPending() {
    const QSet<int> pages = std::exchange(m_pending, {});
    for (int page : pages)
        m_fetch(page);
}

void CPageRequests::fetchPendingGuarded() {
    m_queued = false;
    if (m_pending.isEmpty())
        return;
    try {
        fetchPending();
        m_reported = false;
    } catch (const CDbException& e) {
        // The rows stay empty for now; the view asks for them again when it next shows
        // them. A failure that lasts (a file locked for a while) is reported once, not at
        // every repaint.
        m_pending.clear();
        if (std::exchange(m_reported, true))
            return;
        reportDbException(e);
    }
}

#include "lists/PageRequests.h"

#include <QTimer>
#include <utility>

#include "data/DbException.h"
#include "data/ErrorReport.h"

void CPageRequests::request(int page) {
    if (m_failed)
        return;
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
    try {
        fetchPending();
    } catch (const CDbException& e) {
        m_pending.clear();
        m_failed = true;
        ReportDbException(e);
    }
}

#include "lists/SearchResultModel.h"

#include <QCoreApplication>
#include <algorithm>
#include <tuple>

#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "data/ServerConnection.h"

namespace {

constexpr int kPageSize = 256;
// Lines kept before the cache starts again: what a screen shows many times over, a small
// part of what a search of a large file may find.
constexpr qsizetype kMaxCachedLines = 64 * kPageSize;
// Up to so many rows come and go one by one, so the view keeps its selection; more are put
// in place at once.
constexpr std::size_t kRowsChangedOneByOne = 64;

bool before(const SearchHit& a, const SearchHit& b) {
    return std::tie(a.kind, a.id) < std::tie(b.kind, b.id);
}

quint64 keyOf(const SearchHit& hit) {
    return (quint64(hit.kind) << 32) | quint32(hit.id);
}

}  // namespace

CSearchResultModel::CSearchResultModel(QObject* parent)
    : QAbstractListModel(parent), m_requests(this, [this](int page) { fetchPage(page); }) {
    connect(&m_worker, &CBackgroundWorker::finished, this,
            [this] { emit searchingChanged(false); });
    connect(&changeNotifier(), &CChangeNotifier::changed, this, [this](const DataChange& change) {
        try {
            follow(change);
        } catch (const CDbException& error) {
            reportDbException(error);
        }
    });
}

CSearchResultModel::~CSearchResultModel() = default;

void CSearchResultModel::clear() {
    stopSearch();
    beginResetModel();
    m_hits.clear();
    m_lines.clear();
    m_requests.reset();
    m_kinds.clear();
    m_db.reset();
    endResetModel();
}

void CSearchResultModel::search(const QString& path, const QString& password,
                                const std::vector<SearchKind>& kinds, const QString& typedText) {
    // A server's connection is kept from one search to the next: making one would hold up
    // the window for a handshake and the password exchange.
    std::unique_ptr<CDatabase> db;
    if (m_db && m_db->isServer() && m_path == path && m_password == password &&
        m_db->server().stillAnswers())
        db = std::move(m_db);
    clear();
    if (kinds.empty())
        return;
    // Pages of lines and the records of a change are read here, on the user-interface
    // thread: a few hundred records by id at a time.
    if (!db) {
        db = std::make_unique<CDatabase>();
        db->Open(path, false, true, connectText(password));
    }
    m_db = std::move(db);
    m_path = path;
    m_password = password;
    m_kinds = kinds;
    m_text = typedText;
    startSearch();
}

void CSearchResultModel::prepare(const QString& path, const QString& password) {
    if (!CDatabase::isServerAddress(path) || m_db || m_worker.busy())
        return;
    m_preparing = true;
    m_worker.start(
        path, password,
        [this, path, password](CDatabase& db,
                               const std::stop_token& stop) -> CBackgroundWorker::Delivery {
            auto lines =
                std::make_shared<std::unique_ptr<CDatabase>>(std::make_unique<CDatabase>());
            (*lines)->Open(path, false, true, connectText(password));
            // Each category's statement over at most one record, on the connection that
            // searches, and a line read on the other: the server plans them as a search's,
            // and the comparison of letters beyond ASCII is made ready.
            const std::vector<qint32> first{1};
            for (int k = 0; k < kSearchKindCount && !stop.stop_requested(); ++k) {
                const auto kind = static_cast<SearchKind>(k);
                recordsStillFound(db, kind, QStringLiteral("\u00fc"), first);
                resultLines(**lines, kind, first);
            }
            return [this, lines, path, password] {
                m_preparing = false;
                if (m_db)
                    return;
                m_db = std::move(*lines);
                m_path = path;
                m_password = password;
            };
        },
        [this](const CDbException&) { m_preparing = false; });
}

void CSearchResultModel::stopSearch() {
    if (!m_worker.busy())
        return;
    m_worker.stop();
    emit searchingChanged(false);
}

void CSearchResultModel::wait() {
    while (m_worker.busy()) {
        m_worker.wait();
        QCoreApplication::sendPostedEvents(&m_worker, QEvent::MetaCall);
    }
}

void CSearchResultModel::startSearch() {
    const bool wasSearching = searching();
    m_preparing = false;
    m_worker.start(
        m_path, m_password,
        [this, kinds = m_kinds, text = m_text](
            CDatabase& db, const std::stop_token& stop) -> CBackgroundWorker::Delivery {
            std::vector<SearchHit> hits;
            try {
                for (SearchKind kind : kinds) {
                    for (qint32 id : findRecords(db, kind, text, stop))
                        hits.push_back({id, kind});
                }
            } catch (const CDbException& error) {
                if (stop.stop_requested())
                    return {};
                return [this, hits = std::move(hits), error]() mutable {
                    showHits(std::move(hits));
                    reportDbException(error);
                };
            }
            return [this, hits = std::move(hits)]() mutable { showHits(std::move(hits)); };
        },
        [](const CDbException& error) { reportDbException(error); });
    if (!wasSearching)
        emit searchingChanged(true);
}

void CSearchResultModel::showHits(std::vector<SearchHit> hits) {
    std::sort(hits.begin(), hits.end(), before);
    beginResetModel();
    m_hits = std::move(hits);
    m_lines.clear();
    m_requests.reset();
    endResetModel();
}

void CSearchResultModel::follow(const DataChange& change) {
    if (!m_db)
        return;
    // Everything changed, which is also what the shared connection says when it had to be
    // made again: the pages' connection may have been lost with it.
    if (change.everything && m_db->isServer() && !m_db->server().stillAnswers())
        m_db->reconnectServer();
    const bool touched = std::any_of(m_kinds.begin(), m_kinds.end(), [&](SearchKind kind) {
        return change.touches(QString::fromLatin1(searchCategory(kind).table));
    });
    if (!touched)
        return;
    // A search under way may have read the file before the change or after it.
    if (change.everything || m_worker.busy()) {
        startSearch();
        return;
    }
    for (SearchKind kind : m_kinds) {
        if (const TableChange* table =
                change.table(QString::fromLatin1(searchCategory(kind).table)))
            follow(kind, *table);
    }
}

void CSearchResultModel::follow(SearchKind kind, const TableChange& change) {
    // What the records are now decides, whatever happened to them in the transaction.
    std::vector<qint32> changed;
    changed.reserve(change.size());
    for (const auto* ids : {&change.inserted, &change.updated, &change.deleted})
        changed.insert(changed.end(), ids->begin(), ids->end());
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());

    const std::vector<qint32> found = recordsStillFound(*m_db, kind, m_text, changed);
    std::vector<qint32> lost;
    std::set_difference(changed.begin(), changed.end(), found.begin(), found.end(),
                        std::back_inserter(lost));
    removeHits(kind, lost);
    addOrUpdateHits(kind, found, resultLines(*m_db, kind, found));
}

void CSearchResultModel::removeHits(SearchKind kind, const std::vector<qint32>& ids) {
    std::vector<SearchHit> gone;
    for (qint32 id : ids) {
        const SearchHit hit{id, kind};
        if (std::binary_search(m_hits.begin(), m_hits.end(), hit, before))
            gone.push_back(hit);
        m_lines.remove(keyOf(hit));
    }
    if (gone.size() <= kRowsChangedOneByOne) {
        for (const SearchHit& hit : gone) {
            const auto it = std::lower_bound(m_hits.begin(), m_hits.end(), hit, before);
            const int row = static_cast<int>(it - m_hits.begin());
            beginRemoveRows({}, row, row);
            m_hits.erase(it);
            endRemoveRows();
        }
        return;
    }
    beginResetModel();
    std::erase_if(m_hits, [&](const SearchHit& hit) {
        return std::binary_search(gone.begin(), gone.end(), hit, before);
    });
    endResetModel();
}

void CSearchResultModel::addOrUpdateHits(SearchKind kind, const std::vector<qint32>& ids,
                                         const QStringList& lines) {
    std::vector<SearchHit> added;
    int firstUpdated = hitCount();
    int lastUpdated = -1;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const SearchHit hit{ids[i], kind};
        m_lines.insert(keyOf(hit), lines[static_cast<qsizetype>(i)]);
        const auto it = std::lower_bound(m_hits.begin(), m_hits.end(), hit, before);
        if (it != m_hits.end() && *it == hit) {
            const int row = static_cast<int>(it - m_hits.begin());
            firstUpdated = std::min(firstUpdated, row);
            lastUpdated = std::max(lastUpdated, row);
        } else {
            added.push_back(hit);
        }
    }
    if (lastUpdated >= 0)
        emit dataChanged(index(firstUpdated), index(lastUpdated), {Qt::DisplayRole});
    if (added.size() <= kRowsChangedOneByOne) {
        for (const SearchHit& hit : added) {
            const auto it = std::lower_bound(m_hits.begin(), m_hits.end(), hit, before);
            const int row = static_cast<int>(it - m_hits.begin());
            beginInsertRows({}, row, row);
            m_hits.insert(it, hit);
            endInsertRows();
        }
        return;
    }
    beginResetModel();
    std::vector<SearchHit> merged;
    merged.reserve(m_hits.size() + added.size());
    std::merge(m_hits.begin(), m_hits.end(), added.begin(), added.end(), std::back_inserter(merged),
               before);
    m_hits = std::move(merged);
    endResetModel();
}

int CSearchResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : hitCount();
}

QVariant CSearchResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= hitCount())
        return {};
    const SearchHit& hit = m_hits[static_cast<std::size_t>(index.row())];
    if (role == KindRole)
        return static_cast<int>(hit.kind);
    if (role != Qt::DisplayRole)
        return {};
    const auto it = m_lines.constFind(keyOf(hit));
    if (it != m_lines.constEnd())
        return *it;
    m_requests.request(index.row() / kPageSize);
    return QString();
}

void CSearchResultModel::fetchPage(int page) {
    const int first = page * kPageSize;
    const int end = std::min(first + kPageSize, hitCount());
    if (!m_db || first >= end)
        return;
    if (m_lines.size() > kMaxCachedLines)
        m_lines.clear();
    // The page's missing lines by kind, one read per kind; a page holds at most a few kinds.
    int i = first;
    while (i < end) {
        const SearchKind kind = m_hits[static_cast<std::size_t>(i)].kind;
        std::vector<qint32> ids;
        for (; i < end && m_hits[static_cast<std::size_t>(i)].kind == kind; ++i) {
            const SearchHit& hit = m_hits[static_cast<std::size_t>(i)];
            if (!m_lines.contains(keyOf(hit)))
                ids.push_back(hit.id);
        }
        const QStringList lines = resultLines(*m_db, kind, ids);
        for (std::size_t k = 0; k < ids.size(); ++k)
            m_lines.insert(keyOf({ids[k], kind}), lines[static_cast<qsizetype>(k)]);
    }
    emit dataChanged(index(first), index(end - 1), {Qt::DisplayRole});
}

QString CSearchResultModel::line(int row) {
    const SearchHit& hit = m_hits[static_cast<std::size_t>(row)];
    if (!m_lines.contains(keyOf(hit)))
        fetchPage(row / kPageSize);
    return m_lines.value(keyOf(hit));
}

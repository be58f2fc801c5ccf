#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <memory>
#include <vector>

#include "data/BackgroundWorker.h"
#include "data/Database.h"
#include "lists/PageRequests.h"
#include "lists/SearchQuery.h"

struct DataChange;
struct TableChange;

// The search tool's results. The search runs in the background, on a connection of its own,
// so the window answers while a large file is searched; a new search stops the one under way
// and the hits of a stopped search are never shown. The hits are kept in memory in row order
// (by kind, then by id); their lines are read by id a page at a time when the view shows
// them, so that a search that finds every record of a large file still lists at once.
//
// The results follow every change announced on the change notifier: a changed record of a
// searched kind is read again by its id and its row is updated, added at its place or
// removed as it now contains the text or not; a deleted record leaves the results; a change
// that cannot name its records runs the search again. The rows' kinds are offered under
// KindRole.
class CSearchResultModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int KindRole = Qt::UserRole + 1;

    explicit CSearchResultModel(QObject* parent = nullptr);
    ~CSearchResultModel() override;

    // Stops a search under way, empties the results and closes the connection they were
    // read with; the results then follow no change.
    void clear();
    // Empties the results and starts searching the categories, in kind order, for the typed
    // text; the hits are listed when the search has ended. A failure of the search is shown
    // by the error report, with the hits found before it listed. Throws CDbException when
    // the file cannot be opened.
    void search(const QString& path, const QString& password, const std::vector<SearchKind>& kinds,
                const QString& typedText);
    // On a team's server, opens the two connections a search takes (its own and the one its
    // lines are read with) and has the server load what the search's statements use, while
    // the user types: a first search spends some hundred milliseconds on that otherwise.
    // Does nothing for a file, which opens in a moment, and when a connection is kept.
    void prepare(const QString& path, const QString& password);
    // Stops a search under way; the results listed stay and follow the changes.
    void stopSearch();
    bool searching() const { return m_worker.busy() && !m_preparing; }
    // For tests (the user-interface thread never waits for a search): blocks until the
    // search under way has read the file, its hits then on their way; wait() also lists them.
    void waitForReading() { m_worker.wait(); }
    void wait();

    int hitCount() const { return static_cast<int>(m_hits.size()); }
    SearchHit hit(int row) const { return m_hits[static_cast<std::size_t>(row)]; }
    // The row's line, read now when needed. Throws CDbException.
    QString line(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    // A search has started, or it has ended (also when stopped).
    void searchingChanged(bool searching);

private:
    void startSearch();
    void showHits(std::vector<SearchHit> hits);
    void follow(const DataChange& change);
    void follow(SearchKind kind, const TableChange& change);
    void removeHits(SearchKind kind, const std::vector<qint32>& ids);
    void addOrUpdateHits(SearchKind kind, const std::vector<qint32>& ids, const QStringList& lines);
    void fetchPage(int page);

    std::unique_ptr<CDatabase> m_db;
    bool m_preparing = false;
    QString m_path;
    QString m_password;
    std::vector<SearchKind> m_kinds;
    QString m_text;
    // Sorted by kind, then by id: the order of the categories and of each search.
    std::vector<SearchHit> m_hits;
    // The lines read so far, by hit.
    mutable QHash<quint64, QString> m_lines;
    mutable CPageRequests m_requests;
    CBackgroundWorker m_worker;
};

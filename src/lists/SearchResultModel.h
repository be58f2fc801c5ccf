#pragma once

#include <QAbstractListModel>
#include <memory>
#include <vector>

#include "data/Database.h"
#include "lists/IdPageCache.h"
#include "lists/PageRequests.h"
#include "lists/SearchQuery.h"

// The search tool's results: the hits in row order are kept in memory, their lines are read
// by id a page at a time when the view shows them, so that a search that finds every record
// of a large file still lists at once. The rows' kinds are offered under KindRole.
class CSearchResultModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int KindRole = Qt::UserRole + 1;

    explicit CSearchResultModel(QObject* parent = nullptr);
    ~CSearchResultModel() override;

    // Empties the results and closes the connection they were read with.
    void clear();
    // Searches the categories, in kind order, for the typed text, through a connection of
    // its own on the file; the hits replace the previous ones. The hits found before a
    // failure stay listed. Throws CDbException.
    void search(const QString& path, const QString& password, const std::vector<SearchKind>& kinds,
                const QString& typedText);

    int hitCount() const { return static_cast<int>(m_kinds.size()); }
    SearchHit hit(int row) const;
    // The row's line, read now when needed. Throws CDbException.
    QString line(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void appendHits(SearchKind kind, const std::vector<qint32>& ids);
    void fetchPage(int page);

    std::unique_ptr<CDatabase> m_db;
    mutable CIdPageCache<QString> m_lines;
    std::vector<SearchKind> m_kinds;
    mutable CPageRequests m_requests;
};

#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
#include <unordered_set>

#include "lists/IdPageCache.h"
#include "lists/PageRequests.h"

class CListSource;

// The rows of a record list: the ids of the result in row order are kept in memory and the
// shown texts are fetched by id, a page at a time, when the view asks for them. A row whose
// page has not arrived yet shows empty cells until the page is fetched, right after the
// view's request; pages asked for by an older result are dropped.
class CListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CListModel(CListSource& source, QObject* parent = nullptr);

    // The column headers; the rows go with them.
    void setHeaders(const QStringList& headers);
    // A new result (the rows of these ids, in this order).
    void setIds(std::vector<qint32> ids);
    // Keeps the rows whose id passes `keep`, in their order.
    void retainIds(const std::function<bool(qint32)>& keep);
    // Removes the rows of those ids that are listed, in one pass over the rows. The rows
    // before the first removed one keep their fetched texts.
    void removeIds(const std::unordered_set<qint32>& ids);
    // Inserts a row for the id before `row`; its texts are fetched when it is shown.
    void insertId(int row, qint32 id);
    // Reads the texts of the row again if they are fetched, and has the view repaint that
    // row alone. Throws CDbException.
    void refreshRow(int row);
    const std::vector<qint32>& ids() const { return m_cache.ids(); }
    qint32 idAt(int row) const { return m_cache.idAt(row); }
    // The row of a record id; -1 when it is not listed.
    int rowOf(qint32 id) const { return static_cast<int>(m_cache.rowOf(id)); }

    // The cell's shown text, fetching its page now when needed. Throws CDbException.
    QString cellText(int row, int column);
    // Fetches the pages that the view has asked for. Throws CDbException.
    void fetchPending();
    std::size_t cachedPages() const { return m_cache.cachedPages(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void fetchPage(int page);

    CListSource& m_source;
    QStringList m_headers;
    // Filled lazily from data(), which is const for the view.
    mutable CIdPageCache<QStringList> m_cache;
    // A failed read is reported once; its rows are read again when the view next shows them.
    mutable CPageRequests m_requests;
};

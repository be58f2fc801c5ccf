#include "lists/ListModel.h"

#include <algorithm>

#include "lists/ListSource.h"

CListModel::CListModel(CListSource& source, QObject* parent)
    : QAbstractTableModel(parent), m_source(source), m_requests(this, [this](int page) {
          if (!m_cache.hasPage(page))
              fetchPage(page);
      }) {}

void CListModel::setHeaders(const QStringList& headers) {
    beginResetModel();
    m_headers = headers;
    m_cache.reset({});
    m_requests.reset();
    endResetModel();
}

void CListModel::setIds(std::vector<qint32> ids) {
    beginResetModel();
    m_cache.reset(std::move(ids));
    m_requests.reset();
    endResetModel();
}

void CListModel::retainIds(const std::function<bool(qint32)>& keep) {
    beginResetModel();
    m_cache.retain(keep);
    m_requests.clear();
    endResetModel();
}

void CListModel::removeIds(const std::unordered_set<qint32>& ids) {
    if (ids.empty())
        return;
    std::vector<int> rows;
    const std::vector<qint32>& listed = m_cache.ids();
    // A save changes a row or a few: a plain scan for each id is many times faster than a
    // set lookup for each of a hundred thousand rows.
    constexpr std::size_t kFewIds = 8;
    if (ids.size() <= kFewIds) {
        for (const qint32 id : ids)
            for (auto at = std::find(listed.begin(), listed.end(), id); at != listed.end();
                 at = std::find(std::next(at), listed.end(), id))
                rows.push_back(static_cast<int>(at - listed.begin()));
        std::sort(rows.begin(), rows.end());
    } else {
        for (std::size_t row = 0; row < listed.size(); ++row) {
            if (ids.count(listed[row]))
                rows.push_back(static_cast<int>(row));
        }
    }
    // From the bottom up, a run of neighbouring rows at a time, so that the rows above
    // keep their numbers while the ones below go.
    for (auto last = rows.rbegin(); last != rows.rend();) {
        auto first = last;
        while (std::next(first) != rows.rend() && *std::next(first) == *first - 1)
            ++first;
        beginRemoveRows({}, *first, *last);
        m_cache.erase(*first, *last);
        endRemoveRows();
        last = std::next(first);
    }
    m_requests.clear();
}

void CListModel::insertId(int row, qint32 id) {
    beginInsertRows({}, row, row);
    m_cache.insert(row, id);
    endInsertRows();
    m_requests.clear();
}

void CListModel::refreshRow(int row) {
    if (m_cache.row(row)) {
        const qint32 id = m_cache.idAt(row);
        std::vector<QStringList> texts = m_source.readRows(std::span(&id, 1));
        m_cache.replaceRow(row, std::move(texts.front()));
    }
    emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole});
}

int CListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_cache.size());
}

int CListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant CListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_headers.size())
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

QVariant CListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    if (const QStringList* row = m_cache.row(index.row()))
        return index.column() < row->size() ? row->at(index.column()) : QString();
    if (role == Qt::DisplayRole)
        m_requests.request(m_cache.pageOf(index.row()));
    return QString();
}

void CListModel::fetchPending() {
    m_requests.fetchPending();
}

void CListModel::fetchPage(int page) {
    const quint64 generation = m_cache.generation();
    const auto ids = m_cache.pageIds(page);
    std::vector<QStringList> rows = m_source.readRows(ids);
    if (!m_cache.store(generation, page, std::move(rows)))
        return;
    const int first = static_cast<int>(m_cache.firstRowOf(page));
    const int last = first + static_cast<int>(ids.size()) - 1;
    if (!m_headers.isEmpty())
        emit dataChanged(index(first, 0), index(last, columnCount() - 1), {Qt::DisplayRole});
}

QString CListModel::cellText(int row, int column) {
    if (!m_cache.row(row))
        fetchPage(m_cache.pageOf(row));
    const QStringList* cells = m_cache.row(row);
    return cells && column < cells->size() ? cells->at(column) : QString();
}

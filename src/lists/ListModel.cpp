#include "lists/ListModel.h"

#include <QTimer>

#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "lists/ListSource.h"

CListModel::CListModel(CListSource& source, QObject* parent)
    : QAbstractTableModel(parent), m_source(source) {}

void CListModel::setHeaders(const QStringList& headers) {
    beginResetModel();
    m_headers = headers;
    m_cache.reset({});
    m_pending.clear();
    m_failed = false;
    endResetModel();
}

void CListModel::setIds(std::vector<qint32> ids) {
    beginResetModel();
    m_cache.reset(std::move(ids));
    m_pending.clear();
    m_failed = false;
    endResetModel();
}

void CListModel::retainIds(const std::function<bool(qint32)>& keep) {
    beginResetModel();
    m_cache.retain(keep);
    m_pending.clear();
    endResetModel();
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
        requestPage(m_cache.pageOf(index.row()));
    return QString();
}

void CListModel::requestPage(int page) const {
    if (m_failed)
        return;
    m_pending.insert(page);
    if (m_fetchQueued)
        return;
    m_fetchQueued = true;
    // One fetch for all the pages a repaint asks for, after the repaint.
    QTimer::singleShot(0, const_cast<CListModel*>(this), &CListModel::fetchPendingGuarded);
}

void CListModel::fetchPendingGuarded() {
    m_fetchQueued = false;
    try {
        fetchPending();
    } catch (const CDbException& e) {
        m_pending.clear();
        m_failed = true;
        ReportDbException(e);
    }
}

void CListModel::fetchPending() {
    const QSet<int> pages = std::exchange(m_pending, {});
    for (int page : pages) {
        if (!m_cache.hasPage(page))
            fetchPage(page);
    }
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

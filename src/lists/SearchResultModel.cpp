#include "lists/SearchResultModel.h"

#include "data/Connection.h"

CSearchResultModel::CSearchResultModel(QObject* parent)
    : QAbstractListModel(parent), m_requests(this, [this](int page) {
          if (!m_lines.hasPage(page))
              fetchPage(page);
      }) {}

CSearchResultModel::~CSearchResultModel() = default;

void CSearchResultModel::clear() {
    beginResetModel();
    m_lines.reset({});
    m_kinds.clear();
    m_requests.reset();
    m_db.reset();
    endResetModel();
}

void CSearchResultModel::search(const QString& path, const QString& password,
                                const std::vector<SearchKind>& kinds, const QString& typedText) {
    clear();
    if (kinds.empty())
        return;
    m_db = std::make_unique<CDatabase>();
    m_db->Open(path, false, false, connectText(password));
    for (SearchKind kind : kinds)
        appendHits(kind, findRecords(*m_db, kind, typedText));
}

void CSearchResultModel::appendHits(SearchKind kind, const std::vector<qint32>& ids) {
    if (ids.empty())
        return;
    beginResetModel();
    std::vector<qint32> all = m_lines.ids();
    all.insert(all.end(), ids.begin(), ids.end());
    m_kinds.insert(m_kinds.end(), ids.size(), kind);
    m_lines.reset(std::move(all));
    endResetModel();
}

SearchHit CSearchResultModel::hit(int row) const {
    return {m_lines.idAt(row), m_kinds[static_cast<std::size_t>(row)]};
}

int CSearchResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : hitCount();
}

QVariant CSearchResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= hitCount())
        return {};
    if (role == KindRole)
        return static_cast<int>(m_kinds[static_cast<std::size_t>(index.row())]);
    if (role != Qt::DisplayRole)
        return {};
    if (const QString* text = m_lines.row(index.row()))
        return *text;
    m_requests.request(m_lines.pageOf(index.row()));
    return QString();
}

void CSearchResultModel::fetchPage(int page) {
    if (!m_db)
        return;
    const quint64 generation = m_lines.generation();
    const auto ids = m_lines.pageIds(page);
    const std::size_t first = static_cast<std::size_t>(m_lines.firstRowOf(page));
    std::vector<QString> lines(ids.size());
    // The page's rows by kind, one read per kind; a page holds at most a few kinds.
    std::size_t i = 0;
    while (i < ids.size()) {
        const SearchKind kind = m_kinds[first + i];
        std::size_t end = i;
        while (end < ids.size() && m_kinds[first + end] == kind)
            ++end;
        const QStringList part = resultLines(*m_db, kind, ids.subspan(i, end - i));
        for (std::size_t k = i; k < end; ++k)
            lines[k] = part[static_cast<qsizetype>(k - i)];
        i = end;
    }
    if (!m_lines.store(generation, page, std::move(lines)))
        return;
    const int firstRow = static_cast<int>(first);
    emit dataChanged(index(firstRow), index(firstRow + static_cast<int>(ids.size()) - 1),
                     {Qt::DisplayRole});
}

QString CSearchResultModel::line(int row) {
    if (!m_lines.row(row))
        fetchPage(m_lines.pageOf(row));
    const QString* text = m_lines.row(row);
    return text ? *text : QString();
}

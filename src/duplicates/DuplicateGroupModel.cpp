#include "duplicates/DuplicateGroupModel.h"

#include <QStringList>

namespace duplicates {

void CDuplicateGroupModel::setResult(DuplicateSearchResult result) {
    beginResetModel();
    m_result = std::move(result);
    endResetModel();
}

void CDuplicateGroupModel::removeGroup(int row) {
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows({}, row, row);
    m_result.groups.erase(m_result.groups.begin() + row);
    endRemoveRows();
}

int CDuplicateGroupModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_result.groups.size());
}

QVariant CDuplicateGroupModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const DuplicateGroup& shown = group(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        QStringList names;
        for (qint32 id : shown.ids)
            names << nameOf(id);
        return QStringLiteral("%1 (%2)").arg(names.join(QStringLiteral(" | ")),
                                             reasonsText(shown.reasons));
    }
    return {};
}

}  // namespace duplicates

#pragma once

#include <QAbstractListModel>

#include "duplicates/DuplicateSearch.h"

namespace duplicates {

// The groups of probable duplicates of one kind, one row each: the names side by side and
// the reasons ("Müller Jürgen | Mueller Juergen (same name, same e-mail)").
class CDuplicateGroupModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setResult(DuplicateSearchResult result);
    const DuplicateSearchResult& result() const { return m_result; }
    const DuplicateGroup& group(int row) const { return m_result.groups[std::size_t(row)]; }
    QString nameOf(qint32 id) const { return m_result.names.value(id); }
    // Takes a group out: merged, or set apart by the user.
    void removeGroup(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    DuplicateSearchResult m_result;
};

}  // namespace duplicates

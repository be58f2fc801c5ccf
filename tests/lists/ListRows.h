#pragma once

#include <QStringList>
#include <ostream>
#include <vector>

#include "data/Connection.h"
#include "lists/ListSource.h"
#include "lists/MyListView.h"

// The ids and shown texts of a list, top to bottom.
struct Rows {
    std::vector<qint32> ids;
    std::vector<QStringList> texts;
    bool operator==(const Rows&) const = default;
};

inline void PrintTo(const Rows& rows, std::ostream* out) {
    for (std::size_t r = 0; r < rows.ids.size(); ++r)
        *out << "\n  " << rows.ids[r] << ": "
             << (r < rows.texts.size() ? rows.texts[r].join(u'|').toStdString() : "?");
}

inline Rows shownRows(CMyListView* list) {
    Rows rows{list->listModel()->ids(), {}};
    for (int r = 0; r < list->listModel()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < list->listModel()->columnCount(); ++c)
            cells << list->listModel()->cellText(r, c);
        rows.texts.push_back(cells);
    }
    return rows;
}

// What the list shows when filled from scratch in its order, read on a connection of its own.
inline Rows freshRows(CMyListView* list) {
    CListSource source;
    source.open(databasePath(), currentPassword());
    source.setTable(list->sourceName());
    source.readColumns();
    Rows rows{source.readIds(source.parseSort(list->currentSort())), {}};
    rows.texts = source.readRows(rows.ids);
    return rows;
}

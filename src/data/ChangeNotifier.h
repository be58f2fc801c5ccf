#pragma once

#include <QObject>
#include <QString>
#include <QStringView>
#include <vector>

// What committed writes changed in one table ("Person", "Firm", "Group", "Contact", "Alarm",
// "Sharks", "Sharks2"): the ids of its rows that were inserted, updated and deleted. A row
// written twice in one transaction may be in two of the lists.
struct TableChange {
    QString table;
    std::vector<qint32> inserted;
    std::vector<qint32> updated;
    std::vector<qint32> deleted;

    bool empty() const { return inserted.empty() && updated.empty() && deleted.empty(); }
    std::size_t size() const { return inserted.size() + updated.size() + deleted.size(); }
};

// One announcement: the tables and rows a commit changed, or `everything` when the writer
// cannot say what it changed (another program on the same file, a restored backup, a
// statement written around the record sets). Then every subscriber reads again what it
// shows, as after a full refresh.
struct DataChange {
    std::vector<TableChange> tables;
    bool everything = false;

    // The change of the table (letter case ignored); nullptr when the table is untouched
    // or when everything changed.
    const TableChange* table(QStringView name) const;
    // Whether the table may have changed.
    bool touches(QStringView name) const { return everything || table(name) != nullptr; }

    static DataChange all() { return {{}, true}; }
};

// Where every write of the data layer is announced after it was committed, whoever made it:
// a form, a dossier, the alarm advance, an import, a merge, a sync, or another program on the
// same file (noticed by CExternalChangeWatch). Lists, known values, the alarm scheduler, the
// search results and the forms subscribe and do only the work the change requires.
//
// Announcements are made on the user-interface thread, synchronously after the commit, so
// that a subscriber sees the change as soon as the write returns. A subscriber must not
// write to the database from its slot.
class CChangeNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void announce(const DataChange& change);

signals:
    void changed(const DataChange& change);
};

// The process-wide notifier, beside the shared connection.
CChangeNotifier& changeNotifier();

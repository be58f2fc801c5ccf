#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <memory>

#include "data/Transaction.h"
#include "data/WriteGate.h"

class CDatabase;
class CStatement;
struct SourceDef;

// Adds persons, firms and the groups they name to the contacts file in one transaction:
// what an import writes. A file found damaged is never written: the batch refuses to begin,
// to add and to commit once damage is known. Until Commit() nothing is seen by other
// connections, and a batch destroyed without it is rolled back. While it is open the
// connection's write gate is held, so that writes from the event loop wait for its end.
// Every failure throws CDbException.
class CContactBatch {
public:
    explicit CContactBatch(CDatabase& db);
    ~CContactBatch();
    CContactBatch(const CContactBatch&) = delete;
    CContactBatch& operator=(const CContactBatch&) = delete;

    // Adds a person or a firm from values by column name; an empty value is stored as null.
    // A name that is no column of the table throws.
    void addPerson(const QMap<QString, QString>& values);
    void addFirm(const QMap<QString, QString>& values);
    // Adds the group unless one of that name is there in any letter case; true when added.
    bool addGroupIfMissing(const QString& name);

    // Makes the batch part of the file and tells the known values what it changed.
    void Commit();

private:
    class Inserter;

    void requireUndamaged() const;

    CDatabase& m_db;
    CWriteGate::Hold m_hold;
    // Declared after the hold: the rollback ends before the gate opens.
    CTransaction m_transaction;
    QSet<QString> m_groups;
    std::unique_ptr<Inserter> m_personInserter, m_firmInserter, m_groupInserter;
};

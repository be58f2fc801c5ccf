#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "data/DbException.h"
#include "data/FieldTypes.h"
#include "data/SortTerms.h"

class CDatabase;
struct TableChange;
class CRecordSource;
class CStatement;

// An open cursor over a table, a stored query or a SELECT, with the current record's
// values bound to named fields. Keyset-driven: the keys of the rows are read once (in
// sort order) and the current row is fetched by its key; bookmarks are keys. Every
// failure throws CDbException.
class CRecordSet {
public:
    enum OpenType { dbOpenDynaset, dbOpenSnapshot, dbOpenForwardOnly };
    enum EditMode { dbEditNone, dbEditInProgress, dbEditAdd };
    // The code of the failure of an Update or Delete on the team's server when another user
    // saved the record after it was read here.
    static constexpr int kChangedElsewhere = 0x7A01;

    // A record set on the connection `db`; with nullptr it opens the database file at
    // GetDefaultDBName() by itself, with the current password, and closes it again.
    // Without a field table it binds every column of the source it opens.
    explicit CRecordSet(CDatabase* db);
    CRecordSet(CDatabase* db, const SourceDef& fields);
    virtual ~CRecordSet();
    CRecordSet(const CRecordSet&) = delete;
    CRecordSet& operator=(const CRecordSet&) = delete;

    // The database path the record set opens when it has no connection.
    virtual QString GetDefaultDBName() const;
    // The source opened when Open() is given none, e.g. "[Person]".
    virtual QString GetDefaultSQL() const;

    // Opens `source` (a table or query name, or a full SELECT; empty: GetDefaultSQL())
    // with m_strFilter as WHERE and m_strSort as ORDER BY, and moves to the first record.
    // Snapshots, stored queries and SELECTs other than "select * from [table] ..." are
    // read-only; forward-only record sets only MoveNext, IsEOF and read fields. The
    // engine's `options` are not used.
    void Open(int type = dbOpenDynaset, const QString& source = {}, int options = 0);
    void Close();
    bool IsOpen() const;
    // Runs the source again with the current filter and sort; moves to the first record.
    void Requery();

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrev();
    // An empty record set is both before the first and after the last record.
    bool IsBOF() const;
    bool IsEOF() const;
    // Moves to the first record, in the record set's order, that meets the condition
    // (engine dialect); false, with the position unchanged, when none does.
    bool FindFirst(const QString& condition);

    // Starts a new record with null fields; Update() inserts it, the engine assigns `id`,
    // the current record stays where it was and the new record joins the end of the set.
    void AddNew();
    // Starts changing the current record; Update() writes the changed fields.
    void Edit();
    void Update();
    void CancelUpdate();
    // Deletes the current record; there is no current record until the next move.
    void Delete();
    // After an Update refused with kChangedElsewhere: the edit goes on against the version
    // that is stored now, so that saving again replaces the other user's change knowingly.
    void AdoptStoredVersion();
    EditMode GetEditMode() const { return m_editMode; }
    // Throws unless records can be written: the set is read-only, or the file was found
    // damaged in this run.
    void CheckWritable() const;
    // Sets every bound field to null.
    void SetFieldNull();

    qint64 GetBookmark() const;
    void SetBookmark(qint64 bookmark);
    // The record last inserted or changed by Update().
    qint64 GetLastModifiedBookmark() const;
    // Moves the record just added from the end of the set to its place in the sort order
    // and makes it current, without reading every key again (a binary search over the
    // keys, reading a few rows). False, with nothing changed, where that cannot be done
    // exactly (a condition, a sort that is not a list of columns): then Requery.
    bool PlaceLastAdded();
    // Takes in rows that another writer inserted, changed or deleted without reading every
    // key again: the deleted ones leave the keys, the others go to their place in the sort
    // order (a binary search each, reading a few rows). Moves to the first record, as
    // Requery. False, with nothing changed, where that cannot be done exactly (a condition,
    // a source that is not a table, a sort that is not a list of columns, a row gone without
    // a word of it): then Requery.
    bool FollowChange(const TableChange& change);
    int GetRecordCount() const;
    // The current record's position from 0; -1 when there is no current record.
    int GetAbsolutePosition() const;

    // The current record's columns, in the source's column order: Long as int, Text as
    // QString, DateTime as a local QDateTime, null as a null QVariant.
    QVariant GetFieldValue(int index) const;
    QVariant GetFieldValue(const QString& name) const;
    int GetFieldCount() const;
    CFieldInfo GetFieldInfo(int index) const;
    // The table or query name, or the SELECT text.
    QString GetName() const;

    // The bound fields of the current record, which are also what AddNew()/Edit() and
    // Update() write. Column names ignore letter case.
    QVariant value(const QString& column) const;
    void setValue(const QString& column, const QVariant& value);
    QString text(const QString& column) const;
    qint32 longValue(const QString& column) const;
    QDateTime dateTime(const QString& column) const;

    QString m_strFilter;
    QString m_strSort;

private:
    enum class Position { BeforeFirst, OnRecord, AfterLast, Deleted };
    struct Binding {
        QString name;
        FieldType type;
        int column = -1;
    };

    CDatabase& database();
    void openSource();
    void requireOpen() const;
    void requireKeyset() const;
    void requireCurrent() const;
    void bindFields(const std::vector<CFieldInfo>& columns);
    int bindingIndex(const QString& column) const;
    void readKeys();
    // Makes the first row found from `index` in `step` direction current (skipping rows
    // deleted meanwhile); past either end, the position is before first / after last.
    void moveTo(qsizetype index, int step);
    bool fetch(qint64 key);
    QVariant rawColumn(int column) const;
    void takeValuesFromRow();
    void detachValues();
    void endEdit();
    // The server's version of the current row; invalid on a file.
    QVariant rowVersion() const;
    void insertRecord();
    void updateRecord();
    // The sort order a change can be followed in: none with a condition (a filter, or the
    // source's own), a source that is not a table, or a sort that is not a list of columns.
    std::optional<std::vector<SortTerm>> followableOrder() const;
    // Where the record `key` with the column values `row` goes among `keys`, which are in
    // the sort order of `terms` and then of their keys. None when a key names a row that is
    // gone. Reads the rows it compares with: from a file one at a time through m_row, from a
    // server their sort columns, many in one statement.
    std::optional<qsizetype> placeAmong(std::span<const qint64> keys,
                                        const std::vector<SortTerm>& terms,
                                        const std::vector<QVariant>& row, qint64 key);

    CDatabase* m_db;
    std::unique_ptr<CDatabase> m_ownDb;
    CDatabase* m_attachedTo = nullptr;
    const SourceDef* m_fields = nullptr;
    std::unique_ptr<CRecordSource> m_source;
    std::unique_ptr<CStatement> m_rowStatement;
    std::unique_ptr<CStatement> m_stream;
    int m_openType = dbOpenDynaset;
    QString m_openSource;
    bool m_readOnly = true;

    std::vector<Binding> m_bindings;
    QHash<QString, int> m_bindingByName;
    std::vector<QVariant> m_values;
    std::vector<QVariant> m_valuesBeforeEdit;
    // The server's version of the row when its edit began (invalid on a file).
    QVariant m_editVersion;
    bool m_valuesFromRow = false;

    std::vector<qint64> m_keys;
    qsizetype m_index = 0;
    Position m_position = Position::BeforeFirst;
    std::vector<QVariant> m_row;
    int m_streamedRows = 0;
    EditMode m_editMode = dbEditNone;
    std::optional<qint64> m_lastModified;
};

#pragma once

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

#include "data/FieldTypes.h"

class CServerConnection;

// What a server's catalog said about the tables and views that record sets read, kept for
// the life of one connection. Every record set asks which object a name means and which
// columns its rows have; on a server each question is a round trip, more than the look-up
// that opened the record set costs. The objects are the program's own schema, which only
// the owner's start-up changes (before any record set opens), so an answer stays true; a
// name not found is asked again, as it may be made meanwhile.
class CStoredObjects {
public:
    struct Object {
        QString type;  // "table" or "view"
        QString storedName;
    };

    std::optional<Object> find(const QString& name) const;
    // Reads the names and kinds of every table and view of the server's current schema: one
    // question, asked as the connection opens and again for a name not found.
    void readAll(CServerConnection& server);

    // The columns a statement's rows have, by the statement's text.
    const std::vector<CFieldInfo>* columnsOf(const QString& sql) const;
    void rememberColumns(const QString& sql, const std::vector<CFieldInfo>& columns);

    // Whether the server folds names for sorting as this program does
    // (ServerNameOrder.h); nothing until asked.
    std::optional<bool> foldsNamesAsThisProgram() const { return m_foldsNames; }
    void rememberFoldsNamesAsThisProgram(bool folds) { m_foldsNames = folds; }

    void clear();

private:
    QHash<QString, Object> m_objects;  // by the name in lower case
    QHash<QString, std::vector<CFieldInfo>> m_columns;
    std::optional<bool> m_foldsNames;
};

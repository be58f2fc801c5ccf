#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <span>

// What duplicate matching reads of a person or a firm, and the keys it compares.
namespace duplicates {

enum class PartyKind { Person, Firm };

// The table of the kind ("Person", "Firm").
QString tableOf(PartyKind kind);

// The columns matching reads, in the order of a record's values: the name columns first
// (for a person the last, then the first name), then the e-mail and the phone columns.
QStringList matchColumns(PartyKind kind);

// The keys of one record.
struct PartyKeys {
    QStringList names;
    // A person's names with first and last name swapped, where that differs.
    QStringList swapped;
    QStringList emails;
    QStringList phones;
};

// The keys of a record whose values are in the order of matchColumns(kind).
PartyKeys keysOf(PartyKind kind, std::span<const QString> values);
// The keys of a record given by column name; missing columns count as empty.
PartyKeys keysOf(PartyKind kind, const QMap<QString, QString>& values);

}  // namespace duplicates

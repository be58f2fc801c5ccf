#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class CDatabase;

enum class ContactTable { Person, Firm };

// The values of `columns` of the persons or firms with the given ids, in that order (ids no
// longer there are left out); of all of them in name order when `ids` is empty. Empty and
// null values are left out of a row. The columns must be columns of the table.
QList<QMap<QString, QString>> readContactRows(CDatabase& db, ContactTable table,
                                              const QStringList& columns,
                                              const QList<qint64>& ids = {});

#pragma once

#include <QStringList>

#include "data/DataTestSupport.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"

// A contacts file that tests fill and read back row by row.
class DuplicatesTest : public DataTest {
protected:
    qint32 insert(const QString& table, const QStringList& columns, const QStringList& values) {
        QStringList names, marks;
        for (const QString& column : columns) {
            names << quotedName(column);
            marks << QStringLiteral("?");
        }
        CStatement statement(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(quotedName(table), names.join(u','), marks.join(u',')));
        for (int i = 0; i < values.size(); ++i)
            statement.bind(i + 1, values[i].isEmpty() ? QVariant() : QVariant(values[i]));
        statement.execute();
        return qint32(
            query(QStringLiteral("SELECT max(id) FROM %1").arg(quotedName(table))).toInt());
    }

    QString query(const QString& sql) {
        CStatement statement(db, sql);
        QStringList rows;
        while (statement.step()) {
            QStringList row;
            for (int i = 0; i < statement.columnCount(); ++i)
                row << (statement.isNull(i) ? QStringLiteral("∅") : statement.text(i));
            rows << row.join(u'|');
        }
        return rows.join(u'\n');
    }

    // Every row of every table.
    QString everything() {
        QString all;
        for (const char* table :
             {"Person", "Firm", "Group", "Contact", "Alarm", "Sharks", "Sharks2"})
            all += query(QStringLiteral("SELECT * FROM \"%1\" ORDER BY id").arg(table)) + u'\n';
        return all;
    }
};

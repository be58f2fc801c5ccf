#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// One person or firm on its way between a file and the contacts file: the values by the
// table's column names (Person or Firm), empty columns left out.
struct CExchangeRecord {
    enum class Kind { Person, Firm };
    Kind kind = Kind::Person;
    QMap<QString, QString> values;
    int line = 0;  // where the record starts in the file read, 1-based

    QString value(const QString& column) const { return values.value(column); }
};

// What a reader made of a file: the records it could read, one text per card or row
// that it could not ("line 12: ..."), and the encoding the text was read in.
struct CReadResult {
    enum class Format { VCard, Csv };
    Format format = Format::VCard;
    QList<CExchangeRecord> records;
    QStringList unreadable;
    QList<int> unreadableLines;
    QString encoding = QStringLiteral("UTF-8");

    void fail(int line, const QString& why) {
        unreadable << QStringLiteral("line %1: %2").arg(line).arg(why);
        unreadableLines << line;
    }
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include "exchange/ExchangeRecord.h"

// One row of a CSV file and the line it starts on.
struct CCsvRow {
    QStringList fields;
    int line = 0;
};

// The rows of an RFC 4180 text: quoted fields, doubled quotes, line breaks inside quotes;
// "," ";" or a tab as separator, whichever the first row uses most outside quotes. An
// unclosed quote ends the text and is reported through `unclosedLine` (0 when none).
QList<CCsvRow> parseCsv(const QString& text, int* unclosedLine = nullptr);

// Reads contacts from CSV: our own layout (a header of a table's column names) and the
// layouts other address books export (Thunderbird and Google Contacts style headers). The
// text is decoded as textencoding::decodeFile() finds it.
CReadResult readContactsCsv(const QByteArray& data);

#pragma once

#include <QString>

// A printout line: the label (padded as the forms lay it out), the value, CR LF.
QString printLine(const char* label, const QString& value);
// A label on a line of its own, the value below it, CR LF.
QString printBlock(const char* label, const QString& value);
// Prints a record's text as a plain-text printout with one header line.
void printRecord(const QString& docName, const QString& header, const QString& text);

#include "forms/RecordPrintout.h"

#include "platform/TextPrinter.h"

QString printLine(const char* label, const QString& value) {
    return QString::fromLatin1(label) + value + QStringLiteral("\r\n");
}

QString printBlock(const char* label, const QString& value) {
    return QString::fromLatin1(label) + QStringLiteral("\r\n") + value + QStringLiteral("\r\n");
}

void printRecord(const QString& docName, const QString& header, const QString& text) {
    CTextPrinter printer;
    printer.SetDocName(docName);
    printer.AddHeaderLine(header);
    printer.SetText(text);
    printer.Print();
}

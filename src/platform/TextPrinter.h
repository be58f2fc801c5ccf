#pragma once

#include <QString>
#include <QStringList>

#include "platform/PrintDevice.h"

// Prints plain text page by page in a small fixed-pitch font: header lines at the top of
// every page, one empty line, then as many body lines as fit. Lines are not wrapped.
// Built, filled, printed once and discarded by one command.
class CTextPrinter {
public:
    CTextPrinter();
    virtual ~CTextPrinter();
    CTextPrinter(const CTextPrinter&) = delete;
    CTextPrinter& operator=(const CTextPrinter&) = delete;

    void SetDocName(const QString& name) { m_docName = name; }
    void AddHeaderLine(const QString& line) { m_headerLines.append(line); }
    void SetText(const QString& text) { m_text = text; }

    // Asks for a printer and prints. True once the job was started, even if it was then
    // aborted; false when the user cancelled or PrepareText refused.
    bool Print();

    // Called once the page metrics are known and before the body is cut into lines, so that
    // a subclass can build header and body to fit the page. False stops the printing.
    virtual bool PrepareText() { return true; }

    // The text cut into lines: carriage returns dropped, a line feed ends a line, the text
    // after the last line feed is the last line.
    static QStringList SplitLines(const QString& text);

protected:
    int lineHeight() const { return m_lineHeight; }
    int linesPerPage() const { return m_linesPerPage; }
    int charactersPerLine() const { return m_charsPerLine; }

private:
    void computeMetrics(const PrintDevice& printer);
    bool printPage(PrintDevice& printer);
    // The header that a printout without caller-given header lines gets.
    static QStringList defaultHeader();

    PrintFont m_font;
    int m_lineHeight = 0;
    int m_linesPerPage = 0;
    int m_charsPerLine = 0;
    QString m_text;
    qsizetype m_nextLine = 0;
    QString m_docName = QStringLiteral("unnamed");
    int m_fontSize = 8;
    QString m_fontFace = QStringLiteral("Courier NEW");
    QStringList m_bodyLines;
    QStringList m_headerLines;
};

#include "platform/TextPrinter.h"

#include <QLocale>

#include "platform/Clock.h"

namespace {

// Left margin of every printed line, in device units.
constexpr int kLeftMargin = 5;
// Extra room between lines, in device units.
constexpr int kLineGap = 3;
// Lines kept free at the foot of every page.
constexpr int kFootLines = 12;

}  // namespace

CTextPrinter::CTextPrinter() = default;

CTextPrinter::~CTextPrinter() = default;

QStringList CTextPrinter::SplitLines(const QString& text) {
    QString withoutReturns = text;
    withoutReturns.remove(QLatin1Char('\r'));
    return withoutReturns.split(QLatin1Char('\n'));
}

QStringList CTextPrinter::defaultHeader() {
    const QString stamp =
        QLocale(QLocale::English)
            .toString(currentDateTime(), QStringLiteral("HH:mm:ss  dd MMMM yyyy"));
    return {QStringLiteral("Tarvex (%1)").arg(stamp), QStringLiteral("---")};
}

void CTextPrinter::computeMetrics(const PrintDevice& printer) {
    m_font = {m_fontFace, m_fontSize * printer.dpiY() / 72};
    const PrintFontMetrics metrics = printer.fontMetrics(m_font);
    m_lineHeight = metrics.textHeight + metrics.externalLeading + kLineGap;
    m_linesPerPage = m_lineHeight > 0 ? printer.pageHeight() / m_lineHeight - kFootLines : 0;
    const int printableWidth = printer.physicalPageWidth() - 2 * printer.physicalLeftOffset();
    m_charsPerLine = metrics.averageCharWidth > 0 ? printableWidth / metrics.averageCharWidth : 0;
}

bool CTextPrinter::Print() {
    const std::unique_ptr<PrintDevice> printer = printerChooser()();
    if (!printer)
        return false;
    computeMetrics(*printer);
    if (!PrepareText())
        return false;
    m_bodyLines = SplitLines(m_text);

    // A job that cannot be started still runs: its pages fail and the job is aborted.
    printer->startDoc(m_docName);
    m_nextLine = 0;
    bool pageOk = true;
    while (pageOk && m_nextLine < m_bodyLines.size())
        pageOk = printPage(*printer);
    if (pageOk)
        printer->endDoc();
    else
        printer->abortDoc();
    return true;
}

bool CTextPrinter::printPage(PrintDevice& printer) {
    printer.selectFont(m_font);
    printer.startPage();
    // The date header is made for the first page and repeated, unchanged, on the others.
    if (m_headerLines.isEmpty())
        m_headerLines = defaultHeader();
    const int headerCount = static_cast<int>(m_headerLines.size());
    for (int i = 0; i < headerCount; ++i) {
        if (!printer.drawText(kLeftMargin, i * m_lineHeight, m_headerLines[i]))
            return false;
    }
    int row = headerCount + 1;
    // A page without room for a body line would be followed by such pages without end.
    if (row >= m_linesPerPage)
        return false;
    for (; row < m_linesPerPage && m_nextLine < m_bodyLines.size(); ++row, ++m_nextLine) {
        if (!printer.drawText(kLeftMargin, row * m_lineHeight, m_bodyLines[m_nextLine]))
            return false;
    }
    printer.endPage();
    return true;
}

#include "lists/ListPrinter.h"

#include <algorithm>

namespace {

// Room for the row number ("0001 ") at the start of every line.
constexpr int kNumberWidth = 5;
// Header texts are read up to this length.
constexpr int kMaxTitle = 1023;

// The text left-aligned in a field of exactly `width` characters: cut or padded.
QString cell(const QString& text, int width) {
    return text.left(width).leftJustified(width, u' ');
}

}  // namespace

bool CListPrinter::PrepareText() {
    if (!m_sourceList)
        return false;
    m_columns.clear();
    m_totalWidth = 0;
    for (int i = 0; i < m_sourceList->headerCount(); ++i) {
        const int width = m_sourceList->headerWidth(i);
        if (width <= 0)
            continue;
        m_columns.push_back({width, m_sourceList->headerText(i).left(kMaxTitle), i,
                             m_sourceList->headerPosition(i)});
        m_totalWidth += width;
    }
    std::stable_sort(m_columns.begin(), m_columns.end(),
                     [](const Column& a, const Column& b) { return a.position < b.position; });
    // The share is taken of the line less the row number, with the single-precision factor
    // 0.01 (a little less than 0.01), so an exact share comes out one character short.
    const double perCent = (charactersPerLine() - kNumberWidth) * static_cast<double>(0.01f);
    for (Column& column : m_columns) {
        const double share = static_cast<double>(column.width) * 100.0 / m_totalWidth;
        column.width = std::max(0, static_cast<int>(share * perCent));
    }

    QString heading = QStringLiteral("No   ");
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        if (c > 0)
            heading += u' ';
        heading += cell(m_columns[c].title, m_columns[c].width);
    }
    AddHeaderLine(QStringLiteral("Tarvex - Contacts File version 1.2"));
    AddHeaderLine(QString());
    AddHeaderLine(heading);
    AddHeaderLine(QString());
    SetDocName(QStringLiteral("Tarvex - Contacts File"));

    QString body;
    const int rows = m_sourceList->listRowCount();
    for (int r = 0; r < rows; ++r) {
        QString line = QString::asprintf("%-4.4d ", r + 1);
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            if (c > 0)
                line += u' ';
            QString text = m_sourceList->itemText(r, m_columns[c].subItem);
            text.replace(u'\r', u' ').replace(u'\n', u' ');
            line += cell(text, m_columns[c].width);
        }
        body += line;
        body += QStringLiteral("\r\n");
    }
    SetText(body);
    return true;
}

#pragma once

#include <QStringList>

#include "platform/PrintDevice.h"

// A printer that keeps the texts it is asked to draw: characters 10 units wide (so a line
// holds `charsPerLine` of them), lines 10 units high, one tall page unless told otherwise.
class LinePrintDevice : public PrintDevice {
public:
    explicit LinePrintDevice(QStringList& lines, int charsPerLine = 110, int pageHeight = 10000)
        : m_lines(lines), m_width(charsPerLine * 10), m_pageHeight(pageHeight) {}
    int dpiY() const override { return 72; }
    int pageHeight() const override { return m_pageHeight; }
    int physicalPageWidth() const override { return m_width; }
    int physicalLeftOffset() const override { return 0; }
    PrintFontMetrics fontMetrics(const PrintFont&) const override { return {7, 0, 10}; }
    bool startDoc(const QString&) override { return true; }
    bool startPage() override { return true; }
    void selectFont(const PrintFont&) override {}
    bool drawText(int, int, const QString& text) override {
        m_lines << text;
        return true;
    }
    bool endPage() override { return true; }
    bool endDoc() override { return true; }
    void abortDoc() override {}

private:
    QStringList& m_lines;
    int m_width;
    int m_pageHeight;
};

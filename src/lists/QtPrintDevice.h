#pragma once

#include <QPainter>
#include <memory>

#include "platform/PrintDevice.h"
#include "platform/WaitCursor.h"

class QPrinter;

// A printout's device on a Qt printer (a real printer or a PDF file). Metrics come from the
// printer's page layout and from font metrics on the printer. While the device lives the
// wait cursor is shown, so the user sees that printing is in progress.
class QtPrintDevice final : public PrintDevice {
public:
    explicit QtPrintDevice(std::unique_ptr<QPrinter> printer);
    ~QtPrintDevice() override;
    QtPrintDevice(const QtPrintDevice&) = delete;
    QtPrintDevice& operator=(const QtPrintDevice&) = delete;

    int dpiY() const override;
    int pageHeight() const override;
    int physicalPageWidth() const override;
    int physicalLeftOffset() const override;
    PrintFontMetrics fontMetrics(const PrintFont& font) const override;

    bool startDoc(const QString& name) override;
    bool startPage() override;
    void selectFont(const PrintFont& font) override;
    bool drawText(int x, int y, const QString& text) override;
    bool endPage() override;
    bool endDoc() override;
    void abortDoc() override;

private:
    WaitCursor m_waitCursor;
    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    int m_ascent = 0;
    int m_pagesStarted = 0;
};

// Shows the print dialog; the chosen printer, or nullptr when the user cancelled.
std::unique_ptr<PrintDevice> chooseQtPrinter();

// Makes printouts ask for their printer with the print dialog.
void installQtPrinting();

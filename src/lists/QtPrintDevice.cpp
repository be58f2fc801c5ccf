#include "lists/QtPrintDevice.h"

#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPrinter>

#include "platform/PageSetup.h"
#include "platform/Prompter.h"

namespace {

// The printer's font for a printout font: a fixed-pitch face is taken where the one asked
// for is not installed.
QFont toQFont(const PrintFont& font) {
    QFont result(font.face);
    result.setPixelSize(qMax(1, font.pixelSize));
    result.setStyleHint(QFont::TypeWriter);
    result.setFixedPitch(true);
    result.setWeight(QFont::Normal);
    return result;
}

}  // namespace

QtPrintDevice::QtPrintDevice(std::unique_ptr<QPrinter> printer) : m_printer(std::move(printer)) {}

QtPrintDevice::~QtPrintDevice() {
    if (m_painter.isActive())
        m_painter.end();
}

int QtPrintDevice::dpiY() const {
    return m_printer->logicalDpiY();
}

int QtPrintDevice::pageHeight() const {
    return m_printer->height();
}

int QtPrintDevice::physicalPageWidth() const {
    return m_printer->pageLayout().fullRectPixels(m_printer->resolution()).width();
}

int QtPrintDevice::physicalLeftOffset() const {
    return m_printer->pageLayout().paintRectPixels(m_printer->resolution()).left();
}

PrintFontMetrics QtPrintDevice::fontMetrics(const PrintFont& font) const {
    const QFontMetrics metrics(toQFont(font), m_printer.get());
    return {metrics.height(), metrics.leading(), metrics.averageCharWidth()};
}

bool QtPrintDevice::startDoc(const QString& name) {
    m_printer->setDocName(name);
    return m_painter.begin(m_printer.get());
}

bool QtPrintDevice::startPage() {
    if (!m_painter.isActive())
        return false;
    // The painter opens the first page itself.
    if (m_pagesStarted++ > 0)
        return m_printer->newPage();
    return true;
}

void QtPrintDevice::selectFont(const PrintFont& font) {
    const QFont qfont = toQFont(font);
    m_ascent = QFontMetrics(qfont, m_printer.get()).ascent();
    if (m_painter.isActive())
        m_painter.setFont(qfont);
}

bool QtPrintDevice::drawText(int x, int y, const QString& text) {
    if (!m_painter.isActive())
        return false;
    // Lines are placed by their top; the painter places text by its baseline.
    m_painter.drawText(x, y + m_ascent, text);
    return true;
}

bool QtPrintDevice::endPage() {
    return m_painter.isActive();
}

bool QtPrintDevice::endDoc() {
    return m_painter.isActive() && m_painter.end();
}

void QtPrintDevice::abortDoc() {
    m_printer->abort();
    if (m_painter.isActive())
        m_painter.end();
}

std::unique_ptr<PrintDevice> chooseQtPrinter() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pageSetup().applyTo(*printer);
    if (!prompter().printDialog(*printer))
        return nullptr;
    return std::make_unique<QtPrintDevice>(std::move(printer));
}

void installQtPrinting() {
    setPrinterChooser(chooseQtPrinter);
}

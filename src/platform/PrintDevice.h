#pragma once

#include <QString>
#include <functional>
#include <memory>

// A font as the printout asks for it: a face and a character height in device units.
struct PrintFont {
    QString face;
    int pixelSize = 0;
};

// What a printer reports about a font once it is selected.
struct PrintFontMetrics {
    int textHeight = 0;
    int externalLeading = 0;
    int averageCharWidth = 0;
};

// A printer as the text printout sees it: page metrics in device units and a job made of
// pages of text lines. Coordinates start at the top left corner of the printable area and
// a line is drawn with its top at y.
class PrintDevice {
public:
    virtual ~PrintDevice() = default;

    // Vertical device units per inch.
    virtual int dpiY() const = 0;
    // Height of the printable area.
    virtual int pageHeight() const = 0;
    // Width of the whole sheet, margins included.
    virtual int physicalPageWidth() const = 0;
    // Distance from the sheet's left edge to the printable area.
    virtual int physicalLeftOffset() const = 0;
    virtual PrintFontMetrics fontMetrics(const PrintFont& font) const = 0;

    virtual bool startDoc(const QString& name) = 0;
    virtual bool startPage() = 0;
    // The font used by the following drawText calls.
    virtual void selectFont(const PrintFont& font) = 0;
    virtual bool drawText(int x, int y, const QString& text) = 0;
    virtual bool endPage() = 0;
    virtual bool endDoc() = 0;
    virtual void abortDoc() = 0;
};

// Asks the user for a printer; nullptr when the user cancelled.
using PrinterChooser = std::function<std::unique_ptr<PrintDevice>()>;

// The chooser that printouts use. Until one is installed there is no printer to choose
// from, and every printout counts as cancelled.
const PrinterChooser& printerChooser();
// Installs a chooser and returns the one it replaces; an empty one restores the default.
PrinterChooser setPrinterChooser(PrinterChooser chooser);

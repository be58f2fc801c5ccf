#include "platform/PrintDevice.h"

#include <utility>

namespace {

PrinterChooser& installedChooser() {
    static PrinterChooser chooser;
    return chooser;
}

const PrinterChooser& noPrinter() {
    static const PrinterChooser none = [] { return std::unique_ptr<PrintDevice>(); };
    return none;
}

}  // namespace

const PrinterChooser& printerChooser() {
    const PrinterChooser& installed = installedChooser();
    return installed ? installed : noPrinter();
}

PrinterChooser setPrinterChooser(PrinterChooser chooser) {
    return std::exchange(installedChooser(), std::move(chooser));
}

#include "dossiers/Sharks2FView.h"

#include "data/Connection.h"
#include "data/Sharks2Rcs.h"

namespace {

const DossierDefinition kFirmDossier{"Zikinfo2", "id_firm", [](QWidget* parent) -> CDossierSheet* {
                                         return new CSharks2Sheet(parent);
                                     }};

}  // namespace

CSharks2Sheet::CSharks2Sheet(QWidget* parent) : CDossierSheet(firmDossierPages(), parent) {}

CSharks2FView::CSharks2FView(CDocument* document) : CDossierFView(document, kFirmDossier) {}

std::unique_ptr<CRecordSet> CSharks2FView::createRecordset() const {
    return std::make_unique<CSharks2Rcs>(&sharedDatabase());
}

QString& CSharks2FView::previousDisplayName() const {
    // Process-wide: the firm whose dossier was loaded last, kept across windows.
    static QString previous;
    return previous;
}

QWidget* createSharks2View(CDocument* document) {
    return new CSharks2FView(document);
}

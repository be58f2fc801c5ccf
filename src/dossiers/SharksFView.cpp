#include "dossiers/SharksFView.h"

#include "data/Connection.h"
#include "data/SharksRcs.h"

namespace {

const DossierDefinition kPersonDossier{
    "Zikinfo", "id_person",
    [](QWidget* parent) -> CDossierSheet* { return new CSharksSheet(parent); }};

}  // namespace

CSharksSheet::CSharksSheet(QWidget* parent) : CDossierSheet(personDossierPages(), parent) {}

CSharksFView::CSharksFView(CDocument* document) : CDossierFView(document, kPersonDossier) {}

std::unique_ptr<CRecordSet> CSharksFView::createRecordset() const {
    return std::make_unique<CSharksRcs>(&sharedDatabase());
}

QString& CSharksFView::previousDisplayName() const {
    // Process-wide: the person whose dossier was loaded last, kept across windows.
    static QString previous;
    return previous;
}

QWidget* createSharksView(CDocument* document) {
    return new CSharksFView(document);
}

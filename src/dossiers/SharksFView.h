#pragma once

#include "dossiers/DossierFView.h"
#include "dossiers/DossierSheet.h"

// The eight pages of the person dossier.
class CSharksSheet : public CDossierSheet {
    Q_OBJECT
public:
    explicit CSharksSheet(QWidget* parent = nullptr);
};

// The person dossier window: the Sharks row of one person.
class CSharksFView : public CDossierFView {
    Q_OBJECT
public:
    explicit CSharksFView(CDocument* document);

protected:
    std::unique_ptr<CRecordSet> createRecordset() const override;
    QString& previousDisplayName() const override;
};

// Creates the person dossier's view for the window kind "Zikinfo".
QWidget* createSharksView(CDocument* document);

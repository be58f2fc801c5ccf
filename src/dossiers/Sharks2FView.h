#pragma once

#include "dossiers/DossierFView.h"
#include "dossiers/DossierSheet.h"

// The five pages of the firm dossier.
class CSharks2Sheet : public CDossierSheet {
    Q_OBJECT
public:
    explicit CSharks2Sheet(QWidget* parent = nullptr);
};

// The firm dossier window: the Sharks2 row of one firm.
class CSharks2FView : public CDossierFView {
    Q_OBJECT
public:
    explicit CSharks2FView(CDocument* document);

protected:
    std::unique_ptr<CRecordSet> createRecordset() const override;
    QString& previousDisplayName() const override;
};

// Creates the firm dossier's view for the window kind "Zikinfo2".
QWidget* createSharks2View(CDocument* document);

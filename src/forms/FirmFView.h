#pragma once

#include "forms/MyFormView.h"

// The firm form: one company profile of the Firm table at a time.
class CFirmFView : public CMyFormView {
    Q_OBJECT
public:
    explicit CFirmFView(CDocument* document);

    void OnInitialUpdate() override;

    // The printout of the current record, as sent to the printer.
    QString printText() const;
    // Looks the contact person's name up and offers a new person when none has it.
    void ResolvePersonName();

protected:
    void DoListRecords() override;
    void DoPrint() override;
    QString nameCondition(const CRecordLocator& locator) const override;
    void OnNotFound(const CRecordLocator& locator) override;
    void FillNewRecordNames(const CRecordLocator& locator) override;
    void OnNameReturned(int hint, const CRecordLocator& locator) override;
    QString savedName() const override;
    void OnResolve(int message) override;
    void OnFieldLeft(int controlId) override;
};

// Creates the firm form's view for the window kind "Firm".
QWidget* createFirmView(CDocument* document);

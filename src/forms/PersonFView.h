#pragma once

#include "forms/MyFormView.h"

// The person form: one record of the Person table at a time.
class CPersonFView : public CMyFormView {
    Q_OBJECT
public:
    explicit CPersonFView(CDocument* document);

    // The printout of the current record, as sent to the printer.
    QString printText() const;
    // Looks the company field's name up and offers a new firm when none has it.
    void ResolveFirmName();

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

// Creates the person form's view for the window kind "Person".
QWidget* createPersonView(CDocument* document);

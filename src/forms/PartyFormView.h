#pragma once

#include "forms/MyFormView.h"

// A record form that names a contact person and a company and holds one moment in a date
// and a time picker: the contact and alarm forms. It looks the typed names up, offers a
// new person or firm for an unknown one, fills in the person's firm, takes names sent back
// by the person and firm forms, and stores its moment in both of its columns.
class CPartyFormView : public CMyFormView {
    Q_OBJECT
public:
    // The control ids of the form's fields and related buttons.
    struct PartyControls {
        int person;
        int company;
        int date;
        int time;
        int newPerson;
        int viewPerson;
        int newFirm;
        int viewFirm;
        // Where the focus goes after a returned person name and a returned firm name.
        int afterPerson;
        int afterCompany;
    };

    CPartyFormView(CDocument* document, FormDefinition definition, FormKind kind,
                   std::unique_ptr<CRecordSet> recordSet, const PartyControls& controls);

    // Look the typed names up and offer a new person or firm when none has them.
    void ResolvePersonName();
    void ResolveFirmName();
    // Puts the firm of the typed person into the company field.
    void FillCompany();

protected:
    void OnNameReturned(int hint, const CRecordLocator& locator) override;
    bool returnsToCaller() const override { return false; }
    void OnResolve(int message) override;
    void OnFieldLeft(int controlId) override;

    // The date and time pickers set to now, for a new record.
    void SetPickersToNow();
    // The notices for names that no record has, when the options ask for them; the record
    // is saved all the same. A field left empty names no one.
    void NoticeUnknownNames();
    // Both columns get the whole moment: the day of the one picker, the time of the other.
    QDateTime StoreMoment();

private:
    PartyControls m_party;
};

#pragma once

#include "forms/PartyFormView.h"

class CTypeAheadComboBox;

// The alarm form: one reminder of the Alarm table at a time, with its moment in two pickers
// and its status (also its repetition) in a fixed list. Saves and deletes restart the alarm
// scheduler.
class CAlarmFView : public CPartyFormView {
    Q_OBJECT
public:
    explicit CAlarmFView(CDocument* document);

    // The printout of the current record, as sent to the printer.
    QString printText() const;
    CTypeAheadComboBox* statusList() const { return m_status; }

protected:
    void EnableControls(bool enable) override;
    void DoNewMask() override;
    void DoNewDefaults() override;
    bool DoBeforePost() override;
    void DoAfterMove() override;
    void DoAfterPost() override;
    void DoListRecords() override;
    void DoPrint() override;

private:
    CTypeAheadComboBox* m_status = nullptr;
};

// Creates the alarm form's view for the window kind "Alarm".
QWidget* createAlarmView(CDocument* document);

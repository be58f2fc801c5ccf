#pragma once

#include "forms/PartyFormView.h"

class QGroupBox;
class QPlainTextEdit;

// The contact form: one logged meeting or call of the Contact table at a time, with the
// earlier contacts of the same person or firm in a history pane beside it.
class CContactFView : public CPartyFormView {
    Q_OBJECT
public:
    explicit CContactFView(CDocument* document);

    void OnInitialUpdate() override;

    // The printout of the current record, as sent to the printer.
    QString printText() const;
    // The history as gathered (CR LF line ends), newest contact first.
    const QString& historyText() const { return m_history; }
    bool historyShown() const { return m_sizeControlId == kWideLayout; }

    // Gathers every contact with the person or the firm of the fields into the history.
    void FillHistory();
    // Shows or hides the history pane and fits the frame to the chosen layout.
    void ToggleHistory();
    void PrintHistory();

protected:
    void DoNewDefaults() override;
    bool DoBeforePost() override;
    void DoAfterMove() override;
    void DoListRecords() override;
    void DoPrint() override;
    void AfterUpdate(bool added) override;

private:
    // The hidden statics whose size the frame takes: the contact alone, or with history.
    static constexpr int kNarrowLayout = 1011;
    static constexpr int kWideLayout = 1020;

    void showHistoryPane(bool shown);
    // Fits the frame again to the layout now shown.
    void refitFrame();
    void setHistory(const QString& text);

    QGroupBox* m_historyBox = nullptr;
    QPlainTextEdit* m_historyPane = nullptr;
    QString m_history;
    int m_sizeControlId = kNarrowLayout;
};

// Creates the contact form's view for the window kind "Contact".
QWidget* createContactView(CDocument* document);

#pragma once

#include <QTabWidget>
#include <span>
#include <vector>

#include "dossiers/DossierPages.h"

class CDossierPage;
class CRecordSet;

// The tabbed sheet of a dossier window, one page per entry of its page table. Switching
// tabs leaves the old page (its texts go to the edit buffer) and enters the new one.
class CDossierSheet : public QTabWidget {
    Q_OBJECT
public:
    CDossierSheet(std::span<const DossierPageDef> pages, QWidget* parent = nullptr);

    // Gives every page the record set (nullptr: no dossier shown).
    void SetRecordset(CRecordSet* recordSet);
    CDossierPage* GetActivePage() const;
    CDossierPage* page(int index) const;
    int GetPageCount() const { return count(); }

private:
    void onCurrentChanged(int index);

    std::vector<CDossierPage*> m_pages;
    int m_active = -1;
};

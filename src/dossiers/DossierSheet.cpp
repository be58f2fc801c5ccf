#include "dossiers/DossierSheet.h"

#include "data/ErrorReport.h"
#include "dossiers/DossierPage.h"

CDossierSheet::CDossierSheet(std::span<const DossierPageDef> pages, QWidget* parent)
    : QTabWidget(parent) {
    for (const DossierPageDef& def : pages) {
        auto* page = new CDossierPage(def, this);
        m_pages.push_back(page);
        addTab(page, QString::fromLatin1(def.caption));
    }
    m_active = currentIndex();
    connect(this, &QTabWidget::currentChanged, this, &CDossierSheet::onCurrentChanged);
}

void CDossierSheet::SetRecordset(CRecordSet* recordSet) {
    for (CDossierPage* page : m_pages)
        page->SetRecordset(recordSet);
}

CDossierPage* CDossierSheet::GetActivePage() const {
    return page(currentIndex());
}

CDossierPage* CDossierSheet::page(int index) const {
    if (index < 0 || index >= static_cast<int>(m_pages.size()))
        return nullptr;
    return m_pages[static_cast<std::size_t>(index)];
}

void CDossierSheet::onCurrentChanged(int index) {
    CDossierPage* left = page(m_active);
    m_active = index;
    reportDbErrors([&] {
        if (left)
            left->OnKillActive();
        if (CDossierPage* entered = page(index))
            entered->OnSetActive();
    });
}

#include "dossiers/DossierFView.h"

#include <sqlite3.h>

#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/DbException.h"
#include "data/EngineError.h"
#include "data/ErrorReport.h"
#include "data/RecordSet.h"
#include "dossiers/DossierPage.h"
#include "dossiers/DossierSheet.h"
#include "platform/CommandIds.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/WaitCursor.h"

namespace {

constexpr int kSaveChangedDossier = 60015;
const QString kNoDossierYet = QStringLiteral("Zik info data");
const QString kTitlePrefix = QStringLiteral("Zikinfo - ");

bool isEmpty(const CRecordSet& rs) {
    return rs.IsBOF() && rs.IsEOF();
}

}  // namespace

CDossierFView::CDossierFView(CDocument* document, const DossierDefinition& definition)
    : m_definition(definition),
      m_slot(QString::fromLatin1(definition.kind), this),
      m_displayName(kNoDossierYet) {
    SetDocument(document);
    auto* layout = new QHBoxLayout(this);
    m_sheet = definition.createSheet(this);
    m_sheet->setObjectName(QStringLiteral("control%1").arg(SheetFrame));
    layout->addWidget(m_sheet, 1);
    auto* buttons = new QVBoxLayout;
    m_apply = new QPushButton(QStringLiteral("&Apply\nChanges"), this);
    m_apply->setObjectName(QStringLiteral("button%1").arg(ApplyButton));
    m_apply->setAutoDefault(false);
    buttons->addWidget(m_apply);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(m_apply, &QPushButton::clicked, this, [this] { OnApplyChanges(); });
}

CDossierFView::~CDossierFView() = default;

void CDossierFView::OnUpdate(CView*, int hint, CHintObject*) {
    if (hint == cmd::Close)
        closeWindow();
}

bool CDossierFView::Load(qint32 ownerId, const QString& displayName) {
    if (!m_recordSet)
        m_recordSet = createRecordset();
    if (m_recordSet->IsOpen()) {
        const int answer = messageBox(
            QStringLiteral("%1 %2?").arg(loadString(kSaveChangedDossier), previousDisplayName()),
            Prompter::Buttons::YesNo, Prompter::Icon::Question);
        // A dossier that cannot be saved stays shown with its texts rather than being lost.
        if (answer == Prompter::Yes && !OnApplyChanges())
            return false;
        closeDossier();
    }
    const bool opened = reportDbErrors([&] {
        WaitCursor wait;
        openRow(ownerId);
        m_sheet->SetRecordset(m_recordSet.get());
        if (CDossierPage* page = m_sheet->GetActivePage())
            page->OnSetActive();
    });
    if (!opened) {
        closeDossier();
        return false;
    }
    m_ownerId = ownerId;
    m_displayName = displayName;
    previousDisplayName() = displayName;
    setWindowTitle(displayName);
    GetDocument()->SetTitle(kTitlePrefix + displayName);
    return true;
}

void CDossierFView::openRow(qint32 ownerId) {
    CRecordSet& rs = *m_recordSet;
    const QString link = QString::fromLatin1(m_definition.linkColumn);
    rs.m_strFilter = QStringLiteral("%1 = %2").arg(link).arg(ownerId);
    rs.Open();
    // A missing row is added once; when it still cannot be found (the engine dropped it),
    // adding again would never end.
    if (isEmpty(rs)) {
        rs.AddNew();
        rs.setValue(link, ownerId);
        rs.Update();
        rs.Close();
        rs.Open();
        if (isEmpty(rs))
            throw dbError(SQLITE_NOTFOUND,
                          QStringLiteral("The new Zik info record could not be found again."));
    }
    rs.Edit();
}

bool CDossierFView::OnApplyChanges() {
    return reportDbErrors([&] {
        if (CDossierPage* page = m_sheet->GetActivePage())
            page->OnKillActive();
        if (m_recordSet && m_recordSet->IsOpen()) {
            m_recordSet->Update();
            m_recordSet->Edit();
        }
    });
}

void CDossierFView::closeDossier() {
    m_sheet->SetRecordset(nullptr);
    m_ownerId = -1;
    if (m_recordSet) {
        if (m_recordSet->IsOpen() && m_recordSet->GetEditMode() != CRecordSet::dbEditNone)
            m_recordSet->CancelUpdate();
        m_recordSet->Close();
    }
}

void CDossierFView::closeWindow() {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(w)) {
            frame->close();
            return;
        }
    }
}

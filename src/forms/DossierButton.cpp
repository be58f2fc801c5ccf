#include "forms/DossierButton.h"

#include <QStringList>

#include "app/MainFrame.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "dossiers/DossierFView.h"
#include "forms/MyFormView.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"

namespace {

constexpr int kNotWhileEditing = 60016;

}  // namespace

void ShowDossier(CMyFormView& form, const QString& dossierKind,
                 std::initializer_list<const char*> nameColumns) {
    if (form.isEditing()) {
        messageBox(loadString(kNotWhileEditing));
        return;
    }
    qint32 ownerId = 0;
    QStringList names;
    try {
        CRecordSet* rs = form.OnGetRecordset();
        // Without a current record there is nobody whose dossier could be shown.
        if (!rs->IsOpen() || rs->IsBOF() || rs->IsEOF())
            return;
        ownerId = rs->longValue(QStringLiteral("id"));
        for (const char* column : nameColumns)
            names << rs->text(QString::fromLatin1(column));
    } catch (const CDbException& e) {
        ReportDbException(e);
        return;
    }
    CMainFrame* main = CMainFrame::instance();
    if (!main)
        return;
    auto* dossier = dynamic_cast<CDossierFView*>(main->OpenOrActivate(dossierKind));
    if (!dossier)
        return;
    main->ActivateView(dossier);
    dossier->Load(ownerId, names.join(u' '));
}

#include "forms/DossierButton.h"

#include <QStringList>

#include "data/ErrorReport.h"
#include "dossiers/DossierFView.h"
#include "forms/MyFormView.h"
#include "platform/FrameServices.h"
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
    bool onRecord = false;
    if (!reportDbErrors([&] {
            CRecordSet* rs = form.OnGetRecordset();
            // Without a current record there is nobody whose dossier could be shown.
            onRecord = rs->IsOpen() && !rs->IsBOF() && !rs->IsEOF();
            if (!onRecord)
                return;
            ownerId = rs->longValue(QStringLiteral("id"));
            for (const char* column : nameColumns)
                names << rs->text(QString::fromLatin1(column));
        }) ||
        !onRecord)
        return;
    CFrameServices* services = frameServices();
    if (!services)
        return;
    auto* dossier = dynamic_cast<CDossierFView*>(services->OpenOrActivate(dossierKind));
    if (!dossier)
        return;
    services->ActivateView(dossier);
    dossier->Load(ownerId, names.join(u' '));
}

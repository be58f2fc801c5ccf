#include "forms/PersonFView.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "data/Connection.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "data/PersonRcs.h"
#include "data/RecordLocator.h"
#include "data/SqlDialect.h"
#include "forms/DossierButton.h"
#include "forms/DossierText.h"
#include "forms/NameResolution.h"
#include "forms/PickListEdit.h"
#include "forms/RecordPrintout.h"
#include "platform/CommandIds.h"
#include "platform/FrameServices.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"

namespace {

enum Control {
    LastName = 1000,
    FirstName = 1002,
    Title = 1098,
    Function = 1099,
    Company = 1018,
    HomePhone = 1008,
    BusinessPhone = 1013,
    Group = 1025,
    BusinessEmail = 1010,
    MobilePhone = 1012,
    HomeEmail = 1014,
    HomeAddress = 1006,
    Comment = 1021,
    NewFirm = 1043,
    ViewFirm = 1046,
    ViewDossierText = 1165,
};

constexpr int kNoUserWithId = 60017;

FormDefinition personForm() {
    return {"Person",
            60037,
            "lastname, firstname",
            {
                {LastName, "&Last Name", "lastname", FieldKind::Text, KnownList::LastName},
                {FirstName, "First &Name", "firstname", FieldKind::Text, KnownList::FirstName},
                {Title, "T&itle", "title"},
                {Function, "F&unction", "function"},
                {Company, "Company", "firm", FieldKind::Text, KnownList::FirmName,
                 CPickListEdit::kResolveFirm},
                {HomePhone, "Home phone", "phone_home1"},
                {BusinessPhone, "Business phone", "phone_bussines1"},
                {Group, "Group", "group", FieldKind::Text, KnownList::GroupName},
                {BusinessEmail, "Business email", "email_bussines"},
                {MobilePhone, "Mobile phone", "phone_mobile"},
                {HomeEmail, "Home email", "email_home"},
                {HomeAddress, "Home address", "address_home", FieldKind::MultiLine},
                {Comment, "Co&mment", "description", FieldKind::MultiLine},
            },
            {{Company, NewFirm, ViewFirm}},
            1033,
            1034,
            LastName};
}

}  // namespace

CPersonFView::CPersonFView(CDocument* document)
    : CMyFormView(document, personForm(), FormKind::Person,
                  std::make_unique<CPersonRcs>(&sharedDatabase())) {
    onClicked(NewFirm, [this] { OpenNewRelated(FormKind::Firm, QStringLiteral("Firm")); });
    onClicked(ViewFirm, [this] {
        ViewRelated(QStringLiteral("Firm"), OnGetRecordset()->text(QStringLiteral("firm")));
    });
    addButton(kDossierButtonId, QStringLiteral("Zikinfo ..."));
    onClicked(kDossierButtonId, [this] {
        ShowDossier(*this, QStringLiteral("Zikinfo"), {"title", "lastname", "firstname"});
    });
    addButton(ViewDossierText, QStringLiteral("View"));
    onClicked(ViewDossierText, [this] {
        CRecordSet* rs = OnGetRecordset();
        ShowDossierText(QStringLiteral("sharks"),
                        QStringLiteral("[id_person] = %1").arg(rs->longValue("id")),
                        loadString(60044) + rs->text(QStringLiteral("lastname")) + ' ' +
                            rs->text(QStringLiteral("firstname")),
                        false);
    });
    buttonRow()->addStretch();
}

QString CPersonFView::printText() const {
    CRecordSet* rs = const_cast<CPersonFView*>(this)->OnGetRecordset();
    auto v = [rs](const char* column) { return rs->text(QString::fromLatin1(column)); };
    return printLine("Name:        ", v("title") + ' ' + v("lastname") + ' ' + v("firstname")) +
           printLine("Group:       ", v("group")) + printLine("Function:    ", v("function")) +
           printLine("Company:     ", v("firm")) + printLine("Home phone:  ", v("phone_home1")) +
           printLine("Bus. phone: ", v("phone_bussines1")) +
           printLine("Mobile tel:  ", v("phone_mobile")) +
           printLine("Home email:  ", v("email_home")) +
           printLine("Bus. email: ", v("email_bussines")) +
           printBlock("Address:", v("address_home")) + QStringLiteral("\r\n") +
           printBlock("Comment:", v("description"));
}

void CPersonFView::DoPrint() {
    printRecord(QStringLiteral("Tarvex - person"), QStringLiteral("Person data"), printText());
}

void CPersonFView::DoListRecords() {
    if (CFrameServices* services = frameServices())
        services->SendCommand(cmd::ListPersons);
}

QString CPersonFView::nameCondition(const CRecordLocator& locator) const {
    return QStringLiteral("[lastname] + \" \" + [firstname] like '%1'")
        .arg(likeLiteral(locator.m_strText1));
}

void CPersonFView::OnNotFound(const CRecordLocator& locator) {
    if (locator.m_lId != -1)
        messageBox(loadString(kNoUserWithId));
    // The current record is shown again in any case, so that no abandoned edit stays on
    // screen; a name that was not found then becomes a new person.
    RefreshPosition();
    if (locator.m_lId == -1) {
        if (CFrameServices* services = frameServices())
            services->NewPersonWithName(locator.m_strText1);
    }
}

void CPersonFView::FillNewRecordNames(const CRecordLocator& locator) {
    edit(LastName)->setText(locator.m_strText1);
    edit(FirstName)->setText(locator.m_strText2);
}

void CPersonFView::OnNameReturned(int hint, const CRecordLocator& locator) {
    if (hint != cmd::ReturnFirmName)
        return;
    EditForReturnedName();
    edit(Company)->setText(locator.m_strText1);
    control(HomePhone)->setFocus();
}

QString CPersonFView::savedName() const {
    CRecordSet* rs = const_cast<CPersonFView*>(this)->OnGetRecordset();
    return rs->text(QStringLiteral("lastname")) + QLatin1Char(' ') +
           rs->text(QStringLiteral("firstname"));
}

void CPersonFView::OnResolve(int message) {
    if (message == CPickListEdit::kResolveFirm)
        ResolveFirmName();
}

void CPersonFView::OnFieldLeft(int controlId) {
    if (controlId == Company && userOptions().unknownNameChoice == 1)
        ResolveFirmName();
}

void CPersonFView::ResolveFirmName() {
    // No chain of new records: a form opened for a caller resolves nothing until it returns.
    if (!isEditing() || callerLink(FormKind::Person).returnPending)
        return;
    const QString name = edit(Company)->text();
    if (name.trimmed().isEmpty() || firmExists(name))
        return;
    callerLink(FormKind::Firm).set(this);
    if (CFrameServices* services = frameServices())
        services->NewFirmWithName(name);
}

QWidget* createPersonView(CDocument* document) {
    return new CPersonFView(document);
}

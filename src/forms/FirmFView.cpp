#include "forms/FirmFView.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "data/Connection.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "data/FirmRcs.h"
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
    CompanyName = 1024,
    Group = 1025,
    ContactPerson = 1017,
    Title = 1098,
    Function = 1099,
    Phone1 = 1030,
    Phone2 = 1031,
    Fax1 = 1036,
    Fax2 = 1037,
    Email = 1039,
    Web = 1042,
    Address = 1045,
    Comment = 1021,
    NewPerson = 1038,
    ViewPerson = 1041,
    ViewDossierText = 1165,
};

constexpr int kNoFirmWithId = 60010;

FormDefinition firmForm() {
    return {"Firm",
            60036,
            "name asc",
            {
                {CompanyName, "C&ompany name", "name", FieldKind::Text, KnownList::FirmName},
                {Group, "&Group", "group", FieldKind::Text, KnownList::GroupName},
                {ContactPerson, "&Contact person (last, first name)", "person", FieldKind::Text,
                 KnownList::PersonName, CPickListEdit::kResolvePerson},
                {Title, "Title", "title"},
                {Function, "Position", "function"},
                {Phone1, "Phone 1", "phone1"},
                {Phone2, "Phone 2", "phone2"},
                {Fax1, "Fa&x 1", "fax1"},
                {Fax2, "Fax 2", "fax2"},
                {Email, "&Email", "email1"},
                {Web, "We&b", "web"},
                {Address, "&Address", "address", FieldKind::MultiLine},
                {Comment, "Co&mment", "description", FieldKind::MultiLine},
            },
            {{ContactPerson, NewPerson, ViewPerson}},
            1047,
            1048,
            CompanyName};
}

}  // namespace

CFirmFView::CFirmFView(CDocument* document)
    : CMyFormView(document, firmForm(), FormKind::Firm,
                  std::make_unique<CFirmRcs>(&sharedDatabase())) {
    onClicked(NewPerson, [this] { OpenNewRelated(FormKind::Person, QStringLiteral("Person")); });
    onClicked(ViewPerson, [this] {
        // The name being typed counts, so the controls go to the record first.
        if (!ReadValues())
            return;
        ViewRelated(QStringLiteral("Person"), OnGetRecordset()->text(QStringLiteral("person")));
    });
    addButton(kDossierButtonId, QStringLiteral("Zikinfo ..."));
    onClicked(kDossierButtonId,
              [this] { ShowDossier(*this, QStringLiteral("Zikinfo2"), {"name"}); });
    addButton(ViewDossierText, QStringLiteral("View"));
    onClicked(ViewDossierText, [this] {
        CRecordSet* rs = OnGetRecordset();
        ShowDossierText(QStringLiteral("sharks2"),
                        QStringLiteral("[id_firm] = %1").arg(rs->longValue("id")),
                        loadString(60044) + rs->text(QStringLiteral("name")), true);
    });
    buttonRow()->addStretch();
}

void CFirmFView::OnInitialUpdate() {
    // Visiting the last record first lets the count cover every firm from the start.
    reportDbErrors([this] {
        CRecordSet* rs = OnGetRecordset();
        if (!rs->IsEOF())
            rs->MoveLast();
        if (!rs->IsBOF())
            rs->MoveFirst();
    });
    CMyFormView::OnInitialUpdate();
}

QString CFirmFView::printText() const {
    CRecordSet* rs = const_cast<CFirmFView*>(this)->OnGetRecordset();
    auto v = [rs](const char* column) { return rs->text(QString::fromLatin1(column)); };
    return printLine("Name:        ", v("name")) + printLine("Group:       ", v("group")) +
           printLine("Person:      ", v("title") + ' ' + v("person")) +
           printLine("Function:    ", v("function")) + printLine("Phone1:      ", v("phone1")) +
           printLine("Phone2:      ", v("phone2")) + printLine("Fax1:        ", v("fax1")) +
           printLine("Fax2:        ", v("fax2")) + printLine("Email:       ", v("email1")) +
           printLine("Web:         ", v("web")) + printBlock("Address:", v("address")) +
           QStringLiteral("\r\n") + printBlock("Description:", v("description"));
}

void CFirmFView::DoPrint() {
    printRecord(QStringLiteral("Tarvex - firm"), QStringLiteral("Firm data"), printText());
}

void CFirmFView::DoListRecords() {
    if (CFrameServices* services = frameServices())
        services->SendCommand(cmd::ListCompanies);
}

QString CFirmFView::nameCondition(const CRecordLocator& locator) const {
    return QStringLiteral("name like '%1'").arg(likeLiteral(locator.m_strText1));
}

void CFirmFView::OnNotFound(const CRecordLocator& locator) {
    if (locator.m_lId != -1)
        messageBox(loadString(kNoFirmWithId));
    // The current record is shown again in any case; a name that was not found then
    // becomes a new firm (without a name there is none to start).
    RefreshPosition();
    if (locator.m_lId == -1) {
        if (CFrameServices* services = frameServices())
            services->NewFirmWithName(locator.m_strText1);
    }
}

void CFirmFView::FillNewRecordNames(const CRecordLocator& locator) {
    edit(CompanyName)->setText(locator.m_strText1);
}

void CFirmFView::OnNameReturned(int hint, const CRecordLocator& locator) {
    if (hint != cmd::ReturnPersonName)
        return;
    EditForReturnedName();
    edit(ContactPerson)->setText(locator.m_strText1);
    control(Title)->setFocus();
}

QString CFirmFView::savedName() const {
    return const_cast<CFirmFView*>(this)->OnGetRecordset()->text(QStringLiteral("name"));
}

void CFirmFView::OnResolve(int message) {
    if (message == CPickListEdit::kResolvePerson)
        ResolvePersonName();
}

void CFirmFView::OnFieldLeft(int controlId) {
    if (controlId == ContactPerson && userOptions().unknownNameChoice == 1)
        ResolvePersonName();
}

void CFirmFView::ResolvePersonName() {
    // No chain of new records: a firm form opened for a caller (the person form among
    // them, with its own record half entered) starts no new person until it returns.
    if (!isEditing() || callerLink(FormKind::Firm).returnPending)
        return;
    const QString name = edit(ContactPerson)->text().trimmed();
    if (name.isEmpty() || findPersonFirm(name).has_value())
        return;
    callerLink(FormKind::Person).set(this);
    if (CFrameServices* services = frameServices())
        services->NewPersonWithName(name);
}

QWidget* createFirmView(CDocument* document) {
    return new CFirmFView(document);
}

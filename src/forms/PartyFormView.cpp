#include "forms/PartyFormView.h"

#include <QDateEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "data/KnownValues.h"
#include "data/RecordLocator.h"
#include "data/StoredDateTime.h"
#include "forms/NameResolution.h"
#include "forms/PickListEdit.h"
#include "platform/Clock.h"
#include "platform/CommandIds.h"
#include "platform/FrameServices.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"

namespace {

constexpr int kUnknownFirm = 60006;
constexpr int kUnknownPerson = 60007;
constexpr int kCreateNew = 1;
constexpr int kNotifyUser = 2;

}  // namespace

CPartyFormView::CPartyFormView(CDocument* document, FormDefinition definition, FormKind kind,
                               std::unique_ptr<CRecordSet> recordSet, const PartyControls& controls)
    : CMyFormView(document, std::move(definition), kind, std::move(recordSet)), m_party(controls) {
    onClicked(m_party.newPerson,
              [this] { OpenNewRelated(FormKind::Person, QStringLiteral("Person")); });
    onClicked(m_party.newFirm, [this] { OpenNewRelated(FormKind::Firm, QStringLiteral("Firm")); });
    for (const auto& [id, kind, column] : {std::tuple{m_party.viewPerson, "Person", "person"},
                                           std::tuple{m_party.viewFirm, "Firm", "firm"}}) {
        onClicked(id, [this, kind, column] {
            // The name being typed counts, so the controls go to the record first.
            if (!ReadValues())
                return;
            ViewRelated(QString::fromLatin1(kind),
                        OnGetRecordset()->text(QString::fromLatin1(column)));
        });
    }
}

void CPartyFormView::OnNameReturned(int hint, const CRecordLocator& locator) {
    if (hint != cmd::ReturnPersonName && hint != cmd::ReturnFirmName)
        return;
    EditForReturnedName();
    const bool person = hint == cmd::ReturnPersonName;
    edit(person ? m_party.person : m_party.company)->setText(locator.m_strText1);
    control(person ? m_party.afterPerson : m_party.afterCompany)->setFocus();
}

void CPartyFormView::OnResolve(int message) {
    if (message == CPickListEdit::kResolvePerson)
        ResolvePersonName();
    if (message == CPickListEdit::kResolveFirm)
        ResolveFirmName();
}

void CPartyFormView::OnFieldLeft(int controlId) {
    const UserOptions options = userOptions();
    const bool createNew = options.unknownNameChoice == kCreateNew;
    if (controlId == m_party.person) {
        if (createNew)
            ResolvePersonName();
        if (options.fillFirmAutomatically)
            FillCompany();
    } else if (controlId == m_party.company && createNew) {
        ResolveFirmName();
    }
}

void CPartyFormView::ResolvePersonName() {
    if (!isEditing())
        return;
    const QString name = edit(m_party.person)->text().trimmed();
    if (name.isEmpty() || findPersonFirm(name).has_value())
        return;
    callerLink(FormKind::Person).set(this);
    if (CFrameServices* main = frameServices())
        main->NewPersonWithName(name);
}

void CPartyFormView::ResolveFirmName() {
    if (!isEditing())
        return;
    const QString name = edit(m_party.company)->text();
    if (name.trimmed().isEmpty() || firmExists(name))
        return;
    callerLink(FormKind::Firm).set(this);
    if (CFrameServices* main = frameServices())
        main->NewFirmWithName(name);
}

void CPartyFormView::FillCompany() {
    if (!isEditing())
        return;
    if (const std::optional<QString> firm = findPersonFirm(edit(m_party.person)->text()))
        edit(m_party.company)->setText(*firm);
}

void CPartyFormView::SetPickersToNow() {
    const QDateTime now = currentDateTime();
    static_cast<QDateEdit*>(control(m_party.date))->setDate(now.date());
    static_cast<QTimeEdit*>(control(m_party.time))->setTime(now.time());
}

void CPartyFormView::NoticeUnknownNames() {
    if (userOptions().unknownNameChoice != kNotifyUser)
        return;
    CRecordSet* rs = OnGetRecordset();
    // While the lists are still being read, the records themselves tell what is known.
    const bool listsRead = !KnownValueLoadPending();
    const QString firm = rs->text(QStringLiteral("firm"));
    if (!firm.isEmpty() && !(listsRead ? FirmNameList().items().contains(firm) : firmExists(firm)))
        messageBox(loadString(kUnknownFirm));
    const QString person = rs->text(QStringLiteral("person"));
    if (!person.isEmpty() && !(listsRead ? PersonNameList().items().contains(person)
                                         : findPersonFirm(person).has_value()))
        messageBox(loadString(kUnknownPerson));
}

QDateTime CPartyFormView::StoreMoment() {
    const QTime time = static_cast<QTimeEdit*>(control(m_party.time))->time();
    const QDateTime moment = wallClock(static_cast<QDateEdit*>(control(m_party.date))->date(),
                                       QTime(time.hour(), time.minute(), time.second()));
    CRecordSet* rs = OnGetRecordset();
    rs->setValue(QStringLiteral("date"), moment);
    rs->setValue(QStringLiteral("time"), moment);
    return moment;
}

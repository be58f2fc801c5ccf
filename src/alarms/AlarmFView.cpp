#include "alarms/AlarmFView.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>

#include "alarms/AlarmStatus.h"
#include "data/AlarmRcs.h"
#include "data/Connection.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "data/KnownValues.h"
#include "data/RecordLocator.h"
#include "data/StoredDateTime.h"
#include "forms/NameResolution.h"
#include "forms/PickListEdit.h"
#include "forms/RecordPrintout.h"
#include "forms/TypeAheadComboBox.h"
#include "platform/Clock.h"
#include "platform/CommandIds.h"
#include "platform/FrameServices.h"
#include "platform/ListRefill.h"
#include "platform/OpenWindowRegistry.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"

namespace {

enum Control {
    Subject = 1024,
    Person = 1017,
    Company = 1018,
    Date = 1015,
    Time = 1016,
    Status = 1023,
    Comment = 1021,
    NewPerson = 1038,
    ViewPerson = 1041,
    NewFirm = 1043,
    ViewFirm = 1046,
};

constexpr int kUnknownFirm = 60006;
constexpr int kUnknownPerson = 60007;
constexpr int kMomentPassed = 60034;
constexpr int kCreateNew = 1;
constexpr int kNotifyUser = 2;

FormDefinition alarmForm() {
    return {"Alarm",
            60039,
            "date desc, time desc",
            {
                {Subject, "&Subject", "name", FieldKind::Text, KnownList::AlarmName},
                {Person, "&Contact person (last, first name)", "person", FieldKind::Text,
                 KnownList::PersonName, CPickListEdit::kResolvePerson},
                {Company, "C&ompany", "firm", FieldKind::Text, KnownList::FirmName,
                 CPickListEdit::kResolveFirm},
                {Date, "&Date", "date", FieldKind::Date},
                {Time, "&Time", "time", FieldKind::Time},
                {Comment, "Co&mment", "description", FieldKind::MultiLine},
            },
            {{Person, NewPerson, ViewPerson}, {Company, NewFirm, ViewFirm}},
            1033,
            1034,
            Subject};
}

// Runs a step that reads the database from a button or a field, where no command
// dispatcher catches its failures.
template <class Step>
void reportingFailures(Step&& step) {
    try {
        step();
    } catch (const CDbException& e) {
        ReportDbException(e);
    }
}

}  // namespace

CAlarmFView::CAlarmFView(CDocument* document)
    : CMyFormView(document, alarmForm(), FormKind::Alarm,
                  std::make_unique<CAlarmRcs>(&sharedDatabase())) {
    m_status = new CTypeAheadComboBox(this);
    m_status->setObjectName(QStringLiteral("status"));
    for (int id : alarmstatus::kTextIds)
        m_status->addItem(loadString(id));
    auto* label = new QLabel(QStringLiteral("St&atus"), this);
    label->setBuddy(m_status);
    // Beside the time picker, the last single-line field; the comment spans the row below.
    const int row = fieldGrid()->rowCount() - 2;
    fieldGrid()->addWidget(label, row, 3, Qt::AlignLeft);
    fieldGrid()->addWidget(m_status, row, 4);
    setTabOrder(control(Time), m_status);
    setTabOrder(m_status, control(Comment));

    connect(button(NewPerson), &QPushButton::clicked, this,
            [this] { OpenNewRelated(FormKind::Person, QStringLiteral("Person")); });
    connect(button(NewFirm), &QPushButton::clicked, this,
            [this] { OpenNewRelated(FormKind::Firm, QStringLiteral("Firm")); });
    for (const auto& [id, kind, column] :
         {std::tuple{ViewPerson, "Person", "person"}, std::tuple{ViewFirm, "Firm", "firm"}}) {
        connect(button(id), &QPushButton::clicked, this, [this, kind, column] {
            reportingFailures([this, kind, column] {
                // The name being typed counts, so the controls go to the record first.
                if (!ReadValues())
                    return;
                ViewRelated(QString::fromLatin1(kind),
                            OnGetRecordset()->text(QString::fromLatin1(column)));
            });
        });
    }
}

void CAlarmFView::EnableControls(bool enable) {
    m_status->setEnabled(enable);
    CMyFormView::EnableControls(enable);
}

void CAlarmFView::DoNewMask() {
    CMyFormView::DoNewMask();
    m_status->setCurrentIndex(alarmstatus::Pending);
}

void CAlarmFView::DoNewDefaults() {
    const QDateTime now = currentDateTime();
    static_cast<QDateEdit*>(control(Date))->setDate(now.date());
    static_cast<QTimeEdit*>(control(Time))->setTime(now.time());
}

bool CAlarmFView::DoBeforePost() {
    CRecordSet* rs = OnGetRecordset();
    rs->setValue(QStringLiteral("status"), m_status->currentIndex());
    if (userOptions().unknownNameChoice == kNotifyUser) {
        // Notices only: the alarm is saved all the same. A field left empty names no one.
        const QString firm = rs->text(QStringLiteral("firm"));
        if (!firm.isEmpty() && !FirmNameList().items().contains(firm))
            messageBox(loadString(kUnknownFirm));
        const QString person = rs->text(QStringLiteral("person"));
        if (!person.isEmpty() && !PersonNameList().items().contains(person))
            messageBox(loadString(kUnknownPerson));
    }
    // Both columns hold the whole moment: the day of the one picker, the time of the other.
    const QTime time = static_cast<QTimeEdit*>(control(Time))->time();
    const QDateTime moment = wallClock(static_cast<QDateEdit*>(control(Date))->date(),
                                       QTime(time.hour(), time.minute(), time.second()));
    rs->setValue(QStringLiteral("date"), moment);
    rs->setValue(QStringLiteral("time"), moment);
    if (moment < wallClockNow()) {
        return messageBox(loadString(kMomentPassed), Prompter::Buttons::YesNo,
                          Prompter::Icon::Stop) == Prompter::Yes;
    }
    return true;
}

void CAlarmFView::DoAfterMove() {
    CRecordSet* rs = OnGetRecordset();
    if (rs->IsBOF() || rs->IsEOF())
        return;
    const QVariant status = rs->value(QStringLiteral("status"));
    if (status.isNull())
        return;
    const int code = status.toInt();
    if (code >= 0 && code < m_status->count())
        m_status->setCurrentIndex(code);
}

void CAlarmFView::DoAfterPost() {
    // The known-value lists stay as they are: an alarm changes none of the names they hold.
    if (auto* list = dynamic_cast<CListRefill*>(openwindows::find(QStringLiteral("Alarmlist"))))
        list->FillList(QString(), true);
    if (CFrameServices* main = frameServices())
        main->RestartAlarmScheduler();
}

void CAlarmFView::DoListRecords() {
    if (CFrameServices* main = frameServices())
        main->SendCommand(cmd::ListAlarms);
}

QString CAlarmFView::printText() const {
    CRecordSet* rs = const_cast<CAlarmFView*>(this)->OnGetRecordset();
    return printLine("Date/Time:   ", rs->dateTime(QStringLiteral("date"))
                                          .toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))) +
           printLine("Subject:     ", rs->text(QStringLiteral("name"))) +
           printLine("Person:      ", rs->text(QStringLiteral("person"))) +
           printLine("Company:     ", rs->text(QStringLiteral("firm"))) +
           printBlock("Comment:", rs->text(QStringLiteral("description")));
}

void CAlarmFView::DoPrint() {
    printRecord(QStringLiteral("Tarvex - Alarm"), QStringLiteral("Alarm data"), printText());
}

void CAlarmFView::OnNameReturned(int hint, const CRecordLocator& locator) {
    if (hint == cmd::ReturnPersonName) {
        edit(Person)->setText(locator.m_strText1);
        control(Company)->setFocus();
    } else if (hint == cmd::ReturnFirmName) {
        edit(Company)->setText(locator.m_strText1);
        control(Date)->setFocus();
    }
}

void CAlarmFView::OnResolve(int message) {
    reportingFailures([this, message] {
        if (message == CPickListEdit::kResolvePerson)
            ResolvePersonName();
        if (message == CPickListEdit::kResolveFirm)
            ResolveFirmName();
    });
}

void CAlarmFView::OnFieldLeft(int controlId) {
    reportingFailures([this, controlId] {
        const UserOptions options = userOptions();
        const bool createNew = options.unknownNameChoice == kCreateNew;
        if (controlId == Person) {
            if (createNew)
                ResolvePersonName();
            if (options.fillFirmAutomatically)
                FillCompany();
        } else if (controlId == Company && createNew) {
            ResolveFirmName();
        }
    });
}

void CAlarmFView::ResolvePersonName() {
    if (!isEditing())
        return;
    const QString name = edit(Person)->text().trimmed();
    if (name.isEmpty() || findPersonFirm(name).has_value())
        return;
    callerLink(FormKind::Person).set(this);
    if (CFrameServices* main = frameServices())
        main->NewPersonWithName(name);
}

void CAlarmFView::ResolveFirmName() {
    if (!isEditing())
        return;
    const QString name = edit(Company)->text();
    if (name.trimmed().isEmpty() || firmExists(name))
        return;
    callerLink(FormKind::Firm).set(this);
    if (CFrameServices* main = frameServices())
        main->NewFirmWithName(name);
}

void CAlarmFView::FillCompany() {
    if (!isEditing())
        return;
    if (const std::optional<QString> firm = findPersonFirm(edit(Person)->text()))
        edit(Company)->setText(*firm);
}

QWidget* createAlarmView(CDocument* document) {
    return new CAlarmFView(document);
}

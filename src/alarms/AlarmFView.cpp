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

constexpr int kMomentPassed = 60034;

FormDefinition alarmForm() {
    return {"Alarm",
            60039,
            "date desc, time desc",
            {
                {Subject, "S&ubject", "name", FieldKind::Text, KnownList::AlarmName},
                {Person, "&Contact person (last, first name)", "person", FieldKind::Text,
                 KnownList::PersonName, CPickListEdit::kResolvePerson},
                {Company, "C&ompany", "firm", FieldKind::Text, KnownList::FirmName,
                 CPickListEdit::kResolveFirm},
                {Date, "&Date", "date", FieldKind::Date},
                {Time, "T&ime", "time", FieldKind::Time},
                {Comment, "Co&mment", "description", FieldKind::MultiLine},
            },
            {{Person, NewPerson, ViewPerson}, {Company, NewFirm, ViewFirm}},
            1033,
            1034,
            Subject};
}

}  // namespace

CAlarmFView::CAlarmFView(CDocument* document)
    : CPartyFormView(
          document, alarmForm(), FormKind::Alarm, std::make_unique<CAlarmRcs>(&sharedDatabase()),
          {Person, Company, Date, Time, NewPerson, ViewPerson, NewFirm, ViewFirm, Company, Date}) {
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
    SetPickersToNow();
}

bool CAlarmFView::DoBeforePost() {
    CRecordSet* rs = OnGetRecordset();
    rs->setValue(QStringLiteral("status"), m_status->currentIndex());
    NoticeUnknownNames();
    const QDateTime moment = StoreMoment();
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

void CAlarmFView::DoAfterPost() {}

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

QWidget* createAlarmView(CDocument* document) {
    return new CAlarmFView(document);
}

#include "forms/ContactFView.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "data/Connection.h"
#include "data/ContactRcs.h"
#include "data/ErrorReport.h"
#include "data/KnownValues.h"
#include "data/RecordLocator.h"
#include "data/SqlDialect.h"
#include "data/StoredDateTime.h"
#include "forms/NameResolution.h"
#include "forms/PickListEdit.h"
#include "forms/RecordPrintout.h"
#include "platform/Clock.h"
#include "platform/CommandIds.h"
#include "platform/FrameServices.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/WaitCursor.h"

namespace {

enum Control {
    Date = 1015,
    Time = 1016,
    Company = 1018,
    Person = 1017,
    Description = 1021,
    NewPerson = 1038,
    ViewPerson = 1041,
    NewFirm = 1043,
    ViewFirm = 1046,
    HistoryToggle = 1019,
    HistoryRefresh = 1116,
    HistoryPrint = 1119,
};

constexpr int kHideHistory = 60000;
constexpr int kShowHistory = 60018;
constexpr int kNothingToPrint = 60013;

FormDefinition contactForm() {
    return {"Contact",
            60038,
            "date desc, time desc",
            {
                {Date, "&Date", "date", FieldKind::Date},
                {Time, "T&ime", "time", FieldKind::Time},
                {Company, "C&ompany", "firm", FieldKind::Text, KnownList::FirmName,
                 CPickListEdit::kResolveFirm},
                {Person, "&Contact person (last, first name)", "person", FieldKind::Text,
                 KnownList::PersonName, CPickListEdit::kResolvePerson},
                {Description, "Descriptio&n", "description", FieldKind::MultiLine},
            },
            {{Company, NewFirm, ViewFirm}, {Person, NewPerson, ViewPerson}},
            1033,
            1034,
            Company};
}

}  // namespace

CContactFView::CContactFView(CDocument* document)
    : CPartyFormView(document, contactForm(), FormKind::Contact,
                     std::make_unique<CContactRcs>(&sharedDatabase()),
                     {Person, Company, Date, Time, NewPerson, ViewPerson, NewFirm, ViewFirm,
                      Description, Person}) {
    m_historyBox = new QGroupBox(QStringLiteral("Previous co&mments"), this);
    m_historyPane = new QPlainTextEdit(m_historyBox);
    m_historyPane->setObjectName(QStringLiteral("history"));
    m_historyPane->setReadOnly(true);
    m_historyPane->setTabChangesFocus(true);
    m_historyPane->setMinimumWidth(240);
    auto* paneLayout = new QVBoxLayout(m_historyBox);
    paneLayout->addWidget(m_historyPane);
    auto* paneButtons = new QHBoxLayout;
    auto paneButton = [this, paneButtons](int id, const char* text, void (CContactFView::*run)()) {
        auto* button = new QPushButton(QString::fromLatin1(text), m_historyBox);
        button->setObjectName(QStringLiteral("button%1").arg(id));
        button->setAutoDefault(false);
        paneButtons->addWidget(button);
        connect(button, &QPushButton::clicked, this,
                [this, run] { runCommand([this, run] { (this->*run)(); }); });
    };
    paneButton(HistoryRefresh, "R&efresh", &CContactFView::FillHistory);
    paneButton(HistoryPrint, "&Print", &CContactFView::PrintHistory);
    paneButtons->addStretch();
    paneLayout->addLayout(paneButtons);
    // The pane stands to the right of every field.
    fieldGrid()->addWidget(m_historyBox, 0, fieldGrid()->columnCount(), fieldGrid()->rowCount(), 1);
    m_historyBox->hide();

    addButton(HistoryToggle, QStringLiteral("Previous comments"));
    onClicked(HistoryToggle, [this] { ToggleHistory(); });
    buttonRow()->addStretch();
}

void CContactFView::OnInitialUpdate() {
    CMyFormView::OnInitialUpdate();
    // A window that was last left wider than the contact alone opens with its history.
    CFrameServices* services = frameServices();
    QWidget* frame = services ? services->FrameOf(this) : nullptr;
    if (!frame || services->SavedPlacement(GetDocument()->GetTitle()).width() <= frame->width())
        return;
    showHistoryPane(true);
    reportDbErrors([this] { FillHistory(); });
    refitFrame();
}

void CContactFView::refitFrame() {
    if (CFrameServices* services = frameServices())
        services->FitFrameToView(this);
}

void CContactFView::showHistoryPane(bool shown) {
    m_sizeControlId = shown ? kWideLayout : kNarrowLayout;
    m_historyBox->setVisible(shown);
}

void CContactFView::setHistory(const QString& text) {
    m_history = text;
    QString shown = text;
    m_historyPane->setPlainText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void CContactFView::ToggleHistory() {
    const bool show = !historyShown();
    showHistoryPane(show);
    button(HistoryToggle)->setText(loadString(show ? kHideHistory : kShowHistory));
    if (show)
        FillHistory();
    refitFrame();
}

void CContactFView::FillHistory() {
    WaitCursor wait;
    setHistory(QString());
    const QString person = edit(Person)->text();
    const QString firm = edit(Company)->text();
    // A name matches only itself; an empty side stands for no one, not for every contact
    // whose field is empty.
    QStringList sides;
    if (!person.trimmed().isEmpty())
        sides << QStringLiteral("person like '%1'").arg(likeLiteral(person));
    if (!firm.trimmed().isEmpty())
        sides << QStringLiteral("firm like '%1'").arg(likeLiteral(firm));
    if (sides.isEmpty())
        return;

    CContactRcs contacts(lookupConnection());
    contacts.m_strFilter = sides.join(QStringLiteral(" or "));
    contacts.m_strSort = QStringLiteral("date asc, time asc");
    // Read once, front to back: streamed in one statement rather than row by row by key.
    contacts.Open(CRecordSet::dbOpenForwardOnly);
    QStringList entries;
    for (; !contacts.IsEOF(); contacts.MoveNext()) {
        const QString header =
            QStringLiteral("[%1 %2]\r\n[%3 of %4]\r\n\r\n")
                .arg(contacts.dateTime(QStringLiteral("date"))
                         .toString(QStringLiteral("yyyy/MM/dd")),
                     contacts.dateTime(QStringLiteral("time")).toString(QStringLiteral("HH:mm:ss")),
                     contacts.text(QStringLiteral("person")),
                     contacts.text(QStringLiteral("firm")));
        entries << header + contacts.text(QStringLiteral("description")) +
                       QStringLiteral("\r\n\r\n");
    }
    contacts.Close();
    // Each later contact goes in front of the earlier ones.
    QString text;
    for (auto it = entries.crbegin(); it != entries.crend(); ++it)
        text += *it;
    setHistory(text);
}

void CContactFView::PrintHistory() {
    const QString text = m_history.trimmed();
    if (text.isEmpty()) {
        messageBox(loadString(kNothingToPrint));
        return;
    }
    printRecord(QStringLiteral("Tarvex - Contact printout"), QStringLiteral("Contact printout"),
                text);
}

QString CContactFView::printText() const {
    CRecordSet* rs = const_cast<CContactFView*>(this)->OnGetRecordset();
    return printLine("Date/Time:   ", rs->dateTime(QStringLiteral("date"))
                                          .toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))) +
           printLine("Person:      ", rs->text(QStringLiteral("person"))) +
           printLine("Company:     ", rs->text(QStringLiteral("firm"))) +
           printBlock("Comment:", rs->text(QStringLiteral("description")));
}

void CContactFView::DoPrint() {
    printRecord(QStringLiteral("Tarvex - Contact"), QStringLiteral("Contact data"), printText());
}

void CContactFView::DoListRecords() {
    if (CFrameServices* services = frameServices())
        services->SendCommand(cmd::ListContacts);
}

void CContactFView::DoNewDefaults() {
    SetPickersToNow();
    setHistory(QString());
}

bool CContactFView::DoBeforePost() {
    NoticeUnknownNames();
    StoreMoment();
    return true;
}

void CContactFView::DoAfterMove() {
    if (historyShown())
        FillHistory();
}

void CContactFView::AfterUpdate(bool added) {
    if (!added)
        return;
    // The form starts again from the newest contact, as after a new query. Placing the
    // new record among the keys gives the same order without reading a million keys again;
    // where it cannot be placed exactly, the query runs again.
    CRecordSet* rs = OnGetRecordset();
    if (rs->PlaceLastAdded()) {
        rs->MoveFirst();
        return;
    }
    rs->SetBookmark(rs->GetLastModifiedBookmark());
    rs->Requery();
}

QWidget* createContactView(CDocument* document) {
    return new CContactFView(document);
}

#include "lists/RecordLists.h"

#include <array>

#include "data/Connection.h"
#include "platform/StringTable.h"

namespace {

// The alarm list shows each status code as its word.
struct StatusWord {
    int code;
    int stringId;
};
constexpr std::array<StatusWord, 6> kStatusWords{
    {{0, 60028}, {1, 60029}, {2, 60030}, {3, 60033}, {4, 60032}, {5, 60031}}};

template <class List>
QWidget* createList(CDocument* document) {
    auto* list = new List(document);
    list->configure();
    return list;
}

}  // namespace

CAlarmListView::CAlarmListView(CDocument* document)
    : CMyListView(document, QStringLiteral("Alarmlist")) {}

bool CAlarmListView::BeforeInitializeAll() {
    m_databasePath = databasePath();
    m_sourceName = QStringLiteral("alarm");
    m_defaultSort = QStringLiteral("date desc, time asc");
    m_formKind = FormKind::Alarm;
    m_formName = QStringLiteral("alarm");
    m_title = QStringLiteral("List ") + loadString(60039);
    for (const StatusWord& word : kStatusWords)
        displayTexts().add(
            QStringLiteral("status,%1,%2").arg(word.code).arg(loadString(word.stringId)));
    return true;
}

CContactLView::CContactLView(CDocument* document)
    : CMyListView(document, QStringLiteral("Contactlist")) {}

bool CContactLView::BeforeInitializeAll() {
    m_databasePath = databasePath();
    m_sourceName = QStringLiteral("contact");
    m_defaultSort = QStringLiteral("date desc, time desc");
    m_formKind = FormKind::Contact;
    m_formName = QStringLiteral("Contact");
    m_title = QStringLiteral("List ") + loadString(60038);
    return true;
}

CFirmLView::CFirmLView(CDocument* document) : CMyListView(document, QStringLiteral("Firmlist")) {}

bool CFirmLView::BeforeInitializeAll() {
    m_databasePath = databasePath();
    m_sourceName = QStringLiteral("firm");
    m_defaultSort = QStringLiteral("name asc");
    m_formKind = FormKind::Firm;
    m_formName = QStringLiteral("firm");
    m_title = QStringLiteral("List ") + loadString(60036);
    return true;
}

CPersonLView::CPersonLView(CDocument* document)
    : CMyListView(document, QStringLiteral("Personlist")) {}

bool CPersonLView::BeforeInitializeAll() {
    m_databasePath = databasePath();
    m_sourceName = QStringLiteral("person");
    m_defaultSort = QStringLiteral("lastname asc, firstname asc");
    m_formKind = FormKind::Person;
    m_formName = QStringLiteral("person");
    m_title = QStringLiteral("List ") + loadString(60037);
    return true;
}

QWidget* createAlarmListView(CDocument* document) {
    return createList<CAlarmListView>(document);
}

QWidget* createContactListView(CDocument* document) {
    return createList<CContactLView>(document);
}

QWidget* createFirmListView(CDocument* document) {
    return createList<CFirmLView>(document);
}

QWidget* createPersonListView(CDocument* document) {
    return createList<CPersonLView>(document);
}

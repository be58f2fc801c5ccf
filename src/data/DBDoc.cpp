#include "data/DBDoc.h"

#include <algorithm>
#include <array>

#include "data/Connection.h"
#include "data/Database.h"
#include "data/RecordLocator.h"
#include "platform/CommandIds.h"

namespace {

const std::array kBroadcastCommands = {cmd::AddNew,      cmd::EditRecord,  cmd::SaveRecord,
                                       cmd::EraseRecord, cmd::FirstRecord, cmd::PreviousRecord,
                                       cmd::NextRecord,  cmd::LastRecord,  cmd::Filter,
                                       cmd::FilterOff,   cmd::ListRecords, cmd::Print,
                                       cmd::DateRange,   cmd::Close,       cmd::ShowHiddenColumns};

}  // namespace

CDBDoc::CDBDoc(QObject* parent) : CDocument(parent) {}

void CDBDoc::setFlag(Flag which, int value) {
    if (m_flags[which] == value)
        return;
    m_flags[which] = value;
    emit commandStateChanged();
}

void CDBDoc::setHasRecords(int value) {
    const bool changed = m_flags[HasRecords] != value || m_flags[HasRecords2] != value;
    m_flags[HasRecords] = m_flags[HasRecords2] = value;
    if (changed)
        emit commandStateChanged();
}

void CDBDoc::setPositionFlags(int follows, int precedes, int hasRecords) {
    bool changed = false;
    const auto set = [&](Flag which, int value) {
        changed = changed || m_flags[which] != value;
        m_flags[which] = value;
    };
    set(NextEnabled, follows);
    set(LastEnabled, follows);
    set(FirstEnabled, precedes);
    set(PreviousEnabled, precedes);
    set(HasRecords, hasRecords);
    set(HasRecords2, hasRecords);
    if (changed)
        emit commandStateChanged();
}

void CDBDoc::ShowRecordById(qint32 id) {
    CRecordLocator locator(id);
    UpdateAllViews(nullptr, cmd::ShowRecord, &locator);
}

void CDBDoc::ShowRecordByTexts(const QString& text1, const QString& text2, const QString& text3) {
    CRecordLocator locator(text1, text2, text3);
    UpdateAllViews(nullptr, cmd::ShowRecord, &locator);
}

bool CDBDoc::isRecordCommand(int id) {
    return std::find(kBroadcastCommands.begin(), kBroadcastCommands.end(), id) !=
           kBroadcastCommands.end();
}

bool CDBDoc::OnCommand(int id) {
    if (!isRecordCommand(id))
        return false;
    UpdateAllViews(nullptr, id, nullptr);
    return true;
}

bool CDBDoc::IsCommandEnabled(int id, bool& enabled) const {
    const bool browsing = !m_flags[Editing];
    // A server user who may only read browses only.
    const bool writable = !sharedDatabase().isReadOnly();
    switch (id) {
        case cmd::AddNew:
        case cmd::EditRecord:
            enabled = browsing && writable;
            return true;
        case cmd::ListRecords:
        case cmd::Print:
            enabled = browsing;
            return true;
        case cmd::FirstRecord:
            enabled = browsing && m_flags[FirstEnabled];
            return true;
        case cmd::PreviousRecord:
            enabled = browsing && m_flags[PreviousEnabled];
            return true;
        case cmd::NextRecord:
            enabled = browsing && m_flags[NextEnabled];
            return true;
        case cmd::LastRecord:
            enabled = browsing && m_flags[LastEnabled];
            return true;
        case cmd::SaveRecord:
            enabled = !browsing;
            return true;
        case cmd::Filter:
        case cmd::FilterOff:
            enabled = browsing && m_flags[HasRecords2] == 0;
            return true;
        case cmd::EraseRecord:
            enabled = writable;
            return true;
        case cmd::DateRange:
        case cmd::Close:
        case cmd::ShowHiddenColumns:
            enabled = true;
            return true;
        default:
            return false;
    }
}

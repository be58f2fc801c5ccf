#include "forms/RecordStateMachine.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "data/ChangeNotifier.h"
#include "data/ErrorReport.h"
#include "data/RecordSet.h"
#include "platform/Prompter.h"

namespace {

// Each row written elsewhere is placed by a binary search over the keys, a round trip per
// step on a server: beyond so many rows, reading every key again costs less.
constexpr std::size_t kMostFollowedRows = 20;

// Marks the machine's own write while it runs, also when it throws.
class WritingScope {
public:
    explicit WritingScope(bool& flag) : m_flag(flag), m_saved(std::exchange(flag, true)) {}
    ~WritingScope() { m_flag = m_saved; }
    WritingScope(const WritingScope&) = delete;
    WritingScope& operator=(const WritingScope&) = delete;

private:
    bool& m_flag;
    bool m_saved;
};

QString idIs(qint64 id) {
    return QStringLiteral("id = %1").arg(id);
}

bool holds(const std::vector<qint32>& ids, qint64 id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

CRecordStateMachine::CRecordStateMachine(CRecordSet& recordSet, CRecordSteps& steps, QString table)
    : m_recordSet(recordSet), m_steps(steps), m_table(std::move(table)) {}

CRecordStateMachine::State CRecordStateMachine::state() const {
    if (!m_recordSet.IsOpen())
        return State::Browse;
    switch (m_recordSet.GetEditMode()) {
        case CRecordSet::dbEditInProgress:
            return State::Edit;
        case CRecordSet::dbEditAdd:
            return State::Add;
        case CRecordSet::dbEditNone:
            break;
    }
    return State::Browse;
}

bool CRecordStateMachine::hasRecord() const {
    return m_recordSet.IsOpen() && !m_recordSet.IsBOF() && !m_recordSet.IsEOF();
}

void CRecordStateMachine::MoveTo(Move move) {
    CRecordSet& rs = m_recordSet;
    const bool empty = rs.IsBOF() && rs.IsEOF();
    switch (move) {
        case Move::First:
            if (empty)
                return;
            rs.MoveFirst();
            break;
        case Move::Previous:
            if (rs.IsBOF())
                return;
            rs.MovePrev();
            break;
        case Move::Next:
            if (rs.IsEOF())
                return;
            rs.MoveNext();
            break;
        case Move::Last:
            if (empty)
                return;
            rs.MoveLast();
            break;
    }
    if (rs.IsBOF() && !rs.IsEOF())
        rs.MoveFirst();
    if (rs.IsEOF() && !rs.IsBOF())
        rs.MoveLast();
    m_steps.RefreshPosition();
}

bool CRecordStateMachine::Edit() {
    if (isEditing())
        return false;
    m_recordSet.Edit();
    m_steps.EnableControls(true);
    return true;
}

void CRecordStateMachine::AddNew() {
    // Refused before the window changes, so that a set that cannot take a record never
    // looks as if it were adding one.
    m_recordSet.CheckWritable();
    m_steps.DoNewMask();
    m_steps.EnableControls(true);
    m_steps.DoNewDefaults();
    m_recordSet.AddNew();
}

bool CRecordStateMachine::Save() {
    if (!isEditing() || !m_steps.ReadValues() || !m_steps.DoBeforePost())
        return false;
    const bool added = state() == State::Add;
    {
        WritingScope own(m_writing);
        try {
            m_recordSet.Update();
        } catch (const CDbException& error) {
            if (error.code() != CRecordSet::kChangedElsewhere)
                throw;
            ReloadOrKeepChanged();
            return false;
        }
        m_steps.AfterUpdate(added);
    }
    m_lastPost = Post::Saved;
    m_steps.DoAfterPost();
    m_steps.EnableControls(false);
    m_steps.RefreshPosition();
    return true;
}

bool CRecordStateMachine::Cancel() {
    if (!isEditing() || !m_steps.ConfirmCancel())
        return false;
    m_recordSet.CancelUpdate();
    m_steps.EnableControls(false);
    m_steps.RefreshPosition();
    return true;
}

bool CRecordStateMachine::Delete() {
    // Nothing to delete: no question about a record that is not there.
    if (isEditing() || !hasRecord() || !m_steps.ConfirmDelete())
        return false;
    {
        WritingScope own(m_writing);
        // A delete that fails leaves the record, the set and the window as they were.
        try {
            m_recordSet.Delete();
        } catch (const CDbException& error) {
            if (error.code() != CRecordSet::kChangedElsewhere)
                throw;
            // The record set holds the changed record now: it is shown and asked about.
            m_steps.RefreshPosition();
            if (messageBox(QStringLiteral("Another user changed this record since you opened "
                                          "it; it now shows their version.\n\nDo you still "
                                          "want to delete it?"),
                           Prompter::Buttons::YesNo, Prompter::Icon::Exclamation) != Prompter::Yes)
                return false;
            m_recordSet.Delete();
        }
    }
    // The record is gone; a failure to reach its neighbour is reported and leaves empty
    // fields.
    if (!reportDbErrors([this] { StepOffDeleted(); }))
        m_recordSet.SetFieldNull();
    m_steps.ShowValues();
    m_lastPost = Post::Deleted;
    m_steps.DoAfterPost();
    m_steps.RefreshPosition();
    return true;
}

void CRecordStateMachine::ReloadOrKeepChanged() {
    const int answer = messageBox(
        QStringLiteral("The record was changed by another user since you opened it.\n\n"
                       "Do you want to reload it? Yes shows their version instead of your "
                       "changes. No keeps your changes on screen; saving them then replaces "
                       "the other user's version."),
        Prompter::Buttons::YesNo, Prompter::Icon::Exclamation);
    if (answer != Prompter::Yes) {
        m_recordSet.AdoptStoredVersion();
        return;
    }
    m_recordSet.CancelUpdate();
    m_steps.EnableControls(false);
    m_steps.RefreshPosition();
}

void CRecordStateMachine::StepOffDeleted() {
    CRecordSet& rs = m_recordSet;
    if (!rs.IsEOF())
        rs.MoveNext();
    if (rs.IsBOF() && rs.IsEOF())
        rs.SetFieldNull();
    else if (rs.IsEOF())
        rs.MovePrev();
}

bool CRecordStateMachine::CancelOrDelete() {
    return isEditing() ? Cancel() : Delete();
}

void CRecordStateMachine::Abandon() {
    if (isEditing())
        m_recordSet.CancelUpdate();
}

bool CRecordStateMachine::Concerns(const DataChange& change) const {
    return !m_writing && m_recordSet.IsOpen() && change.touches(m_table);
}

bool CRecordStateMachine::ApplyChange(const DataChange& change) {
    if (!m_recordSet.IsOpen() || isEditing() || !change.touches(m_table))
        return false;
    CRecordSet& rs = m_recordSet;
    const TableChange* rows = change.table(m_table);
    const bool onRecord = hasRecord();
    const qint64 current = onRecord ? rs.GetBookmark() : -1;
    const bool keysChanged = !rows || !rows->inserted.empty() || !rows->deleted.empty();
    if (!keysChanged) {
        if (!onRecord || !holds(rows->updated, current))
            return false;
        rs.SetBookmark(current);
        m_steps.RefreshPosition();
        return true;
    }
    // The record to stay on: the current one, or where it went, the one a delete here
    // would have shown.
    std::optional<qint64> target;
    if (onRecord) {
        const bool gone = rows ? holds(rows->deleted, current) : !rs.FindFirst(idIs(current));
        if (gone) {
            StepOffDeleted();
            if (hasRecord())
                target = rs.GetBookmark();
        } else {
            target = current;
        }
    }
    // A few rows written elsewhere are placed in the keys; reading every key again would
    // hold the window for as long as the table is large.
    if (!rows || rows->size() > kMostFollowedRows || !rs.FollowChange(*rows))
        rs.Requery();
    if (target)
        rs.FindFirst(idIs(*target));
    if (rs.IsBOF() && rs.IsEOF())
        rs.SetFieldNull();
    m_steps.RefreshPosition();
    return true;
}

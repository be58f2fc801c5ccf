#pragma once

#include <QString>

class CRecordSet;
struct DataChange;

// What a record window does at each step of a record's life. The record state machine
// decides when a step runs; the window decides what it shows.
class CRecordSteps {
public:
    virtual ~CRecordSteps() = default;

    // Browse state (false) or edit state (true) of the controls.
    virtual void EnableControls(bool enable) = 0;
    // Clears the controls for a new record.
    virtual void DoNewMask() = 0;
    // Fills the controls of a new record with their first values.
    virtual void DoNewDefaults() = 0;
    // Record to controls and controls to record; false when a control does not validate.
    virtual void ShowValues() = 0;
    virtual bool ReadValues() = 0;
    // Runs before the record set writes the record; false keeps the edit going unsaved.
    virtual bool DoBeforePost() = 0;
    // After the record set wrote a record; `added` tells an insertion.
    virtual void AfterUpdate(bool added) = 0;
    // After a save or a delete.
    virtual void DoAfterPost() = 0;
    // Shows the current record and where it stands in the set.
    virtual bool RefreshPosition() = 0;
    // The user's answer to "drop the changes?" and "delete this record?".
    virtual bool ConfirmCancel() = 0;
    virtual bool ConfirmDelete() = 0;
};

// The life of the current record of a window: browsing, editing it or adding a new one;
// saving, cancelling and deleting; moving through the set; and taking in what other writers
// changed. It needs no window: every visible step goes through CRecordSteps. Database
// failures are thrown to the caller, which reports them.
class CRecordStateMachine {
public:
    enum class State { Browse, Edit, Add };
    enum class Move { First, Previous, Next, Last };
    // The write that the last DoAfterPost followed.
    enum class Post { None, Saved, Deleted };

    // `table` is the table whose announced changes concern the record set.
    CRecordStateMachine(CRecordSet& recordSet, CRecordSteps& steps, QString table);

    State state() const;
    bool isEditing() const { return state() != State::Browse; }
    // Whether there is a current record to edit or delete.
    bool hasRecord() const;
    Post lastPost() const { return m_lastPost; }
    // True while the machine's own save or delete runs: what the notifier announces then is
    // already shown.
    bool writing() const { return m_writing; }

    // Moves through the set; stepping past either end stays on the first or last record.
    void MoveTo(Move move);
    // Starts editing the current record; false when an edit is already in progress.
    bool Edit();
    // Starts a new record; refused (by a throw) before the controls change when the set
    // cannot take one.
    void AddNew();
    // Writes the edited or added record; false when nothing was written.
    bool Save();
    // Drops the edit after the user agreed; false when there was none or the user kept it.
    bool Cancel();
    // Deletes the current record after the user agreed and shows its successor; false when
    // nothing was deleted.
    bool Delete();
    // Cancel while editing, delete while browsing; false when nothing happened.
    bool CancelOrDelete();
    // Drops an edit in progress without asking.
    void Abandon();

    // Whether an announced change may concern the records the set holds (own writes aside).
    bool Concerns(const DataChange& change) const;
    // Takes in a change another writer made while the machine browses: the current record
    // shows its new values; when it was deleted the next one (or the one before, or empty
    // fields) becomes current, as after a delete; records added or removed elsewhere count
    // in the position. An edit in progress is left alone. True when the window was updated.
    bool ApplyChange(const DataChange& change);

private:
    // After a save refused because another user saved the record meanwhile: shows their
    // version, or keeps the typed values to save over it, as the user chooses.
    void ReloadOrKeepChanged();
    // After the current record went away: its successor, else its predecessor, else
    // empty fields.
    void StepOffDeleted();

    CRecordSet& m_recordSet;
    CRecordSteps& m_steps;
    QString m_table;
    Post m_lastPost = Post::None;
    bool m_writing = false;
};

#pragma once

#include <QObject>
#include <optional>

#include "data/RecordMerge.h"

class CDatabase;

namespace duplicates {

// The last merge, kept until the program ends so that it can be undone.
class CMergeHistory : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Merges as the request says and keeps what is needed to undo it. Failures throw
    // CDbException and keep the merge before.
    void merge(CDatabase& db, const MergeRequest& request);

    bool canUndo() const { return m_last.has_value(); }
    // "Müller Jürgen and 1 more", for the menu and the messages.
    QString lastMergeText() const;
    // The name of the record that the last merge kept.
    QString lastSurvivor() const { return m_last ? m_last->survivorName : QString(); }

    enum class UndoResult { Undone, ChangedSince };
    // Puts back the state before the last merge. When a row the merge left has been changed
    // since, nothing is done and the merge stays undoable once that change is gone. Failures
    // throw CDbException.
    UndoResult undo(CDatabase& db);
    // The same for a command: a failure or a refusal is told to the user; true when undone.
    bool undoAndReport(CDatabase& db);

signals:
    void changed();

private:
    std::optional<MergeUndo> m_last;
};

}  // namespace duplicates

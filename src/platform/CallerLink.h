#pragma once

#include <QPointer>
#include <QWidget>

class CView;

// The record kinds whose forms return to a caller.
enum class FormKind { Person, Firm, Contact, Alarm };

// Who made a form of a kind create or delete a record on its behalf, and whether the form
// still has to return to it. One link per kind, process-wide. The caller is held weakly:
// a caller window closed in the meantime is simply not returned to.
struct CallerLink {
    QPointer<QWidget> caller;
    bool returnPending = false;

    void set(CView* view);
    // The caller's view while its window still exists.
    CView* callerView() const;
};

CallerLink& callerLink(FormKind kind);

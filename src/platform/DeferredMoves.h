#pragma once

#include <cstddef>
#include <deque>
#include <functional>

// The requests that a record window lets wait while the user is in the middle of something
// there: a show-record or new-record request from another window (an alarm notice, a list,
// a search hit) that would move the window to another record or end its edit.
//
// They wait while the window runs one of its own commands, since a question that command
// asks lets queued work run and the answer belongs to the record the user chose; and they
// wait while an edit is in progress, so that typed text is never dropped. They run in the
// order they came as soon as the window is idle again: when its command is done or its edit
// has been saved or cancelled. Each move runs as a command of the window itself, so a
// request that arrives during a question of that move waits for it in turn.
class CDeferredMoves {
public:
    // `editing` tells whether the owner has an edit in progress.
    explicit CDeferredMoves(std::function<bool()> editing);
    CDeferredMoves(const CDeferredMoves&) = delete;
    CDeferredMoves& operator=(const CDeferredMoves&) = delete;

    // Marks the owner busy while it lives: one entry point of the owner (a command, a
    // click) is running. When the outermost one ends and the owner is idle, the waiting
    // moves run.
    class Command {
    public:
        explicit Command(CDeferredMoves& moves);
        ~Command();
        Command(const Command&) = delete;
        Command& operator=(const Command&) = delete;

    private:
        CDeferredMoves& m_moves;
    };

    // True while a command of the owner runs or its edit is in progress.
    bool busy() const;
    // Runs the move now when the owner is idle, otherwise once it is. A move reports its
    // own failures: it does not throw.
    void runOrDefer(std::function<void()> move);
    // Runs the waiting moves, oldest first, for as long as the owner stays idle.
    void resume();
    std::size_t waiting() const { return m_waiting.size(); }

private:
    std::function<bool()> m_editing;
    std::deque<std::function<void()>> m_waiting;
    int m_commands = 0;
    bool m_resuming = false;
};

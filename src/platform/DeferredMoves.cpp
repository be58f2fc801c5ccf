#include "platform/DeferredMoves.h"

#include <utility>

CDeferredMoves::CDeferredMoves(std::function<bool()> editing) : m_editing(std::move(editing)) {}

CDeferredMoves::Command::Command(CDeferredMoves& moves) : m_moves(moves) {
    ++m_moves.m_commands;
}

CDeferredMoves::Command::~Command() {
    if (--m_moves.m_commands == 0)
        m_moves.resume();
}

bool CDeferredMoves::busy() const {
    return m_commands > 0 || (m_editing && m_editing());
}

void CDeferredMoves::runOrDefer(std::function<void()> move) {
    m_waiting.push_back(std::move(move));
    resume();
}

void CDeferredMoves::resume() {
    // The end of a running move's command comes back here: the loop below carries on.
    if (m_resuming)
        return;
    m_resuming = true;
    struct Done {
        bool& resuming;
        ~Done() { resuming = false; }
    } done{m_resuming};
    while (!busy() && !m_waiting.empty()) {
        std::function<void()> move = std::move(m_waiting.front());
        m_waiting.pop_front();
        Command command(*this);
        move();
    }
}

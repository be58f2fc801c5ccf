#pragma once

// Shows the wait cursor for its lifetime. Nesting is safe (each one restores its own), and
// without a graphical application it does nothing.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_shown = false;
};

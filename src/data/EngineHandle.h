#pragma once

#include <QString>
#include <utility>

struct sqlite3;

// A raw engine connection that is closed unless it is handed over.
class EngineHandle {
public:
    explicit EngineHandle(sqlite3* handle = nullptr) : m_handle(handle) {}
    ~EngineHandle();
    EngineHandle(const EngineHandle&) = delete;
    EngineHandle& operator=(const EngineHandle&) = delete;
    EngineHandle(EngineHandle&& other) noexcept : m_handle(other.release()) {}
    EngineHandle& operator=(EngineHandle&& other) noexcept;
    sqlite3* get() const { return m_handle; }
    sqlite3* release() { return std::exchange(m_handle, nullptr); }

private:
    sqlite3* m_handle;
};

// Opens a file with the engine without reading it yet, so that the engine's own descriptor
// is the only one this process holds on it: closing any other descriptor of the file would
// drop the locks the engine holds on it for every connection of the process. Throws
// CDbException.
EngineHandle openEngineFile(const QString& path, int flags);

// Registers the dialect's LIKE and NOCASE on a connection and, for a password, sets the key
// and the pinned cipher settings. Must come before the connection's first read.
void configureEngineHandle(sqlite3* handle, const QString& password);

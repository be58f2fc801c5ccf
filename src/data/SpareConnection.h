#pragma once

#include <QString>
#include <memory>
#include <mutex>

class CDatabase;

// A connection that one piece of work left for the next, which may run on another thread:
// opening a server's connection costs a handshake and several round trips. Only one is
// kept; keeping another closes it.
class CSpareConnection {
public:
    CSpareConnection();
    ~CSpareConnection();
    CSpareConnection(const CSpareConnection&) = delete;
    CSpareConnection& operator=(const CSpareConnection&) = delete;

    // The kept connection, if it was opened to `path` with `password`; nothing otherwise.
    std::unique_ptr<CDatabase> take(const QString& path, const QString& password);
    void keep(std::unique_ptr<CDatabase> db, const QString& password);
    // Closes the kept connection.
    void clear();

private:
    std::mutex m_lock;
    std::unique_ptr<CDatabase> m_db;
    QString m_password;
};

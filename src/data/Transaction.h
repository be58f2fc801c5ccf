#pragma once

class CDatabase;

// A write transaction on a connection: begun by the constructor, rolled back by the
// destructor unless Commit() was called.
class CTransaction {
public:
    explicit CTransaction(CDatabase& db);
    ~CTransaction();
    CTransaction(const CTransaction&) = delete;
    CTransaction& operator=(const CTransaction&) = delete;

    void Commit();

private:
    CDatabase& m_db;
    bool m_open = true;
};

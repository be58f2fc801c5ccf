#include "data/Transaction.h"

#include "data/Database.h"
#include "data/Statement.h"

CTransaction::CTransaction(CDatabase& db) : m_db(db) {
    CStatement(db, QStringLiteral("BEGIN IMMEDIATE")).execute();
}

CTransaction::~CTransaction() {
    if (!m_open || !m_db.IsOpen())
        return;
    try {
        CStatement(m_db, QStringLiteral("ROLLBACK")).execute();
    } catch (const CDbException&) {
        // The engine has already rolled back (it does so after some failures).
    }
}

void CTransaction::Commit() {
    CStatement(m_db, QStringLiteral("COMMIT")).execute();
    m_open = false;
}

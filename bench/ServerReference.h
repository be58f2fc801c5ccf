#pragma once

#include <QString>
#include <memory>

#include "BenchTable.h"
#include "data/ServerConnection.h"

// The team's server alone: a connection of its own, each statement translated to the
// server's SQL as the data layer translates its own and run to its last row.
class ServerReference : public Reference {
public:
    ServerReference(const QString& uri, const QString& password);

    Timing time(const QString& sql) override;
    qint64 number(const QString& sql) override;
    // The server's ILIKE on the text of the value (its columns' letter-case collation
    // refuses a pattern), which ignores letter case beyond ASCII too.
    QString like(const QString& expression, const QString& pattern) const override;
    std::unique_ptr<Reference> connectAgain() const override;
    CServerConnection& connection() { return m_server; }

private:
    QString m_uri;
    QString m_password;
    CServerConnection m_server;
};

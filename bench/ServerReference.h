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
    // The server's ILIKE on the text of the value in the collation "C" (the columns' own
    // letter-case collation refuses a pattern): it ignores the letter case of ASCII letters
    // only, as the file's built-in LIKE does.
    QString like(const QString& expression, const QString& pattern) const override;
    std::unique_ptr<Reference> connectAgain() const override;
    CServerConnection& connection() { return m_server; }

private:
    QString m_uri;
    QString m_password;
    CServerConnection m_server;
};

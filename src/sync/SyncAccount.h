#pragma once

#include <QString>
#include <QUrl>

#include "exchange/VCardWriter.h"

// What a sync needs to know of the account: the server, who logs in, and which address
// book holds the persons and firms.
struct SyncAccount {
    enum class Conflict { Ask, Server, Local };

    QUrl server;
    QString user, password;
    QUrl addressbook;
    QUrl calendar;
    Conflict conflict = Conflict::Ask;
    // The version of new cards: the one the address book takes, 3.0 where it takes both.
    VCardVersion cardVersion = VCardVersion::V3;
    int intervalMinutes = 0;

    bool isComplete() const { return server.isValid() && !user.isEmpty() && addressbook.isValid(); }
    // The name the sync state of the address book is kept under.
    QString collectionKey() const { return user + u'@' + addressbook.toString(); }
};

// What one sync did, and why it stopped when it did not complete.
struct SyncSummary {
    int received = 0, sent = 0, deleted = 0, conflicts = 0;
    QString error;

    bool ok() const { return error.isEmpty(); }
    // "12 received, 3 sent, 1 deleted, 1 conflict merged", or the error.
    QString text() const;
};

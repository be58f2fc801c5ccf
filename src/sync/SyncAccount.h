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
    // The name the sync state of a collection is kept under.
    QString collectionKey(const QUrl& collection) const {
        return user + u'@' + collection.toString();
    }
    QString collectionKey() const { return collectionKey(addressbook); }
};

// What one sync did, and why it stopped when it did not complete.
struct SyncSummary {
    int received = 0, sent = 0, deleted = 0, conflicts = 0;
    // Events that repeat by a rule no alarm holds: their rule stays on the server as it is.
    int keptOnServer = 0;
    QString error;

    // Adds the counts of another sync; its error, where this one has none.
    void add(const SyncSummary& other);
    bool ok() const { return error.isEmpty(); }
    // "12 received, 3 sent, 1 deleted, 1 conflict merged", or the error.
    QString text() const;
};

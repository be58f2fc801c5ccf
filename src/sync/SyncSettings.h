#pragma once

#include <QString>

#include "sync/SyncAccount.h"

// The [sync] section of the settings file: url, user, addressbook, calendar, interval
// (minutes, 0 = only by hand), conflict (ask, server, local) and vcard (the version of new
// cards, 3.0 or 4.0, as the address book takes them). The password is never kept
// there. The answer about a server whose certificate is not trusted is kept per server in
// [sync trust].
namespace syncsettings {

SyncAccount load(const QString& iniPath);
bool save(const QString& iniPath, const SyncAccount& account);

// 1 trusted, 0 refused, -1 not asked yet.
int trusted(const QString& iniPath, const QString& server);
bool setTrusted(const QString& iniPath, const QString& server, bool trusted);

}  // namespace syncsettings

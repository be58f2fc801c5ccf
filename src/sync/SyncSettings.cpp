#include "sync/SyncSettings.h"

#include "platform/IniFile.h"

namespace {

const QString kSection = QStringLiteral("sync");
const QString kTrust = QStringLiteral("sync trust");

QString conflictText(SyncAccount::Conflict conflict) {
    switch (conflict) {
        case SyncAccount::Conflict::Server:
            return QStringLiteral("server");
        case SyncAccount::Conflict::Local:
            return QStringLiteral("local");
        case SyncAccount::Conflict::Ask:
            break;
    }
    return QStringLiteral("ask");
}

}  // namespace

namespace syncsettings {

SyncAccount load(const QString& iniPath) {
    const IniFile file(iniPath);
    SyncAccount account;
    account.server = QUrl(file.readString(kSection, QStringLiteral("url")));
    account.user = file.readString(kSection, QStringLiteral("user"));
    account.addressbook = QUrl(file.readString(kSection, QStringLiteral("addressbook")));
    account.calendar = QUrl(file.readString(kSection, QStringLiteral("calendar")));
    account.intervalMinutes = std::max(0, file.readInt(kSection, QStringLiteral("interval"), 0));
    const QString conflict = file.readString(kSection, QStringLiteral("conflict")).toLower();
    account.conflict = conflict == u"server"  ? SyncAccount::Conflict::Server
                       : conflict == u"local" ? SyncAccount::Conflict::Local
                                              : SyncAccount::Conflict::Ask;
    account.cardVersion = file.readString(kSection, QStringLiteral("vcard")) == u"4.0"
                              ? VCardVersion::V4
                              : VCardVersion::V3;
    return account;
}

bool save(const QString& iniPath, const SyncAccount& account) {
    IniFile file(iniPath);
    return file.writeStrings(
        kSection, {{QStringLiteral("url"), account.server.toString()},
                   {QStringLiteral("user"), account.user},
                   {QStringLiteral("addressbook"), account.addressbook.toString()},
                   {QStringLiteral("calendar"), account.calendar.toString()},
                   {QStringLiteral("interval"), QString::number(account.intervalMinutes)},
                   {QStringLiteral("conflict"), conflictText(account.conflict)},
                   {QStringLiteral("vcard"), account.cardVersion == VCardVersion::V4
                                                 ? QStringLiteral("4.0")
                                                 : QStringLiteral("3.0")}});
}

int trusted(const QString& iniPath, const QString& server) {
    return IniFile(iniPath).readInt(kTrust, server, -1);
}

bool setTrusted(const QString& iniPath, const QString& server, bool trusted) {
    return IniFile(iniPath).writeInt(kTrust, server, trusted ? 1 : 0);
}

}  // namespace syncsettings

#pragma once

#include <QString>
#include <optional>

// A typed person name, trimmed and split at its first blank: the last name before it, the
// first name after it (empty when there is no blank).
struct SplitName {
    QString last;
    QString first;
};
SplitName splitPersonName(const QString& text);

class CDatabase;

// The connection for the forms' short-lived look-ups: the shared one while it is open on
// the database file (opening the file again would cost a key derivation on an encrypted
// file for every look-up), else nullptr, so that the record set opens the file by itself.
CDatabase* lookupConnection();

// True when a firm with this name exists (the engine's comparison, letter case ignored).
bool firmExists(const QString& name);

// The person a typed display name stands for: the first person whose last name matches and
// whose first name is exactly the typed one. Gives that person's firm; nullopt when no
// person matches.
std::optional<QString> findPersonFirm(const QString& displayName);

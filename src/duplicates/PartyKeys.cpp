#include "duplicates/PartyKeys.h"

#include "duplicates/MatchKeys.h"

namespace duplicates {

namespace {

struct PartyColumns {
    const char* table;
    std::initializer_list<const char*> names;
    std::initializer_list<const char*> emails;
    std::initializer_list<const char*> phones;
};

const PartyColumns kPerson{"Person",
                           {"lastname", "firstname"},
                           {"email_home", "email_bussines"},
                           {"phone_home1", "phone_bussines1", "phone_mobile"}};
const PartyColumns kFirm{"Firm", {"name"}, {"email1"}, {"phone1", "phone2", "fax1", "fax2"}};

const PartyColumns& columnsOf(PartyKind kind) {
    return kind == PartyKind::Person ? kPerson : kFirm;
}

void appendUnique(QStringList& keys, const QString& key) {
    if (!key.isEmpty() && !keys.contains(key))
        keys << key;
}

}  // namespace

QString tableOf(PartyKind kind) {
    return QLatin1String(columnsOf(kind).table);
}

QStringList matchColumns(PartyKind kind) {
    const PartyColumns& columns = columnsOf(kind);
    QStringList all;
    for (const auto& group : {columns.names, columns.emails, columns.phones})
        for (const char* column : group)
            all << QLatin1String(column);
    return all;
}

PartyKeys keysOf(PartyKind kind, std::span<const QString> values) {
    const PartyColumns& columns = columnsOf(kind);
    const auto value = [values](std::size_t i) {
        return i < values.size() ? values[i] : QString();
    };
    PartyKeys keys;
    std::size_t i = 0;
    if (kind == PartyKind::Person) {
        // Blanks count for nothing, so "Müller Jürgen" in the last name alone meets a last
        // name "Müller" with a first name "Jürgen".
        keys.names = nameKeys(value(0) + value(1));
        for (const QString& key : nameKeys(value(1) + value(0)))
            if (!keys.names.contains(key))
                keys.swapped << key;
        i = 2;
    } else {
        keys.names = nameKeys(value(0));
        i = 1;
    }
    for (std::size_t n = 0; n < columns.emails.size(); ++n, ++i)
        appendUnique(keys.emails, emailKey(value(i)));
    for (std::size_t n = 0; n < columns.phones.size(); ++n, ++i)
        appendUnique(keys.phones, phoneKey(value(i)));
    return keys;
}

PartyKeys keysOf(PartyKind kind, const QMap<QString, QString>& values) {
    QStringList ordered;
    for (const QString& column : matchColumns(kind))
        ordered << values.value(column);
    return keysOf(kind, std::span<const QString>(ordered.cbegin(), ordered.cend()));
}

}  // namespace duplicates

#include "exchange/ContactCard.h"

namespace {

QString typesText(const CContactCard::Typed& typed) {
    QStringList shown;
    for (const QString& type : typed.types)
        if (type != QLatin1String("voice") && type != QLatin1String("internet") &&
            type != QLatin1String("pref"))
            shown << type;
    return shown.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(shown.join(u", "));
}

// Fills `values[column]` when it is still free; otherwise the value becomes an extra line.
void place(CExchangeRecord& record, QStringList& extras, const QString& column,
           const QString& label, const CContactCard::Typed& typed) {
    if (typed.value.isEmpty())
        return;
    if (!column.isEmpty() && !record.values.contains(column)) {
        record.values.insert(column, typed.value);
        return;
    }
    extras << label + typesText(typed) + QStringLiteral(": ") + typed.value;
}

void setIfAny(CExchangeRecord& record, const QString& column, const QString& value) {
    if (!value.isEmpty())
        record.values.insert(column, value);
}

QString firstFree(const CExchangeRecord& record, std::initializer_list<const char*> columns) {
    for (const char* column : columns)
        if (!record.values.contains(QLatin1String(column)))
            return QLatin1String(column);
    return {};
}

void finishDescription(CExchangeRecord& record, const CContactCard& card, QStringList extras) {
    if (card.categories.size() > 1)
        extras << QStringLiteral("Categories: ") + card.categories.mid(1).join(u", ");
    QStringList parts = card.notes;
    parts.removeAll(QString());
    if (!extras.isEmpty())
        parts << extras.join(u'\n');
    setIfAny(record, QStringLiteral("description"), parts.join(u'\n'));
}

CExchangeRecord firmOf(const CContactCard& card) {
    CExchangeRecord record;
    record.kind = CExchangeRecord::Kind::Firm;
    record.line = card.line;
    QStringList extras = card.extras;
    const QString name = card.organisation.value(0);
    setIfAny(record, QStringLiteral("name"), name.isEmpty() ? card.formatted : name);
    if (card.organisation.size() > 1)
        extras << QStringLiteral("Unit: ") + card.organisation.mid(1).join(u", ");
    if (card.isOrganisation && (!card.family.isEmpty() || !card.given.isEmpty()))
        setIfAny(record, QStringLiteral("person"),
                 QStringList{card.given, card.family}.join(u' ').trimmed());
    setIfAny(record, QStringLiteral("title"), card.title);
    setIfAny(record, QStringLiteral("function"), card.role);
    for (const auto& phone : card.phones) {
        const QString column = phone.is("fax") ? firstFree(record, {"fax1", "fax2"})
                                               : firstFree(record, {"phone1", "phone2"});
        place(record, extras, column, QStringLiteral("Phone"), phone);
    }
    for (const auto& email : card.emails)
        place(record, extras, QStringLiteral("email1"), QStringLiteral("E-mail"), email);
    for (const auto& url : card.urls)
        place(record, extras, QStringLiteral("web"), QStringLiteral("Web"), url);
    for (const auto& address : card.addresses)
        place(record, extras, QStringLiteral("address"), QStringLiteral("Address"), address);
    setIfAny(record, QStringLiteral("group"), card.categories.value(0));
    finishDescription(record, card, extras);
    return record;
}

CExchangeRecord personOf(const CContactCard& card) {
    CExchangeRecord record;
    record.line = card.line;
    QStringList extras = card.extras;
    QString family = card.family;
    QString given = card.given;
    if (family.isEmpty() && given.isEmpty() && !card.formatted.isEmpty()) {
        // Only a display name: its last word is taken for the family name.
        const QString name = card.formatted.simplified();
        const qsizetype blank = name.lastIndexOf(u' ');
        family = blank < 0 ? name : name.mid(blank + 1);
        given = blank < 0 ? QString() : name.left(blank);
    } else if (family.isEmpty() && given.isEmpty()) {
        // Nothing but an address to write to: the person is known by it.
        family = card.firstEmail();
    }
    setIfAny(record, QStringLiteral("lastname"), family);
    setIfAny(record, QStringLiteral("firstname"), given);
    setIfAny(record, QStringLiteral("title"), card.prefix);
    if (!card.additional.isEmpty())
        extras << QStringLiteral("Middle name: ") + card.additional;
    if (!card.suffix.isEmpty())
        extras << QStringLiteral("Name suffix: ") + card.suffix;
    setIfAny(record, QStringLiteral("function"), card.title.isEmpty() ? card.role : card.title);
    if (!card.title.isEmpty() && !card.role.isEmpty())
        extras << QStringLiteral("Role: ") + card.role;
    setIfAny(record, QStringLiteral("firm"), card.organisation.value(0));
    if (card.organisation.size() > 1)
        extras << QStringLiteral("Unit: ") + card.organisation.mid(1).join(u", ");
    for (const auto& phone : card.phones) {
        QString column;
        if (phone.is("fax") || phone.is("pager"))
            column.clear();
        else if (phone.is("cell"))
            column = QStringLiteral("phone_mobile");
        else if (phone.is("work"))
            column = QStringLiteral("phone_bussines1");
        else if (phone.is("home") || phone.types.isEmpty() || phone.is("voice"))
            column = QStringLiteral("phone_home1");
        place(record, extras, column, QStringLiteral("Phone"), phone);
    }
    for (const auto& email : card.emails) {
        QString column;
        if (email.is("work"))
            column = QStringLiteral("email_bussines");
        else if (email.is("home"))
            column = QStringLiteral("email_home");
        else
            column = firstFree(record, {"email_home", "email_bussines"});
        place(record, extras, column, QStringLiteral("E-mail"), email);
    }
    for (const auto& address : card.addresses) {
        const bool home = address.is("home") || !address.is("work");
        place(record, extras, home ? QStringLiteral("address_home") : QString(),
              QStringLiteral("Address"), address);
    }
    for (const auto& url : card.urls)
        place(record, extras, QString(), QStringLiteral("Web"), url);
    setIfAny(record, QStringLiteral("group"), card.categories.value(0));
    finishDescription(record, card, extras);
    return record;
}

}  // namespace

QString CContactCard::firstEmail() const {
    for (const Typed& email : emails)
        if (!email.value.trimmed().isEmpty())
            return email.value.trimmed();
    return {};
}

bool CContactCard::canBeNamed() const {
    return hasName() || !organisation.value(0).trimmed().isEmpty() || !firstEmail().isEmpty();
}

CExchangeRecord recordOfCard(const CContactCard& card) {
    // Many programs write a firm's card with its name as the display name and no N.
    const QString org = card.organisation.value(0);
    const bool unnamed = card.family.isEmpty() && card.given.isEmpty() &&
                         (card.formatted.isEmpty() || card.formatted == org);
    const bool firm = card.isOrganisation || (!org.isEmpty() && unnamed);
    return firm ? firmOf(card) : personOf(card);
}

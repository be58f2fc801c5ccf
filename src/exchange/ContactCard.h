#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "exchange/ExchangeRecord.h"

// A contact as the common address-book formats describe it (vCard, the CSV layouts of
// other programs), before it is mapped onto the columns of a person or a firm.
struct CContactCard {
    // A value with its types in lower case ("home", "work", "cell", "fax", ...).
    struct Typed {
        QStringList types;
        QString value;
        bool is(const char* type) const { return types.contains(QLatin1String(type)); }
    };

    bool isOrganisation = false;
    QString family, given, additional, prefix, suffix;
    QString formatted;         // the display name when no structured name is given
    QStringList organisation;  // the firm and its units
    QString title, role;
    QList<Typed> phones, emails, addresses, urls;
    QStringList categories;
    QStringList notes;
    // What has no column, in readable form ("Birthday: 1970-05-01").
    QStringList extras;
    int line = 0;

    bool hasName() const { return !family.isEmpty() || !given.isEmpty() || !formatted.isEmpty(); }
    // The first e-mail address that is not empty.
    QString firstEmail() const;
    // Whether the card gives a record a name: a name, a firm, or at least an e-mail address.
    bool canBeNamed() const;
};

// The record a card stands for: a firm for an organisation card (or one with a firm and
// no name), a person otherwise, named by the structured name, else by the display name,
// else by the e-mail address. Values without a column go to the description.
CExchangeRecord recordOfCard(const CContactCard& card);

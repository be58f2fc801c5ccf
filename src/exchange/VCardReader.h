#pragma once

#include <QByteArray>

#include "exchange/ExchangeRecord.h"

// Reads the cards of a vCard file (versions 2.1, 3.0 and 4.0): folded lines, parameters
// with and without "TYPE=", quoted-printable and charsets of 2.1, escapes, UTF-8 with or
// without a byte order mark. A card it cannot read is reported with its line; reading
// goes on with the next card.
CReadResult readVCards(const QByteArray& data);

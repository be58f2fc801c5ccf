#pragma once

#include <QByteArray>

#include "exchange/ExchangeRecord.h"

// Reads the cards of a vCard file (versions 2.1, 3.0 and 4.0): folded lines, parameters
// with and without "TYPE=", quoted-printable and charsets of 2.1, escapes. A value without
// a charset is read as the file is: UTF-8 or UTF-16 by a byte order mark, UTF-8 when the
// file is valid UTF-8, else Windows-1252; the result names the encodings used. A card it
// cannot read, or that has nothing to call it by, is reported with its line; reading goes
// on with the next card.
CReadResult readVCards(const QByteArray& data);

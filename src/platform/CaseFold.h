#pragma once

#include <QString>

// QString::toCaseFolded, quicker for the texts most names are: a text of ASCII characters
// alone is folded by one pass over it, without the look-up of every character in the
// Unicode tables. The result is the same for every text.
QString caseFolded(const QString& text);

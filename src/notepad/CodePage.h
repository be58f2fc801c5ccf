#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The Windows code pages that RTF files name with \ansicpgN and \fcharsetN.
namespace codepage {

inline constexpr int kWestern = 1252;
inline constexpr int kSymbol = 42;

// The code page of a font character set (\fcharsetN); nullopt for the default set (1),
// which means "the document's code page".
std::optional<int> forCharset(int charset);

// Decodes bytes of the code page; bytes the code page does not define become U+FFFD,
// an unknown code page is read as Windows-1252.
QString decode(const QByteArray& bytes, int codePage);

// The Windows-1252 byte of a character, when it has one.
std::optional<char> toWestern(QChar c);

}  // namespace codepage

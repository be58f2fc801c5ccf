#include "notepad/CodePage.h"

#include <QStringDecoder>
#include <array>

namespace codepage {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; 0 marks an undefined byte.
constexpr std::array<char16_t, 32> kWestern80{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString decodeWestern(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b >= 0x80 && b < 0xA0) {
            const char16_t c = kWestern80[b - 0x80];
            text += c ? QChar(c) : QChar(QChar::ReplacementCharacter);
        } else {
            text += QChar(b);
        }
    }
    return text;
}

// The symbol font's characters live in the private-use area where fonts map them.
QString decodeSymbol(const QByteArray& bytes) {
    QString text;
    for (char byte : bytes)
        text += QChar(static_cast<char16_t>(static_cast<unsigned char>(byte)));
    return text;
}

}  // namespace

std::optional<int> forCharset(int charset) {
    switch (charset) {
        case 0:
            return 1252;
        case 2:
            return kSymbol;
        case 77:
            return 10000;
        case 128:
            return 932;
        case 129:
            return 949;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        default:
            return std::nullopt;
    }
}

QString decode(const QByteArray& bytes, int codePage) {
    if (codePage == kWestern)
        return decodeWestern(bytes);
    if (codePage == kSymbol)
        return decodeSymbol(bytes);
    QByteArray name;
    switch (codePage) {
        case 932:
            name = "Shift_JIS";
            break;
        case 936:
            name = "GBK";
            break;
        case 949:
            name = "windows-949";
            break;
        case 950:
            name = "Big5";
            break;
        case 10000:
            name = "macintosh";
            break;
        case 65001:
            name = "UTF-8";
            break;
        default:
            name = "windows-" + QByteArray::number(codePage);
            break;
    }
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return decodeWestern(bytes);
    return decoder.decode(bytes);
}

std::optional<char> toWestern(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (std::size_t i = 0; i < kWestern80.size(); ++i) {
        if (kWestern80[i] && kWestern80[i] == u)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

}  // namespace codepage

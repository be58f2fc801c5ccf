#include "exchange/TextEncoding.h"

#include <QStringDecoder>

#include "notepad/CodePage.h"

namespace textencoding {

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16LeMark[] = "\xFF\xFE";
constexpr char kUtf16BeMark[] = "\xFE\xFF";

Decoded western(const QByteArray& bytes) {
    return {codepage::decode(bytes, codepage::kWestern), QLatin1String(kWindows1252)};
}

// The number of a Windows code page named "windows-1250", "cp1250" or "cp-1250".
int windowsCodePage(const QByteArray& name) {
    QByteArray number;
    if (name.startsWith("WINDOWS-"))
        number = name.mid(8);
    else if (name.startsWith("CP-"))
        number = name.mid(3);
    else if (name.startsWith("CP"))
        number = name.mid(2);
    bool ok = false;
    const int codePage = number.toInt(&ok);
    return ok ? codePage : 0;
}

}  // namespace

bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

Decoded decodeFile(const QByteArray& data) {
    if (data.startsWith(kUtf16LeMark) || data.startsWith(kUtf16BeMark)) {
        QStringDecoder decoder(data.startsWith(kUtf16LeMark) ? QStringDecoder::Utf16LE
                                                             : QStringDecoder::Utf16BE);
        return {decoder.decode(data.mid(2)), QStringLiteral("UTF-16")};
    }
    if (data.startsWith(kUtf8Mark))
        return {QString::fromUtf8(data.mid(3)), QLatin1String(kUtf8)};
    if (isValidUtf8(data))
        return {QString::fromUtf8(data), QLatin1String(kUtf8)};
    return western(data);
}

QByteArray asUtf8Bytes(const QByteArray& data, QString& encoding) {
    if (data.startsWith(kUtf16LeMark) || data.startsWith(kUtf16BeMark)) {
        const Decoded decoded = decodeFile(data);
        encoding = decoded.encoding;
        return decoded.text.toUtf8();
    }
    if (data.startsWith(kUtf8Mark)) {
        encoding = QLatin1String(kUtf8);
        return data.mid(3);
    }
    encoding = QLatin1String(isValidUtf8(data) ? kUtf8 : kWindows1252);
    return data;
}

Decoded decodeCharset(const QByteArray& bytes, const QByteArray& charset) {
    QByteArray name = charset.trimmed().toUpper();
    if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
        name = name.mid(1, name.size() - 2);
    if (name == "UTF-8" || name == "UTF8")
        return {QString::fromUtf8(bytes), QLatin1String(kUtf8)};
    if (name == "ISO-8859-1" || name == "ISO8859-1" || name == "ISO_8859-1" || name == "LATIN1" ||
        name == "LATIN-1")
        return {QString::fromLatin1(bytes), QStringLiteral("ISO-8859-1")};
    if (const int codePage = windowsCodePage(name)) {
        if (codePage == codepage::kWestern)
            return western(bytes);
        const QByteArray windowsName = "windows-" + QByteArray::number(codePage);
        if (QStringDecoder(windowsName.constData()).isValid())
            return {codepage::decode(bytes, codePage), QStringLiteral("Windows-%1").arg(codePage)};
        return {};
    }
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return {};
    return {decoder.decode(bytes), QString::fromLatin1(name)};
}

Decoded decodeUnnamed(const QByteArray& bytes, const QString& fileEncoding) {
    if (fileEncoding != QLatin1String(kWindows1252) && isValidUtf8(bytes))
        return {QString::fromUtf8(bytes), fileEncoding};
    return western(bytes);
}

}  // namespace textencoding

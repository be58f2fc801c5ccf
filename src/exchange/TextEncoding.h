#pragma once

#include <QByteArray>
#include <QString>

// The encodings of the text of address-book files. Files come from many programs: UTF-8
// with or without a byte order mark, UTF-16 with one, and Windows-1252 from office programs
// and old phones, which name no encoding at all.
namespace textencoding {

inline constexpr const char* kUtf8 = "UTF-8";
inline constexpr const char* kWindows1252 = "Windows-1252";

// Text and the name of the encoding it was read in.
struct Decoded {
    QString text;
    QString encoding;
};

// A whole file: the encoding its byte order mark names (the mark removed), UTF-8 when the
// bytes are valid UTF-8, else Windows-1252.
Decoded decodeFile(const QByteArray& data);

// The file as UTF-8 bytes, for readers that work on bytes: a file with a UTF-16 byte
// order mark is converted, any other is given back without a UTF-8 mark. `encoding` is
// set to the encoding found for the file as decodeFile() would name it.
QByteArray asUtf8Bytes(const QByteArray& data, QString& encoding);

bool isValidUtf8(const QByteArray& bytes);

// Bytes in the named character set (a vCard's CHARSET, any letter case): the text and the
// name it goes by here; an encoding unknown here gives an empty name.
Decoded decodeCharset(const QByteArray& bytes, const QByteArray& charset);

// Bytes that name no encoding, from a file found to be in `fileEncoding` and given as
// asUtf8Bytes() does: UTF-8 (named as the file's encoding) when the file is not
// Windows-1252 and they are valid UTF-8, else Windows-1252 (old phones write
// quoted-printable Windows text into otherwise plain files).
Decoded decodeUnnamed(const QByteArray& bytes, const QString& fileEncoding);

}  // namespace textencoding

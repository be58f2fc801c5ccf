#include "exchange/VCardReader.h"

#include <algorithm>

#include "exchange/ContactCard.h"
#include "exchange/TextEncoding.h"

namespace {

struct ContentLine {
    QByteArray name;                              // upper case, without a group prefix
    QList<QPair<QByteArray, QByteArray>> params;  // names upper case; bare 2.1 types as TYPE
    QByteArray value;
    int line = 0;
};

// Joins folded lines: a line that starts with a blank or a tab continues the one before;
// in quoted-printable values of 2.1 a line ending with "=" continues on the next.
QList<QPair<int, QByteArray>> unfoldedLines(const QByteArray& data) {
    QList<QPair<int, QByteArray>> lines;
    const QList<QByteArray> raw = data.split('\n');
    bool softBreak = false;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QByteArray text = raw[i];
        if (text.endsWith('\r'))
            text.chop(1);
        const int number = int(i) + 1;
        if (softBreak && !lines.isEmpty()) {
            lines.last().second.chop(1);
            lines.last().second += text;
        } else if (!lines.isEmpty() && !text.isEmpty() && (text[0] == ' ' || text[0] == '\t')) {
            lines.last().second += text.mid(1);
        } else {
            lines.append({number, text});
        }
        const QByteArray upper = lines.isEmpty() ? QByteArray() : lines.last().second.toUpper();
        const qsizetype colon = upper.indexOf(':');
        softBreak =
            colon > 0 && upper.left(colon).contains("QUOTED-PRINTABLE") && upper.endsWith('=');
    }
    return lines;
}

bool parseLine(const QByteArray& text, int number, ContentLine& line) {
    line.line = number;
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon <= 0)
        return false;
    line.value = text.mid(colon + 1);
    QList<QByteArray> parts;
    QByteArray part;
    quoted = false;
    for (char c : text.left(colon)) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ';' && !quoted) {
            parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    parts << part;
    line.name = parts.takeFirst().trimmed().toUpper();
    if (const qsizetype dot = line.name.lastIndexOf('.'); dot >= 0)
        line.name = line.name.mid(dot + 1);
    if (line.name.isEmpty())
        return false;
    for (const QByteArray& param : parts) {
        const qsizetype equals = param.indexOf('=');
        if (equals < 0)
            line.params.append({"TYPE", param.trimmed()});
        else
            line.params.append({param.left(equals).trimmed().toUpper(), param.mid(equals + 1)});
    }
    return true;
}

QByteArray param(const ContentLine& line, const char* name) {
    for (const auto& [key, value] : line.params)
        if (key == name)
            return value;
    return {};
}

QStringList typesOf(const ContentLine& line) {
    QStringList types;
    for (const auto& [key, value] : line.params) {
        if (key == "TYPE") {
            for (const QByteArray& type : value.split(','))
                if (!type.trimmed().isEmpty())
                    types << QString::fromLatin1(type.trimmed()).toLower();
        } else if (key == "PREF") {
            types << QStringLiteral("pref");
        }
    }
    return types;
}

QByteArray decodedQuotedPrintable(const QByteArray& value) {
    QByteArray out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size()) {
            bool ok = false;
            const int byte = value.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(byte);
                i += 2;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

// The encoding of the file and those that values beyond ASCII were read in.
struct Decoding {
    QString fileEncoding;
    QStringList used;
};

// The value as text: quoted-printable undone and the charset applied; a value without a
// charset (or with one unknown here) is read as the file is.
QString textOf(const ContentLine& line, Decoding& decoding) {
    QByteArray bytes = line.value;
    if (param(line, "ENCODING").toUpper() == "QUOTED-PRINTABLE" ||
        typesOf(line).contains(QStringLiteral("quoted-printable")))
        bytes = decodedQuotedPrintable(bytes);
    textencoding::Decoded decoded;
    if (const QByteArray charset = param(line, "CHARSET"); !charset.isEmpty())
        decoded = textencoding::decodeCharset(bytes, charset);
    if (decoded.encoding.isEmpty())
        decoded = textencoding::decodeUnnamed(bytes, decoding.fileEncoding);
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) {
        return static_cast<unsigned char>(byte) < 0x80;
    });
    if (!ascii && !decoding.used.contains(decoded.encoding))
        decoding.used << decoded.encoding;
    return decoded.text;
}

// Splits at the unescaped separator and undoes the escapes of each part.
QStringList split(const QString& text, QChar separator) {
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar next = text[++i];
            part += (next == u'n' || next == u'N') ? QChar(u'\n') : next;
        } else if (c == separator) {
            parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    parts << part;
    return parts;
}

QString unescaped(const QString& text) {
    return split(text, QChar(0)).join(QString());
}

QString readableAddress(const QStringList& parts) {
    // post office box; extended; street; locality; region; postal code; country
    QStringList lines;
    for (int index : {0, 1, 2})
        lines << parts.value(index);
    lines << QStringList{parts.value(5), parts.value(3)}.join(u' ').trimmed();
    lines << parts.value(4) << parts.value(6);
    lines.removeAll(QString());
    return lines.join(u'\n');
}

void addLine(CContactCard& card, const ContentLine& line, Decoding& decoding) {
    const QByteArray& name = line.name;
    const QString text = textOf(line, decoding);
    const QStringList types = typesOf(line);
    if (name == "N") {
        const QStringList parts = split(text, u';');
        card.family = parts.value(0).trimmed();
        card.given = parts.value(1).trimmed();
        card.additional = parts.value(2).trimmed();
        card.prefix = parts.value(3).trimmed();
        card.suffix = parts.value(4).trimmed();
    } else if (name == "FN") {
        card.formatted = unescaped(text).trimmed();
    } else if (name == "KIND") {
        card.isOrganisation = text.trimmed().compare(u"org", Qt::CaseInsensitive) == 0;
    } else if (name == "X-ABSHOWAS") {
        card.isOrganisation = text.trimmed().compare(u"company", Qt::CaseInsensitive) == 0;
    } else if (name == "ORG") {
        QStringList organisation = split(text, u';');
        while (!organisation.isEmpty() && organisation.last().trimmed().isEmpty())
            organisation.removeLast();
        // The first is the firm; a card that names more keeps the others in its description.
        if (card.organisation.isEmpty())
            card.organisation = organisation;
        else if (!organisation.isEmpty())
            card.extras << QStringLiteral("Organisation: ") + organisation.join(u", ");
    } else if (name == "TITLE") {
        card.title = unescaped(text);
    } else if (name == "ROLE") {
        card.role = unescaped(text);
    } else if (name == "TEL") {
        QString number = unescaped(text).trimmed();
        if (number.startsWith(u"tel:", Qt::CaseInsensitive))
            number = number.mid(4);
        card.phones.append({types, number});
    } else if (name == "EMAIL") {
        card.emails.append({types, unescaped(text).trimmed()});
    } else if (name == "URL") {
        card.urls.append({types, unescaped(text).trimmed()});
    } else if (name == "ADR") {
        card.addresses.append({types, readableAddress(split(text, u';'))});
    } else if (name == "CATEGORIES") {
        for (const QString& category : split(text, u','))
            if (!category.trimmed().isEmpty())
                card.categories << category.trimmed();
    } else if (name == "NOTE") {
        card.notes << unescaped(text);
    } else if (name == "BDAY") {
        card.extras << QStringLiteral("Birthday: ") + unescaped(text);
    } else if (name == "ANNIVERSARY") {
        card.extras << QStringLiteral("Anniversary: ") + unescaped(text);
    } else if (name == "NICKNAME") {
        card.extras << QStringLiteral("Nickname: ") + unescaped(text);
    } else if (name == "PHOTO" || name == "LOGO" || name == "SOUND" || name == "KEY") {
        const bool link = text.startsWith(u"http", Qt::CaseInsensitive);
        card.extras
            << QString::fromLatin1(name.left(1) + name.mid(1).toLower()) +
                   (link
                        ? QStringLiteral(": ") + text
                        : QStringLiteral(": (embedded, %1 characters, not kept)").arg(text.size()));
    } else if (name == "VERSION" || name == "PRODID" || name == "REV" || name == "UID" ||
               name == "SORT-STRING" || name == "SOURCE" || name == "NAME" ||
               name == "CLIENTPIDMAP" || name.startsWith("X-")) {
        // Bookkeeping of the writing program, nothing the user typed.
    } else if (!text.trimmed().isEmpty()) {
        card.extras << QString::fromLatin1(name) + QStringLiteral(": ") + unescaped(text);
    }
}

}  // namespace

CReadResult readVCards(const QByteArray& input) {
    CReadResult result;
    result.format = CReadResult::Format::VCard;
    Decoding decoding;
    const QByteArray data = textencoding::asUtf8Bytes(input, decoding.fileEncoding);
    bool inCard = false;
    bool broken = false;
    CContactCard card;
    for (const auto& [number, text] : unfoldedLines(data)) {
        if (text.trimmed().isEmpty())
            continue;
        ContentLine line;
        const bool parsed = parseLine(text, number, line);
        if (parsed && line.name == "BEGIN" && line.value.trimmed().toUpper() == "VCARD") {
            if (inCard && !broken)
                result.fail(card.line, QStringLiteral("card without END:VCARD"));
            card = CContactCard{};
            card.line = number;
            inCard = true;
            broken = false;
            continue;
        }
        if (!inCard) {
            result.fail(number, QStringLiteral("text outside of a card"));
            // Reported once until the next card begins.
            inCard = true;
            broken = true;
            card.line = number;
            continue;
        }
        if (broken)
            continue;
        if (!parsed) {
            result.fail(number, QStringLiteral("not a vCard line"));
            broken = true;
            continue;
        }
        if (line.name == "END") {
            if (card.canBeNamed())
                result.records << recordOfCard(card);
            else
                result.fail(card.line, QStringLiteral("card without a name or e-mail address"));
            inCard = false;
            continue;
        }
        addLine(card, line, decoding);
    }
    if (inCard && !broken)
        result.fail(card.line, QStringLiteral("card without END:VCARD"));
    result.encoding =
        decoding.used.isEmpty() ? decoding.fileEncoding : decoding.used.join(QStringLiteral(", "));
    return result;
}

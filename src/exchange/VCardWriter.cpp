#include "exchange/VCardWriter.h"

#include <QStringList>

namespace {

QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\' || c == u',' || c == u';')
            out += u'\\';
        if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c != u'\r')
            out += c;
    }
    return out;
}

QByteArray folded(const QByteArray& line) {
    QByteArray out;
    int width = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const bool startsCharacter = (uchar(line[i]) & 0xC0) != 0x80;
        if (width >= 74 && startsCharacter) {
            out += "\r\n ";
            width = 1;
        }
        out += line[i];
        ++width;
    }
    return out + "\r\n";
}

class CardText {
public:
    explicit CardText(VCardVersion version) : m_version(version) {}

    void add(const char* nameAndParams, const QString& escapedValue) {
        m_text += folded(QByteArray(nameAndParams) + ':' + escapedValue.toUtf8());
    }
    void addIf(const char* nameAndParams, const QString& value) {
        if (!value.isEmpty())
            add(nameAndParams, escaped(value));
    }
    void addTyped(const char* name, const char* types, const QString& value) {
        if (value.isEmpty())
            return;
        const QByteArray typeList = m_version == VCardVersion::V4 ? QByteArray(types).toLower()
                                                                  : QByteArray(types).toUpper();
        add((QByteArray(name) + ";TYPE=" + typeList).constData(), escaped(value));
    }
    // An address as the street part, so that its lines come back as they are.
    void addAddress(const char* types, const QString& address) {
        if (address.isEmpty())
            return;
        const QByteArray typeList = QByteArray(types);
        add((QByteArray("ADR") + (typeList.isEmpty() ? "" : ";TYPE=" + typeList)).constData(),
            QStringLiteral(";;%1;;;;").arg(escaped(address)));
    }
    QByteArray finish() { return m_text + "END:VCARD\r\n"; }
    VCardVersion version() const { return m_version; }

private:
    VCardVersion m_version;
    QByteArray m_text = m_version == VCardVersion::V4 ? "BEGIN:VCARD\r\nVERSION:4.0\r\n"
                                                      : "BEGIN:VCARD\r\nVERSION:3.0\r\n";
};

QByteArray personCard(const CExchangeRecord& r, VCardVersion version) {
    CardText card(version);
    const QString last = r.value(QStringLiteral("lastname"));
    const QString first = r.value(QStringLiteral("firstname"));
    const QString title = r.value(QStringLiteral("title"));
    card.add("N", QStringLiteral("%1;%2;;%3;").arg(escaped(last), escaped(first), escaped(title)));
    card.add("FN", escaped(QStringList{first, last}.join(u' ').trimmed()));
    card.addIf("ORG", r.value(QStringLiteral("firm")));
    card.addIf("TITLE", r.value(QStringLiteral("function")));
    card.addTyped("TEL", "home,voice", r.value(QStringLiteral("phone_home1")));
    card.addTyped("TEL", "work,voice", r.value(QStringLiteral("phone_bussines1")));
    card.addTyped("TEL", "cell", r.value(QStringLiteral("phone_mobile")));
    card.addTyped("EMAIL", version == VCardVersion::V4 ? "home" : "internet,home",
                  r.value(QStringLiteral("email_home")));
    card.addTyped("EMAIL", version == VCardVersion::V4 ? "work" : "internet,work",
                  r.value(QStringLiteral("email_bussines")));
    card.addAddress(version == VCardVersion::V4 ? "home" : "HOME",
                    r.value(QStringLiteral("address_home")));
    card.addIf("CATEGORIES", r.value(QStringLiteral("group")));
    card.addIf("NOTE", r.value(QStringLiteral("description")));
    return card.finish();
}

QByteArray firmCard(const CExchangeRecord& r, VCardVersion version) {
    CardText card(version);
    const QString name = r.value(QStringLiteral("name"));
    if (version == VCardVersion::V4)
        card.add("KIND", QStringLiteral("org"));
    else
        card.add("X-ABSHOWAS", QStringLiteral("COMPANY"));
    // The contact person goes into N, which an organisation's card may carry.
    const QString person = r.value(QStringLiteral("person"));
    const qsizetype blank = person.lastIndexOf(u' ');
    card.add("N", QStringLiteral("%1;%2;;;")
                      .arg(escaped(blank < 0 ? person : person.mid(blank + 1)),
                           escaped(blank < 0 ? QString() : person.left(blank))));
    card.add("FN", escaped(name));
    card.add("ORG", escaped(name));
    card.addIf("TITLE", r.value(QStringLiteral("title")));
    card.addIf("ROLE", r.value(QStringLiteral("function")));
    card.addTyped("TEL", "work,voice", r.value(QStringLiteral("phone1")));
    card.addTyped("TEL", "work,voice", r.value(QStringLiteral("phone2")));
    card.addTyped("TEL", "work,fax", r.value(QStringLiteral("fax1")));
    card.addTyped("TEL", "work,fax", r.value(QStringLiteral("fax2")));
    card.addTyped("EMAIL", version == VCardVersion::V4 ? "work" : "internet,work",
                  r.value(QStringLiteral("email1")));
    card.addTyped("URL", "work", r.value(QStringLiteral("web")));
    card.addAddress(version == VCardVersion::V4 ? "work" : "WORK",
                    r.value(QStringLiteral("address")));
    card.addIf("CATEGORIES", r.value(QStringLiteral("group")));
    card.addIf("NOTE", r.value(QStringLiteral("description")));
    return card.finish();
}

}  // namespace

QByteArray vCardOf(const CExchangeRecord& record, VCardVersion version) {
    return record.kind == CExchangeRecord::Kind::Firm ? firmCard(record, version)
                                                      : personCard(record, version);
}

#include "exchange/CsvReader.h"

#include <QHash>
#include <QRegularExpression>

#include "data/Schema.h"
#include "exchange/ContactCard.h"
#include "exchange/TextEncoding.h"

namespace {

QChar separatorOf(const QString& text) {
    int counts[3] = {};
    const QChar candidates[3] = {u',', u';', u'\t'};
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted)
            for (int i = 0; i < 3; ++i)
                counts[i] += c == candidates[i];
    }
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (counts[i] > counts[best])
            best = i;
    return candidates[best];
}

bool isEmptyRow(const QStringList& fields) {
    for (const QString& field : fields)
        if (!field.trimmed().isEmpty())
            return false;
    return true;
}

// Our own layout: every header is a column of the table.
bool isOwnLayout(const QStringList& header, const SourceDef& table) {
    const QStringList columns = schema::tableColumns(table);
    for (const QString& name : header)
        if (!columns.contains(name))
            return false;
    return !header.isEmpty();
}

void readOwnLayout(const QList<CCsvRow>& rows, CExchangeRecord::Kind kind, CReadResult& result) {
    const QStringList& header = rows.first().fields;
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const CCsvRow& row = rows[r];
        if (isEmptyRow(row.fields))
            continue;
        if (row.fields.size() > header.size()) {
            result.fail(row.line, QStringLiteral("more fields than the header has"));
            continue;
        }
        CExchangeRecord record;
        record.kind = kind;
        record.line = row.line;
        for (qsizetype i = 0; i < row.fields.size(); ++i)
            if (header[i] != QLatin1String("id") && !row.fields[i].isEmpty())
                record.values.insert(header[i], row.fields[i]);
        result.records << record;
    }
}

// What a header of another program's layout means; the phone, e-mail and address headers
// of the Google layout come numbered with their type in a column of their own.
enum class Field {
    Given,
    Family,
    Additional,
    Prefix,
    Suffix,
    Display,
    Nickname,
    Org,
    Department,
    JobTitle,
    Notes,
    Birthday,
    Groups,
    WorkPhone,
    HomePhone,
    Fax,
    Pager,
    Mobile,
    Email,
    Web,
    HomeStreet,
    HomeStreet2,
    HomeCity,
    HomeRegion,
    HomeCode,
    HomeCountry,
    WorkStreet,
    WorkStreet2,
    WorkCity,
    WorkRegion,
    WorkCode,
    WorkCountry,
    BirthYear,
    BirthMonth,
    BirthDay
};

const QHash<QString, Field>& knownHeaders() {
    static const QHash<QString, Field> headers{
        {"first name", Field::Given},
        {"given name", Field::Given},
        {"last name", Field::Family},
        {"family name", Field::Family},
        {"additional name", Field::Additional},
        {"middle name", Field::Additional},
        {"name prefix", Field::Prefix},
        {"title", Field::Prefix},
        {"name suffix", Field::Suffix},
        {"suffix", Field::Suffix},
        {"display name", Field::Display},
        {"name", Field::Display},
        {"nickname", Field::Nickname},
        {"organization", Field::Org},
        {"company", Field::Org},
        {"organization 1 - name", Field::Org},
        {"department", Field::Department},
        {"organization 1 - department", Field::Department},
        {"job title", Field::JobTitle},
        {"organization 1 - title", Field::JobTitle},
        {"notes", Field::Notes},
        {"birthday", Field::Birthday},
        {"group membership", Field::Groups},
        {"categories", Field::Groups},
        {"work phone", Field::WorkPhone},
        {"business phone", Field::WorkPhone},
        {"home phone", Field::HomePhone},
        {"fax number", Field::Fax},
        {"business fax", Field::Fax},
        {"pager number", Field::Pager},
        {"mobile number", Field::Mobile},
        {"mobile phone", Field::Mobile},
        {"primary email", Field::Email},
        {"secondary email", Field::Email},
        {"e-mail address", Field::Email},
        {"e-mail 2 address", Field::Email},
        {"web page 1", Field::Web},
        {"web page 2", Field::Web},
        {"web page", Field::Web},
        {"home address", Field::HomeStreet},
        {"home street", Field::HomeStreet},
        {"home address 2", Field::HomeStreet2},
        {"home city", Field::HomeCity},
        {"home state", Field::HomeRegion},
        {"home zipcode", Field::HomeCode},
        {"home postal code", Field::HomeCode},
        {"home country", Field::HomeCountry},
        {"work address", Field::WorkStreet},
        {"business street", Field::WorkStreet},
        {"work address 2", Field::WorkStreet2},
        {"work city", Field::WorkCity},
        {"business city", Field::WorkCity},
        {"work state", Field::WorkRegion},
        {"work zipcode", Field::WorkCode},
        {"business postal code", Field::WorkCode},
        {"work country", Field::WorkCountry},
        {"business country/region", Field::WorkCountry},
        {"birth year", Field::BirthYear},
        {"birth month", Field::BirthMonth},
        {"birth day", Field::BirthDay},
    };
    return headers;
}

// The Google layout's numbered groups: "Phone 1 - Type", "Phone 1 - Value", ...
struct NumberedField {
    QString what;  // "phone", "e-mail", "address", "website"
    int number = 0;
    QString part;  // "type", "value", "formatted", "street", "city", ...
};

QStringList typesOfText(const QString& text) {
    // Google writes "* Home", "Work", "Mobile", "Home Fax", several joined with " ::: ".
    QStringList types;
    for (QString word :
         text.toLower().split(QRegularExpression(QStringLiteral("[^a-z]+")), Qt::SkipEmptyParts)) {
        if (word == QLatin1String("mobile"))
            word = QStringLiteral("cell");
        else if (word == QLatin1String("business"))
            word = QStringLiteral("work");
        types << word;
    }
    return types;
}

QString joinedAddress(const QStringList& lines) {
    QStringList kept = lines;
    kept.removeAll(QString());
    return kept.join(u'\n');
}

class ForeignLayout {
public:
    explicit ForeignLayout(const QStringList& header) {
        static const QRegularExpression numbered(
            QStringLiteral("^(phone|e-mail|address|website|relation|event|im) (\\d+) - (.+)$"));
        for (qsizetype i = 0; i < header.size(); ++i) {
            const QString name = header[i].trimmed().toLower();
            if (auto it = knownHeaders().find(name); it != knownHeaders().end()) {
                m_fields.append({int(i), *it});
            } else if (auto match = numbered.match(name); match.hasMatch()) {
                m_numbered.append(
                    {int(i), {match.captured(1), match.captured(2).toInt(), match.captured(3)}});
            } else if (!name.isEmpty()) {
                m_other.append({int(i), header[i].trimmed()});
            }
        }
    }

    bool isKnown() const { return !m_fields.isEmpty() || !m_numbered.isEmpty(); }

    CContactCard card(const CCsvRow& row) const {
        CContactCard card;
        card.line = row.line;
        QHash<Field, QStringList> values;
        for (const auto& [index, field] : m_fields) {
            const QString value = row.fields.value(index).trimmed();
            if (!value.isEmpty())
                values[field] << value;
        }
        auto one = [&values](Field field) { return values.value(field).value(0); };
        card.given = one(Field::Given);
        card.family = one(Field::Family);
        card.additional = one(Field::Additional);
        card.prefix = one(Field::Prefix);
        card.suffix = one(Field::Suffix);
        card.formatted = one(Field::Display);
        if (!one(Field::Org).isEmpty())
            card.organisation << one(Field::Org);
        if (!one(Field::Department).isEmpty())
            card.organisation << one(Field::Department);
        card.title = one(Field::JobTitle);
        card.notes = values.value(Field::Notes);
        for (const QString& group : values.value(Field::Groups))
            for (const QString& name : group.split(QStringLiteral(" ::: ")))
                if (!name.startsWith(u'*') && !name.trimmed().isEmpty())
                    card.categories << name.trimmed();
        if (!one(Field::Nickname).isEmpty())
            card.extras << QStringLiteral("Nickname: ") + one(Field::Nickname);
        QString birthday = one(Field::Birthday);
        if (birthday.isEmpty() && !one(Field::BirthYear).isEmpty())
            birthday =
                QStringList{one(Field::BirthYear), one(Field::BirthMonth), one(Field::BirthDay)}
                    .join(u'-');
        if (!birthday.isEmpty())
            card.extras << QStringLiteral("Birthday: ") + birthday;
        const std::pair<Field, const char*> phones[] = {{Field::HomePhone, "home"},
                                                        {Field::WorkPhone, "work"},
                                                        {Field::Mobile, "cell"},
                                                        {Field::Fax, "fax"},
                                                        {Field::Pager, "pager"}};
        for (const auto& [field, type] : phones)
            for (const QString& number : values.value(field))
                card.phones.append({{QLatin1String(type)}, number});
        for (const QString& email : values.value(Field::Email))
            card.emails.append({{}, email});
        for (const QString& web : values.value(Field::Web))
            card.urls.append({{}, web});
        const QString home = joinedAddress(
            {one(Field::HomeStreet), one(Field::HomeStreet2),
             QStringList{one(Field::HomeCode), one(Field::HomeCity)}.join(u' ').trimmed(),
             one(Field::HomeRegion), one(Field::HomeCountry)});
        if (!home.isEmpty())
            card.addresses.append({{QStringLiteral("home")}, home});
        const QString work = joinedAddress(
            {one(Field::WorkStreet), one(Field::WorkStreet2),
             QStringList{one(Field::WorkCode), one(Field::WorkCity)}.join(u' ').trimmed(),
             one(Field::WorkRegion), one(Field::WorkCountry)});
        if (!work.isEmpty())
            card.addresses.append({{QStringLiteral("work")}, work});
        addNumbered(card, row);
        for (const auto& [index, name] : m_other) {
            const QString value = row.fields.value(index).trimmed();
            if (!value.isEmpty())
                card.extras << name + QStringLiteral(": ") + value;
        }
        return card;
    }

private:
    void addNumbered(CContactCard& card, const CCsvRow& row) const {
        // number -> part -> value, per kind, in the order of the numbers
        QMap<QString, QMap<int, QHash<QString, QString>>> groups;
        for (const auto& [index, field] : m_numbered) {
            const QString value = row.fields.value(index).trimmed();
            if (!value.isEmpty())
                groups[field.what][field.number][field.part] = value;
        }
        for (auto kind = groups.cbegin(); kind != groups.cend(); ++kind) {
            for (const auto& parts : kind.value()) {
                const QStringList types = typesOfText(parts.value(QStringLiteral("type")));
                if (kind.key() == QLatin1String("address")) {
                    QString text = parts.value(QStringLiteral("formatted"));
                    if (text.isEmpty())
                        text =
                            joinedAddress({parts.value(QStringLiteral("street")),
                                           parts.value(QStringLiteral("extended address")),
                                           QStringList{parts.value(QStringLiteral("postal code")),
                                                       parts.value(QStringLiteral("city"))}
                                               .join(u' ')
                                               .trimmed(),
                                           parts.value(QStringLiteral("region")),
                                           parts.value(QStringLiteral("country"))});
                    if (!text.isEmpty())
                        card.addresses.append({types, text});
                    continue;
                }
                // A value may hold several, joined with " ::: ".
                for (const QString& value :
                     parts.value(QStringLiteral("value"))
                         .split(QStringLiteral(" ::: "), Qt::SkipEmptyParts)) {
                    if (kind.key() == QLatin1String("phone"))
                        card.phones.append({types, value.trimmed()});
                    else if (kind.key() == QLatin1String("e-mail"))
                        card.emails.append({types, value.trimmed()});
                    else if (kind.key() == QLatin1String("website"))
                        card.urls.append({types, value.trimmed()});
                    else
                        card.extras << kind.key() + QStringLiteral(": ") + value.trimmed();
                }
            }
        }
    }

    QList<QPair<int, Field>> m_fields;
    QList<QPair<int, NumberedField>> m_numbered;
    QList<QPair<int, QString>> m_other;
};

}  // namespace

QList<CCsvRow> parseCsv(const QString& text, int* unclosedLine) {
    if (unclosedLine)
        *unclosedLine = 0;
    const QChar separator = separatorOf(text);
    QList<CCsvRow> rows;
    CCsvRow row;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    row.line = 1;
    int quoteLine = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                if (c != u'\r')
                    field += c;
            }
        } else if (c == u'"' && field.isEmpty()) {
            quoted = true;
            fieldStarted = true;
            quoteLine = line;
        } else if (c == separator) {
            row.fields << field;
            field.clear();
            fieldStarted = true;
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            if (fieldStarted || !field.isEmpty() || !row.fields.isEmpty()) {
                row.fields << field;
                rows << row;
            }
            row = CCsvRow{};
            field.clear();
            fieldStarted = false;
            row.line = ++line;
        } else {
            field += c;
        }
    }
    if (quoted && unclosedLine)
        *unclosedLine = quoteLine;
    if (!quoted && (fieldStarted || !field.isEmpty() || !row.fields.isEmpty())) {
        row.fields << field;
        rows << row;
    }
    return rows;
}

CReadResult readContactsCsv(const QByteArray& data) {
    const textencoding::Decoded decoded = textencoding::decodeFile(data);
    int unclosed = 0;
    const QList<CCsvRow> rows = parseCsv(decoded.text, &unclosed);
    CReadResult result;
    result.format = CReadResult::Format::Csv;
    result.encoding = decoded.encoding;
    if (rows.isEmpty()) {
        if (unclosed)
            result.fail(unclosed, QStringLiteral("quote not closed"));
        return result;
    }
    const QStringList& header = rows.first().fields;
    if (isOwnLayout(header, schema::Person) && header.contains(QStringLiteral("lastname")))
        readOwnLayout(rows, CExchangeRecord::Kind::Person, result);
    else if (isOwnLayout(header, schema::Firm) && header.contains(QStringLiteral("name")))
        readOwnLayout(rows, CExchangeRecord::Kind::Firm, result);
    else {
        const ForeignLayout layout(header);
        if (!layout.isKnown()) {
            result.fail(1, QStringLiteral("no known column in the header"));
            return result;
        }
        for (qsizetype r = 1; r < rows.size(); ++r) {
            if (isEmptyRow(rows[r].fields))
                continue;
            const CContactCard card = layout.card(rows[r]);
            if (card.canBeNamed())
                result.records << recordOfCard(card);
            else
                result.fail(rows[r].line, QStringLiteral("row without a name or e-mail address"));
        }
    }
    if (unclosed)
        result.fail(unclosed, QStringLiteral("quote not closed"));
    return result;
}

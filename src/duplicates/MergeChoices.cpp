#include "duplicates/MergeChoices.h"

#include <span>

namespace duplicates {

namespace {

struct FieldRow {
    const char* column;
    const char* label;
    bool multiLine = false;
};

// In the order of the forms' fields.
constexpr FieldRow kPersonFields[] = {
    {"lastname", "Last name"},
    {"firstname", "First name"},
    {"title", "Title"},
    {"function", "Function"},
    {"firm", "Company"},
    {"phone_home1", "Home phone"},
    {"phone_bussines1", "Business phone"},
    {"phone_mobile", "Mobile phone"},
    {"email_home", "Home email"},
    {"email_bussines", "Business email"},
    {"group", "Group"},
    {"address_home", "Home address", true},
    {"description", "Comment", true},
};
constexpr FieldRow kFirmFields[] = {
    {"name", "Company name"},
    {"person", "Contact person"},
    {"title", "Title"},
    {"function", "Position"},
    {"phone1", "Phone 1"},
    {"phone2", "Phone 2"},
    {"fax1", "Fax 1"},
    {"fax2", "Fax 2"},
    {"email1", "Email"},
    {"web", "Web"},
    {"group", "Group"},
    {"address", "Address", true},
    {"description", "Comment", true},
};

}  // namespace

std::vector<MergeField> mergeFields(PartyKind kind) {
    std::vector<MergeField> fields;
    const std::span<const FieldRow> rows =
        kind == PartyKind::Person ? std::span<const FieldRow>(kPersonFields) : kFirmFields;
    for (const FieldRow& row : rows)
        fields.push_back({QLatin1String(row.column), QLatin1String(row.label), row.multiLine});
    return fields;
}

CMergeChoices::CMergeChoices(PartyKind kind, std::vector<QStringList> records, int survivor)
    : m_fields(mergeFields(kind)), m_records(std::move(records)) {
    for (QStringList& record : m_records)
        while (record.size() < qsizetype(m_fields.size()))
            record << QString();
    setSurvivor(survivor);
}

void CMergeChoices::setSurvivor(int record) {
    m_survivor = record;
    m_choices.assign(m_fields.size(), record);
    for (int field = 0; field < int(m_fields.size()); ++field)
        m_choices[field] = defaultChoice(field);
}

int CMergeChoices::defaultChoice(int field) const {
    if (!m_records[m_survivor][field].isEmpty())
        return m_survivor;
    for (int record = 0; record < recordCount(); ++record)
        if (!m_records[record][field].isEmpty())
            return record;
    return m_survivor;
}

void CMergeChoices::choose(int field, int record) {
    if (record == kCombined ? m_fields[field].multiLine : record >= 0 && record < recordCount())
        m_choices[field] = record;
}

bool CMergeChoices::differs(int field) const {
    for (const QStringList& record : m_records)
        if (record[field] != m_records.front()[field])
            return true;
    return false;
}

QString CMergeChoices::value(int field) const {
    if (m_choices[field] != kCombined)
        return m_records[m_choices[field]][field];
    QStringList texts{m_records[m_survivor][field]};
    for (const QStringList& record : m_records)
        if (!texts.contains(record[field]))
            texts << record[field];
    texts.removeAll(QString());
    return texts.join(u'\n');
}

QMap<QString, QString> CMergeChoices::survivorValues() const {
    QMap<QString, QString> values;
    for (int field = 0; field < int(m_fields.size()); ++field)
        values.insert(m_fields[field].column, value(field));
    return values;
}

QString combinedDossierText(const QString& kept, const QString& added, const QString& addedName) {
    if (added.isEmpty() || added == kept)
        return kept;
    if (kept.isEmpty())
        return added;
    return kept + QStringLiteral("\n\n") + addedName + QStringLiteral(":\n") + added;
}

}  // namespace duplicates

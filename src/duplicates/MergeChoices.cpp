#include "duplicates/MergeChoices.h"

#include "data/Schema.h"

namespace duplicates {

namespace {

bool isMultiLine(PartyKind kind, const QString& column) {
    static const QStringList personTexts{QStringLiteral("address_home"),
                                         QStringLiteral("description")};
    static const QStringList firmTexts{QStringLiteral("address"), QStringLiteral("description")};
    return (kind == PartyKind::Person ? personTexts : firmTexts).contains(column);
}

}  // namespace

std::vector<MergeField> mergeFields(PartyKind kind) {
    const SourceDef& table = kind == PartyKind::Person ? schema::Person : schema::Firm;
    std::vector<MergeField> fields;
    for (const QString& column : schema::tableColumns(table).mid(1))
        fields.push_back({column, isMultiLine(kind, column)});
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

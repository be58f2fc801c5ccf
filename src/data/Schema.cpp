#include "data/Schema.h"

#include <sqlite3.h>

#include "data/DbException.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"

namespace schema {

namespace {

constexpr FieldType L = FieldType::Long;
constexpr FieldType T = FieldType::Text;
constexpr FieldType D = FieldType::DateTime;

constexpr FieldDef personFields[] = {
    {"address_home", T}, {"description", T}, {"email_bussines", T},  {"email_home", T},
    {"firm", T},         {"firstname", T},   {"function", T},        {"group", T},
    {"id", L},           {"lastname", T},    {"phone_bussines1", T}, {"phone_home1", T},
    {"title", T},        {"phone_mobile", T}};
constexpr const char* personColumns[] = {
    "lastname",    "firstname",       "title",        "function",   "firm",
    "phone_home1", "phone_bussines1", "phone_mobile", "email_home", "email_bussines",
    "group",       "address_home",    "description"};

constexpr FieldDef firmFields[] = {{"address", T}, {"description", T}, {"email1", T}, {"fax1", T},
                                   {"fax2", T},    {"function", T},    {"group", T},  {"id", L},
                                   {"name", T},    {"person", T},      {"phone1", T}, {"phone2", T},
                                   {"title", T},   {"web", T}};
constexpr const char* firmColumns[] = {"name",   "person",  "title",      "function", "phone1",
                                       "phone2", "fax1",    "fax2",       "email1",   "web",
                                       "group",  "address", "description"};

constexpr FieldDef groupFields[] = {{"id", L}, {"Name", T}, {"Description", T}};

constexpr FieldDef contactFields[] = {{"date", D}, {"description", T}, {"firm", T},
                                      {"id", L},   {"person", T},      {"time", D}};
constexpr const char* contactColumns[] = {"date", "time", "person", "firm", "description"};

constexpr FieldDef alarmFields[] = {{"date", D}, {"description", T}, {"firm", T},   {"id", L},
                                    {"name", T}, {"person", T},      {"status", L}, {"time", D}};
constexpr const char* alarmColumns[] = {"name",   "date", "time",       "status",
                                        "person", "firm", "description"};

constexpr FieldDef sharksFields[] = {
    {"id", L},
    {"id_person", L},
    {"buyer_dob", T},
    {"buyer_pob", T},
    {"buyer_pol", T},
    {"buyer_height", T},
    {"buyer_weight", T},
    {"buyer_spd", T},
    {"education_highschool", T},
    {"education_coledge", T},
    {"education_dod", T},
    {"education_diplomas", T},
    {"education_unititles", T},
    {"education_higherunititles", T},
    {"education_groups", T},
    {"education_sport", T},
    {"education_outofschoolact", T},
    {"education_nocoledge", T},
    {"education_insteadofcoledge", T},
    {"education_military", T},
    {"education_militaryopinion", T},
    {"education_militaryrank", T},
    {"family_married", T},
    {"family_spouseedu", T},
    {"family_interestsofspouse", T},
    {"family_aniversary", T},
    {"family_kids", T},
    {"family_adoptedkids", T},
    {"family_kidsedu", T},
    {"family_kidsinterests", T},
    {"lifestyle_health", T},
    {"lifestyle_drink", T},
    {"lifestyle_smoke", T},
    {"lifestyle_restaurants", T},
    {"lifestyle_hobbies", T},
    {"lifestyle_read", T},
    {"lifestyle_vacation", T},
    {"lifestyle_sports", T},
    {"lifestyle_vehicle", T},
    {"lifestyle_talkabout", T},
    {"lifestyle_seenas", T},
    {"lifestyle_describehim", T},
    {"lifestyle_mostproudof", T},
    {"lifestyle_longtermgoal", T},
    {"lifestyle_likestoimpress", T},
    {"lifestyle_botheredpaymeal", T},
    {"spinter_clubs", T},
    {"spinter_politics", T},
    {"spinter_comunity", T},
    {"spinter_religion", T},
    {"spinter_donttalk", T},
    {"spinter_feelsstrong", T},
    {"busbio_prevcompany", T},
    {"busbio_prevposition", T},
    {"busbio_statusjob", T},
    {"busbio_member", T},
    {"busbio_protectors", T},
    {"busbio_relation", T},
    {"busbio_knowstoo", T},
    {"busbio_attitude", T},
    {"busbio_goals", T},
    {"busbio_caresofhimfirm", T},
    {"busbio_thinktodaytomorrow", T},
    {"family_spousedob", T},
    {"sensitive_bribe", T},
    {"sensitive_darkside", T},
    {"sensitive_familyproblems", T},
    {"sensitive_kinkyside", T},
    {"sensitive_lawproblems", T},
    {"sensitive_pronetoviolence", T},
    {"sensitive_reliability", T},
    {"sensitive_secretorganizations", T},
    {"family_background", T},
    {"family_childhood", T},
    {"family_mama_borndate", T},
    {"family_mama_comment", T},
    {"family_mama_occupation", T},
    {"family_papa_borndate", T},
    {"family_papa_comment", T},
    {"family_papa_occupation", T},
};

constexpr FieldDef sharks2Fields[] = {
    {"id", L},
    {"id_firm", L},
    {"basic_number of workers", T},
    {"basic_specialization", T},
    {"basic_also experts in", T},
    {"basic_speed of reaction", T},
    {"basic_yearly turnover", T},
    {"basic_profit", T},
    {"basic_mission statement", T},
    {"basic_dob", T},
    {"basic_important dates", T},
    {"basic_countries", T},
    {"market_succesfull product", T},
    {"market_strongs", T},
    {"market_weakness", T},
    {"market_currentplace", T},
    {"market_plans and ambitions", T},
    {"market_image", T},
    {"market_access", T},
    {"market_commercials", T},
    {"market_cooperating with", T},
    {"market_buying from", T},
    {"market_developing with", T},
    {"market_selling by", T},
    {"market_selling directly", T},
    {"market_political activity", T},
    {"employees_comments on salaries", T},
    {"employees_comments on interpersonal relations", T},
    {"employees_comments of employees", T},
    {"employees_why are they satisfied", T},
    {"employees_why are they dissatisfied", T},
    {"outofbussines_sport sponsorships", T},
    {"outofbussines_their sponsors sucesses", T},
    {"outofbussines_humanitarian actvities", T},
    {"outofbussines_sponsorship of culture", T},
    {"usandthem_current status", T},
    {"usandthem_planned status", T},
    {"usandthem_ways of payment", T},
    {"usandthem_ways of communication", T},
};

constexpr FieldDef firmNameFields[] = {{"name", T}};
constexpr FieldDef personFirmFields[] = {{"firm", T}};
constexpr FieldDef firmPersonFields[] = {{"person", T}};
constexpr FieldDef personPersonFields[] = {{"Expr1", T}};

constexpr IndexDef allIndexes[] = {
    {"Person", "lastname", "firstname"}, {"Firm", "name", nullptr},
    {"Contact", "date", "time"},         {"Contact", "person", nullptr},
    {"Contact", "firm", nullptr},        {"Alarm", "date", "time"},
    {"Alarm", "status", nullptr},        {"Sharks", "id_person", nullptr},
    {"Sharks2", "id_firm", nullptr},     {"Group", "Name", nullptr},
    {"Person", "firm", nullptr},         {"Firm", "person", nullptr},
    {"Alarm", "person", nullptr},        {"Alarm", "firm", nullptr},
    {"Alarm", "name", nullptr},
};

}  // namespace

const SourceDef Person{"Person", personFields, personColumns};
const SourceDef Firm{"Firm", firmFields, firmColumns};
const SourceDef Group{"Group", groupFields, {}};
const SourceDef Contact{"Contact", contactFields, contactColumns};
const SourceDef Alarm{"Alarm", alarmFields, alarmColumns};
const SourceDef Sharks{"Sharks", sharksFields, {}};
const SourceDef Sharks2{"Sharks2", sharks2Fields, {}};

// The query texts are valid in both dialects (bracketed names, '...' literals, ||).
const SourceDef FirmFirmQuery{
    "FirmFirmQuery", firmNameFields, {}, "SELECT DISTINCT [name] FROM [Firm]"};
const SourceDef PersonFirmQuery{
    "PersonFirmQuery", personFirmFields, {}, "SELECT DISTINCT [firm] FROM [Person]"};
const SourceDef FirmPersonQuery{
    "FirmPersonQuery", firmPersonFields, {}, "SELECT DISTINCT [person] FROM [Firm]"};
const SourceDef PersonPersonQuery{
    "PersonPersonQuery",
    personPersonFields,
    {},
    "SELECT DISTINCT [lastname] || ' ' || [firstname] AS [Expr1] FROM [Person]"};

std::span<const SourceDef* const> tables() {
    static const SourceDef* const all[] = {&Person, &Firm,   &Group,  &Contact,
                                           &Alarm,  &Sharks, &Sharks2};
    return all;
}

std::span<const SourceDef* const> queries() {
    static const SourceDef* const all[] = {&FirmFirmQuery, &PersonFirmQuery, &FirmPersonQuery,
                                           &PersonPersonQuery};
    return all;
}

QStringList tableColumns(const SourceDef& table) {
    QStringList columns{QStringLiteral("id")};
    if (table.columnOrder.empty()) {
        for (const FieldDef& field : table.fields)
            if (QLatin1String(field.name) != QLatin1String("id"))
                columns << QLatin1String(field.name);
    } else {
        for (const char* name : table.columnOrder)
            columns << QLatin1String(name);
    }
    return columns;
}

std::span<const IndexDef> indexes() {
    return allIndexes;
}

QString indexName(const IndexDef& index) {
    QString name = QLatin1String(index.table) + u'_' + QLatin1String(index.first);
    if (index.second)
        name += u'_' + QLatin1String(index.second);
    return name;
}

FieldType columnType(const SourceDef& table, const QString& column) {
    for (const FieldDef& field : table.fields)
        if (column == QLatin1String(field.name))
            return field.type;
    return FieldType::Text;
}

namespace {

QString createTable(const SourceDef& table) {
    QStringList columns{QStringLiteral("\"id\" INTEGER PRIMARY KEY AUTOINCREMENT")};
    for (const QString& column : tableColumns(table).mid(1))
        columns << quotedName(column) + u' ' + declaredTypeOf(columnType(table, column));
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quotedName(QLatin1String(table.name)), columns.join(QStringLiteral(", ")));
}

QString createIndex(const IndexDef& index, bool ifMissing = false) {
    QString columns = quotedName(QLatin1String(index.first));
    if (index.second)
        columns += QStringLiteral(", ") + quotedName(QLatin1String(index.second));
    return QStringLiteral("CREATE INDEX %1%2 ON %3 (%4)")
        .arg(ifMissing ? QStringLiteral("IF NOT EXISTS ") : QString(), quotedName(indexName(index)),
             quotedName(QLatin1String(index.table)), columns);
}

// What a sync account remembers beside the records: per card or event on the server the
// record it stands for (kind 0 person, 1 firm, 2 alarm), its ETag and its text as last synced;
// per collection its sync token and ctag.
QStringList syncStateStatements() {
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS \"SyncItem\" ("
                           "\"collection\" TEXT NOT NULL, \"href\" TEXT NOT NULL, "
                           "\"kind\" INTEGER NOT NULL, \"record\" INTEGER NOT NULL, "
                           "\"etag\" TEXT, \"uid\" TEXT, \"card\" TEXT, \"fields\" TEXT, "
                           "PRIMARY KEY (\"collection\", \"href\"))"),
            QStringLiteral("CREATE TABLE IF NOT EXISTS \"SyncCollection\" ("
                           "\"collection\" TEXT PRIMARY KEY, \"token\" TEXT, \"ctag\" TEXT)")};
}

constexpr const char* kSyncItemColumns[] = {"collection", "href", "kind", "record",
                                            "etag",       "uid",  "card", "fields"};
constexpr const char* kSyncCollectionColumns[] = {"collection", "token", "ctag"};
constexpr SyncStateTable kSyncStateTables[] = {{"SyncItem", kSyncItemColumns},
                                               {"SyncCollection", kSyncCollectionColumns}};

}  // namespace

std::span<const SyncStateTable> syncStateTables() {
    return kSyncStateTables;
}

QStringList createStatements() {
    QStringList statements;
    for (const SourceDef* table : tables())
        statements << createTable(*table);
    for (const IndexDef& index : allIndexes)
        statements << createIndex(index);
    for (const SourceDef* query : queries())
        statements << QStringLiteral("CREATE VIEW %1 AS %2")
                          .arg(quotedName(QLatin1String(query->name)),
                               QLatin1String(query->querySql));
    statements << syncStateStatements();
    statements << QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion);
    return statements;
}

void upgrade(sqlite3* handle) {
    auto version = [handle] {
        CStatement read(handle, QStringLiteral("PRAGMA user_version"));
        return read.step() ? read.int64(0) : 0;
    };
    auto run = [handle](const QString& sql) { CStatement(handle, sql).execute(); };
    if (version() >= kSchemaVersion)
        return;
    run(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        // Read again under the write lock: another program may have repaired it meanwhile.
        if (version() < 1) {
            run(QStringLiteral("REINDEX"));
            for (const IndexDef& index : allIndexes)
                run(createIndex(index, true));
        }
        if (version() < 2)
            for (const QString& statement : syncStateStatements())
                run(statement);
        run(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
        run(QStringLiteral("COMMIT"));
    } catch (const CDbException&) {
        // The engine may have ended the transaction itself; the first failure is the one
        // to report.
        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace schema

#include <gtest/gtest.h>

#include "DataTestSupport.h"
#include "data/QueryDef.h"
#include "data/Schema.h"
#include "data/TableDef.h"

namespace {

QStringList fieldNames(const auto& definition) {
    QStringList names;
    for (int i = 0; i < definition.GetFieldCount(); ++i)
        names << definition.GetFieldInfo(i).m_strName;
    return names;
}

QStringList bound(const SourceDef& source) {
    QStringList names;
    for (const FieldDef& field : source.fields)
        names << QLatin1String(field.name);
    return names;
}

}  // namespace

class SchemaTest : public DataTest {};

TEST_F(SchemaTest, TablesStoreTheirColumnsInReadingOrder) {
    EXPECT_EQ(fieldNames(CTableDef(db, QStringLiteral("person"))),
              QStringList({"id", "lastname", "firstname", "title", "function", "firm",
                           "phone_home1", "phone_bussines1", "phone_mobile", "email_home",
                           "email_bussines", "group", "address_home", "description"}));
    EXPECT_EQ(fieldNames(CTableDef(db, QStringLiteral("Firm"))),
              QStringList({"id", "name", "person", "title", "function", "phone1", "phone2", "fax1",
                           "fax2", "email1", "web", "group", "address", "description"}));
    EXPECT_EQ(fieldNames(CTableDef(db, QStringLiteral("Group"))),
              QStringList({"id", "Name", "Description"}));
    EXPECT_EQ(fieldNames(CTableDef(db, QStringLiteral("Contact"))),
              QStringList({"id", "date", "time", "person", "firm", "description"}));
    EXPECT_EQ(
        fieldNames(CTableDef(db, QStringLiteral("Alarm"))),
        QStringList({"id", "name", "date", "time", "status", "person", "firm", "description"}));
    const CTableDef sharks(db, QStringLiteral("sharks"));
    EXPECT_EQ(fieldNames(sharks), bound(schema::Sharks));
    EXPECT_EQ(sharks.GetFieldCount(), 80);
    EXPECT_EQ(sharks.GetFieldInfo(79).m_strName, QStringLiteral("family_papa_occupation"));
    const CTableDef sharks2(db, QStringLiteral("Sharks2"));
    EXPECT_EQ(fieldNames(sharks2), bound(schema::Sharks2));
    EXPECT_EQ(sharks2.GetFieldCount(), 39);
    EXPECT_EQ(sharks2.GetFieldInfo(38).m_strName,
              QStringLiteral("usandthem_ways of communication"));
    EXPECT_THROW(CTableDef(db, QStringLiteral("FirmFirmQuery")), CDbException);
    EXPECT_THROW(CTableDef(db, QStringLiteral("Nothing")), CDbException);
}

TEST_F(SchemaTest, BindingsMatchTheStoredColumnsAndTypes) {
    for (const SourceDef* table : schema::tables()) {
        const CTableDef definition(db, QLatin1String(table->name));
        QStringList stored = fieldNames(definition);
        QStringList boundNames = bound(*table);
        stored.sort();
        boundNames.sort();
        EXPECT_EQ(stored, boundNames) << table->name;
        for (int i = 0; i < definition.GetFieldCount(); ++i) {
            const CFieldInfo info = definition.GetFieldInfo(i);
            for (const FieldDef& field : table->fields) {
                if (info.m_strName == QLatin1String(field.name)) {
                    EXPECT_EQ(info.m_nType, field.type) << field.name;
                }
            }
        }
    }
    EXPECT_EQ(bound(schema::Person).mid(0, 3),
              QStringList({"address_home", "description", "email_bussines"}));
    EXPECT_EQ(bound(schema::Alarm), QStringList({"date", "description", "firm", "id", "name",
                                                 "person", "status", "time"}));
}

TEST_F(SchemaTest, StoredQueriesHaveTheirColumnsAndText) {
    const CQueryDef firmFirm(db, QStringLiteral("FirmFirmQuery"));
    EXPECT_EQ(fieldNames(firmFirm), QStringList{"name"});
    EXPECT_TRUE(firmFirm.GetSQL().startsWith(QStringLiteral("SELECT")));
    EXPECT_TRUE(firmFirm.GetSQL().endsWith(u';'));
    EXPECT_EQ(fieldNames(CQueryDef(db, QStringLiteral("PersonFirmQuery"))), QStringList{"firm"});
    EXPECT_EQ(fieldNames(CQueryDef(db, QStringLiteral("FirmPersonQuery"))), QStringList{"person"});
    EXPECT_EQ(fieldNames(CQueryDef(db, QStringLiteral("PersonPersonQuery"))), QStringList{"Expr1"});
    EXPECT_THROW(CQueryDef(db, QStringLiteral("Person")), CDbException);

    // The text can be opened again as a SELECT, as the lists do with a sort appended.
    CRecordSet records(&db);
    records.Open(CRecordSet::dbOpenSnapshot,
                 firmFirm.GetSQL().chopped(1) + QStringLiteral(" Order By name;"));
    EXPECT_TRUE(records.IsEOF());
}

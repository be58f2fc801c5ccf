#include <algorithm>

#include "StoreFixture.h"
#include "data/PersonRcs.h"
#include "data/Statement.h"
#include "exchange/ContactExport.h"
#include "exchange/ContactImport.h"

namespace {

using Kind = CExchangeRecord::Kind;

CExchangeRecord person(const char* last, const char* first, const char* mail = "") {
    CExchangeRecord r;
    r.kind = Kind::Person;
    r.values = {{"lastname", QString::fromUtf8(last)},
                {"firstname", QString::fromUtf8(first)},
                {"email_home", QString::fromUtf8(mail)},
                {"group", QStringLiteral("Golf, Tennis")},
                {"address_home", QStringLiteral("Storgatan 1\n111 22 Stockholm")},
                {"description", QStringLiteral("a \\ b; \"c\", ÄÖÜ € 漢字")}};
    return r;
}

CExchangeRecord firm(const char* name) {
    CExchangeRecord r;
    r.kind = Kind::Firm;
    r.values = {{"name", QString::fromUtf8(name)},
                {"web", QStringLiteral("https://x.example/a,b")}};
    return r;
}

}  // namespace

class ExchangeOnStore : public StoreTest {
protected:
    CImportSummary import(const QList<CExchangeRecord>& records, bool addAnyway = false) {
        CReadResult read;
        read.records = records;
        return importRecords(db, read, addAnyway);
    }
};

// Cards and CSV rows written from the store and read into it again: duplicates are known by
// their name in any letter case, every column comes back, and a missing group is made once.
TEST_P(ExchangeOnStore, RecordsGoOutAndComeBackWhole) {
    const CImportSummary first =
        import({person("Ölund", "Åsa", "asa@example.org"), person("Berg", "Bo"), firm("Acme")});
    EXPECT_EQ(first.persons, 2);
    EXPECT_EQ(first.firms, 1);
    const QList<CExchangeRecord> persons = loadRecords(db, Kind::Person);
    ASSERT_EQ(persons.size(), 2);

    for (ContactFormat format : {ContactFormat::VCard4, ContactFormat::Csv}) {
        SCOPED_TRACE(int(format));
        const QString file = path(format == ContactFormat::Csv ? "out.csv" : "out.vcf");
        QString error;
        ASSERT_TRUE(exportContacts(persons, format, Kind::Person, file, error))
            << error.toStdString();
        const CReadResult read = readContactFile(file);
        ASSERT_EQ(read.records.size(), 2);
        // Both are present already, "ölund åsa" as "Ölund Åsa".
        const CImportSummary again = importRecords(db, read, false);
        EXPECT_EQ(again.persons, 0);
        EXPECT_EQ(again.duplicates, 2);
    }

    // Added anyway, the copies equal the originals column by column.
    CReadResult read = readContactFile(path("out.vcf"));
    for (CExchangeRecord& record : read.records)
        record.values["lastname"] = QStringLiteral("Copy ") + record.values["lastname"];
    EXPECT_EQ(importRecords(db, read, false).persons, 2);
    const QList<CExchangeRecord> all = loadRecords(db, Kind::Person);
    ASSERT_EQ(all.size(), 4);
    int copies = 0;
    for (CExchangeRecord copy : all) {
        if (!copy.values["lastname"].startsWith(QStringLiteral("Copy ")))
            continue;
        copy.values["lastname"].remove(0, 5);
        const auto original = std::find_if(persons.begin(), persons.end(), [&](const auto& r) {
            return r.values["lastname"] == copy.values["lastname"];
        });
        ASSERT_NE(original, persons.end());
        EXPECT_EQ(copy.values, original->values);
        ++copies;
    }
    EXPECT_EQ(copies, 2);
    CPersonRcs stored(&db);
    stored.Open();
    EXPECT_EQ(stored.GetRecordCount(), 4);
    CStatement groups(db, QStringLiteral("SELECT COUNT(*) FROM [Group]"));
    ASSERT_TRUE(groups.step());
    EXPECT_EQ(groups.int64(0), 1);
}

INSTANTIATE_ON_BOTH_STORES(ExchangeOnStore);

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QProcess>
#include <cstring>

#include "DataTestSupport.h"
#include "data/NoCaseCollation.h"
#include "data/PersonRcs.h"
#include "data/RecordSource.h"
#include "data/Schema.h"
#include "data/Statement.h"

namespace {

// What the standard sqlite3 tool prints for a statement on the file.
QString standardTool(const QString& file, const QString& sql) {
    QProcess tool;
    tool.start(QStringLiteral("/usr/bin/sqlite3"), {file, sql});
    if (!tool.waitForFinished(30000))
        return QStringLiteral("(sqlite3 did not finish)");
    return QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError()).trimmed();
}

QStringList lastNames(CDatabase& db, const QString& filter, const QString& sort = {}) {
    CPersonRcs persons(&db);
    persons.m_strFilter = filter;
    persons.m_strSort = sort.isEmpty() ? QStringLiteral("id") : sort;
    persons.Open();
    QStringList names;
    for (; !persons.IsEOF(); persons.MoveNext())
        names << persons.text(QStringLiteral("lastname"));
    return names;
}

QString queryPlan(CDatabase& db, const QString& sql) {
    CStatement plan(db, QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    QStringList steps;
    while (plan.step())
        steps << plan.text(3);
    return steps.join(QStringLiteral("; "));
}

int userVersion(CDatabase& db) {
    CStatement version(db, QStringLiteral("PRAGMA user_version"));
    return version.step() ? static_cast<int>(version.int64(0)) : -1;
}

const char* const kNames[] = {"Müller", "MÜLLER", "Ølberg", "Zorn", "ølberg", "Émile", "müller"};

}  // namespace

class TextComparisonTest : public DataTest {
protected:
    void addNames() {
        CPersonRcs persons(&db);
        persons.Open();
        for (const char* name : kNames)
            add(persons, {{"lastname", QString::fromUtf8(name)}, {"firstname", "A"}});
    }
};

TEST_F(TextComparisonTest, LettersBeyondAsciiMatchInEqualsLikeAndSort) {
    addNames();
    EXPECT_EQ(lastNames(db, QStringLiteral("[lastname] = 'müller'")),
              QStringList({"Müller", "MÜLLER", "müller"}));
    EXPECT_EQ(lastNames(db, QString::fromUtf8("lastname like 'ØLBERG'")),
              QStringList({"Ølberg", "ølberg"}));
    EXPECT_EQ(lastNames(db, QString::fromUtf8("lastname like 'Ølb*'")),
              QStringList({"Ølberg", "ølberg"}));
    EXPECT_EQ(lastNames(db, QString::fromUtf8("lastname <> 'MÜLLER'")),
              QStringList({"Ølberg", "Zorn", "ølberg", "Émile"}));
    EXPECT_EQ(lastNames(db, QStringLiteral("lastname = 'zorn'")), QStringList{"Zorn"});
    EXPECT_TRUE(lastNames(db, QString::fromUtf8("lastname = 'Mülle'")).isEmpty());
    // Equal names sort together, in the order they were added.
    EXPECT_EQ(lastNames(db, {}, QStringLiteral("lastname asc, id asc")),
              QStringList({"Müller", "MÜLLER", "müller", "Zorn", "Émile", "Ølberg", "ølberg"}));
}

TEST_F(TextComparisonTest, StandardToolFindsTheFileConsistentBeforeAndAfterItsOwnEdits) {
    addNames();
    db.Close();
    EXPECT_EQ(standardTool(dbPath, QStringLiteral("pragma integrity_check")), u"ok");
    EXPECT_EQ(standardTool(dbPath, QStringLiteral("pragma user_version")),
              QString::number(schema::kSchemaVersion));

    // Another client adds and renames persons with the indexes as it knows them.
    EXPECT_EQ(standardTool(
                  dbPath, QString::fromUtf8("INSERT INTO Person (lastname, firstname) VALUES "
                                            "('ÖZTÜRK', 'Ali'), ('öztürk', 'Ayşe'), ('Ärger', 'B');"
                                            "UPDATE Person SET lastname = 'ÉMILE' WHERE lastname = "
                                            "'Zorn'; pragma integrity_check")),
              u"ok");
    db.Open(dbPath);
    EXPECT_EQ(lastNames(db, QString::fromUtf8("[lastname] = 'Öztürk'")),
              QStringList({"ÖZTÜRK", "öztürk"}));
    EXPECT_EQ(lastNames(db, QString::fromUtf8("[lastname] = 'émile'")),
              QStringList({"ÉMILE", "Émile"}));
    EXPECT_EQ(lastNames(db, QString::fromUtf8("lastname like 'ärger'")), QStringList{"Ärger"});
    db.Close();
    EXPECT_EQ(standardTool(dbPath, QStringLiteral("pragma integrity_check")), u"ok");
}

TEST_F(TextComparisonTest, FileWithTheReplacedComparisonIsRepairedOnceWhenOpened) {
    db.Close();
    {
        // The way files were written before: the Unicode comparison in place of NOCASE in
        // the indexes themselves, and no schema version.
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(dbPath).constData(), &raw,
                                  SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        sqlite3_create_collation_v2(
            raw, "NOCASE", SQLITE_UTF8, nullptr,
            [](void*, int an, const void* a, int bn, const void* b) {
                return compareNoCase(static_cast<const char*>(a), an, static_cast<const char*>(b),
                                     bn);
            },
            nullptr);
        for (const char* name : kNames)
            CStatement(raw, QStringLiteral("INSERT INTO Person (lastname) VALUES ('%1')")
                                .arg(QString::fromUtf8(name)))
                .execute();
        for (const char* sql :
             {"DROP INDEX Alarm_name", "DROP INDEX Person_firm", "PRAGMA user_version = 0"})
            CStatement(raw, QLatin1String(sql)).execute();
        sqlite3_close_v2(raw);
    }
    ASSERT_NE(standardTool(dbPath, QStringLiteral("pragma integrity_check")), u"ok");

    // A read-only connection leaves the file alone.
    db.Open(dbPath, false, true);
    EXPECT_EQ(userVersion(db), 0);
    db.Open(dbPath);
    EXPECT_EQ(userVersion(db), schema::kSchemaVersion);
    CStatement added(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' "
                                        "AND name IN ('Alarm_name', 'Person_firm')"));
    ASSERT_TRUE(added.step());
    EXPECT_EQ(added.int64(0), 2) << "the indexes of the known-value load are added";
    EXPECT_EQ(lastNames(db, QString::fromUtf8("lastname = 'ølberg'")),
              QStringList({"Ølberg", "ølberg"}));
    db.Close();
    EXPECT_EQ(standardTool(dbPath, QStringLiteral("pragma integrity_check")), u"ok");
}

TEST_F(TextComparisonTest, ComparisonsWithoutWildcardsAreAnsweredFromTheIndex) {
    for (const char* filter :
         {"person like 'Smith Jo' or firm like 'Acme'",
          "person like 'Müller Jo' or firm like 'A[*]'", "[person] = 'Ølberg Eva'"}) {
        const CRecordSource source(db, QStringLiteral("[Contact]"), QString::fromUtf8(filter),
                                   QStringLiteral("date asc, time asc"),
                                   CRecordSource::Mode::Keyset);
        const QString plan = queryPlan(db, source.keysSql());
        EXPECT_TRUE(plan.contains(QStringLiteral("INDEX Contact_person")))
            << filter << ": " << plan.toStdString();
        EXPECT_FALSE(plan.contains(QStringLiteral("SCAN Contact")))
            << filter << ": " << plan.toStdString();
    }
    // The person form's order comes from the index as long as no name needs more.
    const CRecordSource persons(db, QStringLiteral("[Person]"), QStringLiteral("lastname = 'Zorn'"),
                                {}, CRecordSource::Mode::Keyset);
    EXPECT_TRUE(queryPlan(db, persons.keysSql()).contains(QStringLiteral("INDEX Person_lastname")));
}

TEST(NoCaseComparison, AgreesWithTheUnicodeComparisonOfTheWholeTexts) {
    const char* const texts[] = {"",       "a",      "A",   "ab",     "Mz",     "Mü",
                                 "MÜLLER", "müller", "Mül", "Ølberg", "ølberg", "Zorn",
                                 "zorn x", "_x",     "[x",  "Émile",  "émilE"};
    auto sign = [](int n) { return (n > 0) - (n < 0); };
    for (const char* a : texts) {
        for (const char* b : texts) {
            const int ours = compareNoCase(a, static_cast<int>(std::strlen(a)), b,
                                           static_cast<int>(std::strlen(b)));
            EXPECT_EQ(sign(ours),
                      sign(QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive)))
                << a << " / " << b;
        }
    }
}

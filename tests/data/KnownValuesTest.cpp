#include <gtest/gtest.h>

#include "DataTestSupport.h"
#include "data/AlarmRcs.h"
#include "data/ContactRcs.h"
#include "data/FirmRcs.h"
#include "data/GroupRcs.h"
#include "data/KnownValues.h"
#include "data/PersonRcs.h"
#include "support/ScriptedPrompter.h"

class KnownValuesTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        openSharedDatabase({});
    }
};

TEST(KnownValueWords, FirstAndLastWord) {
    EXPECT_EQ(FirstWord(QStringLiteral("  van der Berg ")), QStringLiteral("van"));
    EXPECT_EQ(LastWord(QStringLiteral(" Anna  Maria ")), QStringLiteral("Maria"));
    EXPECT_EQ(FirstWord(QStringLiteral(" Smith ")), QStringLiteral("Smith"));
    EXPECT_EQ(LastWord(QString()), QString());
}

TEST(KnownValueWords, ListAddsOnceIgnoringCaseAndSortsUpperCaseFirst) {
    KnownValueList list;
    for (const char* name : {"beta", "Müller", "BETA", "MÜLLER", "alpha", "Zeta"})
        list.add(QString::fromUtf8(name));
    list.append(QStringLiteral("alpha"));
    list.sort();
    EXPECT_EQ(list.items(), (QStringList{QString::fromUtf8("Müller"), QStringLiteral("Zeta"),
                                         QStringLiteral("alpha"), QStringLiteral("alpha"),
                                         QStringLiteral("beta")}));
}

TEST_F(KnownValuesTest, GathersNamesFromEveryTable) {
    CPersonRcs persons(&db);
    persons.Open();
    add(persons, {{"lastname", QStringLiteral("van Berg")},
                  {"firstname", QStringLiteral("Anna Maria")},
                  {"firm", QStringLiteral("acme")}});
    add(persons, {{"lastname", QStringLiteral("Zorn")}, {"firstname", QStringLiteral("Max")}});
    CFirmRcs firms(&db);
    firms.Open();
    add(firms, {{"name", QStringLiteral("Acme")}, {"person", QStringLiteral("Doe John")}});
    CContactRcs contacts(&db);
    contacts.Open();
    add(contacts, {{"person", QStringLiteral("ZORN MAX")}, {"firm", QStringLiteral("Beta Ltd")}});
    CAlarmRcs alarms(&db);
    alarms.Open();
    const qint64 alarm = add(
        alarms, {{"name", QStringLiteral("Call back")}, {"person", QStringLiteral("Roe Jane")}});
    CGroupRcs groups(&db);
    groups.Open();
    for (const char* name : {"VIP", "Clients", "VIP"})
        add(groups, {{"Name", QLatin1String(name)}});

    ASSERT_TRUE(LoadKnownValues());
    EXPECT_EQ(PersonNameList().items(),
              QStringList({"Doe John", "Roe Jane", "Zorn Max", "van Berg Anna Maria"}));
    EXPECT_EQ(LastNameList().items(), QStringList({"van", "Zorn", "Doe", "Roe"}));
    EXPECT_EQ(FirstNameList().items(), QStringList({"Maria", "Max", "John", "Jane"}));
    // "acme" met after "Acme" (firms are read first); Zorn's empty firm is one entry.
    EXPECT_EQ(FirmNameList().items(), QStringList({"", "Acme", "Beta Ltd"}));
    EXPECT_EQ(GroupNameList().items(), QStringList({"Clients", "VIP", "VIP"}));
    EXPECT_EQ(AlarmNameList().items(), QStringList{"Call back"});

    // Reloading empties the firm, person and group lists only.
    alarms.SetBookmark(alarm);
    alarms.Delete();
    ASSERT_TRUE(LoadKnownValues());
    EXPECT_EQ(AlarmNameList().items(), QStringList{"Call back"});
    EXPECT_EQ(GroupNameList().count(), 3);
    EXPECT_FALSE(PersonNameList().items().contains(QStringLiteral("Roe Jane")));
}

TEST_F(KnownValuesTest, DatabaseFailureIsReportedAndKeepsWhatWasRead) {
    CPersonRcs persons(&db);
    persons.Open();
    add(persons, {{"lastname", QStringLiteral("Smith")}, {"firstname", QStringLiteral("Jo")}});
    db.Execute(QStringLiteral("DROP VIEW [FirmFirmQuery]"));
    ScriptedPrompter prompter;
    prompter.answer(Prompter::No);
    EXPECT_FALSE(LoadKnownValues());
    EXPECT_EQ(prompter.messages().size(), 1);
    EXPECT_EQ(PersonNameList().items(), QStringList{"Smith Jo"});
}

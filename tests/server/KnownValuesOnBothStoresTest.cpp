#include <random>

#include "StoreFixture.h"
#include "data/ContactRcs.h"
#include "data/FirmRcs.h"
#include "data/GroupRcs.h"
#include "data/KnownValueLoader.h"
#include "data/KnownValues.h"
#include "data/PersonRcs.h"
#include "support/ScriptedPrompter.h"

namespace {

struct Lists {
    QStringList firms, persons, groups;
    bool operator==(const Lists&) const = default;
};

Lists shownLists() {
    return {FirmNameList().items(), PersonNameList().items(), GroupNameList().items()};
}

}  // namespace

class KnownValuesOnStore : public StoreTest {};

// The names of every table, each in the letter case of the first row that holds it, as
// the full load gives them and as the updater keeps them after saves and deletes.
TEST_P(KnownValuesOnStore, TheFullLoadAndEveryUpdateGiveTheSameLists) {
    CPersonRcs persons(&sharedDatabase());
    persons.Open();
    add(persons, {{"lastname", QStringLiteral("öberg")},
                  {"firstname", QStringLiteral("Jo")},
                  {"firm", QStringLiteral("acme")}});
    add(persons, {{"lastname", QStringLiteral("Öberg")}, {"firstname", QStringLiteral("JO")}});
    add(persons, {{"lastname", QStringLiteral("van Berg")}, {"firstname", QStringLiteral("Ann")}});
    // The first row, saved again, is no longer the first one the engine meets.
    persons.MoveFirst();
    persons.Edit();
    persons.setValue(QStringLiteral("description"), QStringLiteral("saved again"));
    persons.Update();
    CFirmRcs firms(&sharedDatabase());
    firms.Open();
    add(firms, {{"name", QStringLiteral("Acme")}, {"person", QStringLiteral("Doe John")}});
    add(firms, {{"name", QStringLiteral("MÜLLER AG")}});
    add(firms, {{"name", QStringLiteral("Müller AG")}});
    CContactRcs contacts(&sharedDatabase());
    contacts.Open();
    add(contacts, {{"person", QStringLiteral("ÖBERG JO")}, {"firm", QStringLiteral("Beta")}});
    CGroupRcs groups(&sharedDatabase());
    groups.Open();
    for (const char* name : {"VIP", "Clients", "VIP"})
        add(groups, {{"Name", QLatin1String(name)}});

    ScriptedPrompter prompter;
    ASSERT_TRUE(LoadKnownValues());
    // The firms without a contact person give the empty name.
    EXPECT_EQ(PersonNameList().items(), (QStringList{"", "Doe John", "van Berg Ann", "öberg Jo"}));
    EXPECT_EQ(FirmNameList().items(), (QStringList{"", "Acme", "Beta", "MÜLLER AG"}));
    EXPECT_EQ(GroupNameList().items(), (QStringList{"Clients", "VIP", "VIP"}));
    EXPECT_TRUE(LastNameList().items().contains(QStringLiteral("öberg")));
    EXPECT_FALSE(LastNameList().items().contains(QStringLiteral("Öberg")));

    // The updater follows the change notifier from here on.
    CKnownValueLoader loader;
    std::mt19937 random(5);
    const char* const names[] = {"öberg Jo",  "Öberg JO", "MÜLLER AG", "Müller AG",
                                 "müller ag", "Acme",     "",          "Zed"};
    const auto name = [&]() -> QVariant {
        const std::size_t pick = random() % (std::size(names) + 1);
        return pick == std::size(names) ? QVariant() : QVariant(QString::fromUtf8(names[pick]));
    };
    for (int step = 0; step < 30 && !HasFailure(); ++step) {
        CRecordSet& records = step % 2 ? static_cast<CRecordSet&>(firms) : contacts;
        records.Requery();
        const int count = records.GetRecordCount();
        const unsigned action = count < 2 ? 0 : random() % 3;
        if (action == 0) {
            records.AddNew();
        } else {
            records.MoveFirst();
            for (unsigned skip = random() % unsigned(count); skip > 0; --skip)
                records.MoveNext();
            if (action == 2) {
                records.Delete();
                continue;
            }
            records.Edit();
        }
        const char* first = step % 2 ? "name" : "person";
        const char* second = step % 2 ? "person" : "firm";
        records.setValue(QLatin1String(first), name());
        records.setValue(QLatin1String(second), name());
        records.Update();

        const Lists updated = shownLists();
        ASSERT_TRUE(LoadKnownValues());
        EXPECT_EQ(updated, shownLists()) << "step " << step;
    }
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join(u'\n').toStdString();
}

INSTANTIATE_ON_BOTH_STORES(KnownValuesOnStore);

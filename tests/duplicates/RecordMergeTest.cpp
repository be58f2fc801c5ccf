#include <gtest/gtest.h>

#include "DuplicatesTest.h"
#include "data/RecordMerge.h"
#include "data/Schema.h"
#include "data/SqlDialect.h"
#include "duplicates/MergeChoices.h"
#include "support/OutsideClient.h"

using namespace duplicates;

namespace {

// A person twice, with contacts, an alarm, a firm naming them as its contact person and a
// dossier each; a namesake of neither; and a second firm under two spellings.
class RecordMergeTest : public DuplicatesTest {
protected:
    void SetUp() override {
        DuplicatesTest::SetUp();
        survivor = insert("Person", {"lastname", "firstname", "email_home", "group"},
                          {"Müller", "Jürgen", "", "Customers"});
        merged = insert("Person", {"lastname", "firstname", "email_home", "description"},
                        {"Mueller", "Juergen", "jm@example.com", "met at the fair"});
        insert("Person", {"lastname", "firstname"}, {"Berg", "Eva"});
        firm = insert("Firm", {"name", "person"}, {"Acme", "Mueller Juergen"});
        insert("Contact", {"person", "firm", "description"},
               {"Mueller Juergen", "ACME GmbH", "call"});
        insert("Contact", {"person", "description"}, {"Müller Jürgen", "visit"});
        insert("Contact", {"person", "description"}, {"Berg Eva", "lunch"});
        insert("Alarm", {"name", "person", "firm"}, {"Call back", "MUELLER JUERGEN", "Acme"});
        insert("Sharks", {"id_person", "lifestyle_hobbies", "buyer_dob"},
               {QString::number(survivor), "sailing", ""});
        insert("Sharks", {"id_person", "lifestyle_hobbies", "buyer_dob"},
               {QString::number(merged), "chess", "1970-01-02"});
        firmTwin = insert("Firm", {"name", "person"}, {"ACME GmbH", ""});
        insert("Sharks2", {"id_firm", "basic_profit"}, {QString::number(firmTwin), "high"});
    }

    MergeRequest personMerge() {
        MergeRequest request;
        request.table = QStringLiteral("Person");
        request.survivorId = survivor;
        request.mergedIds = {merged};
        request.survivorValues = {
            {QStringLiteral("email_home"), QStringLiteral("jm@example.com")},
            {QStringLiteral("description"), QStringLiteral("met at the fair")}};
        request.combineDossierText = combinedDossierText;
        return request;
    }

    qint32 survivor = 0, merged = 0, firm = 0, firmTwin = 0;
};

TEST_F(RecordMergeTest, APersonsHistoryMovesToTheSurvivorAndUndoPutsBackEveryRow) {
    const QString before = everything();
    const MergeUndo undo = mergeRecords(db, personMerge());

    EXPECT_EQ(query("SELECT id, lastname, firstname, email_home, \"group\", description FROM "
                    "Person ORDER BY id"),
              QStringLiteral("%1|Müller|Jürgen|jm@example.com|Customers|met at the fair\n"
                             "3|Berg|Eva|∅|∅|∅")
                  .arg(survivor));
    EXPECT_EQ(query("SELECT person, description FROM Contact ORDER BY id"),
              "Müller Jürgen|call\nMüller Jürgen|visit\nBerg Eva|lunch");
    EXPECT_EQ(query("SELECT person FROM Alarm"), "Müller Jürgen");
    EXPECT_EQ(query("SELECT person FROM Firm ORDER BY id"), "Müller Jürgen\n∅");
    EXPECT_EQ(query("SELECT id_person, lifestyle_hobbies, buyer_dob FROM Sharks"),
              QStringLiteral("%1|sailing\n\nMueller Juergen:\nchess|1970-01-02").arg(survivor));
    EXPECT_EQ(undo.survivorName, "Müller Jürgen");

    ASSERT_TRUE(undoMerge(db, undo));
    EXPECT_EQ(everything(), before);
}

TEST_F(RecordMergeTest, AFirmsPeopleContactsAndDossierMoveAndANamesakeKeepsItsReferences) {
    // A second person called like the merged one: its contacts may be its own.
    insert("Person", {"lastname", "firstname"}, {"Mueller", "Juergen"});
    mergeRecords(db, personMerge());
    EXPECT_EQ(query("SELECT person FROM Contact ORDER BY id"),
              "Mueller Juergen\nMüller Jürgen\nBerg Eva");

    insert("Person", {"lastname", "firm"}, {"Clerk", "acme gmbh"});
    MergeRequest firms;
    firms.table = QStringLiteral("Firm");
    firms.survivorId = firm;
    firms.mergedIds = {firmTwin};
    firms.combineDossierText = combinedDossierText;
    const QString before = everything();
    const MergeUndo undo = mergeRecords(db, firms);
    EXPECT_EQ(query("SELECT firm FROM Contact WHERE firm IS NOT NULL"), "Acme");
    EXPECT_EQ(query("SELECT firm FROM Person WHERE lastname = 'Clerk'"), "Acme");
    EXPECT_EQ(query("SELECT id_firm, basic_profit FROM Sharks2"),
              QStringLiteral("%1|high").arg(firm));
    EXPECT_EQ(query("SELECT count(*) FROM Firm"), "1");
    ASSERT_TRUE(undoMerge(db, undo));
    EXPECT_EQ(everything(), before);
}

TEST_F(RecordMergeTest, AFailureHalfWayOrABlockedFileLeavesEverythingAsItWas) {
    const QString before = everything();
    // Another program's rule refuses the last step, the delete of the merged person.
    OutsideClient::query(dbPath,
                         "CREATE TRIGGER refuse BEFORE DELETE ON Person BEGIN "
                         "SELECT RAISE(ABORT, 'kept by another program'); END;");
    EXPECT_THROW(mergeRecords(db, personMerge()), CDbException);
    OutsideClient::query(dbPath, "DROP TRIGGER refuse;");
    EXPECT_EQ(everything(), before);
    EXPECT_FALSE(db.writeGate().isHeld());

    CDatabase other;
    other.Open(dbPath);
    CStatement(other, QStringLiteral("BEGIN IMMEDIATE")).execute();
    EXPECT_THROW(mergeRecords(db, personMerge()), CDbException);
    CStatement(other, QStringLiteral("ROLLBACK")).execute();
    EXPECT_EQ(everything(), before);
}

TEST_F(RecordMergeTest, UndoRefusesToLoseAChangeMadeSince) {
    const MergeUndo undo = mergeRecords(db, personMerge());
    CStatement(db, QStringLiteral("UPDATE Alarm SET description = 'typed later'")).execute();
    const QString changed = everything();
    EXPECT_FALSE(undoMerge(db, undo));
    EXPECT_EQ(everything(), changed);

    CStatement(db, QStringLiteral("UPDATE Alarm SET description = NULL")).execute();
    EXPECT_TRUE(undoMerge(db, undo));
    EXPECT_EQ(query(QStringLiteral("SELECT lastname FROM Person WHERE id = %1").arg(merged)),
              "Mueller");
}

TEST(MergeChoicesTest, DefaultsPreferTheSurvivorThenAnyValueAndTextsCombine) {
    // Columns in the forms' order: last, first, title, function, firm, phones..., address,
    // description.
    const std::vector<MergeField> fields = mergeFields(PartyKind::Person);
    const auto column = [&fields](const char* name) {
        for (int i = 0; i < int(fields.size()); ++i)
            if (fields[i].column == QLatin1String(name))
                return i;
        return -1;
    };
    QStringList a(int(fields.size())), b(int(fields.size()));
    a[column("lastname")] = "Müller";
    b[column("lastname")] = "Mueller";
    b[column("title")] = "Dr.";
    a[column("description")] = "first line";
    b[column("description")] = "second line";
    CMergeChoices choices(PartyKind::Person, {a, b});
    EXPECT_EQ(choices.value(column("lastname")), "Müller");
    EXPECT_EQ(choices.value(column("title")), "Dr.") << "a value over an empty one";
    EXPECT_TRUE(fields[column("description")].multiLine);
    choices.choose(column("description"), CMergeChoices::kCombined);
    EXPECT_EQ(choices.value(column("description")), "first line\nsecond line");
    choices.choose(column("lastname"), CMergeChoices::kCombined);
    EXPECT_EQ(choices.choice(column("lastname")), 0) << "one-line fields are not combined";

    choices.setSurvivor(1);
    EXPECT_EQ(choices.value(column("lastname")), "Mueller");
    EXPECT_EQ(choices.value(column("description")), "second line");
    EXPECT_EQ(choices.survivorValues().value("title"), "Dr.");
    EXPECT_EQ(combinedDossierText("same", "same", "X"), "same");

    // Every column but the key is offered, so a merge never drops a value unasked.
    for (const auto& [kind, table] : {std::pair(PartyKind::Person, &schema::Person),
                                      std::pair(PartyKind::Firm, &schema::Firm)}) {
        QStringList offered;
        for (const MergeField& field : mergeFields(kind))
            offered << field.column;
        QStringList stored = schema::tableColumns(*table).mid(1);
        offered.sort();
        stored.sort();
        EXPECT_EQ(offered, stored);
    }
    EXPECT_EQ(combinedDossierText("", "only", "X"), "only");
}

}  // namespace

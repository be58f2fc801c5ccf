#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "OutsideClient.h"
#include "StoreFixture.h"
#include "data/ExternalChangeWatch.h"
#include "data/Schema.h"
#include "data/ServerConnection.h"
#include "dossiers/DossierPage.h"
#include "dossiers/DossierSheet.h"
#include "dossiers/SharksFView.h"
#include "forms/DossierButton.h"
#include "forms/PersonFView.h"
#include "lists/ListFixture.h"

class FormOnStore : public OnStore<ListTest> {
protected:
    QLineEdit* field(QWidget* form, const char* column) {
        return form->findChild<QLineEdit*>(QString::fromLatin1(column));
    }
};

// A person typed into the form and saved shows in the open list, is stored, and prints.
TEST_P(FormOnStore, ASavedPersonShowsInTheOpenListAndPrints) {
    addPerson("Zorn", "Anna", "Acme");
    start();
    ASSERT_TRUE(command(cmd::ListPersons));
    CMyListView* persons = list("Personlist");
    ASSERT_TRUE(command(cmd::ViewPersons));
    auto* form = view<CPersonFView>(QStringLiteral("Person"));
    ASSERT_NE(form, nullptr);
    QTest::keyClick(form, Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(form->isEditing());
    field(form, "lastname")->setText(QStringLiteral("Müller"));
    QTest::keyClicks(field(form, "firstname"), QStringLiteral("O'Hara"));
    field(form, "firm")->setText(QStringLiteral("Acme"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    ASSERT_FALSE(form->isEditing());
    EXPECT_EQ(storedPersons(), (QStringList{"Müller|O'Hara", "Zorn|Anna"}));
    EXPECT_EQ(column(persons, 0), (QStringList{"Müller", "Zorn"}));
    EXPECT_TRUE(form->printText().startsWith(
        QStringLiteral("Name:         Müller O'Hara\r\nGroup:       \r\nFunction:    \r\n"
                       "Company:     Acme\r\n")))
        << form->printText().toStdString();

    // An edit saved in the form shows in the list.
    QTest::keyClick(form, Qt::Key_F2);
    field(form, "lastname")->setText(QStringLiteral("Sørensen"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(column(persons, 0), (QStringList{"Sørensen", "Zorn"}));
}

// The texts typed on a person's dossier pages are stored by Apply.
TEST_P(FormOnStore, ADossierIsSaved) {
    addPerson("Smith", "John");
    start();
    ASSERT_TRUE(command(cmd::ViewPersons));
    auto* form = view<CPersonFView>(QStringLiteral("Person"));
    ASSERT_NE(form, nullptr);
    auto* button = form->findChild<QPushButton*>(QStringLiteral("button%1").arg(kDossierButtonId));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    auto* dossier = view<CSharksFView>(QStringLiteral("Zikinfo"));
    ASSERT_NE(dossier, nullptr);
    constexpr int kFamilyTab = 4;
    dossier->sheet()->setCurrentIndex(kFamilyTab);
    QWidget* married = dossier->sheet()->page(kFamilyTab)->edit("family_married");
    ASSERT_NE(married, nullptr);
    married->setFocus();
    QTest::keyClicks(married, QStringLiteral("Jo \"Jr\" O'Neil"));
    QTest::mouseClick(dossier->applyButton(), Qt::LeftButton);
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(u'\n').toStdString();

    CDatabase other;
    openStore(other, GetParam(), databasePath());
    CRecordSet rows(&other, schema::Sharks);
    rows.Open();
    ASSERT_EQ(rows.GetRecordCount(), 1);
    EXPECT_EQ(rows.text(QStringLiteral("family_married")), QStringLiteral("Jo \"Jr\" O'Neil"));
    EXPECT_TRUE(rows.value(QStringLiteral("buyer_dob")).isNull());
}

// The person form opened beside the person list takes the order the list read, until the
// program hears that the persons changed: then it counts a person another program added.
TEST_P(FormOnStore, AFormBesideTheListCountsAPersonAddedElsewhere) {
    addPerson("Zorn", "Anna");
    start();
    ASSERT_TRUE(command(cmd::ListPersons));
    CMyListView* persons = list("Personlist");
    persons->waitForRefill();
    ASSERT_EQ(persons->listModel()->rowCount(), 1);
    CExternalChangeWatch watch(sharedDatabase());
    watch.check();
    if (onServer())
        CServerConnection(databasePath(), storePassword(Store::Server))
            .exec(QStringLiteral(
                "INSERT INTO \"Person\" (lastname, firstname) VALUES ('Adams', 'Bob')"));
    else
        OutsideClient::query(
            databasePath(),
            QStringLiteral("INSERT INTO Person (lastname, firstname) VALUES ('Adams', 'Bob')"));
    EXPECT_EQ(persons->listModel()->rowCount(), 1) << "not heard of yet";
    // The program's look for other writers hears of it (a server's notification may take
    // a moment to arrive).
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            watch.check();
            persons->waitForRefill();
            return persons->listModel()->rowCount() == 2;
        },
        5000));
    ASSERT_TRUE(command(cmd::ViewPersons));
    auto* form = view<CPersonFView>(QStringLiteral("Person"));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->overall(), 2);
    EXPECT_EQ(field(form, "lastname")->text(), QStringLiteral("Adams"));
}

INSTANTIATE_ON_BOTH_STORES(FormOnStore);

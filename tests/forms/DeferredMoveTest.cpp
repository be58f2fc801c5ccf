#include <QLineEdit>
#include <QPushButton>

#include "FormFixture.h"
#include "data/FirmRcs.h"
#include "forms/FirmFView.h"
#include "forms/PersonFView.h"
#include "platform/CommandIds.h"

// Requests from other windows that would take a form out of its edit wait for the edit to
// end, and the caller that asked goes with its request.
class DeferredMoveTest : public FormTest {
protected:
    static QLineEdit* field(QWidget* form, const char* column) {
        return form->findChild<QLineEdit*>(QString::fromLatin1(column));
    }
};

TEST_F(DeferredMoveTest, ANewRecordForACallerWaitsForTheEditInProgress) {
    addPerson("Stored", "Sam");
    {
        CFirmRcs rs(&sharedDatabase());
        rs.Open();
        rs.AddNew();
        rs.setValue("name", QStringLiteral("Acme"));
        rs.Update();
    }
    startFrame({kindTemplate("Person", FrameKind::Record, createPersonView),
                kindTemplate("Firm", FrameKind::Record, createFirmView)});
    command(cmd::ViewPersons);
    auto* person = view<CPersonFView>("Person");
    command(cmd::EditRecord);
    field(person, "firstname")->setText("Typed");

    command(cmd::ViewCompanies);
    auto* firm = view<CFirmFView>("Firm");
    ASSERT_NE(firm, nullptr);
    firm->findChild<QPushButton*>("button1038")->click();  // "new" beside the contact person
    EXPECT_TRUE(person->isEditing());
    EXPECT_EQ(field(person, "firstname")->text(), "Typed") << "the edit in progress stays";

    // Saving that edit stores it and sends nothing to the firm: its new person is still owed.
    frame->ActivateView(person);
    command(cmd::SaveRecord);
    EXPECT_EQ(storedPersons(), QStringList{"Stored|Typed"});
    EXPECT_FALSE(firm->isEditing());
    EXPECT_EQ(field(firm, "person")->text(), "");
    EXPECT_TRUE(person->isEditing()) << "the new record waited and has begun";
    EXPECT_EQ(field(person, "lastname")->text(), "");

    field(person, "lastname")->setText("Neu");
    field(person, "firstname")->setText("Nora");
    command(cmd::SaveRecord);
    EXPECT_TRUE(firm->isEditing());
    EXPECT_EQ(field(firm, "person")->text(), "Neu Nora");
}

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QUrl>

#include "FormFixture.h"
#include "ServerTestSupport.h"
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"
#include "forms/PersonFView.h"
#include "platform/CommandIds.h"

namespace {

// The person form of a program that works on a server database, as after its start-up.
class ServerPersonForm : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        sharedDatabase().Close();
        uri = testServer().createDatabase();
        {
            CServerConnection setup(uri, password());
            serverschema::ensure(setup);
            setup.exec(
                QStringLiteral("INSERT INTO \"Person\" (lastname, firstname) VALUES "
                               "('Adams', 'Bob')"));
        }
        setDatabasePath(uri);
        openSharedDatabase(password());
        startFrame({kindTemplate("Person", FrameKind::Record, createPersonView)});
        command(cmd::ViewPersons);
        form = view<CPersonFView>("Person");
        ASSERT_NE(form, nullptr);
    }
    static QString password() { return QString::fromUtf8(PgTestServer::kPassword); }
    QLineEdit* field(const char* column) {
        return form->findChild<QLineEdit*>(QString::fromLatin1(column));
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form;
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    // A colleague's save of the same person, through a connection of their own.
    void colleagueSaves(const QString& firstname) {
        CServerConnection colleague(uri, password());
        colleague.exec(QStringLiteral("UPDATE \"Person\" SET firstname = $1"), {firstname});
    }
    QString stored() {
        CServerConnection reader(uri, password());
        return reader.exec(QStringLiteral("SELECT firstname FROM \"Person\"")).text(0, 0);
    }

    QString uri;
    CPersonFView* form = nullptr;
};

}  // namespace

TEST_F(ServerPersonForm, ASaveOverAColleaguesChangeOffersTheirVersionOrKeepsTheTypedText) {
    key(Qt::Key_F2);
    field("firstname")->setText("Robert");
    colleagueSaves(QStringLiteral("Rob"));

    // No: the typed text stays on screen, and the next save replaces theirs knowingly.
    prompts.answer(Prompter::No);
    key(Qt::Key_S, Qt::AltModifier);
    ASSERT_FALSE(prompts.messages().isEmpty());
    EXPECT_TRUE(prompts.messages().last().contains(QLatin1String("changed by another user")));
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(field("firstname")->text(), QStringLiteral("Robert"));
    EXPECT_EQ(stored(), QStringLiteral("Rob"));
    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(stored(), QStringLiteral("Robert"));

    // Yes: their version is shown and nothing of the edit is written.
    key(Qt::Key_F2);
    field("firstname")->setText("Bobby");
    colleagueSaves(QStringLiteral("Bert"));
    prompts.answer(Prompter::Yes);
    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(field("firstname")->text(), QStringLiteral("Bert"));
    EXPECT_EQ(stored(), QStringLiteral("Bert"));
}

TEST_F(ServerPersonForm, ADeleteOfARecordAColleagueChangedAsksAgain) {
    colleagueSaves(QStringLiteral("Rob"));
    prompts.answer(Prompter::Yes);  // delete this record?
    prompts.answer(Prompter::No);   // it changed meanwhile: still delete?
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(field("firstname")->text(), QStringLiteral("Rob"));
    EXPECT_EQ(stored(), QStringLiteral("Rob"));
    prompts.answer(Prompter::Yes);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(stored(), QString());
}

// A user who may only read browses: no command that writes is offered.
TEST_F(ServerPersonForm, AReadOnlyUserIsOfferedNoWrite) {
    sharedDatabase().Close();
    auto admin = testServer().admin();
    admin->exec(QStringLiteral("DROP ROLE IF EXISTS form_reader"));
    admin->exec(QStringLiteral("CREATE ROLE form_reader LOGIN PASSWORD 'readpw'"));
    const QString database = QUrl(uri).path().mid(1);
    testServer().admin(database)->exec(
        QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO form_reader"));
    setDatabasePath(testServer().uri(database, QStringLiteral("form_reader")));
    openSharedDatabase(QStringLiteral("readpw"));
    frame.reset();
    startFrame({kindTemplate("Person", FrameKind::Record, createPersonView)});
    command(cmd::ViewPersons);
    form = view<CPersonFView>("Person");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(field("lastname")->text(), QStringLiteral("Adams"));
    for (int id : {cmd::AddNew, cmd::EditRecord, cmd::EraseRecord}) {
        bool enabled = true;
        form->document()->IsCommandEnabled(id, enabled);
        EXPECT_FALSE(enabled) << id;
    }
    frame->UpdateCommandStates();
    const auto offered = [this](int id) {
        for (QAction* action : frame->findChildren<QAction*>())
            if (action->data().toInt() == id)
                return action->isEnabled();
        return true;
    };
    for (int id : {cmd::NewPerson, cmd::Import, cmd::FindDuplicates, cmd::SyncNow})
        EXPECT_FALSE(offered(id)) << id;
    key(Qt::Key_F2);
    EXPECT_FALSE(form->isEditing());
}

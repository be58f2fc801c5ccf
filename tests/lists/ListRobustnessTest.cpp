#include "ListFixture.h"
#include "data/Statement.h"
#include "forms/PersonFView.h"
#include "platform/PrintDevice.h"
#include "lists/RecordLists.h"
#include "support/LinePrintDevice.h"

namespace {

bool hasLoneSurrogate(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && (i + 1 == text.size() || !text[i + 1].isLowSurrogate()))
            return true;
        if (text[i].isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate()))
            return true;
    }
    return false;
}

// A long name of right-to-left letters, emoji (pairs of UTF-16 units), a tab, a control
// character and an apostrophe: 10,000 characters in all.
QString oddName() {
    const QString piece =
        QString::fromUtf8("שלום مرحبا 😀👩‍👩‍👧 O'Neil\t\x01 Ωμέγα ");
    QString name;
    while (name.size() < 10000)
        name += piece;
    name.truncate(10000);
    if (name.back().isHighSurrogate())
        name.back() = QLatin1Char('x');
    return name;
}

}  // namespace

TEST_F(ListTest, LongRightToLeftAndEmojiTextsAreStoredListedAndFilteredWhole) {
    const QString name = oddName();
    const QString first = QString::fromUtf8("🦊 Zoë");
    {
        CStatement insert(sharedDatabase(),
                          QStringLiteral("INSERT INTO Person (lastname, firstname) VALUES (?, ?)"));
        insert.bind(1, name);
        insert.bind(2, first);
        insert.execute();
    }
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    ASSERT_NE(persons, nullptr);
    ASSERT_EQ(persons->listModel()->rowCount(), 1);
    EXPECT_EQ(persons->listModel()->cellText(0, 1), first);
    EXPECT_EQ(persons->listModel()->cellText(0, 0).size(), name.size());

    // The filter finds the row by right-to-left letters and by emoji, and not by others.
    filter(0, QString::fromUtf8("*مرحبا 😀*"));
    EXPECT_EQ(persons->listModel()->rowCount(), 1);
    filter(1, QString::fromUtf8("🦊*"));
    EXPECT_EQ(persons->listModel()->rowCount(), 1);
    filter(1, QString::fromUtf8("🐻*"));
    EXPECT_EQ(persons->listModel()->rowCount(), 0);
    command(cmd::FilterOff);

    // The printout cuts the texts to their columns, never inside a character.
    QStringList lines;
    const PrinterChooser previous = setPrinterChooser([&lines]() -> std::unique_ptr<PrintDevice> {
        return std::make_unique<LinePrintDevice>(lines);
    });
    command(cmd::Print);
    setPrinterChooser(previous);
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("0001 ") + name.left(8)))
        << lines[4].toStdString();
    for (const QString& line : lines)
        EXPECT_FALSE(hasLoneSurrogate(line)) << line.toStdString();

    // The form shows the stored texts, and saving them unchanged keeps every character.
    command(cmd::ViewPersons);
    auto* form = view<CPersonFView>("Person");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->findChild<QLineEdit*>("firstname")->text(), first);
    command(cmd::EditRecord);
    command(cmd::SaveRecord);
    EXPECT_EQ(storedPersons(), QStringList{name + '|' + first});
}

TEST_F(ListTest, AfterItsOwnRefreshAListShowsAnotherProgramsChanges) {
    {
        CStatement insert(
            sharedDatabase(),
            QStringLiteral("INSERT INTO Person (lastname) VALUES ('Kept'), ('Gone')"));
        insert.execute();
    }
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    ASSERT_NE(persons, nullptr);
    ASSERT_EQ(persons->listModel()->rowCount(), 2);
    {
        CDatabase other;
        other.Open(databasePath());
        CStatement(other, QStringLiteral("DELETE FROM Person WHERE lastname = 'Gone'")).execute();
        CStatement(other, QStringLiteral("INSERT INTO Person (lastname) VALUES ('New')")).execute();
        CStatement(other, QStringLiteral("UPDATE Person SET firstname = 'Changed' WHERE "
                                         "lastname = 'Kept'"))
            .execute();
    }
    command(cmd::FilterOff);
    EXPECT_EQ(column(persons, 0), (QStringList{"Kept", "New"}));
    EXPECT_EQ(column(persons, 1), (QStringList{"Changed", ""}));
}

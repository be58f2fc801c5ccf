#include <QCoreApplication>

#include "FormFixture.h"
#include "lists/ListModel.h"
#include "lists/ListSource.h"

namespace {

// A list model over the person table, read through a connection of its own as a list reads.
struct PersonRows {
    PersonRows() : model(source) {
        source.open(databasePath(), QString());
        source.setTable(QStringLiteral("person"));
        source.readColumns();
        QStringList headers;
        for (const CFieldInfo& column : source.columns())
            headers << column.m_strName;
        model.setHeaders(headers);
        model.setIds(source.readIds(source.parseSort(QStringLiteral("lastname"))));
    }
    // What the view shows in the row's first cell, after the read it asks for has run.
    QString shown(int row) {
        model.data(model.index(row, 0));
        QCoreApplication::processEvents();
        return model.data(model.index(row, 0)).toString();
    }
    CListSource source;
    CListModel model;
};

void renameTable(const char* from, const char* to) {
    sharedDatabase().Execute(QStringLiteral("Alter Table [%1] Rename To [%2]")
                                 .arg(QLatin1String(from), QLatin1String(to)));
}

}  // namespace

TEST_F(FormTest, ListRowsThatFailedToReadAreReadAgainWhenNextShownAndReportedOnce) {
    addPerson("Adams", "Ann");
    addPerson("Baker", "Bob");
    PersonRows rows;
    ASSERT_EQ(rows.model.rowCount(), 2);

    // The table is out of reach for a while, as when another program changes the file.
    renameTable("person", "person_away");
    prompts.answer(Prompter::No);
    EXPECT_EQ(rows.shown(0), "");
    EXPECT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(rows.shown(1), "") << "a failure that lasts is not reported at every repaint";
    EXPECT_EQ(prompts.messages().size(), 1);

    renameTable("person_away", "person");
    EXPECT_EQ(rows.shown(0), "Adams");
    EXPECT_EQ(rows.shown(1), "Baker");
}

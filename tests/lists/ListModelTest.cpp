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

// A few removed ids (one listed twice, one not listed) and many: the rows left keep their
// order, the views hear of every removed run, and the texts fetched above the first removed
// row stay.
TEST_F(FormTest, RemovedIdsLeaveTheOtherRowsInOrder) {
    for (const char* name : {"Adams", "Baker", "Clark", "Davis", "Evans"})
        addPerson(name, "X");
    PersonRows rows;
    std::vector<qint32> ids = rows.model.ids();
    ASSERT_EQ(ids.size(), 5u);
    // The same five ids again, and thirty more that no row has.
    std::vector<qint32> listed = ids;
    listed.insert(listed.end(), ids.begin(), ids.end());
    for (qint32 extra = 1000; extra < 1030; ++extra)
        listed.push_back(extra);
    rows.model.setIds(listed);
    EXPECT_EQ(rows.shown(0), "Adams");
    int removedRows = 0;
    QObject::connect(
        &rows.model, &QAbstractItemModel::rowsRemoved,
        [&](const QModelIndex&, int first, int last) { removedRows += last - first + 1; });

    rows.model.removeIds({ids[1], ids[3], 999});
    std::vector<qint32> expected;
    for (const qint32 id : listed)
        if (id != ids[1] && id != ids[3])
            expected.push_back(id);
    EXPECT_EQ(rows.model.ids(), expected);
    EXPECT_EQ(removedRows, 4);
    EXPECT_EQ(rows.shown(0), "Adams");
    EXPECT_EQ(rows.shown(1), "Clark");

    std::unordered_set<qint32> many{ids[0]};
    for (qint32 extra = 1000; extra < 1030; extra += 2)
        many.insert(extra);
    rows.model.removeIds(many);
    std::erase_if(expected, [&](qint32 id) { return many.count(id) > 0; });
    EXPECT_EQ(rows.model.ids(), expected);
    EXPECT_EQ(removedRows, 4 + 2 + 15);
    EXPECT_EQ(rows.shown(0), "Clark");
}

#include <gtest/gtest.h>

#include "data/DBDoc.h"
#include "data/RecordLocator.h"
#include "platform/CommandIds.h"

namespace {

struct RecordingView : CView {
    QList<int> hints;
    qint32 lastId = -2;
    QString lastText1;
    void OnUpdate(CView*, int hint, CHintObject* object) override {
        hints.append(hint);
        if (auto* locator = dynamic_cast<CRecordLocator*>(object)) {
            lastId = locator->m_lId;
            lastText1 = locator->m_strText1;
        }
    }
};

bool enabled(const CDBDoc& doc, int id) {
    bool on = false;
    EXPECT_TRUE(doc.IsCommandEnabled(id, on)) << id;
    return on;
}

}  // namespace

TEST(DBDoc, BroadcastsRecordCommandsAndLocators) {
    CDBDoc doc;
    RecordingView view;
    view.SetDocument(&doc);
    EXPECT_TRUE(doc.OnCommand(cmd::AddNew));
    EXPECT_FALSE(doc.OnCommand(cmd::ViewPersons));
    doc.ShowRecordById(42);
    EXPECT_EQ(view.lastId, 42);
    doc.ShowRecordByTexts("Smith John", "", "");
    EXPECT_EQ(view.lastId, -1);
    EXPECT_EQ(view.lastText1, "Smith John");
    EXPECT_EQ(view.hints, (QList<int>{cmd::AddNew, cmd::ShowRecord, cmd::ShowRecord}));
}

TEST(DBDoc, ListWindowEnablesNextPreviousAndFilters) {
    CDBDoc doc;
    doc.setFlag(CDBDoc::NextEnabled, 1);
    doc.setFlag(CDBDoc::PreviousEnabled, 1);
    EXPECT_FALSE(enabled(doc, cmd::FirstRecord));
    EXPECT_FALSE(enabled(doc, cmd::LastRecord));
    EXPECT_TRUE(enabled(doc, cmd::NextRecord));
    EXPECT_TRUE(enabled(doc, cmd::PreviousRecord));
    for (int id : {cmd::AddNew, cmd::ListRecords, cmd::Print, cmd::Filter, cmd::FilterOff})
        EXPECT_TRUE(enabled(doc, id)) << id;
}

TEST(DBDoc, FormWithRecordsAndEditingRules) {
    CDBDoc doc;
    doc.setHasRecords(1);
    EXPECT_FALSE(enabled(doc, cmd::Filter));
    EXPECT_FALSE(enabled(doc, cmd::FilterOff));
    EXPECT_FALSE(enabled(doc, cmd::SaveRecord));
    doc.setFlag(CDBDoc::Editing, 1);
    EXPECT_TRUE(enabled(doc, cmd::SaveRecord));
    EXPECT_TRUE(enabled(doc, cmd::EraseRecord));
    for (int id : {cmd::FirstRecord, cmd::PreviousRecord, cmd::NextRecord, cmd::LastRecord,
                   cmd::AddNew, cmd::EditRecord, cmd::ListRecords, cmd::Print})
        EXPECT_FALSE(enabled(doc, id)) << id;
}

TEST(DBDoc, EmptyTableFormEnablesFilterWhileBrowsing) {
    CDBDoc doc;
    EXPECT_TRUE(enabled(doc, cmd::Filter));
    doc.setFlag(CDBDoc::Editing, 1);
    EXPECT_FALSE(enabled(doc, cmd::Filter));
}

// A move sets its flags together and the windows update their commands once for them.
TEST(DBDoc, AMoveUpdatesTheCommandStatesOnce) {
    CDBDoc doc;
    int announced = 0;
    QObject::connect(&doc, &CDocument::commandStateChanged, [&announced] { ++announced; });
    doc.setPositionFlags(1, 0, 1);
    EXPECT_EQ(announced, 1);
    EXPECT_TRUE(enabled(doc, cmd::NextRecord));
    EXPECT_TRUE(enabled(doc, cmd::LastRecord));
    EXPECT_FALSE(enabled(doc, cmd::FirstRecord));
    EXPECT_FALSE(enabled(doc, cmd::PreviousRecord));
    doc.setPositionFlags(1, 0, 1);
    EXPECT_EQ(announced, 1);
    doc.setPositionFlags(0, 1, 1);
    EXPECT_EQ(announced, 2);
    EXPECT_FALSE(enabled(doc, cmd::NextRecord));
    EXPECT_TRUE(enabled(doc, cmd::PreviousRecord));
}

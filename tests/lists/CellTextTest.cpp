#include "lists/CellText.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include "data/StoredDateTime.h"
#include "lists/FieldText.h"

namespace {

TEST(CellTextTest, StoredValuesShowAsTheRecordSetValuesDo) {
    // The fast path for stored date-times agrees with VariantToText of the moment.
    for (const char* stored :
         {"2024-03-05 07:08:09", "1999-12-31 23:59:59", "2000-01-01 00:00:00"}) {
        const QString text = QString::fromLatin1(stored);
        const QDateTime moment = fromStoredDateTime(text);
        for (bool timeFlag : {false, true})
            EXPECT_EQ(storedValueText(text, FieldType::DateTime, timeFlag),
                      VariantToText(moment, timeFlag))
                << stored;
    }
    EXPECT_EQ(storedValueText(QStringLiteral("2024-03-05"), FieldType::DateTime, false),
              QStringLiteral("2024/03/05"));
    EXPECT_EQ(storedValueText(QStringLiteral("not a date"), FieldType::DateTime, false),
              QStringLiteral("NULL"));
    EXPECT_EQ(storedValueText(QVariant(), FieldType::Text, false), QStringLiteral("NULL"));
    EXPECT_EQ(storedValueText(QVariant(qint64(0)), FieldType::Long, false), QStringLiteral("0"));
    EXPECT_EQ(storedValueText(QVariant(qint64(-7)), FieldType::Long, false), QStringLiteral("-7"));
    EXPECT_EQ(storedValueText(QStringLiteral("Ann"), FieldType::Text, false),
              QStringLiteral("Ann"));
    EXPECT_TRUE(isTimeColumn(QStringLiteral("TIME")));
    EXPECT_FALSE(isTimeColumn(QStringLiteral("times")));
}

TEST(CellTextTest, DisplayTextEntriesAndNull) {
    CDisplayTextTable table;
    table.add(QStringLiteral("status,1,Pending"));
    table.add(QStringLiteral("note,a,b,c"));  // the value holds a comma
    table.add(QStringLiteral("status,1,Second"));
    EXPECT_EQ(table.DisplayText(QStringLiteral("STATUS"), QStringLiteral("1")), "Pending");
    EXPECT_EQ(table.DisplayText(QStringLiteral("status"), QStringLiteral("7")), "7");
    EXPECT_EQ(table.DisplayText(QStringLiteral("firm"), QStringLiteral("1")), "1");
    EXPECT_EQ(table.DisplayText(QStringLiteral("note"), QStringLiteral("A,B")), "c");
    EXPECT_EQ(table.DisplayText(QStringLiteral("firm"), QStringLiteral("NULL")), "");
    EXPECT_EQ(table.DisplayText(QStringLiteral("firm"), QStringLiteral("nUlL")), "");
    EXPECT_EQ(table.DisplayText(QStringLiteral("firm"), QStringLiteral("nullish")), "nullish");
}

}  // namespace

#include <gtest/gtest.h>

#include "FormFixture.h"
#include "data/Sharks2Rcs.h"
#include "data/SharksRcs.h"
#include "data/TableDef.h"
#include "notepad/RichText.h"
#include "notepad/TableTextDump.h"

namespace {

class TableTextDumpTest : public FormTest {};

}  // namespace

TEST_F(TableTextDumpTest, WritesEveryColumnAfterTheFirstTwoWithItsNameInBoldColour) {
    {
        CSharks2Rcs rs(&sharedDatabase());
        rs.Open();
        rs.AddNew();
        rs.setValue("id_firm", 7);
        rs.setValue("basic_number of workers", QStringLiteral("about 40"));
        rs.setValue("basic_specialization", QStringLiteral("line one\r\nline two"));
        rs.Update();
    }
    RichTextBuilder dump;
    ASSERT_EQ(
        TableTextDump(QStringLiteral("sharks2"), &dump, QStringLiteral("[id_firm] = 7"), QString()),
        1);
    const RichText& text = dump.text();
    const int columns = CTableDef(sharedDatabase(), QStringLiteral("Sharks2")).GetFieldCount();

    // name, value, empty line for every column; the last break opens one more paragraph.
    const std::vector<RichParagraph>& p = text.paragraphs;
    ASSERT_EQ(p.size(), static_cast<std::size_t>(3 * (columns - 2) + 1 + 1));
    ASSERT_EQ(p[0].runs.size(), 1u);
    const RichRun& name = p[0].runs[0];
    EXPECT_EQ(name.text, QStringLiteral("basic_number of workers"));
    EXPECT_TRUE(name.format.bold);
    EXPECT_EQ(name.format.face, QStringLiteral("arial"));
    EXPECT_EQ(name.format.color, kDumpNameColor);
    EXPECT_EQ(kDumpNameColor, (100u << 16) | (30u << 8) | 30u);

    ASSERT_EQ(p[1].runs.size(), 1u);
    EXPECT_EQ(p[1].runs[0].text, QStringLiteral("about 40"));
    EXPECT_FALSE(p[1].runs[0].format.bold);
    EXPECT_EQ(p[1].runs[0].format.face, QStringLiteral("arial"));
    EXPECT_FALSE(p[1].runs[0].format.color.has_value());
    EXPECT_TRUE(p[2].runs.empty());

    // A multi-line value keeps its lines.
    EXPECT_EQ(p[3].text(), QStringLiteral("basic_specialization"));
    EXPECT_EQ(p[4].text(), QStringLiteral("line one"));
    EXPECT_EQ(p[5].text(), QStringLiteral("line two"));
    // An empty column shows as the lists show a null.
    EXPECT_EQ(p[8].text(), QStringLiteral("NULL"));
}

TEST_F(TableTextDumpTest, NoRowGivesAnEmptyDumpAndFailuresReturnZero) {
    RichTextBuilder dump;
    EXPECT_EQ(TableTextDump(QStringLiteral("sharks"), &dump, QStringLiteral("[id_person] = 99"),
                            QString()),
              1);
    EXPECT_TRUE(dump.isEmpty());
    EXPECT_EQ(TableTextDump(QStringLiteral("sharks"), nullptr, QString(), QString()), 0);

    prompts.setLenient(true);
    EXPECT_EQ(TableTextDump(QStringLiteral("no such table"), &dump, QString(), QString()), 0);
    EXPECT_EQ(TableTextDump(QStringLiteral("sharks"), &dump, QStringLiteral("[id_person] = = 1"),
                            QString()),
              0);
    EXPECT_EQ(prompts.messages().size(), 2);
    EXPECT_TRUE(dump.isEmpty());
}

#include <gtest/gtest.h>

#include "exchange/CsvWriter.h"
#include "sync/CardText.h"

namespace {

using Kind = CExchangeRecord::Kind;

struct Case {
    const char* what;
    QByteArray card;
    QMap<QString, QString> changes;  // an empty value clears the column
    QList<QByteArray> kept;          // lines that must stay byte for byte
};

// A card rewritten with some columns changed reads back as the record with those changes and
// nothing else changed, keeps the lines it was told to keep, and has each name once.
TEST(CardText, ARewrittenCardReadsBackAsTheChangedRecordAndKeepsTheRest) {
    const Case cases[] = {
        {"firm without a kind, named by its display name",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:f1\r\nFN:Acme\r\nORG:Acme\r\n"
         "TEL;TYPE=WORK:+1 1\r\nTEL;TYPE=WORK:+1 2\r\nX-SOCIAL:acme\r\nEND:VCARD\r\n",
         {{"name", "Acme Tools"}, {"phone2", "+1 3"}},
         {"X-SOCIAL:acme", "UID:f1"}},
        {"person with only a display name",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Lena Berg\r\nBDAY:1980-01-02\r\nEND:VCARD\r\n",
         {{"firstname", "Lene"}},
         {"BDAY:1980-01-02"}},
        {"person with a middle name and a suffix",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Berg;Lena;Maria;;Jr.\r\nFN:Lena Berg\r\n"
         "TEL;TYPE=home:+2 1\r\nEND:VCARD\r\n",
         {{"lastname", "Bergman"}, {"phone_home1", ""}},
         {}},
        {"person whose home e-mail changes and who gets a mobile",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Holm;Nils;;;\r\nFN:Nils Holm\r\n"
         "EMAIL;TYPE=INTERNET,HOME:n@x.example\r\nEMAIL;TYPE=INTERNET:other@x.example\r\n"
         "NOTE:plays chess\r\nEND:VCARD\r\n",
         {{"email_home", "n2@x.example"}, {"phone_mobile", "+3 3"}, {"description", "plays go"}},
         {"EMAIL;TYPE=INTERNET:other@x.example"}},
    };
    for (const Case& c : cases) {
        const CExchangeRecord before = cardtext::recordOf(c.card);
        CExchangeRecord wanted = before;
        for (auto change = c.changes.cbegin(); change != c.changes.cend(); ++change) {
            if (change.value().isEmpty())
                wanted.values.remove(change.key());
            else
                wanted.values.insert(change.key(), change.value());
        }
        const QList<QString> keys = c.changes.keys();
        const QByteArray text =
            cardtext::patched(c.card, wanted, QSet<QString>(keys.cbegin(), keys.cend()));
        const CExchangeRecord after = cardtext::recordOf(text);
        EXPECT_EQ(after.kind, before.kind) << c.what;
        for (const QString& column : csvColumns(before.kind)) {
            if (column == u"description" && !c.changes.contains(column))
                continue;
            EXPECT_EQ(after.value(column).toStdString(), wanted.value(column).toStdString())
                << c.what << ", " << column.toStdString() << "\n"
                << text.toStdString();
        }
        for (const QByteArray& line : c.kept)
            EXPECT_TRUE(text.contains(line + "\r\n")) << c.what << "\n" << text.toStdString();
        EXPECT_LE(text.count("\nN:") + text.count("\nN;"), 1) << c.what;
        EXPECT_EQ(text.count("\nFN:"), 1) << c.what << "\n" << text.toStdString();
        EXPECT_TRUE(text.startsWith("BEGIN:VCARD\r\n") && text.endsWith("END:VCARD\r\n")) << c.what;
    }
}

TEST(CardText, ANewCardCarriesItsUidAndReadsBackAsTheRecord) {
    CExchangeRecord firm;
    firm.kind = Kind::Firm;
    firm.values = {{"name", "Widgets; GmbH"}, {"phone1", "+49 1"}, {"fax1", "+49 2"}};
    const QByteArray text = cardtext::newCard(firm, VCardVersion::V3, QStringLiteral("u-1"));
    EXPECT_EQ(cardtext::uidOf(text), u"u-1");
    EXPECT_EQ(cardtext::versionOf(text), VCardVersion::V3);
    const CExchangeRecord back = cardtext::recordOf(text);
    EXPECT_EQ(back.kind, Kind::Firm);
    EXPECT_EQ(back.values, firm.values);
}

}  // namespace

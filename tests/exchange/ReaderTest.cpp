#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>

#include "exchange/ContactImport.h"
#include "exchange/CsvReader.h"
#include "exchange/VCardReader.h"

namespace {

QString sample(const char* name) {
    return QStringLiteral(TARVEX_TEST_SOURCE_DIR "/exchange/samples/") + QLatin1String(name);
}

CReadResult readSample(const char* name) {
    return readContactFile(sample(name));
}

QString v(const CExchangeRecord& record, const char* column) {
    return record.value(QLatin1String(column));
}

}  // namespace

TEST(VCardReader, OldPhoneCardsWithQuotedPrintableAndCharsets) {
    const CReadResult read = readSample("phone21.vcf");
    ASSERT_EQ(read.records.size(), 2);
    // The broken card is reported at its bad line; the card after it is still read.
    ASSERT_EQ(read.unreadableLines, QList<int>{19});

    const CExchangeRecord& mueller = read.records[0];
    EXPECT_EQ(mueller.kind, CExchangeRecord::Kind::Person);
    EXPECT_EQ(v(mueller, "lastname"), QStringLiteral("Müller"));
    EXPECT_EQ(v(mueller, "firstname"), QStringLiteral("Jürgen"));
    EXPECT_EQ(v(mueller, "title"), QStringLiteral("Dr."));
    EXPECT_EQ(v(mueller, "phone_home1"), QStringLiteral("+49 30 1234"));
    EXPECT_EQ(v(mueller, "phone_mobile"), QStringLiteral("+49 170 555"));
    EXPECT_EQ(v(mueller, "phone_bussines1"), QStringLiteral("+49 30 9876"));
    EXPECT_EQ(v(mueller, "email_home"), QStringLiteral("juergen@example.de"));
    EXPECT_EQ(v(mueller, "address_home"),
              QStringLiteral("Hauptstraße 5\n10115 Berlin\nDeutschland"));
    const QString description = v(mueller, "description");
    EXPECT_TRUE(description.startsWith(QStringLiteral("Erste Zeile\r\nzweite Zeile")))
        << description.toStdString();
    // What has no column is kept in the description.
    EXPECT_TRUE(description.contains(QStringLiteral("Phone (work): +49 30 9877")));
    EXPECT_TRUE(description.contains(QStringLiteral("Birthday: 1970-05-01")));

    const CExchangeRecord& jones = read.records[1];
    EXPECT_EQ(v(jones, "lastname"), QStringLiteral("Jones"));
    EXPECT_EQ(v(jones, "firm"), QStringLiteral("Jones Ltd"));
    EXPECT_EQ(v(jones, "function"), QStringLiteral("Buyer"));
    EXPECT_TRUE(v(jones, "description").contains(QStringLiteral("Unit: Sales")));
}

TEST(VCardReader, FoldedLinesTypeListsEscapesAndBom) {
    const CReadResult read = readSample("folded30.vcf");
    ASSERT_EQ(read.records.size(), 1);
    EXPECT_TRUE(read.unreadable.isEmpty());
    const CExchangeRecord& jane = read.records[0];
    EXPECT_EQ(v(jane, "lastname"), QStringLiteral("Doe"));
    EXPECT_EQ(v(jane, "firstname"), QStringLiteral("Jane"));
    EXPECT_EQ(v(jane, "title"), QStringLiteral("Ms."));
    EXPECT_EQ(v(jane, "firm"), QStringLiteral("Acme, Inc."));
    EXPECT_EQ(v(jane, "function"),
              QStringLiteral("Head of research and of the long titles that make lines longer "
                             "than seventy-five bytes"));
    EXPECT_EQ(v(jane, "phone_bussines1"), QStringLiteral("+1 555 0100"));
    EXPECT_EQ(v(jane, "phone_home1"), QStringLiteral("+1 555 0101"));
    EXPECT_EQ(v(jane, "phone_mobile"), QStringLiteral("+1 555 0102"));
    EXPECT_EQ(v(jane, "email_home"), QStringLiteral("jane@home.example"));
    EXPECT_EQ(v(jane, "email_bussines"), QStringLiteral("jane@acme.example"));
    EXPECT_EQ(v(jane, "address_home"),
              QStringLiteral("1 Main St\nApt 2\n62701 Springfield\nIL\nUSA"));
    EXPECT_EQ(v(jane, "group"), QStringLiteral("Friends"));
    const QString description = v(jane, "description");
    EXPECT_TRUE(description.startsWith(QStringLiteral("Likes tea; no sugar\nCalls on Fridays")));
    for (const char* kept : {"Phone (home): +1 555 0199", "Categories: Golf", "Middle name: Q.",
                             "Unit: Research", "Photo: "})
        EXPECT_TRUE(description.contains(QLatin1String(kept))) << kept;
}

TEST(VCardReader, OrganisationCardBecomesFirm) {
    const CReadResult read = readSample("kindorg40.vcf");
    ASSERT_EQ(read.records.size(), 2);
    const CExchangeRecord& firm = read.records[0];
    EXPECT_EQ(firm.kind, CExchangeRecord::Kind::Firm);
    EXPECT_EQ(v(firm, "name"), QStringLiteral("Widgets GmbH"));
    EXPECT_EQ(v(firm, "phone1"), QStringLiteral("+49-89-100"));
    EXPECT_EQ(v(firm, "fax1"), QStringLiteral("+49-89-101"));
    EXPECT_EQ(v(firm, "email1"), QStringLiteral("info@widgets.example"));
    EXPECT_EQ(v(firm, "web"), QStringLiteral("https://widgets.example"));
    EXPECT_EQ(v(firm, "address"), QStringLiteral("Industriestr. 1\n80331 München\nGermany"));
    EXPECT_EQ(v(firm, "description"), QStringLiteral("Supplier"));
    EXPECT_EQ(read.records[1].kind, CExchangeRecord::Kind::Person);
    EXPECT_EQ(v(read.records[1], "firstname"), QStringLiteral("Zoë"));
}

TEST(CsvReader, QuotedFieldsDoubledQuotesAndBreaks) {
    int unclosed = -1;
    const QList<CCsvRow> rows =
        parseCsv(QStringLiteral("a;b;c\r\n\"x;1\";\"say \"\"hi\"\"\";\"two\nlines\"\r\nlast;;\n"),
                 &unclosed);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(unclosed, 0);
    EXPECT_EQ(rows[1].fields, (QStringList{QStringLiteral("x;1"), QStringLiteral("say \"hi\""),
                                           QStringLiteral("two\nlines")}));
    EXPECT_EQ(rows[2].line, 4);
    EXPECT_EQ(rows[2].fields, (QStringList{QStringLiteral("last"), QString(), QString()}));
}

TEST(CsvReader, ThunderbirdLayout) {
    const CReadResult read = readSample("thunderbird.csv");
    ASSERT_EQ(read.records.size(), 2);
    const CExchangeRecord& peter = read.records[0];
    EXPECT_EQ(v(peter, "firstname"), QStringLiteral("Peter"));
    EXPECT_EQ(v(peter, "lastname"), QStringLiteral("Parker"));
    EXPECT_EQ(v(peter, "email_home"), QStringLiteral("peter@example.com"));
    EXPECT_EQ(v(peter, "phone_bussines1"), QStringLiteral("555-1000"));
    EXPECT_EQ(v(peter, "phone_home1"), QStringLiteral("555-2000"));
    EXPECT_EQ(v(peter, "phone_mobile"), QStringLiteral("555-3000"));
    EXPECT_EQ(v(peter, "address_home"), QStringLiteral("20 Ingram St\n11375 Queens\nNY\nUSA"));
    EXPECT_EQ(v(peter, "firm"), QStringLiteral("Daily Bugle"));
    EXPECT_EQ(v(peter, "function"), QStringLiteral("Photographer"));
    EXPECT_TRUE(
        v(peter, "description").startsWith(QStringLiteral("Notes with, comma\nand \"quotes\"")));
    EXPECT_TRUE(v(peter, "description").contains(QStringLiteral("Birthday: 1962-8-10")));
    EXPECT_EQ(v(read.records[1], "lastname"), QStringLiteral("Watson"));
}

TEST(CsvReader, GoogleLayoutWithTypedNumberedColumns) {
    const CReadResult read = readSample("google.csv");
    ASSERT_EQ(read.records.size(), 1);
    EXPECT_EQ(read.unreadableLines, QList<int>{4});
    const CExchangeRecord& lisa = read.records[0];
    EXPECT_EQ(v(lisa, "firstname"), QStringLiteral("Lisa"));
    EXPECT_EQ(v(lisa, "lastname"), QStringLiteral("Simpson"));
    EXPECT_EQ(v(lisa, "email_home"), QStringLiteral("lisa@home.example"));
    EXPECT_EQ(v(lisa, "email_bussines"), QStringLiteral("lisa@work.example"));
    EXPECT_EQ(v(lisa, "phone_mobile"), QStringLiteral("+1 555 7000"));
    EXPECT_EQ(v(lisa, "phone_bussines1"), QStringLiteral("+1 555 8000"));
    EXPECT_EQ(v(lisa, "address_home"), QStringLiteral("742 Evergreen Terrace\nSpringfield"));
    EXPECT_EQ(v(lisa, "firm"), QStringLiteral("Springfield Elementary"));
    EXPECT_EQ(v(lisa, "function"), QStringLiteral("Student"));
    EXPECT_EQ(v(lisa, "group"), QStringLiteral("Family"));
    EXPECT_TRUE(v(lisa, "description").contains(QStringLiteral("Phone (cell): +1 555 7001")));
}

TEST(Readers, MalformedInputNeverCrashesOrHangs) {
    QRandomGenerator random(42);
    const QByteArray pieces[] = {"BEGIN:VCARD\r\n",
                                 "END:VCARD\r\n",
                                 "N:a;b\r\n",
                                 " folded\r\n",
                                 "TEL;TYPE=\"x:",
                                 "=\r\n",
                                 "\"",
                                 ",",
                                 ";",
                                 "\n",
                                 "\\",
                                 "=C3"};
    for (int round = 0; round < 300; ++round) {
        QByteArray data;
        for (int i = 0; i < 40; ++i)
            data += pieces[random.bounded(int(std::size(pieces)))];
        readVCards(data);
        readContactsCsv(data);
    }
    const CReadResult truncated = readVCards("BEGIN:VCARD\r\nN:Last;First\r\nEND");
    EXPECT_TRUE(truncated.records.isEmpty());
    EXPECT_EQ(truncated.unreadableLines, QList<int>{3});
}

TEST(Encodings, AnOfficeSuitesWindowsCsvIsReadAsWindows1252) {
    const CReadResult read = readSample("office1252.csv");
    EXPECT_EQ(read.encoding, QStringLiteral("Windows-1252"));
    ASSERT_EQ(read.records.size(), 3);
    const CExchangeRecord& mueller = read.records[0];
    EXPECT_EQ(v(mueller, "firstname"), QStringLiteral("François"));
    EXPECT_EQ(v(mueller, "lastname"), QStringLiteral("Müller"));
    // The quotation marks and the euro sign exist in Windows-1252 only, not in Latin-1.
    EXPECT_EQ(v(mueller, "firm"), QStringLiteral("Café „Zur Post“"));
    EXPECT_TRUE(v(mueller, "description").contains(QStringLiteral("5 € – gern")));
    EXPECT_EQ(v(read.records[1], "lastname"), QStringLiteral("Ångström"));
    // A row with only an e-mail address is a person known by it; one with only a phone
    // number is reported.
    EXPECT_EQ(v(read.records[2], "lastname"), QStringLiteral("lost.contact@example.org"));
    EXPECT_EQ(v(read.records[2], "email_home"), QStringLiteral("lost.contact@example.org"));
    EXPECT_EQ(read.unreadableLines, QList<int>{5});
}

TEST(Encodings, OldCardsHonourTheirCharsetAndAreOtherwiseReadAsWindows1252) {
    const CReadResult read = readSample("charset21.vcf");
    ASSERT_EQ(read.records.size(), 4);
    EXPECT_TRUE(read.unreadable.isEmpty());
    EXPECT_EQ(v(read.records[0], "lastname"), QStringLiteral("Gödel"));
    EXPECT_EQ(v(read.records[1], "lastname"), QStringLiteral("O’Brien"));
    EXPECT_EQ(v(read.records[1], "firstname"), QStringLiteral("Seán"));
    EXPECT_EQ(v(read.records[2], "lastname"), QStringLiteral("Novák"));
    EXPECT_EQ(v(read.records[3], "lastname"), QStringLiteral("Jørgensen"));
    EXPECT_EQ(v(read.records[3], "firm"), QStringLiteral("Müller & Söhne „GmbH“"));
    EXPECT_EQ(read.encoding, QStringLiteral("ISO-8859-1, Windows-1252, UTF-8"));
}

TEST(Encodings, ByteOrderMarksAndValidUtf8AreTrusted) {
    const QString header = QStringLiteral("First Name,Last Name\r\n");
    const QString row = QStringLiteral("Jürgen,Weiß\r\n");
    QByteArray utf16 = "\xFF\xFE";
    for (const QChar c : header + row) {
        utf16 += char(c.unicode() & 0xFF);
        utf16 += char(c.unicode() >> 8);
    }
    const QByteArray utf8 = (header + row).toUtf8();
    const std::pair<QByteArray, const char*> files[] = {
        {utf16, "UTF-16"}, {"\xEF\xBB\xBF" + utf8, "UTF-8"}, {utf8, "UTF-8"}};
    for (const auto& [data, encoding] : files) {
        const CReadResult read = readContactsCsv(data);
        EXPECT_EQ(read.encoding, QLatin1String(encoding));
        ASSERT_EQ(read.records.size(), 1) << encoding;
        EXPECT_EQ(v(read.records[0], "lastname"), QStringLiteral("Weiß"));
    }
    // A plain UTF-8 card of 2.1 names no charset; a quoted-printable value that is no
    // UTF-8 in the same file is Windows text.
    const CReadResult cards = readVCards(
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Weiß;Jürgen\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE:Fran=E7ois\r\nEND:VCARD\r\n");
    ASSERT_EQ(cards.records.size(), 2);
    EXPECT_EQ(v(cards.records[0], "lastname"), QStringLiteral("Weiß"));
    EXPECT_EQ(v(cards.records[1], "lastname"), QStringLiteral("François"));
    EXPECT_EQ(cards.encoding, QStringLiteral("UTF-8, Windows-1252"));
}

TEST(VCardReader, CardsWithOnlyADisplayNameOrAnAddressAreKeptAndTheFirstOrgIsTheFirm) {
    const CReadResult read = readSample("unnamed40.vcf");
    ASSERT_EQ(read.records.size(), 3);
    const CExchangeRecord& anna = read.records[0];
    EXPECT_EQ(anna.kind, CExchangeRecord::Kind::Person);
    EXPECT_EQ(v(anna, "lastname"), QStringLiteral("Smith"));
    EXPECT_EQ(v(anna, "firstname"), QStringLiteral("Anna Maria"));

    const CExchangeRecord& lost = read.records[1];
    EXPECT_EQ(lost.kind, CExchangeRecord::Kind::Person);
    EXPECT_EQ(v(lost, "lastname"), QStringLiteral("lost@example.org"));
    EXPECT_EQ(v(lost, "email_bussines"), QStringLiteral("lost@example.org"));
    EXPECT_EQ(v(lost, "phone_home1"), QStringLiteral("+1 555 0101"));

    const CExchangeRecord& bob = read.records[2];
    EXPECT_EQ(v(bob, "firm"), QStringLiteral("Acme"));
    const QString description = v(bob, "description");
    EXPECT_TRUE(description.contains(QStringLiteral("Unit: Sales"))) << description.toStdString();
    EXPECT_TRUE(description.contains(QStringLiteral("Organisation: Beta Club")));
    EXPECT_TRUE(description.contains(QStringLiteral("Organisation: Gamma Society, Board")));

    // Nothing to call the last card by: it is reported at its line.
    ASSERT_EQ(read.unreadableLines, QList<int>{18});
    EXPECT_TRUE(read.unreadable[0].contains(QStringLiteral("without a name")));
}

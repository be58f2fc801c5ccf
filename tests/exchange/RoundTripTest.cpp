#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "data/DataTestSupport.h"
#include "data/Statement.h"
#include "exchange/AlarmCalendar.h"
#include "exchange/ContactExport.h"
#include "exchange/ContactImport.h"
#include "exchange/CsvWriter.h"
#include "support/StatementTrace.h"

namespace {

using Kind = CExchangeRecord::Kind;

CExchangeRecord fullPerson() {
    CExchangeRecord r;
    r.kind = Kind::Person;
    r.values = {
        {"lastname", "Ölund"},
        {"firstname", "Åsa Maria"},
        {"title", "Dr."},
        {"function", "Buyer, senior; purchasing"},
        {"firm", "Acme; Inc, \"The\" one"},
        {"phone_home1", "+46 8 123"},
        {"phone_bussines1", "+46 8 456"},
        {"phone_mobile", "+46 70 789"},
        {"email_home", "asa@home.example"},
        {"email_bussines", "asa@acme.example"},
        {"group", "Golf, tennis"},
        {"address_home", "Storgatan 1\n111 22 Stockholm\nSweden"},
        {"description", QStringLiteral("A long note \\ with backslash, and a line that goes on "
                                       "and on well past seventy-five bytes: ÄÖÜ äöü € 漢字\n"
                                       "second line")}};
    return r;
}

CExchangeRecord fullFirm() {
    CExchangeRecord r;
    r.kind = Kind::Firm;
    r.values = {{"name", "Widgets; GmbH, München"},
                {"person", "Karl Heinz Berger"},
                {"title", "Mr."},
                {"function", "Sales"},
                {"phone1", "+49 89 1"},
                {"phone2", "+49 89 2"},
                {"fax1", "+49 89 3"},
                {"fax2", "+49 89 4"},
                {"email1", "info@widgets.example"},
                {"web", "https://widgets.example/a,b;c"},
                {"group", "Suppliers"},
                {"address", "Industriestr. 1\n80331 München"},
                {"description", "Supplier\nsince 1999"}};
    return r;
}

class ExchangeDbTest : public DataTest {
protected:
    qint64 count(const char* table) {
        CStatement statement(
            db, QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(QLatin1String(table)));
        statement.step();
        return statement.int64(0);
    }
    void importOnly(const QList<CExchangeRecord>& records, bool addAnyway = false) {
        CReadResult read;
        read.records = records;
        importRecords(db, read, addAnyway);
    }
    // Exports what the file holds, then reads it into a second, empty contacts file.
    QList<CExchangeRecord> roundTrip(Kind kind, ContactFormat format) {
        const QString file = path(format == ContactFormat::Csv ? "out.csv" : "out.vcf");
        QString error;
        EXPECT_TRUE(exportContacts(loadRecords(db, kind), format, kind, file, error))
            << error.toStdString();
        const QString otherPath = path(QStringLiteral("other.mdb"));
        CDatabase::Create(otherPath, QString());
        CDatabase other;
        other.Open(otherPath);
        const CReadResult read = readContactFile(file);
        EXPECT_TRUE(read.unreadable.isEmpty()) << read.unreadable.join(u'\n').toStdString();
        importRecords(other, read, false);
        QList<CExchangeRecord> back = loadRecords(other, kind);
        other.Close();
        QFile::remove(otherPath);
        return back;
    }
};

TEST_F(ExchangeDbTest, EveryColumnSurvivesExportAndImportInEachFormat) {
    importOnly({fullPerson(), fullFirm()});
    for (ContactFormat format :
         {ContactFormat::VCard3, ContactFormat::VCard4, ContactFormat::Csv}) {
        SCOPED_TRACE(int(format));
        const QList<CExchangeRecord> persons = roundTrip(Kind::Person, format);
        ASSERT_EQ(persons.size(), 1);
        EXPECT_EQ(persons[0].values, fullPerson().values);
        const QList<CExchangeRecord> firms = roundTrip(Kind::Firm, format);
        ASSERT_EQ(firms.size(), 1);
        EXPECT_EQ(firms[0].values, fullFirm().values);
    }
}

TEST_F(ExchangeDbTest, ImportCreatesMissingGroupsOnce) {
    CExchangeRecord second = fullPerson();
    second.values["lastname"] = "Other";
    second.values["group"] = "GOLF, TENNIS";
    importOnly({fullPerson(), second, fullFirm()});
    EXPECT_EQ(count("Group"), 2);
}

TEST_F(ExchangeDbTest, ProbableDuplicatesAreSkippedByReasonUnlessAddedAnyway) {
    importOnly({fullPerson(), fullFirm()});
    CExchangeRecord samePerson;
    samePerson.values = {{"lastname", "öLUND"}, {"firstname", "åSA MARIA"}};
    CExchangeRecord spelledOut;
    spelledOut.values = {{"lastname", "Oelund"}, {"firstname", "Asa-Maria"}};
    CExchangeRecord swapped;
    swapped.values = {{"lastname", "Åsa Maria"}, {"firstname", "Ölund"}};
    // Another name with her e-mail and phone: she married, or her card says "Dr. Ölund".
    CExchangeRecord sameAddress;
    sameAddress.values = {{"lastname", "Berg"},
                          {"email_bussines", "ASA@acme.example"},
                          {"phone_mobile", "+46 (70) 789"}};
    // Her e-mail alone, which an assistant may share, is not enough.
    CExchangeRecord assistant;
    assistant.values = {{"lastname", "Lind"}, {"email_home", "asa@acme.example"}};
    CExchangeRecord sameFirm;
    sameFirm.kind = Kind::Firm;
    sameFirm.values = {{"name", "WIDGETS; GMBH, MÜNCHEN"}};
    CExchangeRecord otherPerson;
    otherPerson.values = {{"lastname", "Ölund"}, {"firstname", "Bo"}};
    CReadResult read;
    // The same new person twice in one file counts as present the second time.
    read.records = {samePerson, spelledOut, swapped,     sameAddress,
                    assistant,  sameFirm,   otherPerson, otherPerson};
    read.fail(7, QStringLiteral("not a vCard line"));
    const CImportSummary summary = importRecords(db, read, false);
    EXPECT_EQ(summary.persons, 2);
    EXPECT_EQ(summary.firms, 0);
    EXPECT_EQ(summary.duplicates, 6);
    const QStringList lines = summary.text().split(u'\n');
    EXPECT_EQ(lines.value(0),
              QStringLiteral("9 cards read as UTF-8: 2 persons and 0 companies added, 6 skipped "
                             "as probably already present (4 same name, 1 first and last name "
                             "swapped, 1 same e-mail), 1 not readable."));
    // A line for each card not added, in the order of the file.
    EXPECT_EQ(lines.size(), 8);
    EXPECT_EQ(lines.value(1),
              QStringLiteral("line 0: öLUND åSA MARIA is probably already present (same name)"));
    EXPECT_EQ(lines.value(4), QStringLiteral("line 0: Berg is probably already present (same "
                                             "e-mail, same phone)"));
    EXPECT_EQ(lines.value(7), QStringLiteral("line 7: not a vCard line"));
    EXPECT_EQ(count("Person"), 3);

    const CImportSummary anyway = importRecords(db, read, true);
    EXPECT_EQ(anyway.persons, 7);
    EXPECT_EQ(anyway.firms, 1);
    EXPECT_EQ(count("Person"), 10);
    EXPECT_EQ(count("Firm"), 2);
}

TEST_F(ExchangeDbTest, CancelledImportLeavesTheFileUnchanged) {
    importOnly({fullFirm()});
    CReadResult read;
    for (int i = 0; i < 5; ++i) {
        CExchangeRecord r;
        r.values = {{"lastname", QStringLiteral("Person %1").arg(i)}, {"group", "New group"}};
        read.records << r;
    }
    const CImportSummary summary =
        importRecords(db, read, false, [](qsizetype done, qsizetype) { return done < 3; });
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(count("Person"), 0);
    EXPECT_EQ(count("Group"), 1);
    EXPECT_EQ(count("Firm"), 1);
}

TEST_F(ExchangeDbTest, ChosenRecordsAreReadByKeyNotByReadingTheWholeTable) {
    QList<CExchangeRecord> many;
    for (int i = 0; i < 300; ++i) {
        CExchangeRecord r;
        r.values = {{"lastname", QStringLiteral("P%1").arg(i, 3, 10, QLatin1Char('0'))}};
        many << r;
    }
    importOnly(many);
    CStatement last(db, QStringLiteral("SELECT max(\"id\"), min(\"id\") FROM \"Person\""));
    ASSERT_TRUE(last.step());
    const qint64 newest = last.int64(0), oldest = last.int64(1);
    StatementTrace trace(db.handle());
    const QList<CExchangeRecord> chosen = loadRecords(db, Kind::Person, {newest, oldest});
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[0].value("lastname"), QStringLiteral("P299"));
    EXPECT_EQ(chosen[1].value("lastname"), QStringLiteral("P000"));
    EXPECT_LE(trace.rows(), 2);
}

TEST_F(ExchangeDbTest, ExportKeepsTheGivenOrderAndCancelKeepsTheOldFile) {
    CExchangeRecord a, b, c;
    a.values = {{"lastname", "A"}};
    b.values = {{"lastname", "B"}};
    c.values = {{"lastname", "C"}};
    importOnly({a, b, c});
    QList<qint64> ids;
    CStatement statement(
        db, QStringLiteral("SELECT \"id\" FROM \"Person\" ORDER BY \"lastname\" DESC"));
    while (statement.step())
        ids << statement.int64(0);
    const QList<CExchangeRecord> chosen = loadRecords(db, Kind::Person, {ids[0], 999, ids[2]});
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[0].value("lastname"), QStringLiteral("C"));
    EXPECT_EQ(chosen[1].value("lastname"), QStringLiteral("A"));

    const QString file = path("kept.csv");
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    QString error;
    EXPECT_FALSE(exportContacts(chosen, ContactFormat::Csv, Kind::Person, file, error,
                                [](qsizetype, qsizetype) { return false; }));
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
}

// The system's python, which has the Debian packages (python3-vobject, python3-icalendar),
// ahead of any other python3 on the path.
QString pythonProgram() {
    const QString system =
        QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
    return system.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("python3")) : system;
}

// Runs a python script on a file and returns what it prints.
QString python(const QString& script, const QString& file) {
    QProcess process;
    process.start(pythonProgram(), {QStringLiteral("-c"), script, file});
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

TEST_F(ExchangeDbTest, WrittenCardsReadByAnIndependentParser) {
    if (pythonProgram().isEmpty())
        GTEST_SKIP() << "python3 is missing";
    importOnly({fullPerson(), fullFirm()});
    const QString script = QStringLiteral(
        "import sys, vobject\n"
        "for card in vobject.readComponents(open(sys.argv[1], encoding='utf-8-sig').read()):\n"
        "    print(card.fn.value, '|', card.org.value[0], '|', len(card.tel_list), '|',\n"
        "          card.note.value.replace('\\n', '/'))\n");
    for (ContactFormat format : {ContactFormat::VCard3, ContactFormat::VCard4}) {
        for (Kind kind : {Kind::Person, Kind::Firm}) {
            const QString file = path(QStringLiteral("p.vcf"));
            QString error;
            ASSERT_TRUE(exportContacts(loadRecords(db, kind), format, kind, file, error));
            const QString expected =
                kind == Kind::Person
                    ? QStringLiteral("Åsa Maria Ölund | Acme; Inc, \"The\" one | 3 | ") +
                          fullPerson().value("description").replace(u'\n', u'/')
                    : QStringLiteral(
                          "Widgets; GmbH, München | Widgets; GmbH, München | 4 | "
                          "Supplier/since 1999");
            EXPECT_EQ(python(script, file), expected);
        }
    }
}

TEST_F(ExchangeDbTest, AlarmCalendarReadByAnIndependentParser) {
    if (pythonProgram().isEmpty())
        GTEST_SKIP() << "python3 is missing";
    CStatement insert(db, QStringLiteral("INSERT INTO \"Alarm\" (\"name\", \"date\", \"time\", "
                                         "\"status\", \"person\", \"firm\", \"description\") "
                                         "VALUES (?, ?, ?, ?, ?, ?, ?)"));
    const struct {
        const char* subject;
        int status;
    } alarms[] = {{"Call Åsa", 1}, {"Done one", 0}, {"Off", 2},
                  {"Daily", 3},    {"Monthly", 4},  {"Yearly", 5}};
    int day = 1;
    for (const auto& alarm : alarms) {
        insert.bind(1, QString::fromUtf8(alarm.subject));
        insert.bind(2, QStringLiteral("2027-03-%1 00:00:00").arg(day++, 2, 10, QChar(u'0')));
        insert.bind(3, QStringLiteral("1899-12-30 02:30:00"));
        insert.bind(4, alarm.status);
        insert.bind(5, QStringLiteral("Åsa Ölund"));
        insert.bind(6, QStringLiteral("Acme"));
        insert.bind(7, QStringLiteral("Bring the contract"));
        insert.execute();
        insert.reset();
    }
    const QString file = path(QStringLiteral("alarms.ics"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(calendarOf(loadCalendarAlarms(db)));
    }
    const QString script = QStringLiteral(
        "import sys, icalendar\n"
        "cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())\n"
        "for e in cal.walk('VEVENT'):\n"
        "    r = e.get('RRULE')\n"
        "    a = e.walk('VALARM')[0]\n"
        "    print(e['SUMMARY'], e.decoded('DTSTART').isoformat(), r['FREQ'][0] if r else '-',\n"
        "          a['ACTION'], a.decoded('TRIGGER'), e['DESCRIPTION'].replace('\\n', '/'))\n");
    EXPECT_EQ(python(script, file),
              QStringLiteral(
                  "Call Åsa 2027-03-01T02:30:00 - DISPLAY 0:00:00 Bring the contract/Person: Åsa "
                  "Ölund/Company: Acme\n"
                  "Daily 2027-03-04T02:30:00 DAILY DISPLAY 0:00:00 Bring the contract/Person: Åsa "
                  "Ölund/Company: Acme\n"
                  "Monthly 2027-03-05T02:30:00 MONTHLY DISPLAY 0:00:00 Bring the contract/Person: "
                  "Åsa Ölund/Company: Acme\n"
                  "Yearly 2027-03-06T02:30:00 YEARLY DISPLAY 0:00:00 Bring the contract/Person: "
                  "Åsa Ölund/Company: Acme"));
}

}  // namespace

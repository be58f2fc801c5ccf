#include <gtest/gtest.h>

#include <QDateTime>

#include "DataTestSupport.h"
#include "data/ContactRcs.h"
#include "data/Statement.h"
#include "data/StoredDateTime.h"
#include "support/ScopedTimeZone.h"

namespace {

struct Night {
    const char* zone;
    QDate day;
    QTime wallTime;  // a time that the night skips or repeats
};

// Both daylight-saving transitions of 2026 in two zones: the skipped hour in spring, the
// repeated hour in autumn.
const Night kNights[] = {
    {"Europe/Berlin", QDate(2026, 3, 29), QTime(2, 30)},
    {"Europe/Berlin", QDate(2026, 10, 25), QTime(2, 30)},
    {"America/New_York", QDate(2026, 3, 8), QTime(2, 30)},
    {"America/New_York", QDate(2026, 11, 1), QTime(1, 30)},
};

class StoredMomentTest : public DataTest, public testing::WithParamInterface<Night> {};

QString storedText(CDatabase& db, qint64 id, const char* column) {
    CStatement read(
        db,
        QStringLiteral("SELECT %1 FROM Contact WHERE id = %2").arg(QLatin1String(column)).arg(id));
    return read.step() ? read.text(0) : QStringLiteral("<missing>");
}

}  // namespace

TEST_P(StoredMomentTest, TransitionNightsRoundTripExactly) {
    const Night night = GetParam();
    const ScopedTimeZone zone(night.zone);
    const QString expected = night.day.toString(Qt::ISODate) + u' ' +
                             night.wallTime.toString(QStringLiteral("HH:mm:ss"));

    // Saved through a record set, as the forms save: the text is the wall-clock time.
    CContactRcs contacts(&db);
    contacts.Open();
    const QDateTime moment = wallClock(night.day, night.wallTime);
    const qint64 id = add(contacts, {{"date", moment}, {"time", moment}, {"person", "A"}});
    EXPECT_EQ(storedText(db, id, "date"), expected);
    EXPECT_EQ(storedText(db, id, "time"), expected);

    // Read back through another connection: the same day and time, not null, not shifted.
    CDatabase other;
    other.Open(dbPath);
    CContactRcs reread(&other);
    reread.m_strFilter = QStringLiteral("id = %1").arg(id);
    reread.Open();
    ASSERT_FALSE(reread.IsEOF());
    const QDateTime date = reread.dateTime(QStringLiteral("date"));
    const QDateTime time = reread.dateTime(QStringLiteral("time"));
    ASSERT_TRUE(date.isValid());
    EXPECT_EQ(date.date(), night.day);
    EXPECT_EQ(time.time(), night.wallTime);
    EXPECT_EQ(toStoredDateTime(time), expected);

    // A local moment handed to the record set is kept as the date and time it shows.
    reread.Edit();
    reread.setValue(QStringLiteral("date"), QDateTime(night.day, QTime(12, 0)));
    reread.Update();
    EXPECT_EQ(storedText(other, id, "date"), night.day.toString(Qt::ISODate) + " 12:00:00");
}

INSTANTIATE_TEST_SUITE_P(Zones, StoredMomentTest, testing::ValuesIn(kNights));

TEST(StoredDateTime, ParsesOnlyTheStoredForms) {
    EXPECT_EQ(fromStoredDateTime(u"2024-02-29 23:59:58"),
              wallClock(QDate(2024, 2, 29), QTime(23, 59, 58)));
    EXPECT_EQ(fromStoredDateTime(u"2024-02-29"), wallClock(QDate(2024, 2, 29), QTime(0, 0)));
    EXPECT_FALSE(fromStoredDateTime(u"2023-02-29 10:00:00").isValid());
    EXPECT_FALSE(fromStoredDateTime(u"2024-02-28 25:00:00").isValid());
    EXPECT_FALSE(fromStoredDateTime(u"2024/02/28").isValid());
    EXPECT_FALSE(fromStoredDateTime(u"").isValid());
    EXPECT_EQ(toStoredDateTime(QDateTime()), QString());
}

// An alarm's day and time of day come from two columns: each part is read on its own.
TEST(StoredDateTime, DayAndTimeOfDayAreReadApart) {
    EXPECT_EQ(storedDay(u"2026-12-08 14:30:00"), QDate(2026, 12, 8));
    EXPECT_EQ(storedDay(u"2026-12-08"), QDate(2026, 12, 8));
    EXPECT_FALSE(storedDay(u"2026/12/08").isValid());
    EXPECT_FALSE(storedDay(u"2026-02-30").isValid());
    EXPECT_EQ(storedTimeOfDay(u"1899-12-30 14:30:05"), QTime(14, 30, 5));
    EXPECT_EQ(storedTimeOfDay(u"2026-12-08"), QTime(0, 0));
    EXPECT_FALSE(storedTimeOfDay(u"2026-12-08 14:30").isValid());
    EXPECT_FALSE(storedTimeOfDay(u"2026-12-08 24:00:00").isValid());
}

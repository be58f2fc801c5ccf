#pragma once

#include <QElapsedTimer>
#include <QTest>
#include <atomic>
#include <chrono>

#include "FormFixture.h"
#include "alarms/AlarmFView.h"
#include "alarms/AlarmNotice.h"
#include "alarms/AlarmScheduler.h"
#include "data/AlarmRcs.h"
#include "platform/Clock.h"

inline QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

struct Alarm {
    const char* name;
    QDateTime when;
    int status = 1;
    const char* person = "";
    const char* firm = "";
    const char* description = "";
};

// Adds alarms on the shared connection, both columns holding the moment; gives their ids.
inline std::vector<qint32> addAlarms(std::initializer_list<Alarm> alarms) {
    std::vector<qint32> ids;
    CAlarmRcs rs(&sharedDatabase());
    rs.Open();
    for (const Alarm& a : alarms) {
        rs.AddNew();
        rs.setValue("name", QString::fromUtf8(a.name));
        rs.setValue("date", a.when);
        rs.setValue("time", a.when);
        rs.setValue("status", a.status);
        rs.setValue("person", QString::fromUtf8(a.person));
        rs.setValue("firm", QString::fromUtf8(a.firm));
        rs.setValue("description", QString::fromUtf8(a.description));
        rs.Update();
        ids.push_back(static_cast<qint32>(rs.GetLastModifiedBookmark()));
    }
    return ids;
}

struct StoredAlarm {
    QString name;
    QDateTime date;
    QDateTime time;
    int status = -1;
};

// An alarm as the file holds it, read through a connection of its own.
inline StoredAlarm storedAlarm(qint32 id) {
    CDatabase db;
    db.Open(databasePath());
    CAlarmRcs rs(&db);
    rs.m_strFilter = QStringLiteral("id = %1").arg(id);
    rs.Open();
    if (rs.IsEOF())
        return {};
    return {rs.text("name"), rs.dateTime("date"), rs.dateTime("time"), rs.longValue("status")};
}

// Form and notification tests: a main window with the alarm form, a clock the test sets,
// and a scheduler that passes over its table every few milliseconds.
class AlarmFrameTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        setNow(at(2026, 6, 10, 12, 0, 0));
        setClockForTesting([this] { return QDateTime::fromMSecsSinceEpoch(m_now.load()); });
    }
    void TearDown() override {
        if (frame)
            frame->StopAlarmScanner();
        closeNotices();
        FormTest::TearDown();
        setClockForTesting({});
    }
    void setNow(const QDateTime& now) { m_now = now.toMSecsSinceEpoch(); }
    QDateTime now() const { return QDateTime::fromMSecsSinceEpoch(m_now.load()); }

    void startAlarmFrame() {
        startFrame({kindTemplate("Alarm", FrameKind::Record, createAlarmView)});
        frame->alarmScheduler().setPollInterval(std::chrono::milliseconds(10));
    }
    CAlarmFView* alarmForm() const { return view<CAlarmFView>("Alarm"); }

    QList<CAlarmNotice*> notices() const { return frame->findChildren<CAlarmNotice*>(); }
    // Handles events until `count` notices are open or the time is up.
    bool waitForNotices(qsizetype count, int ms = 2000) {
        QElapsedTimer timer;
        timer.start();
        while (notices().size() < count && timer.elapsed() < ms)
            QTest::qWait(5);
        return notices().size() == count;
    }
    void settle(int ms = 100) { QTest::qWait(ms); }
    void closeNotices() {
        if (!frame)
            return;
        for (CAlarmNotice* notice : notices())
            delete notice;
    }

private:
    std::atomic<qint64> m_now{0};
};

#include <gtest/gtest.h>

#include <thread>

#include "platform/Clock.h"

TEST(Clock, TestsCanSetTheTimeAndGiveItBack) {
    const QDateTime fixed(QDate(1999, 12, 6), QTime(18, 12, 29));
    setClockForTesting([fixed] { return fixed; });
    EXPECT_EQ(currentDateTime(), fixed);
    QDateTime seenByThread;
    std::thread([&] { seenByThread = currentDateTime(); }).join();
    EXPECT_EQ(seenByThread, fixed);

    setClockForTesting({});
    EXPECT_LE(qAbs(currentDateTime().secsTo(QDateTime::currentDateTime())), 2);
}

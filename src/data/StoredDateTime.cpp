#include "data/StoredDateTime.h"

#include "platform/Clock.h"

namespace {

// The number written by `count` ASCII digits at `from`, or -1.
int digits(QStringView text, qsizetype from, qsizetype count) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

bool isDatePart(QStringView text) {
    return text.size() >= 10 && text[4] == u'-' && text[7] == u'-' && digits(text, 0, 4) >= 0 &&
           digits(text, 5, 2) >= 0 && digits(text, 8, 2) >= 0;
}

}  // namespace

QDate storedDay(QStringView text) {
    if (text.size() < 10 || text[4] != u'-' || text[7] != u'-')
        return {};
    return QDate(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
}

QTime storedTimeOfDay(QStringView text) {
    if (text.size() == 10)
        return storedDay(text).isValid() ? QTime(0, 0) : QTime();
    if (text.size() != 19 || text[10] != u' ' || text[13] != u':' || text[16] != u':')
        return {};
    return QTime(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2));
}

QDateTime wallClock(QDate date, QTime time) {
    return QDateTime(date, time, Qt::UTC);
}

QDateTime wallClock(const QDateTime& moment) {
    if (!moment.isValid())
        return {};
    return moment.timeSpec() == Qt::UTC ? moment : wallClock(moment.date(), moment.time());
}

QDateTime wallClockNow() {
    return wallClock(currentDateTime());
}

QString toStoredDateTime(const QDateTime& moment) {
    if (!moment.isValid())
        return {};
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool isStoredDateTime(QStringView text) {
    return text.size() == 19 && isDatePart(text) && text[10] == u' ' && text[13] == u':' &&
           text[16] == u':' && digits(text, 11, 2) >= 0 && digits(text, 14, 2) >= 0 &&
           digits(text, 17, 2) >= 0;
}

QDateTime fromStoredDateTime(QStringView text) {
    // Parsed by hand: QDateTime::fromString is slow and loaders read many rows.
    if (!isDatePart(text))
        return {};
    const QDate date(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    QTime time(0, 0);
    if (text.size() == 19 && isStoredDateTime(text))
        time = QTime(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2));
    else if (text.size() != 10)
        return {};
    if (!date.isValid() || !time.isValid())
        return {};
    return wallClock(date, time);
}

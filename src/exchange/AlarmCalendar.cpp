#include "exchange/AlarmCalendar.h"

#include <libical/ical.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QStringList>
#include <cstdlib>
#include <memory>

namespace {

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

icaltimetype floatingTime(QDate date, QTime time) {
    icaltimetype moment = icaltime_null_time();
    moment.year = date.year();
    moment.month = date.month();
    moment.day = date.day();
    moment.hour = time.hour();
    moment.minute = time.minute();
    moment.second = time.second();
    moment.is_date = 0;
    return moment;
}

QDateTime localMoment(icaltimetype time) {
    // A moment in UTC or with a zone is shown here in local time, as the alarm keeps it.
    if (!time.is_date && (time.zone || icaltime_is_utc(time))) {
        const icaltimetype utc = icaltime_convert_to_zone(time, icaltimezone_get_utc_timezone());
        const QDateTime instant(QDate(utc.year, utc.month, utc.day),
                                QTime(utc.hour, utc.minute, utc.second), Qt::UTC);
        const QDateTime local = instant.toLocalTime();
        return QDateTime(local.date(), local.time(), Qt::UTC);
    }
    return QDateTime(QDate(time.year, time.month, time.day),
                     time.is_date ? QTime(0, 0) : QTime(time.hour, time.minute, time.second),
                     Qt::UTC);
}

// The alarm status of a rule, or 0 where no status holds it.
int statusOfRule(const icalrecurrencetype& rule) {
    const bool plain = rule.interval <= 1 && rule.count == 0 && icaltime_is_null_time(rule.until) &&
                       rule.by_day[0] == ICAL_RECURRENCE_ARRAY_MAX &&
                       rule.by_month_day[0] == ICAL_RECURRENCE_ARRAY_MAX &&
                       rule.by_month[0] == ICAL_RECURRENCE_ARRAY_MAX &&
                       rule.by_year_day[0] == ICAL_RECURRENCE_ARRAY_MAX &&
                       rule.by_set_pos[0] == ICAL_RECURRENCE_ARRAY_MAX &&
                       rule.by_hour[0] == ICAL_RECURRENCE_ARRAY_MAX;
    if (!plain)
        return 0;
    switch (rule.freq) {
        case ICAL_DAILY_RECURRENCE:
            return 3;
        case ICAL_MONTHLY_RECURRENCE:
            return 4;
        case ICAL_YEARLY_RECURRENCE:
            return 5;
        default:
            return 0;
    }
}

const char* ruleOf(int status) {
    switch (status) {
        case 3:
            return "FREQ=DAILY";
        case 4:
            return "FREQ=MONTHLY";
        case 5:
            return "FREQ=YEARLY";
        default:
            return nullptr;
    }
}

QString descriptionOf(const CAlarmEntry& alarm) {
    QStringList lines;
    if (!alarm.comment.isEmpty())
        lines << alarm.comment;
    if (!alarm.person.isEmpty())
        lines << QStringLiteral("Person: ") + alarm.person;
    if (!alarm.firm.isEmpty())
        lines << QStringLiteral("Company: ") + alarm.firm;
    return lines.join(u'\n');
}

// The comment, the person and the firm back from a description.
void readDescription(const QString& text, CAlarmEntry& alarm) {
    QStringList lines = text.split(u'\n');
    const QString company = QStringLiteral("Company: "), person = QStringLiteral("Person: ");
    if (!lines.isEmpty() && lines.last().startsWith(company))
        alarm.firm = lines.takeLast().mid(company.size());
    if (!lines.isEmpty() && lines.last().startsWith(person))
        alarm.person = lines.takeLast().mid(person.size());
    alarm.comment = lines.join(u'\n');
}

void replaceProperty(icalcomponent* event, icalproperty_kind kind, icalproperty* property) {
    while (icalproperty* old = icalcomponent_get_first_property(event, kind)) {
        icalcomponent_remove_property(event, old);
        icalproperty_free(old);
    }
    if (property)
        icalcomponent_add_property(event, property);
}

icalcomponent* eventOf(const CAlarmEntry& alarm, const icaltimetype& stamp, const QByteArray& uid) {
    icalcomponent* event = icalcomponent_new_vevent();
    icalcomponent_add_property(event, icalproperty_new_uid(uid.constData()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(event,
                               icalproperty_new_dtstart(floatingTime(alarm.date, alarm.time)));
    const QByteArray summary = alarm.subject.toUtf8();
    icalcomponent_add_property(event, icalproperty_new_summary(summary.constData()));
    const QByteArray description = descriptionOf(alarm).toUtf8();
    if (!description.isEmpty())
        icalcomponent_add_property(event, icalproperty_new_description(description.constData()));
    if (const char* rule = ruleOf(alarm.status))
        icalcomponent_add_property(event,
                                   icalproperty_new_rrule(icalrecurrencetype_from_string(rule)));

    icalcomponent* reminder = icalcomponent_new_valarm();
    icalcomponent_add_property(reminder, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icaltriggertype trigger = icaltriggertype_from_int(0);
    icalcomponent_add_property(reminder, icalproperty_new_trigger(trigger));
    icalcomponent_add_property(
        reminder, icalproperty_new_description(summary.isEmpty() ? "Alarm" : summary.constData()));
    icalcomponent_add_component(event, reminder);
    return event;
}

icalcomponent* newCalendar() {
    icalcomponent* calendar = icalcomponent_new_vcalendar();
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar, icalproperty_new_prodid("-//Tarvex//Alarms//EN"));
    icalcomponent_add_property(calendar, icalproperty_new_calscale("GREGORIAN"));
    return calendar;
}

QByteArray textOf(icalcomponent* component) {
    char* text = icalcomponent_as_ical_string_r(component);
    const QByteArray result(text);
    std::free(text);
    return result;
}

// The event that stands for the whole series: the first without a RECURRENCE-ID.
icalcomponent* firstEvent(icalcomponent* calendar) {
    if (!calendar)
        return nullptr;
    if (icalcomponent_isa(calendar) == ICAL_VEVENT_COMPONENT)
        return calendar;
    for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
         event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
        if (!icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY))
            return event;
    return nullptr;
}

}  // namespace

QByteArray calendarOf(const QList<CAlarmEntry>& alarms) {
    Component calendar(newCalendar());
    const icaltimetype stamp = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
    for (const CAlarmEntry& alarm : alarms)
        icalcomponent_add_component(calendar.get(), eventOf(alarm, stamp, eventUidOf(alarm)));
    return textOf(calendar.get());
}

QByteArray eventUidOf(const CAlarmEntry& alarm) {
    // Stable across exports of the same file, so that a calendar updates instead of
    // doubling the event.
    return "tarvex-alarm-" + QByteArray::number(alarm.id) + "-" +
           QCryptographicHash::hash(alarm.subject.toUtf8(), QCryptographicHash::Sha1)
               .toHex()
               .left(12);
}

QByteArray eventOf(const CAlarmEntry& alarm, const QByteArray& uid) {
    Component calendar(newCalendar());
    icalcomponent_add_component(
        calendar.get(),
        eventOf(alarm, icaltime_current_time_with_zone(icaltimezone_get_utc_timezone()), uid));
    return textOf(calendar.get());
}

std::optional<EventAlarm> alarmOfEvent(const QByteArray& text) {
    Component calendar(icalparser_parse_string(text.constData()));
    icalcomponent* event = firstEvent(calendar.get());
    if (!event)
        return std::nullopt;
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(start))
        return std::nullopt;
    EventAlarm result;
    const QDateTime moment = localMoment(start);
    result.alarm.date = moment.date();
    result.alarm.time = moment.time();
    if (const char* uid = icalcomponent_get_uid(event))
        result.uid = QString::fromUtf8(uid);
    if (const char* summary = icalcomponent_get_summary(event))
        result.alarm.subject = QString::fromUtf8(summary);
    if (const char* description = icalcomponent_get_description(event))
        readDescription(QString::fromUtf8(description), result.alarm);
    result.alarm.status = 1;
    if (icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY)) {
        const int status = statusOfRule(icalproperty_get_rrule(rule));
        result.ruleHeld =
            status != 0 && !icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY);
        if (result.ruleHeld)
            result.alarm.status = status;
    }
    return result;
}

QByteArray patchedEvent(const QByteArray& text, const CAlarmEntry& alarm, int parts) {
    Component calendar(icalparser_parse_string(text.constData()));
    icalcomponent* event = firstEvent(calendar.get());
    if (!event)
        return text;
    if (parts & EventSummary) {
        const QByteArray summary = alarm.subject.toUtf8();
        replaceProperty(
            event, ICAL_SUMMARY_PROPERTY,
            summary.isEmpty() ? nullptr : icalproperty_new_summary(summary.constData()));
    }
    if (parts & EventDescription) {
        const QByteArray description = descriptionOf(alarm).toUtf8();
        replaceProperty(event, ICAL_DESCRIPTION_PROPERTY,
                        description.isEmpty()
                            ? nullptr
                            : icalproperty_new_description(description.constData()));
    }
    if (parts & EventMoment) {
        const icaltimetype start = icalcomponent_get_dtstart(event);
        const icaltimetype end = icalcomponent_get_dtend(event);
        const bool hasEnd = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY);
        const icaldurationtype length = icaltime_subtract(end, start);
        const icaltimetype moved = floatingTime(alarm.date, alarm.time);
        replaceProperty(event, ICAL_DTSTART_PROPERTY, icalproperty_new_dtstart(moved));
        if (hasEnd)
            replaceProperty(event, ICAL_DTEND_PROPERTY,
                            icalproperty_new_dtend(icaltime_add(moved, length)));
    }
    if (parts & EventRule) {
        const char* rule = ruleOf(alarm.status);
        replaceProperty(
            event, ICAL_RRULE_PROPERTY,
            rule ? icalproperty_new_rrule(icalrecurrencetype_from_string(rule)) : nullptr);
    }
    replaceProperty(
        event, ICAL_DTSTAMP_PROPERTY,
        icalproperty_new_dtstamp(icaltime_current_time_with_zone(icaltimezone_get_utc_timezone())));
    return textOf(calendar.get());
}

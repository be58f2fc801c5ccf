#include "exchange/AlarmCalendar.h"

#include <libical/ical.h>

#include <QCryptographicHash>
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

icalcomponent* eventOf(const CAlarmEntry& alarm, const icaltimetype& stamp) {
    icalcomponent* event = icalcomponent_new_vevent();
    // Stable across exports of the same file, so that a calendar updates instead of
    // doubling the event.
    const QByteArray uid =
        "tarvex-alarm-" + QByteArray::number(alarm.id) + "-" +
        QCryptographicHash::hash(alarm.subject.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
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

}  // namespace

QByteArray calendarOf(const QList<CAlarmEntry>& alarms) {
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Tarvex//Alarms//EN"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    const icaltimetype stamp = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
    for (const CAlarmEntry& alarm : alarms)
        icalcomponent_add_component(calendar.get(), eventOf(alarm, stamp));
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    const QByteArray result(text);
    std::free(text);
    return result;
}

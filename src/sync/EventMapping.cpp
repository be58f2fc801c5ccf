#include "sync/EventMapping.h"

#include "alarms/AlarmStatus.h"
#include "data/CalendarAlarms.h"
#include "data/StoredDateTime.h"
#include "exchange/AlarmCalendar.h"

namespace {

const QString kName = QStringLiteral("name");
const QString kComment = QStringLiteral("comment");
const QString kPerson = QStringLiteral("person");
const QString kFirm = QStringLiteral("firm");
const QString kMoment = QStringLiteral("moment");
const QString kRepeat = QStringLiteral("repeat");
// Kept beside the fields for isSent(): not a field of the event.
const QString kStatus = QStringLiteral("status");

bool repeats(int status) {
    return status == alarmstatus::EveryDay || status == alarmstatus::EveryMonth ||
           status == alarmstatus::EveryYear;
}

SyncFields fieldsOf(const CAlarmEntry& alarm) {
    SyncFields fields;
    auto put = [&fields](const QString& name, const QString& value) {
        if (!value.isEmpty())
            fields.insert(name, value);
    };
    put(kName, alarm.subject);
    put(kComment, alarm.comment);
    put(kPerson, alarm.person);
    put(kFirm, alarm.firm);
    put(kMoment, toStoredDateTime(wallClock(alarm.date, alarm.time)));
    if (repeats(alarm.status))
        put(kRepeat, QString::number(alarm.status));
    return fields;
}

// The alarm `fields` give, over `alarm` as it is: the fields named in `changed` only.
void apply(const SyncFields& fields, const QStringList& changed, CAlarmEntry& alarm) {
    for (const QString& field : changed) {
        const QString value = fields.value(field);
        if (field == kName) {
            alarm.subject = value;
        } else if (field == kComment) {
            alarm.comment = value;
        } else if (field == kPerson) {
            alarm.person = value;
        } else if (field == kFirm) {
            alarm.firm = value;
        } else if (field == kMoment) {
            const QDateTime moment = fromStoredDateTime(value);
            if (moment.isValid()) {
                alarm.date = moment.date();
                alarm.time = moment.time();
                // Moved by the other side: it is due again.
                if (alarm.status == alarmstatus::Done)
                    alarm.status = alarmstatus::Pending;
            }
        } else if (field == kRepeat) {
            if (!value.isEmpty())
                alarm.status = value.toInt();
            else if (repeats(alarm.status))
                alarm.status = alarmstatus::Pending;
        }
    }
}

CAlarmEntry alarmOf(const SyncFields& fields) {
    CAlarmEntry alarm;
    alarm.status = alarmstatus::Pending;
    apply(fields, {kName, kComment, kPerson, kFirm, kMoment, kRepeat}, alarm);
    return alarm;
}

// Whether `later` is an occurrence after `first` of an alarm that repeats by `status`, as the
// alarm steps on after each notice.
bool isLaterOccurrence(int status, const QDateTime& first, const QDateTime& later) {
    if (!first.isValid() || !later.isValid() || later <= first || later.time() != first.time())
        return false;
    const QDate a = first.date(), b = later.date();
    // A month without the day steps to its last day.
    const bool sameDay = b.day() == a.day() || (b.day() == b.daysInMonth() && b.day() < a.day());
    switch (status) {
        case alarmstatus::EveryDay:
            return true;
        case alarmstatus::EveryMonth:
            return sameDay;
        case alarmstatus::EveryYear:
            return sameDay && b.month() == a.month();
        default:
            return false;
    }
}

}  // namespace

QString CEventMapping::collectionName() const {
    return QStringLiteral("calendar");
}

QByteArray CEventMapping::multigetBody(const QStringList& hrefs) const {
    QByteArray body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<c:calendar-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
        "<d:prop><d:getetag/><c:calendar-data/></d:prop>";
    for (const QString& href : hrefs)
        body += "<d:href>" + href.toHtmlEscaped().toUtf8() + "</d:href>";
    return body + "</c:calendar-multiget>";
}

QByteArray CEventMapping::contentType() const {
    return "text/calendar; charset=utf-8";
}

QString CEventMapping::fileExtension() const {
    return QStringLiteral(".ics");
}

QList<SyncTable> CEventMapping::tables() const {
    return {SyncTable::Alarm};
}

QStringList CEventMapping::fields(SyncTable) const {
    return {kName, kComment, kPerson, kFirm, kMoment, kRepeat};
}

QHash<qint64, SyncFields> CEventMapping::readAll(CDatabase& db, SyncTable) const {
    QHash<qint64, SyncFields> records;
    for (const CAlarmEntry& alarm : loadSyncedAlarms(db, m_collection)) {
        SyncFields fields = fieldsOf(alarm);
        fields.insert(kStatus, QString::number(alarm.status));
        records.insert(alarm.id, std::move(fields));
    }
    return records;
}

std::optional<SyncFields> CEventMapping::readOne(SyncTable, qint64 id) const {
    const QList<CAlarmEntry> alarms = loadAllAlarms(m_db, {id});
    if (alarms.isEmpty())
        return std::nullopt;
    return fieldsOf(alarms.first());
}

bool CEventMapping::isSent(SyncTable, const SyncFields& fields) const {
    // Done and disabled alarms stay here, as the export leaves them out.
    return alarmstatus::isWatched(fields.value(kStatus).toInt());
}

void CEventMapping::alignWithBase(SyncTable, SyncFields& local, const SyncFields& base) const {
    const int status = local.value(kRepeat).toInt();
    if (status == base.value(kRepeat).toInt() &&
        isLaterOccurrence(status, fromStoredDateTime(base.value(kMoment)),
                          fromStoredDateTime(local.value(kMoment))))
        local.insert(kMoment, base.value(kMoment));
}

qint64 CEventMapping::add(CSyncBatch& batch, SyncTable, const SyncFields& fields) const {
    return batch.addAlarm(alarmOf(fields));
}

void CEventMapping::update(CSyncBatch& batch, SyncTable, qint64 id, const QStringList& changed,
                           const SyncFields& fields) const {
    const QList<CAlarmEntry> now = loadAllAlarms(m_db, {id});
    if (now.isEmpty())
        return;
    CAlarmEntry alarm = now.first();
    apply(fields, changed, alarm);
    batch.updateAlarm(alarm);
}

void CEventMapping::remove(CSyncBatch& batch, SyncTable, qint64 id) const {
    batch.deleteAlarm(id);
}

QString CEventMapping::nameOf(SyncTable, const SyncFields& fields) const {
    return fields.value(kName) + QStringLiteral(" (") + fields.value(kMoment) + u')';
}

SyncResourceRecord CEventMapping::read(const QByteArray& text) const {
    const std::optional<EventAlarm> event = alarmOfEvent(text);
    if (!event)
        return {SyncTable::Alarm, {}, {}, {}, false};
    SyncResourceRecord record{SyncTable::Alarm, fieldsOf(event->alarm), event->uid, {}};
    if (!event->ruleHeld)
        record.unheld.insert(kRepeat);
    return record;
}

QString CEventMapping::newUid(SyncTable, qint64 id, const SyncFields& fields) const {
    CAlarmEntry alarm = alarmOf(fields);
    alarm.id = id;
    return QString::fromUtf8(eventUidOf(alarm));
}

QByteArray CEventMapping::create(SyncTable, const SyncFields& fields, const QString& uid) const {
    return eventOf(alarmOf(fields), uid.toUtf8());
}

QByteArray CEventMapping::patched(const QByteArray& text, SyncTable, const SyncFields& fields,
                                  const QSet<QString>& changed) const {
    int parts = 0;
    if (changed.contains(kName))
        parts |= EventSummary;
    if (changed.contains(kComment) || changed.contains(kPerson) || changed.contains(kFirm))
        parts |= EventDescription;
    if (changed.contains(kMoment))
        parts |= EventMoment;
    if (changed.contains(kRepeat))
        parts |= EventRule;
    return patchedEvent(text, alarmOf(fields), parts);
}

void CEventMapping::clearPairing() {
    m_byUid.clear();
    m_byMoment.clear();
    m_uidOf.clear();
    m_momentOf.clear();
}

void CEventMapping::offerForPairing(SyncTable, const SyncFields& fields, qint64 id) {
    CAlarmEntry alarm = alarmOf(fields);
    alarm.id = id;
    const QString uid = QString::fromUtf8(eventUidOf(alarm));
    const QString moment = fields.value(kMoment) + u'\x1f' + fields.value(kName);
    m_byUid.insert(uid, id);
    m_byMoment.insert(moment, id);
    m_uidOf.insert(id, uid);
    m_momentOf.insert(id, moment);
}

std::optional<qint64> CEventMapping::takePair(const SyncResourceRecord& resource) {
    std::optional<qint64> found;
    if (const auto byUid = m_byUid.constFind(resource.uid); byUid != m_byUid.cend()) {
        found = *byUid;
    } else {
        const QString moment =
            resource.fields.value(kMoment) + u'\x1f' + resource.fields.value(kName);
        if (const auto byMoment = m_byMoment.constFind(moment); byMoment != m_byMoment.cend())
            found = *byMoment;
    }
    if (found) {
        m_byUid.remove(m_uidOf.take(*found));
        m_byMoment.remove(m_momentOf.take(*found), *found);
    }
    return found;
}

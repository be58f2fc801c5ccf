#pragma once

#include "data/RecordSet.h"
#include "data/Schema.h"

// A record set over the table `Alarm`: the reminders.
class CAlarmRcs : public CRecordSet {
public:
    explicit CAlarmRcs(CDatabase* db = nullptr) : CRecordSet(db, schema::Alarm) {}
};

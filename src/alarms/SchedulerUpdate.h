#pragma once

class CAlarmScheduler;
class CDatabase;
struct DataChange;

// Hands the running scanner of `scheduler` the alarms that `change` touched, with their
// moments as `db` holds them now: changed alarms that are still watched replace their
// entries or join the table, deleted ones and those no longer watched leave it. False when
// that cannot be done (the change does not say which alarms, or no scanner runs): then only
// a new table read in full is current. Throws CDbException.
bool UpdateSchedulerAfter(const DataChange& change, CAlarmScheduler& scheduler, CDatabase& db);

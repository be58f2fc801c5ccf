#pragma once

#include <QString>

// Times the alarm scheduler over 10,000 watched alarms in FOLDER/alarms/Tarvex.mdb: the
// table rebuild, and the delay from the moment an alarm falls due to its notification on
// the main thread. Throws CDbException.
class BenchTable;

void runAlarmBench(const QString& folder, BenchTable& table);

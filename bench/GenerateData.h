#pragma once

#include <QString>

// How much sample data to generate.
struct DataVolume {
    int persons = 100000;
    int firms = 10000;
    int contacts = 1000000;
    int alarms = 10000;
};

// Creates `path` as a new, unencrypted database filled with random sample data (one
// transaction, prepared statements). Throws CDbException.
void generateData(const QString& path, const DataVolume& volume);

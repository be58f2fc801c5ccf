#pragma once

#include <QString>
#include <algorithm>

// How much sample data to generate.
struct DataVolume {
    int persons = 100000;
    int firms = 20000;
    int contacts = 1000000;
    int alarms = 10000;
    int groups = 500;
    // Persons and firms with a dossier: one in `dossierEvery`.
    static constexpr int dossierEvery = 10;

    // The same proportions, `factor` times as many (at least one of each).
    DataVolume scaled(double factor) const {
        auto times = [factor](int n) { return std::max(1, static_cast<int>(n * factor)); };
        return {times(persons), times(firms), times(contacts), times(alarms), times(groups)};
    }
};

// Creates `path` as a new, unencrypted database filled with random sample data (one
// transaction, prepared statements). Throws CDbException.
void generateData(const QString& path, const DataVolume& volume);

#pragma once

#include <QString>

// The options of the Options dialog, kept in the settings file.
struct CSettings {
    QString soundFile = QStringLiteral("alarm.wav");
    bool rememberColumns = false;
    bool fillFirmAutomatically = true;
    // 1 create a new person or firm, 2 notify the user, 3 do nothing. Kept as read from the
    // file; any value outside 1..3 means "do nothing" (see unknownNameChoice()).
    int unknownNameAction = 3;

    // Reads the four keys from the settings file; missing keys give the defaults above.
    void Load();
    // Writes the four keys to the settings file; false when the file cannot be written.
    bool Save() const;

    // The unknown-name action as it behaves: 1, 2 or 3.
    int unknownNameChoice() const {
        return unknownNameAction >= 1 && unknownNameAction <= 3 ? unknownNameAction : 3;
    }
};

// The process-wide settings object.
CSettings& settings();

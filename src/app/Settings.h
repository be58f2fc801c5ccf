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
    // Whether a copy of the contacts file is written to the backups folder at exit.
    bool backupOnExit = true;

    // Reads the keys from the settings file; missing keys give the defaults above.
    void Load();
    // Writes the keys to the settings file; false when the file cannot be written
    // (the options then stay in force for this run, see hasUnsavedChanges).
    bool Save();
    // True after a save failed, until one succeeds: the options in memory are newer than
    // the file's, so they are not read from it again.
    bool hasUnsavedChanges() const { return m_unsaved; }

    // The unknown-name action as it behaves: 1, 2 or 3.
    int unknownNameChoice() const {
        return unknownNameAction >= 1 && unknownNameAction <= 3 ? unknownNameAction : 3;
    }

private:
    bool m_unsaved = false;
};

// The team server's address from the settings file ([database] server): a libpq connection
// URI, or empty for the local contacts file.
QString databaseServerSetting();

// The words shown when the settings file could not be written.
QString settingsNotSavedMessage();

// The process-wide settings object.
CSettings& settings();

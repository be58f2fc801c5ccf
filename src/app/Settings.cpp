#include "app/Settings.h"

#include <QDir>

#include "app/AppPaths.h"
#include "platform/IniFile.h"

namespace {

const QString kAlarm = QStringLiteral("alarm");
const QString kListView = QStringLiteral("listview");
const QString kForm = QStringLiteral("form");
const QString kFormView = QStringLiteral("formview");
const QString kWavFile = QStringLiteral("wavfile");
const QString kStoreColumns = QStringLiteral("storecolumns");
const QString kAutoFirm = QStringLiteral("autofirm");
const QString kNewData = QStringLiteral("newdata");
const QString kBackup = QStringLiteral("backup");
const QString kOnExit = QStringLiteral("onexit");

}  // namespace

void CSettings::Load() {
    const IniFile file(settingsFilePath());
    soundFile = file.readString(kAlarm, kWavFile, QStringLiteral("alarm.wav"), 2047);
    rememberColumns = file.readInt(kListView, kStoreColumns, 0) == 1;
    fillFirmAutomatically = file.readInt(kForm, kAutoFirm, 1) == 1;
    unknownNameAction = file.readInt(kFormView, kNewData, 3);
    backupOnExit = file.readInt(kBackup, kOnExit, 1) == 1;
}

bool CSettings::Save() {
    IniFile file(settingsFilePath());
    bool written = file.writeString(kAlarm, kWavFile, soundFile);
    written = file.writeInt(kListView, kStoreColumns, rememberColumns ? 1 : 0) && written;
    written = file.writeInt(kForm, kAutoFirm, fillFirmAutomatically ? 1 : 0) && written;
    written = file.writeInt(kFormView, kNewData, unknownNameAction) && written;
    written = file.writeInt(kBackup, kOnExit, backupOnExit ? 1 : 0) && written;
    m_unsaved = !written;
    return written;
}

QString databaseServerSetting() {
    return IniFile(settingsFilePath())
        .readString(QStringLiteral("database"), QStringLiteral("server"), QString(), 2047)
        .trimmed();
}

QString settingsNotSavedMessage() {
    return QStringLiteral(
               "The settings could not be saved to '%1'. Allow writing to that file; until "
               "then your choices apply until you close Tarvex.")
        .arg(QDir::toNativeSeparators(settingsFilePath()));
}

CSettings& settings() {
    static CSettings object;
    return object;
}

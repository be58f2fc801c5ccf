#include "app/AppPaths.h"

#include <QDir>

namespace {

QString& storedWorkingDirectory() {
    static QString directory;
    return directory;
}

}  // namespace

const QString& workingDirectory() {
    return storedWorkingDirectory();
}

QString settingsFilePath() {
    return workingDirectory() + QStringLiteral("Tarvex.ini");
}

void initAppPaths() {
    QString directory = QDir::currentPath();
    if (!directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');
    storedWorkingDirectory() = directory;
}

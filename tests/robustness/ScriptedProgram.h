#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QString>

// Starts the real program on the folder in its self-test mode, with a script of saves
// written beside it under `name`.
inline void startScriptedProgram(QProcess& program, const QString& folder, const QString& name,
                                 const QString& scriptText) {
    const QString scriptPath = folder + '/' + name;
    QFile file(scriptPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(scriptText.toUtf8());
    file.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TARVEX_SAVE_SCRIPT"), scriptPath);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(folder);
    program.setStandardErrorFile(QProcess::nullDevice());
    program.start(QStringLiteral(TARVEX_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted(10000));
}

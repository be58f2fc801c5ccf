#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <optional>

#include "AlarmBench.h"
#include "BackupBench.h"
#include "BenchTable.h"
#include "DataBench.h"
#include "DuplicateBench.h"
#include "GenerateData.h"
#include "ServerBench.h"
#include "SyncBench.h"
#include "WindowBench.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/DbException.h"

namespace {

struct Arguments {
    double scale = 1;
    bool reuse = false;
    QString server;  // a server URI: the copy to that server is timed too
    QString folder;  // empty: a new temporary folder
};

std::optional<Arguments> parseArguments(const QStringList& args) {
    Arguments parsed;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--scale" && i + 1 < args.size()) {
            bool ok = false;
            parsed.scale = args[++i].toDouble(&ok);
            if (!ok || parsed.scale <= 0)
                return std::nullopt;
        } else if (args[i] == u"--server" && i + 1 < args.size()) {
            parsed.server = args[++i];
        } else if (args[i] == u"--reuse") {
            parsed.reuse = true;
        } else if (!args[i].startsWith(u'-') && parsed.folder.isEmpty()) {
            parsed.folder = args[i];
        } else {
            return std::nullopt;
        }
    }
    return parsed;
}

}  // namespace

// tarvex_bench [--scale S] [--reuse] [--server URI] [FOLDER]: generates FOLDER/Tarvex.mdb
// (replacing it, unless --reuse finds one; without FOLDER in a new temporary folder) with S times
// the standard volume and prints one table of the operations that must stay fast on it.
int main(int argc, char** argv) {
    // The windows are built and painted without a screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::optional<Arguments> args = parseArguments(app.arguments());
    if (!args) {
        std::fprintf(stderr,
                     "usage: tarvex_bench [--scale S] [--reuse] [--server URI] [FOLDER]\n"
                     "  S: a positive number, the share of the standard volume\n"
                     "  URI: an empty PostgreSQL database to copy the file into and time the\n"
                     "       same operations on (password from PGPASSWORD)\n");
        return 2;
    }
    QTemporaryDir temporary;
    const QString folder =
        QDir(args->folder.isEmpty() ? temporary.path() : args->folder).absolutePath();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "tarvex_bench: cannot create %s\n", qPrintable(folder));
        return 2;
    }
    const QString path = QDir(folder).absoluteFilePath(QStringLiteral("Tarvex.mdb"));
    const DataVolume volume = DataVolume{}.scaled(args->scale);

    try {
        if (!args->reuse || !QFile::exists(path)) {
            for (const char* suffix : {"", "-wal", "-shm"})
                QFile::remove(path + QLatin1String(suffix));
            const Stopwatch timer;
            generateData(path, volume);
            std::printf(
                "%s: %d persons, %d firms, %d contacts, %d alarms, %d groups, dossiers "
                "for one in %d persons and firms; generated in %.0f s\n",
                qPrintable(path), volume.persons, volume.firms, volume.contacts, volume.alarms,
                volume.groups, DataVolume::dossierEvery, timer.elapsed().wallMs / 1000);
        }
        std::fflush(stdout);

        BenchTable table;
        setDatabasePath(path);
        runWindowBench(folder, table, std::make_unique<EngineConnection>(path));
        sharedDatabase().Close();
        openSharedDatabase({});
        {
            EngineConnection engine(path);
            runDataBench(engine, table);
        }
        runEncryptedLookupBench(folder, table);
        runDuplicateBench(table);
        runBackupBench(folder, table);
        if (!args->server.isEmpty())
            runServerBench(args->server, folder, table);
        sharedDatabase().Close();
        runAlarmBench(folder, table);
        runSyncBench(folder, table);
        table.print();
    } catch (const CDbException& error) {
        std::fprintf(stderr, "database error: %s (%d)\n", qPrintable(error.description()),
                     error.code());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarvex_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}

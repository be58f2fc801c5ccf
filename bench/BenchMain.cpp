#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#include "AlarmBench.h"
#include "BenchTable.h"
#include "DataBench.h"
#include "GenerateData.h"
#include "ListBench.h"
#include "data/Connection.h"
#include "data/Database.h"

// tarvex_bench FOLDER [--scale S] [--reuse]: generates FOLDER/Tarvex.mdb (replacing it,
// unless --reuse finds one) with S times the standard volume (100,000 persons, 20,000
// firms, 1,000,000 contacts, 10,000 alarms) and times the operations that must stay fast
// on a large file.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tarvex_bench FOLDER [--scale S] [--reuse]\n");
        return 2;
    }
    double scale = 1;
    const qsizetype scaleAt = args.indexOf(QStringLiteral("--scale"));
    if (scaleAt > 0 && scaleAt + 1 < args.size())
        scale = args[scaleAt + 1].toDouble();
    if (scale <= 0) {
        std::fprintf(stderr, "tarvex_bench: the scale must be a positive number\n");
        return 2;
    }
    const DataVolume volume = DataVolume{}.scaled(scale);
    if (!QDir().mkpath(args[1])) {
        std::fprintf(stderr, "tarvex_bench: cannot create %s\n", qPrintable(args[1]));
        return 2;
    }
    const QString path = QDir(args[1]).absoluteFilePath(QStringLiteral("Tarvex.mdb"));
    const bool reuse = args.contains(QStringLiteral("--reuse")) && QFile::exists(path);

    try {
        if (!reuse) {
            for (const char* suffix : {"", "-wal", "-shm"})
                QFile::remove(path + QLatin1String(suffix));
            QElapsedTimer timer;
            timer.start();
            generateData(path, volume);
            std::printf("generated in %lld ms: %d persons, %d firms, %d contacts, %d alarms\n",
                        static_cast<long long>(timer.elapsed()), volume.persons, volume.firms,
                        volume.contacts, volume.alarms);
        }
        setDatabasePath(path);
        openSharedDatabase({});

        BenchTable table;
        runDataBench(args[1], table);
        table.print();
        runAlarmBench(args[1]);
        runListBench(path);
        sharedDatabase().Close();
    } catch (const CDbException& error) {
        std::fprintf(stderr, "database error: %s (%d)\n", qPrintable(error.description()),
                     error.code());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "engine error: %s\n", error.what());
        return 1;
    }
    return 0;
}

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#include "AlarmBench.h"
#include "GenerateData.h"
#include "ListBench.h"
#include "data/Connection.h"
#include "data/ContactRcs.h"
#include "data/Database.h"
#include "data/KnownValues.h"
#include "data/PersonRcs.h"

namespace {

void report(const char* what, const QElapsedTimer& timer, const QString& detail = {}) {
    std::printf("%-44s %8lld ms  %s\n", what, static_cast<long long>(timer.elapsed()),
                qPrintable(detail));
    std::fflush(stdout);
}

}  // namespace

// tarvex_bench FOLDER [PERSONS] [CONTACTS]: generates FOLDER/Tarvex.mdb (replacing it) and
// times the operations that must stay fast on a large file.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tarvex_bench FOLDER [PERSONS] [CONTACTS]\n");
        return 2;
    }
    DataVolume volume;
    if (args.size() > 2)
        volume.persons = args[2].toInt();
    if (args.size() > 3)
        volume.contacts = args[3].toInt();
    volume.firms = std::max(1, volume.persons / 10);
    if (!QDir().mkpath(args[1])) {
        std::fprintf(stderr, "tarvex_bench: cannot create %s\n", qPrintable(args[1]));
        return 2;
    }
    const QString path = QDir(args[1]).absoluteFilePath(QStringLiteral("Tarvex.mdb"));
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));

    try {
        QElapsedTimer timer;
        timer.start();
        generateData(path, volume);
        report("generate", timer,
               QStringLiteral("%1 persons, %2 firms, %3 contacts, %4 alarms")
                   .arg(volume.persons)
                   .arg(volume.firms)
                   .arg(volume.contacts)
                   .arg(volume.alarms));

        setDatabasePath(path);
        timer.restart();
        openSharedDatabase({});
        report("open shared connection", timer);

        timer.restart();
        CPersonRcs persons(&sharedDatabase());
        persons.m_strSort = QStringLiteral("lastname asc, firstname asc");
        persons.Open();
        report("open persons sorted by name", timer, persons.text(QStringLiteral("lastname")));
        timer.restart();
        persons.MoveLast();
        const int count = persons.GetRecordCount();
        report("MoveLast + GetRecordCount", timer, QString::number(count));
        timer.restart();
        const bool found =
            persons.FindFirst(QStringLiteral("[lastname] + \" \" + [firstname] like 'Smith5*'"));
        report("FindFirst by display name (LIKE)", timer,
               found ? persons.text(QStringLiteral("lastname")) : QString());
        persons.Close();

        timer.restart();
        CPersonRcs search(&sharedDatabase());
        QStringList conditions;
        for (const char* column :
             {"address_home", "description", "firm", "firstname", "lastname", "title", "function",
              "[group]", "email_home", "phone_home1", "phone_bussines1", "email_bussines"})
            conditions << QStringLiteral("%1 like '*fair in 2019*'").arg(QLatin1String(column));
        search.m_strFilter = conditions.join(QStringLiteral(" or "));
        search.Open();
        report("search persons in 12 columns (LIKE)", timer,
               QString::number(search.GetRecordCount()));
        search.Close();

        timer.restart();
        CContactRcs contacts(&sharedDatabase());
        contacts.m_strSort = QStringLiteral("date asc, time asc");
        contacts.Open();
        contacts.MoveLast();
        report("open contacts by date + MoveLast", timer,
               QString::number(contacts.GetRecordCount()));
        contacts.Close();

        timer.restart();
        const bool loaded = LoadKnownValues();
        report("LoadKnownValues", timer,
               QStringLiteral("%1; persons %2, firms %3, last names %4")
                   .arg(loaded ? "ok" : "failed")
                   .arg(PersonNameList().count())
                   .arg(FirmNameList().count())
                   .arg(LastNameList().count()));

        runAlarmBench(args[1]);
        runListBench(path);
    } catch (const CDbException& error) {
        std::fprintf(stderr, "database error: %s (%d)\n", qPrintable(error.description()),
                     error.code());
        return 1;
    }
    return 0;
}

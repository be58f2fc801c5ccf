#include "ListBench.h"

#include <malloc.h>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <cstdio>

#include "data/Connection.h"
#include "data/Database.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"
#include "lists/IdFlags.h"
#include "lists/IdPageCache.h"
#include "lists/ListSource.h"
#include "lists/SearchQuery.h"
#include "lists/WildcardPattern.h"

namespace {

// Rows a list window shows at once.
constexpr int kScreenRows = 40;

void line(const char* what, qint64 ours, qint64 engine, const QString& detail) {
    if (engine >= 0) {
        std::printf("%-44s %8lld ms  engine %6lld ms  x%.2f  %s\n", what,
                    static_cast<long long>(ours), static_cast<long long>(engine),
                    engine > 0 ? static_cast<double>(ours) / static_cast<double>(engine) : 0.0,
                    qPrintable(detail));
    } else {
        std::printf("%-44s %8lld ms  %s\n", what, static_cast<long long>(ours), qPrintable(detail));
    }
    std::fflush(stdout);
}

// The engine's time to deliver every row of a select (engine dialect).
qint64 engineSelect(CDatabase& db, const QString& sql, qint64* rows = nullptr) {
    QElapsedTimer timer;
    timer.start();
    qint64 n = 0;
    {
        CStatement statement(db, toSqlite(sql));
        while (statement.step())
            ++n;
    }
    if (rows)
        *rows = n;
    const qint64 elapsed = timer.elapsed();
    // The pages the engine cached for this are not the lists' memory.
    db.ReleaseMemory();
    return elapsed;
}

// A line of /proc/self/status ("VmHWM:" the peak resident memory), in MiB.
double memoryMiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& l : status.readAll().split('\n')) {
        if (l.startsWith(key))
            return l.mid(static_cast<qsizetype>(qstrlen(key)))
                       .trimmed()
                       .split(' ')
                       .first()
                       .toDouble() /
                   1024.0;
    }
    return 0;
}

// Memory the process holds from the heap now (not what it once took and kept), in MiB.
double heapInUseMiB() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

struct ListCase {
    const char* table;
    const char* sort;
};

}  // namespace

void runListBench(const QString& path) {
    CDatabase engine;
    engine.Open(path);
    const ListCase cases[] = {{"person", "lastname asc, firstname asc"},
                              {"firm", "name asc"},
                              {"contact", "date desc, time desc"},
                              {"alarm", "date desc, time asc"}};
    std::vector<std::unique_ptr<CListSource>> open;
    std::vector<CIdPageCache<QStringList>> caches(4);
    const double before = heapInUseMiB();
    for (const ListCase& c : cases) {
        const QString table = QString::fromLatin1(c.table);
        qint64 rows = 0;
        const qint64 engineTime = engineSelect(
            engine, QStringLiteral("Select * From [%1] Order By %2").arg(table, c.sort), &rows);
        QElapsedTimer timer;
        timer.start();
        auto source = std::make_unique<CListSource>();
        source->open(path, currentPassword());
        source->setTable(table);
        source->readColumns();
        CIdPageCache<QStringList>& cache = caches[open.size()];
        cache.reset(source->readIds(QString(), QString::fromLatin1(c.sort)));
        const auto first = cache.pageIds(0);
        cache.store(
            cache.generation(), 0,
            source->readRows(first.subspan(0, std::min<std::size_t>(first.size(), kScreenRows))));
        line(qPrintable(QStringLiteral("list %1: first screen").arg(table)), timer.elapsed(),
             engineTime, QStringLiteral("%1 rows").arg(cache.size()));
        open.push_back(std::move(source));
    }
    line("memory of the four lists (ids + screen)", 0, -1,
         QStringLiteral("%1 MiB").arg(heapInUseMiB() - before, 0, 'f', 1));

    // A header click: the ids in another order, then the screen.
    for (const auto& [table, column, index] :
         {std::tuple{"person", "firstname", 0}, std::tuple{"contact", "person", 2}}) {
        const QString sort = QStringLiteral("%1  desc ").arg(QLatin1String(column));
        const qint64 engineTime = engineSelect(
            engine,
            QStringLiteral("Select * From [%1] Order By %2").arg(QLatin1String(table), sort));
        CListSource& source = *open[static_cast<std::size_t>(index)];
        QElapsedTimer timer;
        timer.start();
        const std::vector<qint32> ids = source.readIds(QString(), sort);
        source.readRows(std::span<const qint32>(ids).subspan(
            0, std::min<std::size_t>(ids.size(), kScreenRows)));
        line(qPrintable(QStringLiteral("header-click sort %1.%2").arg(table, column)),
             timer.elapsed(), engineTime, QStringLiteral("%1 rows").arg(ids.size()));
    }

    // The filter over every contact, on the shown texts of the person column.
    {
        CListSource& contacts = *open[2];
        CIdPageCache<QStringList> cache;
        cache.reset(contacts.readIds(QString(), QStringLiteral("date desc, time desc")));
        const qint64 engineTime = engineSelect(
            engine,
            QStringLiteral("Select [id] From [contact] Where instr(lower([person]), 'smi') > 0"));
        QElapsedTimer timer;
        timer.start();
        const CWildcardPattern pattern(QStringLiteral("*smi*"));
        CIdFlags matches(cache.ids(), pattern.matches(QString()));
        contacts.scanColumn(
            2, [&](qint32 id, const QString& text) { matches.set(id, pattern.matches(text)); });
        cache.retain([&](qint32 id) { return matches.value(id); });
        line("filter all contacts by person *smi*", timer.elapsed(), engineTime,
             QStringLiteral("%1 rows kept").arg(cache.size()));
    }

    // Searches over the four categories; the engine's time uses its built-in functions.
    for (const char* text : {"mil", ""}) {
        qint64 engineTime = 0;
        for (int k = 0; k < kSearchKindCount; ++k) {
            const SearchCategory& category = searchCategory(static_cast<SearchKind>(k));
            QStringList parts;
            for (const char* column : category.searched)
                parts << QStringLiteral("instr(lower(%1), '%2') > 0")
                             .arg(QLatin1String(column), QLatin1String(text));
            engineTime += engineSelect(engine, QStringLiteral("Select [id] From [%1] Where %2")
                                                   .arg(QLatin1String(category.table),
                                                        parts.join(QStringLiteral(" or "))));
        }
        QElapsedTimer timer;
        timer.start();
        CDatabase db;
        db.Open(path, false, false, connectText(currentPassword()));
        std::size_t hits = 0;
        for (int k = 0; k < kSearchKindCount; ++k) {
            const std::vector<qint32> ids =
                findRecords(db, static_cast<SearchKind>(k), QString::fromLatin1(text));
            hits += ids.size();
            if (k == 0)
                resultLines(db, static_cast<SearchKind>(k),
                            std::span<const qint32>(ids).subspan(
                                0, std::min<std::size_t>(ids.size(), kScreenRows)));
        }
        line(qPrintable(QStringLiteral("search four categories '%1'").arg(QLatin1String(text))),
             timer.elapsed(), engineTime, QStringLiteral("%1 hits").arg(hits));
    }

    line("peak memory of the whole run", 0, -1,
         QStringLiteral("%1 MiB").arg(memoryMiB("VmHWM:"), 0, 'f', 1));
}

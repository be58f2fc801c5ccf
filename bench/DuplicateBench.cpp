#include "DuplicateBench.h"

#include <QStringList>

#include "BenchTable.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/SqlDialect.h"
#include "duplicates/DuplicateSearch.h"

namespace {

// The engine reading what the search reads: every record's matched columns.
QString matchedColumnsSql(duplicates::PartyKind kind) {
    QStringList columns{QStringLiteral("id")};
    for (const QString& column : duplicates::matchColumns(kind))
        columns << quotedName(column);
    return QStringLiteral("SELECT %1 FROM %2")
        .arg(columns.join(QStringLiteral(", ")), quotedName(duplicates::tableOf(kind)));
}

}  // namespace

void runDuplicateBench(BenchTable& table) {
    using duplicates::PartyKind;
    EngineConnection engine(sharedDatabase().GetName());
    std::size_t groups = 0;
    const Stopwatch timer;
    for (PartyKind kind : {PartyKind::Person, PartyKind::Firm})
        groups += duplicates::findDuplicates(sharedDatabase(), kind, {}).groups.size();
    const Timing ours = timer.elapsed();
    const Timing read = engine.time(matchedColumnsSql(PartyKind::Person)) +
                        engine.time(matchedColumnsSql(PartyKind::Firm));
    table.add(QStringLiteral("find duplicates (persons and firms)"), ours, read,
              QStringLiteral("%1 groups").arg(groups));
}

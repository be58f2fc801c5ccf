#include "data/KnownValueUpdater.h"

#include "data/ChangeNotifier.h"
#include "data/KnownValueLoader.h"
#include "data/KnownValues.h"

namespace {

// Beyond so many changed rows (an import, a merge) one load in the background costs less
// than reading the rows one by one on the user-interface thread.
constexpr std::size_t kRowsWorthALoad = 5000;

}  // namespace

CKnownValueUpdater::CKnownValueUpdater(CKnownValueLoader& loader, QObject* parent)
    : QObject(parent), m_loader(loader) {
    connect(&changeNotifier(), &CChangeNotifier::changed, this, &CKnownValueUpdater::onChanged);
}

void CKnownValueUpdater::onChanged(const DataChange& change) {
    std::size_t rows = 0;
    for (const TableChange& table : change.tables)
        rows += table.size();
    if (change.everything || rows > kRowsWorthALoad) {
        ApplyKnownValueChange(DataChange::all());
        m_loader.start();
        return;
    }
    ApplyKnownValueChange(change);
}

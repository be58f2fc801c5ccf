#include "data/KnownValues.h"

#include <algorithm>
#include <future>
#include <memory>
#include <string_view>
#include <utility>

#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "data/KnownValueSources.h"
#include "data/Statement.h"
#include "platform/CaseFold.h"

void KnownValueList::add(const QString& text) {
    if (!m_indexed) {
        // A list built by append() is looked up from now on: its sets are made once.
        m_metTexts.reserve(std::size_t(m_items.size()));
        m_foldedItems.reserve(std::size_t(m_items.size()));
        for (const QString& item : std::as_const(m_items)) {
            m_metTexts.insert(item);
            m_foldedItems.insert(caseFolded(item));
        }
        m_indexed = true;
    }
    if (!m_metTexts.insert(text).second)
        return;
    if (m_foldedItems.insert(caseFolded(text)).second)
        m_items.append(text);
}

void KnownValueList::append(const QString& text) {
    m_items.append(text);
    if (m_indexed) {
        m_metTexts.clear();
        m_foldedItems.clear();
        m_indexed = false;
    }
}

void KnownValueList::clear() {
    m_items.clear();
    m_metTexts.clear();
    m_foldedItems.clear();
    m_indexed = true;
}

namespace {

// QString::compare(Qt::CaseSensitive) < 0: by UTF-16 code units, then length. Written out
// so that a sort of a hundred thousand names compares most pairs by their first letter
// without a call into the library.
bool sortsBefore(const QString& a, const QString& b) {
    return std::u16string_view(QStringView(a).utf16(), std::size_t(a.size())) <
           std::u16string_view(QStringView(b).utf16(), std::size_t(b.size()));
}

}  // namespace

void KnownValueList::insertSorted(const QString& text) {
    m_items.insert(std::upper_bound(m_items.begin(), m_items.end(), text, sortsBefore), text);
    if (m_indexed) {
        m_metTexts.insert(text);
        m_foldedItems.insert(caseFolded(text));
    }
}

void KnownValueList::removeSorted(const QString& text) {
    const auto found = std::lower_bound(m_items.begin(), m_items.end(), text, sortsBefore);
    if (found == m_items.end() || *found != text)
        return;
    m_items.erase(found);
    if (!m_indexed)
        return;
    // The texts met that fold to it would no longer be found in the list.
    m_metTexts.clear();
    m_foldedItems.erase(caseFolded(text));
}

void KnownValueList::sort() {
    std::sort(m_items.begin(), m_items.end(), sortsBefore);
}

void KnownValueList::mergeSorted(QStringList texts) {
    std::sort(texts.begin(), texts.end(), sortsBefore);
    const qsizetype sorted = m_items.size();
    for (QString& text : texts)
        append(std::move(text));
    std::inplace_merge(m_items.begin(), m_items.begin() + sorted, m_items.end(), sortsBefore);
}

KnownValueList& FirmNameList() {
    static KnownValueList list;
    return list;
}

KnownValueList& PersonNameList() {
    static KnownValueList list;
    return list;
}

KnownValueList& GroupNameList() {
    static KnownValueList list;
    return list;
}

KnownValueList& LastNameList() {
    static KnownValueList list;
    return list;
}

KnownValueList& FirstNameList() {
    static KnownValueList list;
    return list;
}

KnownValueList& AlarmNameList() {
    static KnownValueList list;
    return list;
}

QString FirstWord(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype blank = trimmed.indexOf(u' ');
    return blank < 0 ? trimmed : trimmed.left(blank).trimmed();
}

QString LastWord(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype blank = trimmed.lastIndexOf(u' ');
    return blank < 0 ? trimmed : trimmed.mid(blank + 1).trimmed();
}

namespace {

// What the lists were built from, and the changes announced while a background load runs.
struct KnownValueState {
    KnownValueSources sources;
    // The sources describe the file of this connection as it is now.
    bool valid = false;
    const void* connection = nullptr;
    bool pending = false;
    DataChange waiting;
    // What the last load replaced, being freed on a thread of its own.
    std::future<void> disposal;
};

KnownValueState& state() {
    static KnownValueState object;
    return object;
}

KnownValueLists processLists() {
    return {FirmNameList(), PersonNameList(), GroupNameList(),
            LastNameList(), FirstNameList(),  AlarmNameList()};
}

// Applies a change to the lists in force; a failure leaves them to the next load.
void applyToProcessLists(const DataChange& change) {
    KnownValueState& known = state();
    CDatabase& db = sharedDatabase();
    if (!known.valid || !db.IsOpen() || known.connection != db.handle())
        return;
    try {
        known.sources.apply(db, change, processLists());
    } catch (const CDbException& error) {
        known.valid = false;
        reportDbException(error);
    }
}

}  // namespace

bool LoadKnownValues() {
    KnownValueState& known = state();
    if (known.pending)
        return true;
    CDatabase& db = sharedDatabase();
    bool loaded = true;
    try {
        known.sources.load(db, processLists());
    } catch (const CDbException& error) {
        reportDbException(error);
        loaded = false;
    }
    known.valid = loaded;
    known.connection = db.handle();
    return loaded;
}

void ApplyKnownValueChange(const DataChange& change) {
    KnownValueState& known = state();
    if (change.everything) {
        // Nothing more is applied until a load has read the file again.
        known.valid = false;
        return;
    }
    if (known.pending) {
        known.waiting.tables.insert(known.waiting.tables.end(), change.tables.begin(),
                                    change.tables.end());
        return;
    }
    applyToProcessLists(change);
}

struct KnownValueSnapshot {
    KnownValueSources sources;
    KnownValueList firms, persons, groups, lastNames, firstNames, alarms;
};

void BeginKnownValueLoad() {
    KnownValueState& known = state();
    known.pending = true;
    known.valid = false;
    known.waiting = {};
}

void AbandonKnownValueLoad() {
    KnownValueState& known = state();
    known.pending = false;
    known.waiting = {};
}

bool KnownValueLoadPending() {
    return state().pending;
}

std::shared_ptr<KnownValueSnapshot> ReadKnownValues(CDatabase& db, const std::stop_token& stop) {
    auto snapshot = std::make_shared<KnownValueSnapshot>();
    // One read transaction: every source sees the file as it was at the same moment.
    CStatement(db, QStringLiteral("BEGIN")).execute();
    KnownValueSnapshot& built = *snapshot;
    const bool filled = built.sources.load(
        db,
        {built.firms, built.persons, built.groups, built.lastNames, built.firstNames, built.alarms},
        &stop);
    CStatement(db, QStringLiteral("COMMIT")).execute();
    if (!filled)
        return nullptr;
    return snapshot;
}

namespace {

// Puts a list built in the background in force beside the names met before: the lists that
// keep every name met since the start take the new names after their own.
void mergeList(KnownValueList& list, KnownValueList&& built) {
    if (list.count() == 0) {
        list = std::move(built);
        return;
    }
    for (const QString& text : built.items())
        list.add(text);
}

}  // namespace

namespace {

// Frees what a load replaced on a thread of its own: the sources and lists of a large file
// are a million small blocks, whose freeing would hold the window for a fifth of a second.
void letGo(KnownValueState& known, std::unique_ptr<KnownValueSnapshot> replaced) {
    if (known.disposal.valid())
        known.disposal.wait();
    known.disposal = std::async(std::launch::async,
                                [replaced = std::move(replaced)]() mutable { replaced.reset(); });
}

}  // namespace

void InstallKnownValues(KnownValueSnapshot&& snapshot) {
    KnownValueState& known = state();
    known.pending = false;
    auto replaced = std::make_unique<KnownValueSnapshot>();
    replaced->sources = std::exchange(known.sources, std::move(snapshot.sources));
    known.valid = true;
    known.connection = sharedDatabase().handle();
    replaced->firms = std::exchange(FirmNameList(), std::move(snapshot.firms));
    replaced->persons = std::exchange(PersonNameList(), std::move(snapshot.persons));
    replaced->groups = std::exchange(GroupNameList(), std::move(snapshot.groups));
    letGo(known, std::move(replaced));
    mergeList(LastNameList(), std::move(snapshot.lastNames));
    mergeList(FirstNameList(), std::move(snapshot.firstNames));
    mergeList(AlarmNameList(), std::move(snapshot.alarms));
    // The rows written since the load began may be newer than what it read.
    const DataChange waiting = std::exchange(known.waiting, {});
    applyToProcessLists(waiting);
}

#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringList>
#include <memory>
#include <stop_token>
#include <unordered_set>

class CDatabase;
struct DataChange;

// A list of the names met in the database, in the order they were met (or sorted).
class KnownValueList {
public:
    const QStringList& items() const { return m_items; }
    int count() const { return static_cast<int>(m_items.size()); }
    const QString& at(int index) const { return m_items.at(index); }

    // Appends the text unless an entry equals it ignoring letter case.
    void add(const QString& text);
    // Appends the text without looking for an equal entry. The sorted lists are built this
    // way and never looked up by add(), so the sets behind add() are made only when it is
    // first called.
    void append(const QString& text);
    void clear();
    // For the lists kept sorted: puts the text at its place, or takes one entry equal to it
    // out.
    void insertSorted(const QString& text);
    void removeSorted(const QString& text);
    // Sorts ascending, letter case significant (upper-case letters first).
    void sort();
    // Sorts the texts and merges them into the list, which is sorted: a list built from
    // several sources is sorted one source at a time, while the next source is read.
    void mergeSorted(QStringList texts);

    // The hash of the sets of texts. It is not noexcept, so that the standard library keeps
    // each hash beside its text and a look-up compares texts only when the hashes match.
    struct TextHash {
        std::size_t operator()(const QString& text) const { return qHash(text); }
    };
    using TextSet = std::unordered_set<QString, TextHash>;

private:
    QStringList m_items;
    // Every text added or met, as it was written: most texts are met again the same way,
    // and then need no case folding.
    TextSet m_metTexts;
    TextSet m_foldedItems;
    // The sets hold every item (false after append()).
    bool m_indexed = true;
};

// The six process-wide known-value lists.
KnownValueList& FirmNameList();
KnownValueList& PersonNameList();
KnownValueList& GroupNameList();
KnownValueList& LastNameList();
KnownValueList& FirstNameList();
KnownValueList& AlarmNameList();

// Rebuilds the lists from the shared connection: reads the names of every table. A database
// failure is reported (reportDbException); the lists keep what was read so far and the
// result is false. While a background load is under way it does nothing: that load's result
// brings the lists up to date.
bool LoadKnownValues();

// Brings the lists up to date with what a write through the data layer changed, reading only
// the changed rows and the names they leave or join. During a background load the change
// waits for its result; before any load there is nothing to bring up to date. A database
// failure is reported, and then only a new load gives current lists.
void ApplyKnownValueChange(const DataChange& change);

// The lists as one background load read and built them.
struct KnownValueSnapshot;
// Marks the start of a background load: from now on LoadKnownValues leaves the lists to it,
// and the changes announced meanwhile are applied to its result.
void BeginKnownValueLoad();
// The background load was stopped or failed: the lists stay as they are until a new load.
void AbandonKnownValueLoad();
bool KnownValueLoadPending();
// Reads every source on `db` (a connection of the calling thread) in one read transaction
// and builds the lists from them. nullptr when `stop` ended it; throws CDbException.
std::shared_ptr<KnownValueSnapshot> ReadKnownValues(CDatabase& db, const std::stop_token& stop);
// On the user-interface thread: puts what a background load built in force and applies the
// changes announced since it began.
void InstallKnownValues(KnownValueSnapshot&& snapshot);

// The trimmed text up to its first blank (the whole trimmed text when it has none).
QString FirstWord(const QString& text);
// The trimmed text after its last blank (the whole trimmed text when it has none).
QString LastWord(const QString& text);

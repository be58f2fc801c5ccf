#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringList>
#include <memory>
#include <stop_token>
#include <unordered_set>

class CDatabase;

// A list of the names met in the database, in the order they were met (or sorted).
class KnownValueList {
public:
    const QStringList& items() const { return m_items; }
    int count() const { return static_cast<int>(m_items.size()); }
    const QString& at(int index) const { return m_items.at(index); }

    // Appends the text unless an entry equals it ignoring letter case.
    void add(const QString& text);
    // Appends the text without looking for an equal entry.
    void append(const QString& text);
    void clear();
    // Sorts ascending, letter case significant (upper-case letters first).
    void sort();

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
};

// The six process-wide known-value lists.
KnownValueList& FirmNameList();
KnownValueList& PersonNameList();
KnownValueList& GroupNameList();
KnownValueList& LastNameList();
KnownValueList& FirstNameList();
KnownValueList& AlarmNameList();

// Rebuilds the lists from the shared connection. A database failure is reported
// (ReportDbException); the lists keep what was read so far and the result is false.
// Each load reads again only the sources of the tables written since the last one: every
// write through a record set notes its table, and a write that goes around them notes
// that anything may have changed. The first load reads every source. While a background
// load is under way it does nothing: the writes noted meanwhile are read when that load's
// result is put in force.
bool LoadKnownValues();

// The lists as one background load read and built them.
struct KnownValueSnapshot;
// Marks the start of a background load that reads every source: from now on
// LoadKnownValues leaves the lists to it, and the writes noted are read again after it.
void BeginKnownValueLoad();
// The background load was stopped: the next load reads every source.
void AbandonKnownValueLoad();
bool KnownValueLoadPending();
// Reads every source on `db` (a connection of the calling thread) in one read transaction
// and builds the lists from them. nullptr when `stop` ended it; throws CDbException.
std::shared_ptr<KnownValueSnapshot> ReadKnownValues(CDatabase& db, const std::stop_token& stop);
// On the user-interface thread: puts what a background load built in force and reads again
// the tables written since it began. False, changing nothing, when something was written
// past the record sets meanwhile: then only a new load gives current lists.
bool InstallKnownValues(KnownValueSnapshot&& snapshot);

// Tells the next load that the table ("Person", "Firm", "Contact", ...) was written.
void NoteKnownValuesChanged(const QString& table);
// Tells the next load to read every source again.
void NoteAllKnownValuesChanged();

// The trimmed text up to its first blank (the whole trimmed text when it has none).
QString FirstWord(const QString& text);
// The trimmed text after its last blank (the whole trimmed text when it has none).
QString LastWord(const QString& text);

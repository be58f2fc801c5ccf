#pragma once

#include <QString>
#include <QStringList>
#include <span>
#include <stop_token>
#include <vector>

class CDatabase;

// The kinds of record the search tool finds; also the index of the category in the tool's
// list box and of the kind's icon.
enum class SearchKind { Contact = 0, Person = 1, Firm = 2, Alarm = 3 };
inline constexpr int kSearchKindCount = 4;

// One result row of the search tool.
struct SearchHit {
    qint32 id = 0;
    SearchKind kind = SearchKind::Contact;

    friend bool operator==(const SearchHit&, const SearchHit&) = default;
};

// How one kind of record is searched and shown.
struct SearchCategory {
    SearchKind kind;
    const char* title;  // the category in the list box
    const char* table;
    std::span<const char* const> searched;     // the columns that are searched
    const char* lineFormat;                    // "%1", "%2" take the line's texts
    std::span<const char* const> lineColumns;  // what the line shows (a person's first two:
                                               // the name)
    const char* formKind;                      // the window kind of the form that shows it
    const char* iconName;
};

const SearchCategory& searchCategory(SearchKind kind);
// The kind whose table this is (letter case ignored); false when no kind searches it.
bool searchKindOfTable(QStringView table, SearchKind& kind);

// The LIKE pattern for a typed text: "*" before and after it; "*" and "?" in the text stay
// wildcards, every other character matches only itself (quotes doubled, so the condition
// stays valid).
QString searchPattern(const QString& typedText);
// The category's condition (engine dialect): any searched column is like the pattern.
QString searchCondition(SearchKind kind, const QString& typedText);

// The ids of the category's records that contain the typed text, in id order (the engine's
// order of a whole table). Ends early, throwing CDbException, when `stop` is asked for.
// Throws CDbException.
std::vector<qint32> findRecords(CDatabase& db, SearchKind kind, const QString& typedText,
                                const std::stop_token& stop = {});

// Of these ids of the category, those whose records exist and contain the typed text, in id
// order. Throws CDbException.
std::vector<qint32> recordsStillFound(CDatabase& db, SearchKind kind, const QString& typedText,
                                      std::span<const qint32> ids);

// The result lines of the category's records with these ids, in the same order; a record
// that no longer exists gets an empty line. Throws CDbException.
QStringList resultLines(CDatabase& db, SearchKind kind, std::span<const qint32> ids);

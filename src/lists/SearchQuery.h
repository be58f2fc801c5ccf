#pragma once

#include <QString>
#include <QStringList>
#include <span>
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
};

// How one kind of record is searched and shown.
struct SearchCategory {
    SearchKind kind;
    const char* title;  // the category in the list box
    const char* table;
    std::span<const char* const> searched;  // the columns that are searched
    const char* lineFormat;                 // "%1", "%2" take the line columns' texts
    const char* lineColumns;  // the columns the line shows (a person's first two: the name)
    const char* formKind;     // the window kind of the form that shows the record
    const char* iconName;
};

const SearchCategory& searchCategory(SearchKind kind);

// The LIKE pattern for a typed text: "*" before and after it; "*" and "?" in the text stay
// wildcards, every other character matches only itself (quotes doubled, so the condition
// stays valid).
QString searchPattern(const QString& typedText);
// The category's condition (engine dialect): any searched column is like the pattern.
QString searchCondition(SearchKind kind, const QString& typedText);

// The ids of the category's records that contain the typed text, in the engine's order.
// Throws CDbException.
std::vector<qint32> findRecords(CDatabase& db, SearchKind kind, const QString& typedText);

// The result lines of the category's records with these ids, in the same order; a record
// that no longer exists gets an empty line. Throws CDbException.
QStringList resultLines(CDatabase& db, SearchKind kind, std::span<const qint32> ids);

#pragma once

#include <sqlite3.h>

class CListSource;
class CWildcardPattern;

// The SQL function tarvex_cell_matches(value), registered on a list's connection for as long
// as the object lives: 1 when the list filter's pattern matches the text that the list shows
// for the value in the column, else 0. With it the engine hands over only the rows that a
// filter keeps or drops, instead of every row of the table.
class CCellMatchFunction {
public:
    static constexpr char kName[] = "tarvex_cell_matches";

    CCellMatchFunction(sqlite3* handle, const CListSource& source, int column,
                       const CWildcardPattern& pattern);
    ~CCellMatchFunction();
    CCellMatchFunction(const CCellMatchFunction&) = delete;
    CCellMatchFunction& operator=(const CCellMatchFunction&) = delete;

private:
    static void call(sqlite3_context* context, int argc, sqlite3_value** argv);
    bool matches(sqlite3_value* value) const;

    sqlite3* m_handle;
    const CListSource& m_source;
    int m_column;
    const CWildcardPattern& m_pattern;
    bool m_text;   // a text column
    bool m_plain;  // shown as stored, without words for stored values
    bool m_nullMatches;
    bool m_emptyMatches;
};

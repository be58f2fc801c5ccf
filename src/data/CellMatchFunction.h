#pragma once

#include <sqlite3.h>

#include <QByteArrayView>
#include <QVariant>

// What a list filter asks of one cell: whether the text shown for a stored value matches.
class CCellMatcher {
public:
    virtual ~CCellMatcher() = default;
    // The cell of a stored value (an invalid variant for NULL; qint64, double, QString or
    // QByteArray otherwise).
    virtual bool matchesStored(const QVariant& stored) const = 0;
    // True when a text value is shown exactly as stored: then matchesText() is asked with
    // the engine's bytes, without a copy in between.
    virtual bool showsTextAsStored() const = 0;
    virtual bool matchesText(QByteArrayView utf8) const = 0;
};

// The SQL function tarvex_cell_matches(value), registered on a connection for as long as
// the object lives: 1 when the matcher accepts the cell of the value, else 0. With it the
// engine hands over only the rows that a filter keeps or drops, instead of every row.
class CCellMatchFunction {
public:
    static constexpr char kName[] = "tarvex_cell_matches";

    // `textColumn`: the column holds texts (values of other types are read as text too).
    CCellMatchFunction(sqlite3* handle, const CCellMatcher& matcher, bool textColumn);
    ~CCellMatchFunction();
    CCellMatchFunction(const CCellMatchFunction&) = delete;
    CCellMatchFunction& operator=(const CCellMatchFunction&) = delete;

private:
    static void call(sqlite3_context* context, int argc, sqlite3_value** argv);
    bool matches(sqlite3_value* value) const;

    sqlite3* m_handle;
    const CCellMatcher& m_matcher;
    bool m_text;
    bool m_plain;
    bool m_nullMatches;
};

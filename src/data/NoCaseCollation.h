#pragma once

#include <string>

struct sqlite3;

// The comparison that ignores letter case for every Unicode letter ("müller" = "MÜLLER"),
// registered on each of the program's connections under a name of its own. The stored
// schema never names it: the columns and indexes keep the engine's built-in NOCASE, so
// that every SQLite client reads, checks and writes the same indexes. The program's own
// statements ask for it where the built-in NOCASE (ASCII letters only) is not enough.
inline constexpr char kUnicodeNoCase[] = "unicode_nocase";

void registerNoCaseCollation(sqlite3* handle);

// The comparison itself, on UTF-8 texts: negative, zero or positive. Texts compare by their
// characters' simple case folding, character by character; plain ASCII texts therefore
// compare as the built-in NOCASE compares them. A byte that is not valid UTF-8 counts as
// U+FFFD.
int compareNoCase(const char* a, int aLength, const char* b, int bLength);

// Appends the text's sort key: its case-folded characters in UTF-8. Keys compared byte by
// byte (unsigned, a shorter key before its longer continuations) are in the order of
// compareNoCase.
void appendNoCaseKey(std::string& key, const char* text, int length);

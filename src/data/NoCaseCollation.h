#pragma once

struct sqlite3;

// Replaces the connection's NOCASE collation (ASCII only in the engine) by a comparison
// that ignores letter case for every Unicode letter, so that "=", ORDER BY and the indexes
// of text columns treat "müller" and "MÜLLER" alike.
void registerNoCaseCollation(sqlite3* handle);

// The comparison itself, on UTF-8 texts: negative, zero or positive.
int compareNoCase(const char* a, int aLength, const char* b, int bLength);

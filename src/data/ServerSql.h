#pragma once

#include <QString>

// The data layer writes its statements in SQLite's SQL; on the team's server the same
// statements run after this one translation:
// - names (bare, `backticked`, "quoted" or [bracketed]) of the contacts file's tables,
//   stored queries and columns are spelt as the server's schema spells them, in double
//   quotes, so that letter case in a statement does not matter, as it does not to SQLite;
//   `rowid` is the key column "id", and the temporary schema `temp` is `pg_temp`;
// - parameters ?, ?N become $N;
// - COLLATE NOCASE and the Unicode letter-case collation become the server's collation
//   "tarvex_nocase", which ignores letter case beyond ASCII; COLLATE BINARY becomes "C";
// - LIKE (with the engine's "*", "?", "#" and "[...]") and NOT LIKE become the operators
//   #~ and #!~ that the server schema defines for them;
// - BEGIN IMMEDIATE / EXCLUSIVE / DEFERRED become BEGIN.
// String literals pass unchanged.
QString toServerSql(const QString& sqliteSql);

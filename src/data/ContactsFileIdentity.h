#pragma once

#include <QString>

// The contacts file under any name. Opening and closing another descriptor of the database
// or of its side files drops every lock the engine holds on them for this process, and
// writing over them destroys the file: a file chooser's answer is checked here first.

// Whether `path` names the database file at `databasePath` or one of its side files (-wal,
// -shm, -journal), under any name (a link, another spelling); found by the files' identity
// on disk, without opening either.
bool isDatabaseOrSideFile(const QString& path, const QString& databasePath);

// The same for the contacts file in use (databasePath()).
bool isContactsFile(const QString& path);

// What is said when the user chooses it to read or write as another kind of file.
QString contactsFileRefusal(const QString& path);

#pragma once

class QWidget;

// Tools > "Copy contacts file to server..." and "Copy server to contacts file...": ask for
// the server's address (proposed from [database] server in Tarvex.ini) and its user's
// password, run the copy on a thread of its own behind a progress dialog with Cancel, and
// say how it ended. Either copy leaves its target as it was unless it succeeds whole.

// Copies the open contacts file into an empty database on the server.
void RunCopyToServer(QWidget* parent);
// Copies a server's database into a new contacts file the user names (with a password of
// its own when the user gives one).
void RunCopyFromServer(QWidget* parent);

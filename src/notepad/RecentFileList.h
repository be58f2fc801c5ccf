#pragma once

#include <QString>
#include <QStringList>

// The most recently used notepad files, newest first, kept in the application's key of
// the user's settings store under "Recent File List" ("File1" to "File4").
namespace recentfiles {

inline constexpr int kSize = 4;

QStringList files();
// Puts the file at the top; an entry already listed moves up, the oldest beyond kSize goes.
void add(const QString& path);
void remove(const QString& path);

}  // namespace recentfiles

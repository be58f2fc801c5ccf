#pragma once

#include <QIcon>
#include <QString>

// Makes the program's built-in resources (icons, splash picture, help pages) reachable under
// ":/"; the resource file lives in a static library, so it has to be registered once by
// hand. The functions below do it themselves.
void initBuiltInResources();

// The command's image (the resource library's one first), or a null icon when the command
// has none.
QIcon commandIcon(int id);
// A named image such as "tarvex" or "person", with the same precedence.
QIcon namedIcon(const QString& name);

#pragma once

#include <QString>
#include <optional>

// The optional resource file "resdll.rcc": a Qt binary resource whose ":/resdll/strings.ini"
// (lines "id=text", with \n, \r, \t and \\ escapes) and ":/resdll/icons/<name>.svg|.png"
// replace the program's built-in strings and images while it is loaded.

// Loads "resdll.rcc" from the folder. False when there is none or it cannot be read; a
// missing file is not an error, the built-in resources are then used.
bool loadResourceLibrary(const QString& folder);
// Goes back to the built-in resources.
void unloadResourceLibrary();
bool resourceLibraryLoaded();

// The resource library's text for the string id, if it has one.
std::optional<QString> resourceLibraryString(int id);

// The resource path of a named image: the resource library's own when it has one, else the
// built-in ":/icons/<name>.svg" (or ":/<name>.svg"); empty when neither exists.
QString imagePath(const QString& name);

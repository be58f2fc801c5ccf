#pragma once

#include <QString>

// The program's texts by string id (messages, captions, window titles, document strings).
// The resource library's text replaces the built-in one when it is loaded and has the id.
// An unknown id gives an empty text.
QString loadString(int id);

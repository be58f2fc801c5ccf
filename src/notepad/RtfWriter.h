#pragma once

#include <QByteArray>

#include "notepad/RichText.h"

// Writes rich text as RTF that word processors open with its text and formatting: a font
// and a colour table, one paragraph per \par, every run in a group of its own, and each
// character outside ASCII as \uN with a Windows-1252 (or "?") fallback.
QByteArray WriteRtf(const RichText& text);

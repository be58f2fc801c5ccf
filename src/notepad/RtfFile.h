#pragma once

#include <QString>
#include <optional>

#include "notepad/RichText.h"

// Reads an .rtf file. A file that cannot be read or is not RTF gives nullopt and, in
// `problem`, a message for the user that names the file.
std::optional<RichText> ReadRtfFile(const QString& path, QString* problem);

// Writes rich text as an .rtf file, replacing the file only once all of it is written.
// False, with a message in `problem`, when the file cannot be written.
bool WriteRtfFile(const QString& path, const RichText& text, QString* problem);

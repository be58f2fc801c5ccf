#pragma once

#include <QByteArray>

#include "notepad/RichText.h"

// True when the bytes start (after blanks) with an RTF header "{\rtf".
bool IsRtf(const QByteArray& data);

// Reads an RTF document: text, paragraphs, bold, italic, underline, alignment, font face
// and size, text colour, and every character in its code page or as \uN. Destinations
// that carry no document text (font and colour tables, \* groups, pictures, field
// instructions, ...) are not shown; unknown control words are skipped.
// Damaged input never fails: unbalanced braces, very deep nesting, a \binN past the end
// or a cut-off file give whatever text could be read, in time linear in the input.
RichText ReadRtf(const QByteArray& data);

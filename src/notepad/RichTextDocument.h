#pragma once

#include "notepad/RichText.h"

class QTextCharFormat;
class QTextCursor;
class QTextDocument;

// The editor's character format of window-free rich text; unset members stay unset, so
// the document's default font and the automatic colour apply.
QTextCharFormat toTextCharFormat(const RichCharFormat& format);

// Inserts rich text at the cursor: the first paragraph continues the cursor's block, each
// further one starts a new block with its alignment.
void insertRichText(QTextCursor& cursor, const RichText& text);

// The whole document as rich text, each run with its face and size resolved against the
// document's default font.
RichText richTextOf(const QTextDocument& document);

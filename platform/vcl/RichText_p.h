// The Qt side of the rich-text subset, for controls that edit it.
#pragma once

#include <QTextDocument>

#include <string_view>

#include "platform/vcl/Graphics.h"

// The document holds rtf laid out with defaultFont where the text names none.
void LoadRichTextInto(QTextDocument& doc, std::string_view rtf, const TFont& defaultFont);
// The document written in the same subset: font and colour tables, bold,
// italic, underline, strike-out, sizes, colours, alignment and paragraphs;
// characters code page 949 lacks as Unicode escapes.
AnsiString RichTextOfDocument(const QTextDocument& doc, const TFont& defaultFont);

// Rich text (RTF) in grid cells: the subset a rich-edit control writes
// (font and colour tables, bold, italic, underline, strike-out, font size,
// text and background colour, paragraph alignment, paragraphs, line breaks,
// tabs, hex-escaped code page 949 bytes and \u characters), laid out by Qt's
// text document. Unknown control words and destinations are skipped.
#pragma once

#include <string_view>

#include "platform/vcl/Graphics.h"

struct TRichTextOptions {
  int MarginX = 0;
  int MarginY = 0;
  // All text in this colour (a selected cell); clNone keeps the text's own.
  TColor TextColor = clNone;
};

// Renders rtf into rect on canvas; defaultFont is used where the text names
// none. The background is left as it is.
void DrawRichText(TCanvas& canvas, std::string_view rtf, const TRect& rect, const TFont& defaultFont,
                  const TRichTextOptions& options = {});
// The content's size: laid out in width pixels, or unwrapped for width < 0.
TSize MeasureRichText(std::string_view rtf, const TFont& defaultFont, int width);
// The text without its formatting; paragraphs end in CR LF.
AnsiString RichTextToPlainText(std::string_view rtf);

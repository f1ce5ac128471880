// String routines of the scraper, the movie editor and the catalogue window.
// All of them work on code page 949 text.
#pragma once

#include "platform/rtl/Types.h"

// Stars for a score on the 0-10 scale: one "★" per two points, and a "☆"
// when the odd point plus the fraction exceeds a half (9 gives "★★★★☆",
// 8.5 "★★★★"). Text that is not a number gives "".
AnsiString RatingToStars(std::string_view score);

// The score that a star text stands for: the longest run of "★" found
// ("★★★★★" 10 ... "★" 2) plus 0.5 for a "☆", as general float text.
AnsiString StarsToRating(std::string_view stars);

// A file name made from a movie title: "*", "/", "?", "\" and "|" (and
// control characters) become blanks, the result is trimmed. A name of dots
// only could name the folder or its parent, so it gives "".
AnsiString SanitizeFileName(std::string_view name);

// The file name a downloaded poster is stored under: the last path segment
// of the URL ("/" and "\" both separate, as browsers read web addresses),
// without query or fragment, cleaned like SanitizeFileName. It never
// contains a separator and is never "." or "..", so joined to the poster
// folder it stays inside it; "" when the URL names no file.
AnsiString UrlFileName(std::string_view url);

// The text with every tag dropped. A "<" opens a tag only when "/" or an
// ASCII letter follows it; the tag ends at the next ">". Any other "<" (a
// comparison, "<!--") is kept as text.
AnsiString StripHtmlTags(std::string_view html);

// The trimmed text between the first occurrence of startMarker and the first
// occurrence of endMarker, both searched from the start of the whole text;
// "" when either is missing or the end marker comes first.
AnsiString TextBetween(std::string_view text, std::string_view startMarker,
                       std::string_view endMarker);

// Private to platform/vcl: clipboard and drag data as Qt MIME data.
#pragma once

#include <QMimeData>
#include <QString>

#include "platform/vcl/Clipbrd.h"

// The MIME type a format travels as: text/plain, text/uri-list, or
// "application/x-vidrena-<name>" for a registered one.
QString MimeTypeOf(UINT format);
// Fills MIME data from the content / reads the content from MIME data.
void FillMimeData(QMimeData& mime, const TClipboard::TContent& content);
TClipboard::TContent ContentOfMime(const QMimeData& mime);
// File names joined by '\0' and back.
std::string JoinFileNames(const std::vector<AnsiString>& names);
std::vector<AnsiString> SplitFileNames(const std::string& joined);

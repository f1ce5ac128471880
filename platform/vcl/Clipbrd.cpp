// The clipboard over Qt's and over memory.
#include "platform/vcl/Clipbrd.h"

#include <QApplication>
#include <QClipboard>
#include <QUrl>

#include <memory>

#include "platform/rtl/Cp949.h"
#include "platform/vcl/Clipbrd_p.h"
#include "platform/vcl/Controls_p.h"

namespace {

const QString kPrivatePrefix = QStringLiteral("application/x-vidrena-");

std::vector<AnsiString>& FormatNames() {
  static std::vector<AnsiString> names;
  return names;
}

constexpr UINT kFirstRegistered = 0xC000;

struct MemoryClipboard {
  bool active = false;
  TClipboard::TContent content;
};

MemoryClipboard& Memory() {
  static MemoryClipboard m;
  return m;
}

TClipboard::TContent ReadAll() {
  if (Memory().active) return Memory().content;
  EnsureQtApplication();
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  return mime ? ContentOfMime(*mime) : TClipboard::TContent{};
}

// Takes the content by value: a large copy hands its text over unmoved.
void WriteAll(TClipboard::TContent content) {
  if (Memory().active) {
    Memory().content = std::move(content);
    return;
  }
  EnsureQtApplication();
  auto* mime = new QMimeData;
  FillMimeData(*mime, content);
  QGuiApplication::clipboard()->setMimeData(mime);
}

}  // namespace

UINT RegisterClipboardFormat(const AnsiString& name) {
  auto& names = FormatNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (SameText(names[i], name)) return kFirstRegistered + static_cast<UINT>(i);
  }
  names.push_back(name);
  return kFirstRegistered + static_cast<UINT>(names.size() - 1);
}

AnsiString ClipboardFormatName(UINT format) {
  auto& names = FormatNames();
  if (format < kFirstRegistered || format - kFirstRegistered >= names.size()) return {};
  return names[format - kFirstRegistered];
}

// Registered formats that other programs know by a MIME type of their own.
const QString kRichTextMime = QStringLiteral("text/rtf");
const char kRichTextName[] = "Rich Text Format";

QString MimeTypeOf(UINT format) {
  switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT: return QStringLiteral("text/plain");
    case CF_HDROP: return QStringLiteral("text/uri-list");
    default: break;
  }
  AnsiString name = ClipboardFormatName(format);
  if (name.empty()) return {};
  if (SameText(name, kRichTextName)) return kRichTextMime;
  // Hex keeps any name a valid MIME subtype.
  return kPrivatePrefix + QString::fromLatin1(QByteArray::fromStdString(name).toHex());
}

std::string JoinFileNames(const std::vector<AnsiString>& names) {
  std::string joined;
  for (const AnsiString& n : names) {
    joined += n;
    joined.push_back('\0');
  }
  return joined;
}

std::vector<AnsiString> SplitFileNames(const std::string& joined) {
  std::vector<AnsiString> names;
  std::size_t start = 0;
  while (start < joined.size()) {
    std::size_t end = joined.find('\0', start);
    if (end == std::string::npos) end = joined.size();
    if (end > start) names.push_back(joined.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

void FillMimeData(QMimeData& mime, const TClipboard::TContent& content) {
  for (const auto& [format, bytes] : content) {
    if (format == CF_TEXT || format == CF_UNICODETEXT) {
      // Character by character, and not through the painting's text cache:
      // a copied block can be megabytes.
      const WideString wide = Cp949ToUtf16(bytes);
      mime.setText(QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size())));
    } else if (format == CF_HDROP) {
      QList<QUrl> urls;
      for (const AnsiString& n : SplitFileNames(bytes)) urls << QUrl::fromLocalFile(QString::fromUtf8(SysFileName(n).c_str()));
      mime.setUrls(urls);
    } else if (QString type = MimeTypeOf(format); !type.isEmpty()) {
      mime.setData(type, QByteArray::fromStdString(bytes));
    }
  }
}

TClipboard::TContent ContentOfMime(const QMimeData& mime) {
  TClipboard::TContent content;
  if (mime.hasUrls()) {
    std::vector<AnsiString> files;
    for (const QUrl& u : mime.urls()) {
      if (u.isLocalFile()) files.push_back(FromSysFileName(u.toLocalFile().toUtf8().toStdString()));
    }
    if (!files.empty()) content[CF_HDROP] = JoinFileNames(files);
  }
  if (mime.hasText()) content[CF_TEXT] = FromQString(mime.text());
  if (mime.hasFormat(kRichTextMime)) content[RegisterClipboardFormat(kRichTextName)] = mime.data(kRichTextMime).toStdString();
  for (const QString& type : mime.formats()) {
    if (!type.startsWith(kPrivatePrefix)) continue;
    std::string name = QByteArray::fromHex(type.mid(kPrivatePrefix.size()).toLatin1()).toStdString();
    content[RegisterClipboardFormat(name)] = mime.data(type).toStdString();
  }
  return content;
}

void TClipboard::Open() {
  if (openCount_++ == 0) {
    emptied_ = false;
    pending_.clear();
  }
}

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ == 0 && emptied_) {
    WriteAll(std::move(pending_));
    pending_.clear();
  }
}

void TClipboard::Clear() {
  if (openCount_ > 0) {
    emptied_ = true;
    pending_.clear();
    return;
  }
  WriteAll({});
}

void TClipboard::Put(UINT format, std::string bytes) {
  if (format == CF_UNICODETEXT) format = CF_TEXT;
  if (openCount_ > 0) {
    if (!emptied_) {
      emptied_ = true;
      pending_.clear();
    }
    pending_[format] = std::move(bytes);
    return;
  }
  WriteAll({{format, std::move(bytes)}});
}

bool TClipboard::HasFormat(UINT format) const {
  if (format == CF_UNICODETEXT) format = CF_TEXT;
  TContent content = ReadAll();
  return content.count(format) != 0;
}

AnsiString TClipboard::AsText() const { return AsBytes(CF_TEXT); }

void TClipboard::SetAsText(const AnsiString& text) { Put(CF_TEXT, text); }

std::string TClipboard::AsBytes(UINT format) const {
  if (format == CF_UNICODETEXT) format = CF_TEXT;
  TContent content = ReadAll();
  auto it = content.find(format);
  return it == content.end() ? std::string() : it->second;
}

void TClipboard::SetAsBytes(UINT format, std::string bytes) { Put(format, std::move(bytes)); }

std::vector<AnsiString> TClipboard::FileNames() const { return SplitFileNames(AsBytes(CF_HDROP)); }

void TClipboard::SetFileNames(const std::vector<AnsiString>& names) { Put(CF_HDROP, JoinFileNames(names)); }

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

void UseMemoryClipboard(bool memory) {
  Memory().active = memory;
  Memory().content.clear();
}

// The rich-text subset of grid cells read into runs and laid out by Qt.
#include "platform/vcl/RichText.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <cctype>
#include <vector>

#include "platform/rtl/Cp949.h"
#include "platform/vcl/Canvas_p.h"

namespace {

struct TRunFormat {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strike = false;
  int HalfPoints = 0;  // 0: the default font's size
  int Color = 0;       // colour table index, 0 = automatic
  int Back = 0;
  int FontIndex = -1;
  bool Skip = false;   // inside a destination that is not text
  friend bool operator==(const TRunFormat&, const TRunFormat&) = default;
};

struct TRun {
  std::u16string Text;
  TRunFormat Format;
  bool ParagraphEnd = false;
  int Align = 0;  // 0 left, 1 centre, 2 right, 3 justified
};

struct TParsedRtf {
  std::vector<TRun> Runs;
  std::vector<TColor> Colors;
  std::vector<std::string> Fonts;
};

// Reads the text; malformed input ends quietly where it stops making sense.
TParsedRtf ParseRtf(std::string_view s) {
  TParsedRtf out;
  std::vector<TRunFormat> stack;
  TRunFormat fmt;
  int align = 0;
  int unicodeSkip = 1;
  std::string pendingBytes;  // code page 949 bytes awaiting decoding
  enum { kText, kFontTable, kColorTable } dest = kText;
  std::vector<int> destStack;
  int red = 0, green = 0, blue = 0;
  std::string fontName;
  bool fontTableEntry = false;

  auto flushBytes = [&] {
    if (pendingBytes.empty()) return;
    if (dest == kText && !fmt.Skip) {
      WideString w = Cp949ToUtf16(pendingBytes);
      if (out.Runs.empty() || out.Runs.back().ParagraphEnd || !(out.Runs.back().Format == fmt)) {
        out.Runs.push_back(TRun{});
        out.Runs.back().Format = fmt;
      }
      out.Runs.back().Text += w;
      out.Runs.back().Align = align;
    } else if (dest == kFontTable) {
      fontName += pendingBytes;
    }
    pendingBytes.clear();
  };
  auto addChar = [&](char16_t ch) {
    flushBytes();
    if (dest != kText || fmt.Skip) return;
    if (out.Runs.empty() || out.Runs.back().ParagraphEnd || !(out.Runs.back().Format == fmt)) {
      out.Runs.push_back(TRun{});
      out.Runs.back().Format = fmt;
    }
    out.Runs.back().Text += ch;
    out.Runs.back().Align = align;
  };
  auto endParagraph = [&] {
    flushBytes();
    if (dest != kText || fmt.Skip) return;
    TRun run;
    run.Format = fmt;
    run.ParagraphEnd = true;
    run.Align = align;
    // The paragraph's alignment belongs to the runs before the mark too.
    for (auto it = out.Runs.rbegin(); it != out.Runs.rend() && !it->ParagraphEnd; ++it) it->Align = align;
    out.Runs.push_back(run);
  };

  std::size_t i = 0;
  int skipChars = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '{') {
      flushBytes();
      stack.push_back(fmt);
      destStack.push_back(dest);
      ++i;
      continue;
    }
    if (c == '}') {
      flushBytes();
      if (dest == kFontTable && fontTableEntry) {
        while (!fontName.empty() && (fontName.back() == ';' || fontName.back() == ' ')) fontName.pop_back();
        out.Fonts.push_back(fontName);
        fontName.clear();
        fontTableEntry = false;
      }
      if (stack.empty()) break;
      fmt = stack.back();
      stack.pop_back();
      dest = static_cast<decltype(dest)>(destStack.back());
      destStack.pop_back();
      ++i;
      continue;
    }
    if (c == '\\') {
      ++i;
      if (i >= s.size()) break;
      const char n = s[i];
      if (n == '\\' || n == '{' || n == '}') {
        if (skipChars > 0) --skipChars;
        else pendingBytes += n;
        ++i;
        continue;
      }
      if (n == '\'') {
        if (i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
          const int v = std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16);
          if (skipChars > 0) --skipChars;
          else pendingBytes += static_cast<char>(v);
          i += 3;
        } else {
          i = s.size();
        }
        continue;
      }
      if (n == '*') {
        fmt.Skip = true;
        ++i;
        continue;
      }
      if (!std::isalpha(static_cast<unsigned char>(n))) {
        if (n == '~') addChar(u'\u00A0');
        ++i;
        continue;
      }
      std::size_t j = i;
      while (j < s.size() && std::isalpha(static_cast<unsigned char>(s[j]))) ++j;
      const std::string word(s.substr(i, j - i));
      bool hasParam = false;
      long param = 0;
      bool negative = false;
      if (j < s.size() && s[j] == '-') {
        negative = true;
        ++j;
      }
      std::size_t digits = 0;
      while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])) && digits < 9) {
        param = param * 10 + (s[j] - '0');
        hasParam = true;
        ++j;
        ++digits;
      }
      while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
      if (negative) param = -param;
      if (j < s.size() && s[j] == ' ') ++j;
      i = j;
      const int p = static_cast<int>(param);
      const bool on = !hasParam || p != 0;
      if (word == "fonttbl") {
        flushBytes();
        dest = kFontTable;
      } else if (word == "colortbl") {
        flushBytes();
        dest = kColorTable;
        red = green = blue = 0;
      } else if (word == "stylesheet" || word == "info" || word == "pict" || word == "header" ||
                 word == "footer" || word == "object" || word == "generator") {
        fmt.Skip = true;
      } else if (dest == kColorTable) {
        if (word == "red") red = p;
        else if (word == "green") green = p;
        else if (word == "blue") blue = p;
      } else if (dest == kFontTable) {
        if (word == "f") fontTableEntry = true;
      } else if (word == "b") {
        flushBytes();
        fmt.Bold = on;
      } else if (word == "i") {
        flushBytes();
        fmt.Italic = on;
      } else if (word == "ul") {
        flushBytes();
        fmt.Underline = on;
      } else if (word == "ulnone") {
        flushBytes();
        fmt.Underline = false;
      } else if (word == "strike") {
        flushBytes();
        fmt.Strike = on;
      } else if (word == "fs") {
        flushBytes();
        fmt.HalfPoints = std::clamp(p, 0, 400);
      } else if (word == "cf") {
        flushBytes();
        fmt.Color = std::max(p, 0);
      } else if (word == "cb" || word == "highlight") {
        flushBytes();
        fmt.Back = std::max(p, 0);
      } else if (word == "f") {
        flushBytes();
        fmt.FontIndex = p;
      } else if (word == "plain") {
        flushBytes();
        const bool skip = fmt.Skip;
        fmt = TRunFormat{};
        fmt.Skip = skip;
      } else if (word == "pard") {
        align = 0;
      } else if (word == "qc") {
        align = 1;
      } else if (word == "qr") {
        align = 2;
      } else if (word == "qj") {
        align = 3;
      } else if (word == "ql") {
        align = 0;
      } else if (word == "par") {
        endParagraph();
      } else if (word == "line") {
        addChar(u'\u2028');
      } else if (word == "tab") {
        addChar(u'\t');
      } else if (word == "uc") {
        unicodeSkip = std::clamp(p, 0, 8);
      } else if (word == "u") {
        addChar(static_cast<char16_t>(p < 0 ? p + 65536 : p));
        skipChars = unicodeSkip;
      }
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (dest == kColorTable) {
      if (c == ';') {
        out.Colors.push_back(RGB(red, green, blue));
        red = green = blue = 0;
      }
      ++i;
      continue;
    }
    if (skipChars > 0) {
      --skipChars;
      ++i;
      continue;
    }
    pendingBytes += c;
    ++i;
  }
  flushBytes();
  // A colour table's first entry is the automatic colour.
  if (!out.Colors.empty()) out.Colors[0] = clNone;
  return out;
}

void BuildDocument(QTextDocument& doc, const TParsedRtf& rtf, const TFont& defaultFont, TColor forced) {
  const QFont base = ToQFont(defaultFont);
  doc.setDefaultFont(base);
  doc.setDocumentMargin(0);
  QTextCursor cursor(&doc);
  bool firstBlock = true;
  auto blockFormat = [](int align) {
    QTextBlockFormat f;
    switch (align) {
      case 1: f.setAlignment(Qt::AlignHCenter); break;
      case 2: f.setAlignment(Qt::AlignRight); break;
      case 3: f.setAlignment(Qt::AlignJustify); break;
      default: f.setAlignment(Qt::AlignLeft); break;
    }
    return f;
  };
  for (const TRun& run : rtf.Runs) {
    if (firstBlock) {
      cursor.setBlockFormat(blockFormat(run.Align));
      firstBlock = false;
    }
    if (run.ParagraphEnd) {
      cursor.insertBlock(blockFormat(run.Align));
      continue;
    }
    QTextCharFormat f;
    QFont font = base;
    if (run.Format.FontIndex >= 0 && run.Format.FontIndex < static_cast<int>(rtf.Fonts.size()) &&
        !rtf.Fonts[static_cast<std::size_t>(run.Format.FontIndex)].empty()) {
      TFont named;
      named.Assign(defaultFont);
      named.SetName(rtf.Fonts[static_cast<std::size_t>(run.Format.FontIndex)]);
      font = ToQFont(named);
    }
    if (run.Format.HalfPoints > 0) font.setPointSizeF(run.Format.HalfPoints / 2.0);
    font.setBold(run.Format.Bold || defaultFont.Style().Contains(fsBold));
    font.setItalic(run.Format.Italic || defaultFont.Style().Contains(fsItalic));
    font.setUnderline(run.Format.Underline);
    font.setStrikeOut(run.Format.Strike);
    f.setFont(font);
    TColor color = defaultFont.Color();
    if (run.Format.Color > 0 && run.Format.Color < static_cast<int>(rtf.Colors.size()))
      if (const TColor listed = rtf.Colors[static_cast<std::size_t>(run.Format.Color)]; listed != clNone)
        color = listed;
    if (forced != clNone) color = forced;
    f.setForeground(ToQColor(color));
    if (run.Format.Back > 0 && run.Format.Back < static_cast<int>(rtf.Colors.size()) &&
        rtf.Colors[static_cast<std::size_t>(run.Format.Back)] != clNone)
      f.setBackground(ToQColor(rtf.Colors[static_cast<std::size_t>(run.Format.Back)]));
    cursor.insertText(QString::fromUtf16(run.Text.data(), static_cast<qsizetype>(run.Text.size())), f);
  }
  // The paragraph mark that ends the text adds no empty line.
  QTextBlock last = doc.lastBlock();
  if (last.isValid() && last.text().isEmpty() && doc.blockCount() > 1) {
    QTextCursor c(last);
    c.deletePreviousChar();
  }
}

}  // namespace

void DrawRichText(TCanvas& canvas, std::string_view rtf, const TRect& rect, const TFont& defaultFont,
                  const TRichTextOptions& options) {
  const int w = rect.Width() - 2 * options.MarginX, h = rect.Height() - 2 * options.MarginY;
  if (w <= 0 || h <= 0) return;
  EnsureQtApplication();
  QTextDocument doc;
  BuildDocument(doc, ParseRtf(rtf), defaultFont, options.TextColor);
  doc.setTextWidth(w);
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    doc.drawContents(&p, QRectF(0, 0, w, h));
  }
  TBitmap bitmap;
  SetBitmapImage(bitmap, std::move(image));
  canvas.Draw(rect.Left + options.MarginX, rect.Top + options.MarginY, bitmap);
}

TSize MeasureRichText(std::string_view rtf, const TFont& defaultFont, int width) {
  EnsureQtApplication();
  QTextDocument doc;
  BuildDocument(doc, ParseRtf(rtf), defaultFont, clNone);
  if (width > 0) doc.setTextWidth(width);
  const QSizeF size = doc.documentLayout()->documentSize();
  const int idealWidth = static_cast<int>(std::ceil(doc.idealWidth()));
  return TSize{width > 0 ? std::min(idealWidth, width) : idealWidth, static_cast<int>(std::ceil(size.height()))};
}

AnsiString RichTextToPlainText(std::string_view rtf) {
  const TParsedRtf parsed = ParseRtf(rtf);
  std::u16string text;
  for (const TRun& run : parsed.Runs) {
    if (run.ParagraphEnd) text += u"\r\n";
    else text += run.Text;
  }
  while (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0) text.resize(text.size() - 2);
  for (char16_t& ch : text)
    if (ch == u'\u2028') ch = u'\n';
  return Utf16ToCp949(text);
}

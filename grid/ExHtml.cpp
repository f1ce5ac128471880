// The mark-up engine; the index of its sections and the call tree are in
// ExHtml.h.
//
// The text is cut into tokens once (runs of text with their entities
// decoded, and tags). Each line is then laid out once: its items (runs,
// bullets, pictures, controls) get their fonts, sizes and places, the hit
// test runs against the places where they will be drawn, and the painter
// draws the items without measuring again.
#include "grid/ExHtml.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "grid/PictureContainer.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ShellIcons.h"

namespace {

// Bounds on what mark-up may ask for.
constexpr int kMinFontPoints = 1;
constexpr int kMaxFontPoints = 200;
constexpr int kMaxMarkupPixels = 4096;  // picture, control and indent sizes
constexpr int kListIndent = 12;
constexpr std::size_t kMaxCachedText = 2048;  // bytes of a text whose layout is kept

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
bool IsLead(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }
std::size_t CharLen(std::string_view s, std::size_t i) {
  return (IsLead(s[i]) && i + 1 < s.size()) ? 2 : 1;
}

// Upper case of the single-byte letters only: a trail byte of a Hangul
// syllable may look like a letter.
AnsiString UpperAscii(std::string_view s) {
  AnsiString out(s);
  for (std::size_t i = 0; i < out.size(); i += CharLen(out, i)) out[i] = Upper(out[i]);
  return out;
}
AnsiString LowerAscii(std::string_view s) {
  AnsiString out(s);
  for (std::size_t i = 0; i < out.size(); i += CharLen(out, i)) out[i] = Lower(out[i]);
  return out;
}

bool StartsNoCase(std::string_view text, std::size_t at, std::string_view upperWord) {
  if (at + upperWord.size() > text.size()) return false;
  for (std::size_t k = 0; k < upperWord.size(); ++k)
    if (Upper(text[at + k]) != upperWord[k]) return false;
  return true;
}

int ClampInt(long long v, int lo, int hi) {
  return static_cast<int>(std::clamp<long long>(v, lo, hi));
}

// A decimal number at the start of text (blanks first, a sign allowed);
// false when there is none. Huge values saturate.
bool ReadNumber(std::string_view text, long long& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) v = std::min<long long>(v * 10 + (text[i] - '0'), 1LL << 40);
  value = negative ? -v : v;
  return true;
}

// ---- entities: each decodes once, to the character it names.
struct TEntity {
  const char* name;  // upper case, without '&' and ';'
  char16_t ch;
};
constexpr TEntity kEntities[] = {
    {"AMP", u'&'},     {"QUOT", u'"'},    {"LT", u'<'},      {"GT", u'>'},
    {"NBSP", u' '},    {"SECT", u'\u00A7'}, {"PERMIL", u'\u2030'}, {"REG", u'\u00AE'},
    {"COPY", u'\u00A9'}, {"PARA", u'\u00B6'}, {"TRADE", u'\u2122'}, {"EURO", u'\u20AC'},
};

const AnsiString& EntityText(std::size_t index) {
  static const std::array<AnsiString, std::size(kEntities)> texts = [] {
    std::array<AnsiString, std::size(kEntities)> t;
    for (std::size_t k = 0; k < t.size(); ++k) t[k] = Utf16ToCp949(std::u16string(1, kEntities[k].ch));
    return t;
  }();
  return texts[index];
}

// The entity at text[at] ('&'); its index and length, or false.
bool MatchEntity(std::string_view text, std::size_t at, std::size_t& index, std::size_t& length) {
  for (std::size_t k = 0; k < std::size(kEntities); ++k) {
    const std::size_t n = std::strlen(kEntities[k].name);
    if (at + n + 2 <= text.size() && StartsNoCase(text, at + 1, kEntities[k].name) &&
        text[at + n + 1] == ';') {
      index = k;
      length = n + 2;
      return true;
    }
  }
  return false;
}

// ---- attributes of a tag, read outside quoted values.
// The position just past "NAME=" (blanks allowed around '='), found only
// where NAME starts the tag or follows a blank and lies outside quotes;
// npos when absent. The tag is given as written.
std::size_t FindAttribute(std::string_view tag, std::string_view upperName) {
  bool quoted = false;
  for (std::size_t i = 0; i < tag.size(); i += CharLen(tag, i)) {
    const char c = tag[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (quoted) continue;
    if ((i == 0 || tag[i - 1] == ' ' || tag[i - 1] == '\t') && StartsNoCase(tag, i, upperName)) {
      std::size_t j = i + upperName.size();
      while (j < tag.size() && tag[j] == ' ') ++j;
      if (j < tag.size() && tag[j] == '=') {
        ++j;
        while (j < tag.size() && tag[j] == ' ') ++j;
        return j;
      }
    }
  }
  return std::string_view::npos;
}

// The raw value at pos: quoted text up to the closing quote (or the end),
// else up to the next blank.
std::string_view ValueAt(std::string_view tag, std::size_t pos) {
  if (pos >= tag.size()) return {};
  if (tag[pos] == '"') {
    const std::size_t close = tag.find('"', pos + 1);
    return tag.substr(pos + 1, close == std::string_view::npos ? std::string_view::npos : close - pos - 1);
  }
  std::size_t end = pos;
  while (end < tag.size() && tag[end] != ' ' && tag[end] != '\t') ++end;
  return tag.substr(pos, end - pos);
}

bool Attribute(std::string_view tag, std::string_view upperName, AnsiString& value) {
  const std::size_t pos = FindAttribute(tag, upperName);
  if (pos == std::string_view::npos) return false;
  value = UnescapeHtmlText(ValueAt(tag, pos));
  return true;
}

// The text between the tag's first two double quotes.
std::string_view FirstQuoted(std::string_view tag) {
  const std::size_t open = tag.find('"');
  if (open == std::string_view::npos) return {};
  const std::size_t close = tag.find('"', open + 1);
  return tag.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
}

TColor AttributeColor(std::string_view value) {
  if (!value.empty() && value[0] == '#') return HexToColor(value);
  return ColorByName(LowerAscii(value));
}

// ---- tokens
enum TTagKind {
  tgUnknown, tgA, tgB, tgBR, tgBL, tgBODY, tgCONTROL, tgE, tgFONT, tgHI, tgHR, tgI, tgIND, tgIMG,
  tgLI, tgP, tgR, tgS, tgSHAD, tgSUB, tgSUP, tgU, tgUL, tgZ
};

struct TToken {
  bool tag = false;
  bool closing = false;
  TTagKind kind = tgUnknown;
  bool endsInBlank = false;  // a run cut after a blank
  AnsiString text;           // a run's text (entities decoded) or a tag's inside
};

TTagKind TagKindOf(std::string_view name, bool closing) {
  // name is the tag's letters, upper-cased
  if (name == "A") return tgA;
  if (name == "B") return tgB;
  if (name.starts_with("BL")) return tgBL;
  if (closing && name.starts_with("B")) return tgBL;  // any other closing </B...
  if (name == "BR") return tgBR;
  if (name == "BODY") return tgBODY;
  if (name.starts_with("C")) return tgCONTROL;
  if (name == "E") return tgE;
  if (name == "FONT") return tgFONT;
  if (name == "HI") return tgHI;
  if (name == "HR") return tgHR;
  if (name == "I") return tgI;
  if (name == "IND") return tgIND;
  if (name == "IMG") return tgIMG;
  if (name == "LI") return tgLI;
  if (name == "P") return tgP;
  if (name == "R") return tgR;
  if (name == "S") return tgS;
  if (name.starts_with("SH")) return tgSHAD;
  if (closing && name.starts_with("SU")) return tgSUB;
  if (name == "SUB") return tgSUB;
  if (name == "SUP") return tgSUP;
  if (name == "U") return tgU;
  if (name.starts_with("U")) return tgUL;
  if (name == "Z") return tgZ;
  return tgUnknown;
}

// The end of the tag that starts at text[open] ('<'): the first '>' outside
// double quotes, or, when quotes are unbalanced, the first '>' at all; npos
// when there is none.
std::size_t TagEnd(std::string_view text, std::size_t open) {
  bool quoted = false;
  for (std::size_t i = open + 1; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    else if (text[i] == '>' && !quoted) return i;
  }
  return text.find('>', open + 1);
}

std::vector<TToken> Tokenize(std::string_view text, bool wordWrap) {
  std::vector<TToken> tokens;
  TToken run;
  auto flushRun = [&](bool blank) {
    if (!run.text.empty()) {
      run.endsInBlank = blank;
      tokens.push_back(std::move(run));
    }
    run = TToken{};
  };
  auto pushTag = [&](TTagKind kind, bool closing, std::string_view inside) {
    flushRun(false);
    TToken t;
    t.tag = true;
    t.closing = closing;
    t.kind = kind;
    t.text = AnsiString(inside);
    tokens.push_back(std::move(t));
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\n') {
      ++i;
      continue;
    }
    if (c == '\r') {
      pushTag(tgBR, false, "BR");
      ++i;
      continue;
    }
    if (c == '<') {
      if (i + 1 < text.size() && text[i + 1] == '#') {
        // "<#...>" shows its content as text; the '>' goes.
        const std::size_t close = text.find('>', i + 2);
        const std::size_t stop = close == std::string_view::npos ? text.size() : close;
        run.text.append(text.substr(i + 1, stop - i - 1));
        i = close == std::string_view::npos ? text.size() : close + 1;
        continue;
      }
      const std::size_t close = TagEnd(text, i);
      if (close == std::string_view::npos) break;  // an unclosed tag ends the text
      const std::string_view inside = text.substr(i + 1, close - i - 1);
      const bool closing = !inside.empty() && inside[0] == '/';
      std::size_t n = closing ? 1 : 0;
      AnsiString name;
      while (n < inside.size() && IsLetter(inside[n])) name += Upper(inside[n++]);
      pushTag(TagKindOf(name, closing), closing, inside);
      i = close + 1;
      continue;
    }
    if (c == '&') {
      std::size_t index = 0, length = 0;
      if (MatchEntity(text, i, index, length)) {
        run.text += EntityText(index);
        i += length;
        continue;
      }
    }
    const std::size_t len = CharLen(text, i);
    run.text.append(text.substr(i, len));
    i += len;
    if (c == ' ' && wordWrap) flushRun(true);
  }
  flushRun(false);
  return tokens;
}

// ---- render state
struct TFontState {
  AnsiString name;
  int size = 8;
  TColor color = clBlack;
  TFontStyles style;
  int orientation = 0;
  bool operator==(const TFontState&) const = default;
};

TFontState FontStateOf(const TFont& f) {
  return {f.Name(), f.Size(), f.Color(), f.Style(), f.Orientation()};
}

void ApplyFont(TCanvas& canvas, const TFontState& s) {
  TFont* f = canvas.Font();
  if (f->Name() != s.name) f->SetName(s.name);
  if (f->Size() != s.size) f->SetSize(s.size);
  if (f->Color() != s.color) f->SetColor(s.color);
  if (f->Style() != s.style) f->SetStyle(s.style);
  if (f->Orientation() != s.orientation) f->SetOrientation(s.orientation);
}

enum TItemKind { ikRun, ikBullet, ikPicture, ikImageIndex, ikIcon, ikControl };

struct TItem {
  TItemKind kind = ikRun;
  int x = 0;  // from the line's start
  int width = 0;
  int height = 0;
  TFontState font;
  TColor background = clNone;  // behind a run
  bool shadow = false, sub = false, sup = false, error = false, ellipsis = false;
  int anchor = 0;  // anchor number from 1; 0 outside anchors
  AnsiString text;
  // pictures
  THTMLPicture* picture = nullptr;
  THTMLPicture* hoverPicture = nullptr;  // ALT, shown while the point is on it
  bool stretched = false;
  int index = -1;     // image list index
  bool large = false;  // shell icon size
  int pictureNumber = 0;
  // controls
  THtmlControl control;
  TRect box;  // absolute place, filled when the line is placed
};

bool SameLook(const TItem& a, const TItem& b) {
  return a.kind == ikRun && b.kind == ikRun && !a.ellipsis && !b.ellipsis && a.font == b.font &&
         a.background == b.background && a.shadow == b.shadow && a.sub == b.sub && a.sup == b.sup &&
         a.error == b.error && a.anchor == b.anchor;
}

// Blanks alone leave no ink unless something is drawn along or behind them.
bool Inkless(const TItem& item) {
  if (item.background != clNone || item.error || item.font.style.Contains(fsUnderline) ||
      item.font.style.Contains(fsStrikeOut))
    return false;
  return item.text.find_first_not_of(' ') == AnsiString::npos;
}

struct TLine {
  std::vector<TItem> items;
  int width = 0, height = 0, upper = 0, lower = 0, picOffset = 0, align = 0, indent = 0;
  bool hr = false;
  TColor paraBackground = clNone;
  int top = 0, left = 0;
  int offset = 0;  // the line's top below the first line's
};

// What a text lays out to, apart from where the rectangle is: kept between
// calls for texts without pictures, since a grid paints the same cells
// again and again.
struct TLayout {
  std::vector<TLine> lines;
  AnsiString stripped;
  std::vector<AnsiString> anchorLinks;
  int width = 0, height = 0;
};

class TLayoutCache {
 public:
  TLayout* Find(const std::string& key) {
    auto it = layouts_.find(key);
    return it == layouts_.end() ? nullptr : it->second.get();
  }
  TLayout* Add(std::string key, std::unique_ptr<TLayout> layout) {
    if (layouts_.size() >= kMaxLayouts) layouts_.clear();
    return layouts_.emplace(std::move(key), std::move(layout)).first->second.get();
  }

 private:
  static constexpr std::size_t kMaxLayouts = 4096;
  std::unordered_map<std::string, std::unique_ptr<TLayout>> layouts_;
};

template <class T>
void AppendBytes(std::string& key, const T& value) {
  key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

class TRenderer {
 public:
  TRenderer(TCanvas& canvas, const TRect& rect, const THtmlDrawArgs& args, THtmlDrawResult& result)
      : canvas_(canvas), rect_(rect), args_(args), result_(result) {}

  bool Run(std::string_view text);

 private:
  std::string LayoutKey(std::string_view text);
  void BuildLayout(TLayout& layout);
  bool RenderHtml(TLine& line);  // false when the tokens are used up
  void PlaceLine(TLine& line);
  void HitTestLine(TLine& line);
  void PaintLine(const TLine& line);
  void PaintBody();
  void TileBackground(const TBitmap& image);
  void PaintControl(const TItem& item, bool hot);
  int GhHeight(const TFontState& font);
  int Width() const { return rect_.Right - rect_.Left; }
  TSize Scaled(int w, int h) const;
  THTMLPicture* FindPicture(const AnsiString& source);

  TCanvas& canvas_;
  TRect rect_;
  const THtmlDrawArgs& args_;
  THtmlDrawResult& result_;
  std::vector<TToken> tokens_;
  std::size_t next_ = 0;

  TFontState entryFont_;
  TFontState font_;
  TFontState savedHiFont_;
  TColor entryBrush_ = clNone;
  TColor runBackground_ = clNone;
  TColor savedHiBackground_ = clNone;
  TColor paraBackground_ = clNone;
  int align_ = 0, indent_ = 0;
  bool inAnchor_ = false, shadow_ = false, sub_ = false, sup_ = false, hidden_ = false, error_ = false;
  AnsiString anchorLink_;
  int listLevel_ = 0, anchorCount_ = 0, pictureCount_ = 0;
  bool hit_ = false;
  TFontState ghFont_;
  int ghHeight_ = -1;
  int entryGh_ = 0;
  std::vector<AnsiString> anchorLinks_;  // by anchor number - 1, while laying out
  const std::vector<AnsiString>* links_ = &anchorLinks_;
  TRect focusRect_{};
  bool focusSeen_ = false;
};

int TRenderer::GhHeight(const TFontState& font) {
  if (ghHeight_ < 0 || !(font == ghFont_)) {
    ApplyFont(canvas_, font);
    ghHeight_ = canvas_.TextExtent("").cy;
    ghFont_ = font;
  }
  return ghHeight_;
}

TSize TRenderer::Scaled(int w, int h) const {
  const int ppi = ScreenPixelsPerInch();
  double factor = static_cast<double>(ppi) / kBasePixelsPerInch;
  if (args_.Printing && args_.ResFactor > 0) factor *= std::min(args_.ResFactor, 16.0);
  return {ClampInt(std::lround(w * factor), 0, kMaxMarkupPixels),
          ClampInt(std::lround(h * factor), 0, kMaxMarkupPixels)};
}

THTMLPicture* TRenderer::FindPicture(const AnsiString& source) {
  if (source.empty()) return nullptr;
  if (source.find(':') == AnsiString::npos)
    return args_.Container ? args_.Container->FindPicture(source) : nullptr;
  if (source.find("://") != AnsiString::npos && args_.PictureCache)
    return args_.PictureCache->PictureFor(source);
  return nullptr;
}

bool TRenderer::RenderHtml(TLine& line) {
  if (next_ >= tokens_.size()) return false;
  line.align = align_;
  line.indent = indent_;
  line.paraBackground = paraBackground_;
  int x = 0;
  int trailingBlank = 0;
  bool prevBlank = false;
  bool hadLi = false;
  enum { alBottom, alTop, alMiddle } picAlign = alBottom;
  const int width = Width();
  auto lineWidthWith = [&](int itemWidth) { return x + itemWidth; };
  auto placeItem = [&](TItem&& item) {
    item.x = x;
    x += item.width;
    line.width = x;
    line.height = std::max(line.height, item.height);
    // Runs that look the same join, so the painter draws them at once.
    if (item.kind == ikRun && !line.items.empty() && SameLook(line.items.back(), item) &&
        line.items.back().x + line.items.back().width == item.x) {
      TItem& last = line.items.back();
      last.text += item.text;
      last.width += item.width;
      last.height = std::max(last.height, item.height);
      return;
    }
    line.items.push_back(std::move(item));
  };
  // A picture or control that does not fit ends the line before it, unless
  // it is the line's first: every line takes at least one item, and one
  // wider than the rectangle stands alone on its line.
  auto endsBefore = [&](int itemWidth) { return !line.items.empty() && lineWidthWith(itemWidth) > width; };

  while (next_ < tokens_.size()) {
    const TToken& token = tokens_[next_];
    if (!token.tag) {
      result_.StrippedText += token.text;
      if (hidden_) {
        ++next_;
        continue;
      }
      ApplyFont(canvas_, font_);
      TItem item;
      item.kind = ikRun;
      item.text = token.text;
      const TSize extent = canvas_.TextExtent(token.text);
      int blank = 0;
      if (token.endsInBlank) blank = canvas_.TextExtent(" ").cx;
      item.width = extent.cx;
      item.height = extent.cy;
      item.font = font_;
      item.background = runBackground_;
      item.shadow = shadow_;
      item.sub = sub_;
      item.sup = sup_;
      item.error = error_;
      item.anchor = inAnchor_ ? anchorCount_ : 0;
      const int fitWidth = item.width - blank;
      if (!line.items.empty() && x + fitWidth > width) {
        if (args_.WordWrap && prevBlank) break;  // a word is never split
      }
      if (!args_.WordWrap && x + item.width > width) {
        // Ends in an ellipsis inside what is left of the line.
        item.ellipsis = true;
        item.width = std::max(0, width - x);
      }
      if (sub_) line.lower = std::max(line.lower, extent.cy / 4);
      if (sup_) line.upper = std::max(line.upper, extent.cy / 4);
      placeItem(std::move(item));
      trailingBlank = blank;
      prevBlank = token.endsInBlank;
      ++next_;
      continue;
    }

    // Tags
    const std::string_view tag = token.text;
    bool lineBreak = false;
    switch (token.kind) {
      case tgA:
        if (!token.closing) {
          AnsiString link;
          if (!Attribute(tag, "HREF", link)) link = UnescapeHtmlText(FirstQuoted(tag));
          inAnchor_ = true;
          anchorLink_ = link;
          ++anchorCount_;
          anchorLinks_.push_back(link);
          const bool hovered = anchorCount_ == args_.HoverAnchor;
          if (!args_.HoverHighlight || hovered) font_.style.Include(fsUnderline);
          if (args_.HoverHighlight && hovered && args_.HoverColor != clNone) runBackground_ = args_.HoverColor;
          if (!args_.KeepColors) {
            font_.color = (args_.HoverHighlight && hovered && args_.HoverFontColor != clNone)
                              ? args_.HoverFontColor
                              : args_.AnchorColor;
          }
        } else if (inAnchor_) {
          inAnchor_ = false;
          font_.style.Exclude(fsUnderline);
          runBackground_ = clNone;
          if (!args_.KeepColors) font_.color = entryFont_.color;
        }
        break;
      case tgB:
        if (token.closing) font_.style.Exclude(fsBold);
        else font_.style.Include(fsBold);
        break;
      case tgBR:
        result_.StrippedText += '\r';
        lineBreak = true;
        break;
      case tgBL:
        if (!token.closing) {
          if (!args_.BlinkPhase && entryBrush_ != clNone) font_.color = entryBrush_;
        } else {
          font_.color = entryFont_.color;
        }
        break;
      case tgBODY:
        break;  // painted before the lines
      case tgE:
        error_ = !token.closing;
        break;
      case tgFONT:
        if (!token.closing) {
          AnsiString value;
          if (Attribute(tag, "FACE", value) && !value.empty() && value.size() <= TFont::kMaxNameLength)
            font_.name = value;
          if (!args_.KeepColors && Attribute(tag, "COLOR", value)) font_.color = AttributeColor(value);
          if (!args_.KeepColors && Attribute(tag, "BGCOLOR", value)) runBackground_ = AttributeColor(value);
          if (Attribute(tag, "SIZE", value)) {
            long long n = 0;
            if (ReadNumber(value, n)) {
              static constexpr int kSizes[] = {8, 10, 12, 14, 16};
              font_.size = (n >= 1 && n <= 5) ? kSizes[n - 1]
                           : n <= 0          ? entryFont_.size
                                             : ClampInt(n, kMinFontPoints, kMaxFontPoints);
            }
          }
        } else {
          // FONT does not nest: the entry font comes back.
          font_.name = entryFont_.name;
          font_.size = entryFont_.size;
          if (!args_.KeepColors) {
            font_.color = entryFont_.color;
            runBackground_ = clNone;
          }
        }
        break;
      case tgHI:
        if (!token.closing) {
          savedHiBackground_ = runBackground_;
          savedHiFont_ = font_;
          runBackground_ = clHighlight;
          font_.color = clHighlightText;
        } else {
          runBackground_ = savedHiBackground_;
          font_.color = savedHiFont_.color;
        }
        break;
      case tgHR:
        line.hr = true;
        result_.StrippedText += '\r';
        lineBreak = true;
        break;
      case tgI:
        if (token.closing) font_.style.Exclude(fsItalic);
        else font_.style.Include(fsItalic);
        break;
      case tgIND:
        if (!token.closing) {
          long long n = 0;
          // n counts from the rectangle's left edge; lines start one pixel in.
          if (ReadNumber(FirstQuoted(tag), n) && n - 1 > x) x = ClampInt(n - 1, x, std::max(x, kMaxMarkupPixels));
          line.width = std::max(line.width, x);
        }
        break;
      case tgLI:
        if (!token.closing) {
          if (hadLi) return true;  // a second item starts the next line
          hadLi = true;
          x = std::max(x, std::min(kListIndent * listLevel_, kMaxMarkupPixels));
          TItem bullet;
          bullet.kind = ikBullet;
          bullet.font = font_;
          bullet.width = kListIndent;
          bullet.height = GhHeight(font_);
          bullet.text = (listLevel_ % 2 == 1) ? "\xA1\xA4" /* middle dot */ : "o";
          placeItem(std::move(bullet));
        } else {
          lineBreak = true;
        }
        break;
      case tgP:
        if (!token.closing) {
          AnsiString value;
          if (Attribute(tag, "ALIGN", value)) {
            const AnsiString up = UpperAscii(value);
            if (up.find("RIGHT") != AnsiString::npos) align_ = 1;
            else if (up.find("LEFT") != AnsiString::npos) align_ = 0;
            else if (up.find("CENTER") != AnsiString::npos) align_ = 2;
          }
          long long n = 0;
          if (Attribute(tag, "INDENT", value) && ReadNumber(value, n)) indent_ = ClampInt(n, 0, kMaxMarkupPixels);
          if (Attribute(tag, "BGCOLOR", value)) paraBackground_ = AttributeColor(value);
          line.align = align_;
          line.indent = indent_;
          line.paraBackground = paraBackground_;
        } else {
          paraBackground_ = clNone;
          align_ = 0;
          indent_ = 0;
          lineBreak = true;
        }
        break;
      case tgR:
        if (!token.closing) {
          long long n = 0;
          if (ReadNumber(FirstQuoted(tag), n)) font_.orientation = ClampInt(n % 360, -359, 359) * 10;
        } else {
          font_.orientation = 0;
        }
        break;
      case tgS:
        if (token.closing) font_.style.Exclude(fsStrikeOut);
        else font_.style.Include(fsStrikeOut);
        break;
      case tgSHAD:
        shadow_ = !token.closing;
        break;
      case tgSUB:
        if (token.closing) sub_ = sup_ = false;
        else sub_ = true;
        break;
      case tgSUP:
        if (token.closing) sub_ = sup_ = false;
        else sup_ = true;
        break;
      case tgU:
        if (token.closing) font_.style.Exclude(fsUnderline);
        else font_.style.Include(fsUnderline);
        break;
      case tgUL:
        if (!token.closing) {
          ++listLevel_;
          lineBreak = true;
        } else if (listLevel_ > 0) {
          --listLevel_;
        }
        break;
      case tgZ:
        hidden_ = !token.closing;
        break;
      case tgIMG: {
        if (token.closing) break;
        ++pictureCount_;
        AnsiString src, alt, value;
        Attribute(tag, "SRC", src);
        Attribute(tag, "ALT", alt);
        long long w = 0, h = 0;
        if (Attribute(tag, "WIDTH", value)) ReadNumber(value, w);
        if (Attribute(tag, "HEIGHT", value)) ReadNumber(value, h);
        const AnsiString upperTag = UpperAscii(tag);
        if (upperTag.find("\"TOP") != AnsiString::npos) picAlign = alTop;
        else if (upperTag.find("\"MIDDLE") != AnsiString::npos) picAlign = alMiddle;
        TItem item;
        item.pictureNumber = pictureCount_;
        item.anchor = inAnchor_ ? anchorCount_ : 0;
        const AnsiString upSrc = UpperAscii(src);
        if (upSrc.starts_with("IDX:")) {
          long long n = -1;
          if (!args_.Images || !ReadNumber(std::string_view(src).substr(4), n) || n < 0 ||
              n >= args_.Images->Count())
            break;
          item.kind = ikImageIndex;
          item.index = static_cast<int>(n);
          const TSize s = Scaled(args_.Images->Width(), args_.Images->Height());
          item.width = s.cx;
          item.height = s.cy;
        } else if (upSrc.starts_with("SSYS:") || upSrc.starts_with("LSYS:")) {
          item.kind = ikIcon;
          item.large = upSrc[0] == 'L';
          item.text = src.substr(5);
          const int size = DrawSystemIcon(canvas_, 0, 0, item.text, item.large, false, 1.0, false);
          const TSize s = Scaled(size, size);
          item.width = s.cx;
          item.height = s.cy;
        } else {
          THTMLPicture* picture = FindPicture(src);
          if (!picture || picture->Empty()) break;  // a picture not found draws nothing
          item.kind = ikPicture;
          item.picture = picture;
          if (!alt.empty()) item.hoverPicture = FindPicture(alt);
          if (w > 0 && h > 0) {
            item.stretched = true;
            const TSize s = Scaled(ClampInt(w, 0, kMaxMarkupPixels), ClampInt(h, 0, kMaxMarkupPixels));
            item.width = s.cx;
            item.height = s.cy;
          } else {
            item.width = std::min(picture->PictureWidth(), kMaxMarkupPixels);
            item.height = std::min(picture->PictureHeight(), kMaxMarkupPixels);
          }
        }
        if (endsBefore(item.width)) {
          --pictureCount_;  // counted again on the next line
          return true;
        }
        placeItem(std::move(item));
        prevBlank = false;
        trailingBlank = 0;
        break;
      }
      case tgCONTROL: {
        if (token.closing) break;
        TItem item;
        item.kind = ikControl;
        item.control = ParseControlTag(tag);
        item.font = font_;
        long long w = 0;
        if (!ReadNumber(item.control.Width, w)) break;  // a control without WIDTH is skipped
        const AnsiString& type = item.control.Type;
        const int gh = GhHeight(font_);
        if (type == "CHECK" || type == "RADIO") {
          item.width = item.height = 16;
        } else {
          item.width = ClampInt(w, 0, kMaxMarkupPixels);
          item.height = type == "COMBO" ? 25 : type == "BUTTON" ? 18 : gh + 6;
        }
        if (endsBefore(item.width)) return true;
        placeItem(std::move(item));
        prevBlank = false;
        trailingBlank = 0;
        break;
      }
      case tgUnknown:
        break;
    }
    ++next_;
    if (lineBreak) break;
  }
  line.width = std::max(0, line.width - trailingBlank);
  if (line.height == 0) line.height = GhHeight(font_);
  const int gh = GhHeight(font_);
  if (picAlign == alTop) line.picOffset = std::max(0, line.height - gh);
  else if (picAlign == alMiddle) line.picOffset = std::max(0, (line.height - gh) / 2);
  return true;
}

void TRenderer::PlaceLine(TLine& line) {
  int left = rect_.Left + 1;
  if (line.align == 1) {
    if (rect_.Right - line.width > left) left = rect_.Right - line.width;
  } else if (line.align == 2) {
    const int free = rect_.Right - left - line.width;
    if (free > 0) left += free / 2;
  }
  line.left = left + line.indent;
  const int bottom = line.top + line.upper + line.height;  // the text's bottom
  for (TItem& item : line.items) {
    const int x = line.left + item.x;
    int itemBottom = bottom;
    if (item.kind == ikRun || item.kind == ikBullet) {
      itemBottom -= line.picOffset;
      if (item.sup) itemBottom -= line.upper;
      if (item.sub) itemBottom += line.lower;
    }
    if (item.kind == ikControl) {
      item.box = {x, bottom - item.height + 1, x + item.width, bottom + 1};
    } else {
      item.box = {x, itemBottom - item.height, x + item.width, itemBottom};
    }
  }
}

void TRenderer::HitTestLine(TLine& line) {
  const int x = args_.X, y = args_.Y;
  const int bottom = line.top + line.upper + line.height;
  const int bandBottom = bottom - line.picOffset;
  const int bandTop = bandBottom - entryGh_;
  for (TItem& item : line.items) {
    if (item.anchor > 0) {
      // The anchor's rectangle grows over all its items.
      if (item.anchor - 1 == args_.FocusAnchor) {
        focusRect_ = focusSeen_ ? TRect{std::min(focusRect_.Left, item.box.Left),
                                        std::min(focusRect_.Top, item.box.Top),
                                        std::max(focusRect_.Right, item.box.Right),
                                        std::max(focusRect_.Bottom, item.box.Bottom)}
                                : item.box;
        focusSeen_ = true;
      }
    }
    const bool inX = x >= item.box.Left && x < item.box.Right;
    if (item.kind == ikRun && item.anchor > 0 && inX && y > bandTop && y < bandBottom) {
      hit_ = true;
      result_.HoverAnchor = item.anchor;
      result_.HoverRect = item.box;
      if (y >= item.box.Top) result_.AnchorLink = (*links_)[static_cast<std::size_t>(item.anchor - 1)];
    } else if ((item.kind == ikPicture || item.kind == ikImageIndex || item.kind == ikIcon) &&
               item.anchor > 0 && inX && y >= item.box.Top && y < item.box.Bottom) {
      hit_ = true;
      result_.HoverAnchor = item.anchor;
      result_.HoverRect = item.box;
      result_.AnchorLink = (*links_)[static_cast<std::size_t>(item.anchor - 1)];
      if (item.hoverPicture && !item.hoverPicture->Empty()) item.picture = item.hoverPicture;
    } else if (item.kind == ikControl) {
      const bool inside = inX && y >= item.box.Top && y < item.box.Bottom;
      const bool named = args_.HitTest && !args_.ControlId.empty() && item.control.Id == args_.ControlId;
      if (inside || named) {
        hit_ = true;
        result_.AnchorLink = "ctrl";
        result_.ControlRect = item.box;
        result_.ControlId = item.control.Id;
        result_.ControlValue = item.control.Value;
        result_.ControlType = item.control.Type;
      }
    }
  }
}

void TRenderer::PaintControl(const TItem& item, bool hot) {
  const AnsiString& type = item.control.Type;
  TRect box = item.box;
  canvas_.Pen()->SetColor(clGray);
  canvas_.Pen()->SetWidth(1);
  canvas_.Brush()->SetStyle(bsClear);
  ApplyFont(canvas_, item.font);
  auto drawValue = [&](TRect r, const AnsiString& value, unsigned flags) {
    canvas_.Brush()->SetStyle(bsClear);
    canvas_.DrawText(value, r, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS | flags);
  };
  if (type == "CHECK" || type == "RADIO") {
    const bool checked = UpperAscii(item.control.Value) == "TRUE";
    const int size = type == "CHECK" ? 13 : 12;
    TRect r{box.Left + 2, box.Bottom - size, box.Left + 2 + size, box.Bottom};
    DrawFrameControl(canvas_, r, DFC_BUTTON,
                     (type == "CHECK" ? DFCS_BUTTONCHECK : DFCS_BUTTONRADIO) | (checked ? DFCS_CHECKED : 0) |
                         (args_.Themed ? 0 : DFCS_FLAT));
    return;
  }
  if (type == "BUTTON") {
    TRect r{box.Left + 2, box.Bottom - 20, box.Right - 2, box.Bottom};
    DrawFrameControl(canvas_, r, DFC_BUTTON, DFCS_BUTTONPUSH | ((hot && args_.Pressed) ? DFCS_PUSHED : 0));
    drawValue({r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2}, item.control.Value, DT_CENTER);
    return;
  }
  canvas_.Rectangle(box);
  AnsiString shown = item.control.Value;
  if (type == "PASSWORD") shown = AnsiString(Cp949ToUtf16(shown).size(), '*');
  TRect textRect{box.Left + 2, box.Top, box.Right - (type == "COMBO" ? 17 : 2), box.Bottom};
  drawValue(textRect, shown, 0);
  if (type == "COMBO") {
    TRect button{box.Right - 19, box.Top + 2, box.Right - 3, box.Bottom - 2};
    DrawFrameControl(canvas_, button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (hot ? DFCS_HOT : 0) |
                                                      (args_.Themed ? 0 : DFCS_FLAT));
  }
}

void TRenderer::PaintLine(const TLine& line) {
  const int bottom = line.top + line.upper + line.height;
  if (line.paraBackground != clNone) {
    canvas_.Brush()->SetStyle(bsSolid);
    canvas_.Brush()->SetColor(line.paraBackground);
    canvas_.FillRect({rect_.Left, line.top, rect_.Right, bottom + line.lower});
  }
  bool brushClear = false;
  for (const TItem& item : line.items) {
    const TRect& box = item.box;
    switch (item.kind) {
      case ikRun: {
        if (Inkless(item)) break;
        if (item.background != clNone) {
          canvas_.Brush()->SetStyle(bsSolid);
          canvas_.Brush()->SetColor(item.background);
          canvas_.FillRect(box);
          brushClear = false;
        }
        if (!brushClear) {
          canvas_.Brush()->SetStyle(bsClear);
          brushClear = true;
        }
        if (item.shadow) {
          TFontState shade = item.font;
          shade.color = args_.ShadowColor;
          ApplyFont(canvas_, shade);
          canvas_.TextOut(box.Left + args_.ShadowOffset, box.Top + args_.ShadowOffset, item.text);
        }
        ApplyFont(canvas_, item.font);
        if (item.ellipsis) {
          TRect r{box.Left, box.Top, std::max(box.Left, rect_.Right), box.Bottom};
          canvas_.DrawText(item.text, r, DT_SINGLELINE | DT_NOPREFIX | DT_BOTTOM | DT_END_ELLIPSIS);
        } else {
          canvas_.TextOut(box.Left, box.Top, item.text);
        }
        if (item.error) {
          canvas_.Pen()->SetColor(clRed);
          canvas_.Pen()->SetWidth(1);
          const int y = box.Bottom - 1;
          int x = box.Left - (box.Left & 1);
          canvas_.MoveTo(x, y);
          bool up = true;
          for (x += 2; x <= box.Right; x += 2, up = !up) canvas_.LineTo(x, up ? y - 2 : y);
        }
        break;
      }
      case ikBullet: {
        if (!brushClear) {
          canvas_.Brush()->SetStyle(bsClear);
          brushClear = true;
        }
        ApplyFont(canvas_, item.font);
        canvas_.TextOut(box.Left, box.Bottom - canvas_.TextExtent(item.text).cy, item.text);
        break;
      }
      case ikPicture: {
        const THTMLPicture* picture = item.picture;
        if (item.stretched) {
          canvas_.StretchDraw(box, picture->Image());
        } else {
          if (picture->FrameCount() > 1 && entryBrush_ != clNone) {
            canvas_.Brush()->SetStyle(bsSolid);
            canvas_.Brush()->SetColor(entryBrush_);
            canvas_.FillRect(box);
            brushClear = false;
          }
          canvas_.Draw(box.Left, box.Top, picture->Image());
        }
        break;
      }
      case ikImageIndex:
        if (args_.Printing && args_.ResFactor > 0) {
          TBitmap bitmap(args_.Images->Width(), args_.Images->Height());
          args_.Images->Draw(bitmap.Canvas(), 0, 0, item.index);
          canvas_.StretchDraw(box, bitmap);
        } else {
          args_.Images->Draw(&canvas_, box.Left, box.Top, item.index);
        }
        break;
      case ikIcon:
        DrawSystemIcon(canvas_, box.Left, box.Top, item.text, item.large, args_.Printing, args_.ResFactor, true);
        break;
      case ikControl: {
        const bool hot = args_.X >= box.Left && args_.X < box.Right && args_.Y >= box.Top && args_.Y < box.Bottom;
        PaintControl(item, hot);
        brushClear = false;
        break;
      }
    }
  }
  if (line.hr) {
    canvas_.Pen()->SetColor(clBlack);
    canvas_.Pen()->SetWidth(1);
    canvas_.MoveTo(rect_.Left, bottom + line.lower + 1);
    canvas_.LineTo(rect_.Right, bottom + line.lower + 1);
  }
}

void TRenderer::PaintBody() {
  for (const TToken& token : tokens_) {
    if (!token.tag || token.closing || token.kind != tgBODY) continue;
    AnsiString value;
    if (Attribute(token.text, "BGCOLOR", value)) {
      const AnsiString up = UpperAscii(value);
      TColor color = clNone;
      if (up.find("CL") != AnsiString::npos) color = ColorByName(LowerAscii(value));
      else if (up.find('#') != AnsiString::npos) color = HexToColor(value.substr(value.find('#')));
      if (color != clNone) {
        canvas_.Brush()->SetStyle(bsSolid);
        canvas_.Brush()->SetColor(color);
        canvas_.FillRect(rect_);
        entryBrush_ = color;
      }
    }
    if (Attribute(token.text, "BACKGROUND", value)) {
      THTMLPicture* picture = FindPicture(value);
      if (picture && !picture->Empty() && picture->Width() > 0 && picture->Height() > 0) TileBackground(picture->Image());
    }
  }
}

void TRenderer::TileBackground(const TBitmap& image) {
  // The tiles at the right and bottom edges are cut to the rect: the
  // picture stays inside it on any canvas, clipped or not.
  const int w = image.Width(), h = image.Height();
  std::array<std::unique_ptr<TBitmap>, 3> cut;  // right edge, bottom edge, corner
  auto tileAt = [&](int x, int y) -> const TBitmap& {
    const bool cutX = x + w > rect_.Right, cutY = y + h > rect_.Bottom;
    if (!cutX && !cutY) return image;
    std::unique_ptr<TBitmap>& tile = cut[cutX && cutY ? 2 : cutX ? 0 : 1];
    if (!tile) {
      tile = std::make_unique<TBitmap>();
      tile->Assign(&image);
      tile->SetSize(cutX ? rect_.Right - x : w, cutY ? rect_.Bottom - y : h);
    }
    return *tile;
  };
  canvas_.SaveClip();
  canvas_.IntersectClipRect(rect_);
  for (int y = rect_.Top; y < rect_.Bottom; y += h)
    for (int x = rect_.Left; x < rect_.Right; x += w) canvas_.Draw(x, y, tileAt(x, y));
  canvas_.RestoreClip();
}

std::string TRenderer::LayoutKey(std::string_view text) {
  std::string key(text);
  key += '\0';
  key += entryFont_.name;
  key += '\0';
  AppendBytes(key, entryFont_.size);
  AppendBytes(key, entryFont_.color);
  AppendBytes(key, entryFont_.style.Bits());
  AppendBytes(key, entryFont_.orientation);
  AppendBytes(key, entryBrush_);
  AppendBytes(key, entryGh_);
  AppendBytes(key, canvas_.Metrics().AverageCharWidth());  // the canvas's measure of the font
  AppendBytes(key, &canvas_);
  AppendBytes(key, Width());
  AppendBytes(key, rect_.Bottom - rect_.Top);
  const unsigned flags = (args_.MeasureOnly ? 1u : 0u) | (args_.WordWrap ? 2u : 0u) | (args_.KeepColors ? 4u : 0u) |
                         (args_.BlinkPhase ? 8u : 0u) | (args_.HoverHighlight ? 16u : 0u);
  AppendBytes(key, flags);
  AppendBytes(key, args_.HoverAnchor);
  AppendBytes(key, args_.AnchorColor);
  AppendBytes(key, args_.HoverColor);
  AppendBytes(key, args_.HoverFontColor);
  return key;
}

void TRenderer::BuildLayout(TLayout& layout) {
  int top = 0;
  for (;;) {
    TLine line;
    if (!RenderHtml(line)) break;
    line.offset = top;
    const int advance = line.upper + line.height + line.lower;
    layout.width = std::max(layout.width, line.width);
    layout.height += advance;
    top += advance;
    layout.lines.push_back(std::move(line));
    if (!args_.MeasureOnly && rect_.Top + top + entryGh_ > rect_.Bottom) break;
  }
  if (layout.lines.empty()) layout.height = entryGh_;
  layout.stripped = std::move(result_.StrippedText);
  layout.anchorLinks = std::move(anchorLinks_);
}

bool TRenderer::Run(std::string_view text) {
  TFont savedFont;
  savedFont.Assign(*canvas_.Font());
  TBrush savedBrush;
  savedBrush.Assign(*canvas_.Brush());
  TPen savedPen;
  savedPen.Assign(*canvas_.Pen());
  const int savedBkMode = canvas_.BkMode();
  entryFont_ = FontStateOf(savedFont);
  font_ = entryFont_;
  entryBrush_ = savedBrush.Style() == bsClear ? clNone : savedBrush.Color();
  // The height of a line of "gh" is the font's height: no text to shape.
  entryGh_ = canvas_.TextExtent("").cy;
  const bool paint = !args_.MeasureOnly && !args_.HitTest;

  // Texts with pictures are laid out afresh: their pictures may change or go.
  // Long texts are laid out afresh too, so the kept layouts stay small.
  const AnsiString upper = UpperAscii(text);
  const bool cacheable = text.size() <= kMaxCachedText && upper.find("<IMG") == AnsiString::npos &&
                         upper.find("<BODY") == AnsiString::npos;
  thread_local TLayoutCache cache;
  std::string key;
  TLayout* layout = nullptr;
  std::unique_ptr<TLayout> fresh;
  if (cacheable) {
    key = LayoutKey(text);
    layout = cache.Find(key);
  }
  if (!layout) {
    tokens_ = Tokenize(text, args_.WordWrap);
    fresh = std::make_unique<TLayout>();
    BuildLayout(*fresh);
    layout = cacheable ? cache.Add(std::move(key), std::move(fresh)) : fresh.get();
  }
  links_ = &layout->anchorLinks;
  result_.StrippedText = layout->stripped;

  if (paint && !tokens_.empty()) PaintBody();
  canvas_.SetBkMode(TRANSPARENT);
  for (TLine& line : layout->lines) {
    line.top = rect_.Top + line.offset;
    PlaceLine(line);
    HitTestLine(line);
    if (paint) PaintLine(line);
  }
  result_.Width = layout->width;
  result_.Height = layout->height;
  result_.AnchorCount = static_cast<int>(links_->size());
  if (args_.FocusAnchor >= 0 && args_.FocusAnchor < static_cast<int>(links_->size())) {
    result_.FocusLink = (*links_)[static_cast<std::size_t>(args_.FocusAnchor)];
    if (paint && focusSeen_) {
      TRect r{focusRect_.Left - 1, focusRect_.Top - 1, focusRect_.Right + 1, focusRect_.Bottom + 1};
      canvas_.DrawFocusRect(r);
    }
  }
  ApplyFont(canvas_, entryFont_);
  if (canvas_.Font()->Charset() != savedFont.Charset() || canvas_.Font()->Height() != savedFont.Height())
    canvas_.SetFont(savedFont);
  canvas_.SetBrush(savedBrush);
  canvas_.SetPen(savedPen);
  canvas_.SetBkMode(savedBkMode);
  return hit_;
}

struct TColorName {
  const char* name;
  TColor color;
};
constexpr TColorName kRgbColors[] = {
    {"clred", 0x0000FF},     {"clblack", 0x000000},  {"clblue", 0xFF0000},  {"clgreen", 0x008000},
    {"claqua", 0xFFFF00},    {"clyellow", 0x00FFFF}, {"clfuchsia", 0xFF00FF}, {"clwhite", 0xFFFFFF},
    {"cllime", 0x00FF00},    {"clsilver", 0xC0C0C0}, {"clgray", 0x808080},  {"clolive", 0x008080},
    {"clnavy", 0x800000},    {"clpurple", 0x800080}, {"clteal", 0x808000},  {"clmaroon", 0x000080},
};
constexpr const char* kSystemColors[] = {
    "clbackground",    "clactivecaption",     "clinactivecaption", "clmenu",
    "clwindow",        "clwindowframe",       "clmenutext",        "clwindowtext",
    "clcaptiontext",   "clactiveborder",      "clinactiveborder",  "clappworkspace",
    "clhighlight",     "clhighlighttext",     "clbtnface",         "clbtnshadow",
    "clgraytext",      "clbtntext",           "clinactivecaptiontext", "clbtnhighlight",
    "cl3ddkshadow",    "cl3dlight",           "clinfotext",        "clinfobk",
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Upper(c);
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

// The tags "<CONTROL ...>" of text: their insides (after "<") and places.
struct TControlTag {
  std::size_t open;   // the '<'
  std::size_t close;  // the '>'
  THtmlControl control;
};

std::vector<TControlTag> ControlTags(std::string_view text) {
  std::vector<TControlTag> tags;
  std::size_t i = 0;
  while ((i = text.find('<', i)) != std::string_view::npos) {
    if (StartsNoCase(text, i + 1, "CONTROL ")) {
      const std::size_t close = TagEnd(text, i);
      if (close == std::string_view::npos) break;
      tags.push_back({i, close, ParseControlTag(text.substr(i + 9, close - i - 9))});
      i = close + 1;
    } else {
      ++i;
    }
  }
  return tags;
}

}  // namespace

// ---------------------------------------------------------------- Text functions

TColor ColorByName(std::string_view name) {
  for (const TColorName& c : kRgbColors)
    if (name == c.name) return c.color;
  for (std::size_t k = 0; k < std::size(kSystemColors); ++k)
    if (name == kSystemColors[k]) return clSystemColor | static_cast<TColor>(k + 1);
  return 0;
}

TColor HexToColor(std::string_view text) {
  if (!text.empty() && text[0] == '#') text.remove_prefix(1);
  auto byteAt = [&](std::size_t at) {
    const int hi = at < text.size() ? HexDigit(text[at]) : 0;
    const int lo = at + 1 < text.size() ? HexDigit(text[at + 1]) : 0;
    return static_cast<TColor>(hi * 16 + lo);
  };
  return byteAt(0) | (byteAt(2) << 8) | (byteAt(4) << 16);
}

AnsiString EscapeHtmlText(std::string_view text) {
  AnsiString out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

AnsiString UnescapeHtmlText(std::string_view text) {
  AnsiString out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      static constexpr std::pair<const char*, char> kEscapes[] = {
          {"&AMP;", '&'}, {"&QUOT;", '"'}, {"&LT;", '<'}, {"&GT;", '>'}};
      bool matched = false;
      for (const auto& [name, ch] : kEscapes) {
        if (StartsNoCase(text, i, name)) {
          out += ch;
          i += std::strlen(name);
          matched = true;
          break;
        }
      }
      if (matched) continue;
    }
    out += text[i++];
  }
  return out;
}

AnsiString HtmlToPlainText(std::string_view text) {
  AnsiString broken;
  broken.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '<' && (StartsNoCase(text, i, "<BR>") || StartsNoCase(text, i, "<HR>"))) {
      broken += "\r\n";
      i += 4;
      continue;
    }
    broken += text[i++];
  }
  AnsiString plain;
  plain.reserve(broken.size());
  for (std::size_t i = 0; i < broken.size();) {
    if (broken[i] == '<') {
      const std::size_t close = broken.find('>', i + 1);
      if (close == AnsiString::npos) {
        plain.append(broken, i, AnsiString::npos);
        break;
      }
      i = close + 1;
      continue;
    }
    plain += broken[i++];
  }
  return plain;
}

// ------------------------------------------------------------- Form controls

bool HasControlTags(std::string_view text) {
  for (std::size_t i = text.find('<'); i != std::string_view::npos; i = text.find('<', i + 1))
    if (StartsNoCase(text, i + 1, "CONTROL")) return true;
  return false;
}

void ParseControlTag(std::string_view tag, AnsiString& type, AnsiString& id, AnsiString& value,
                     AnsiString& width, AnsiString& prop) {
  // Accept the whole tag too.
  if (!tag.empty() && tag.front() == '<') tag.remove_prefix(1);
  if (!tag.empty() && tag.back() == '>') tag.remove_suffix(1);
  if (StartsNoCase(tag, 0, "CONTROL")) tag.remove_prefix(7);
  type.clear();
  id.clear();
  value.clear();
  width.clear();
  prop.clear();
  Attribute(tag, "TYPE", type);
  type = UpperAscii(type);
  Attribute(tag, "WIDTH", width);
  Attribute(tag, "ID", id);
  Attribute(tag, "VALUE", value);
  Attribute(tag, "PROP", prop);
}

THtmlControl ParseControlTag(std::string_view tag) {
  THtmlControl c;
  ParseControlTag(tag, c.Type, c.Id, c.Value, c.Width, c.Prop);
  return c;
}

AnsiString NextControlId(std::string_view text, std::string_view id) {
  bool passed = id.empty();
  for (const TControlTag& tag : ControlTags(text)) {
    if (!passed) {
      passed = tag.control.Id == id;
      continue;
    }
    const AnsiString& type = tag.control.Type;
    if (type != "BUTTON" && type != "CHECK" && type != "RADIO") return tag.control.Id;
  }
  return {};
}

AnsiString GetControlProp(std::string_view text, std::string_view id) {
  for (const TControlTag& tag : ControlTags(text))
    if (tag.control.Id == id) return tag.control.Prop;
  return {};
}

bool SetControlValue(AnsiString& text, std::string_view id, std::string_view value) {
  for (const TControlTag& tag : ControlTags(text)) {
    if (tag.control.Id != id) continue;
    const THtmlControl& c = tag.control;
    AnsiString inside = "CONTROL ID=\"" + EscapeHtmlText(c.Id) + "\" VALUE=\"" + EscapeHtmlText(value) +
                        "\" WIDTH=\"" + EscapeHtmlText(c.Width) + "\" TYPE=\"" + EscapeHtmlText(c.Type) + "\"";
    if (!c.Prop.empty()) inside += " PROP=\"" + EscapeHtmlText(c.Prop) + "\"";
    text.replace(tag.open + 1, tag.close - tag.open - 1, inside);
    return true;
  }
  return false;
}

// ------------------------------------------------------------------ Rendering

bool DrawHtml(TCanvas& canvas, std::string_view text, const TRect& rect, const THtmlDrawArgs& args,
              THtmlDrawResult& result) {
  result = THtmlDrawResult{};
  if (args.HitTest) result.ControlId = args.ControlId;
  TRenderer renderer(canvas, rect, args, result);
  const bool hit = renderer.Run(text);
  if (args.HitTest && !hit) result.ControlId.clear();
  return hit;
}

TSize MeasureHtml(TCanvas& canvas, std::string_view text, const TRect& rect, bool wordWrap,
                  TCustomImageList* images, TPictureContainer* container) {
  THtmlDrawArgs args;
  args.MeasureOnly = true;
  args.KeepColors = true;
  args.WordWrap = wordWrap;
  args.Images = images;
  args.Container = container;
  args.X = args.Y = -1;
  THtmlDrawResult result;
  DrawHtml(canvas, text, rect, args, result);
  return {result.Width, result.Height};
}

// -------------------------------------------------------------- System icons

int DrawSystemIcon(TCanvas& canvas, int x, int y, std::string_view path, bool large, bool printing,
                   double resFactor, bool draw) {
  const int size = large ? 32 : 16;
  if (!draw) return size;
  // The desktop's icon for the item (or for its file type), as its file
  // manager shows it.
  TBitmap icon;
  if (!ShellFileIcon(path, size, icon)) return size;
  if (printing && resFactor > 0) {
    const int drawn = ClampInt(std::lround(size * std::min(resFactor, 16.0)), 1, kMaxMarkupPixels);
    canvas.StretchDraw(TRect{x, y, x + drawn, y + drawn}, icon);
  } else {
    canvas.Draw(x, y, icon);
  }
  return size;
}

// Colours, fonts, pens and brushes, the canvas base, the graphic registry,
// TPicture and the screen metrics. Text layout is in GraphicsText.cpp, the
// recorder in GraphicsCanvas.cpp, edges and frame controls in
// GraphicsDraw.cpp, bitmaps and icons in GraphicsBitmap.cpp, the Qt back end
// in Canvas_p.cpp.
#include "platform/vcl/Graphics.h"

#include <QGuiApplication>
#include <QScreen>

#include <atomic>
#include <cmath>

#include "platform/vcl/Jpeg.h"

// ------------------------------------------------------------------- Colours

namespace {

// The system palette: a Windows XP blue scheme, fixed so that every machine
// and every test sees the same colours.
constexpr TColor kSystemPalette[] = {
    RGB(212, 208, 200),  // COLOR_SCROLLBAR
    RGB(0, 78, 152),     // COLOR_BACKGROUND
    RGB(0, 84, 227),     // COLOR_ACTIVECAPTION
    RGB(122, 150, 223),  // COLOR_INACTIVECAPTION
    RGB(255, 255, 255),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(49, 106, 197),   // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(236, 233, 216),  // COLOR_BTNFACE
    RGB(172, 168, 153),  // COLOR_BTNSHADOW
    RGB(172, 168, 153),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(216, 228, 248),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(113, 111, 100),  // COLOR_3DDKSHADOW
    RGB(241, 239, 226),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(181, 181, 181),  // 25, unused
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(61, 149, 255),   // COLOR_GRADIENTACTIVECAPTION
    RGB(157, 185, 235),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(49, 106, 197),   // COLOR_MENUHILIGHT
    RGB(236, 233, 216),  // COLOR_MENUBAR
};

struct TColorName {
  TColor value;
  const char* name;
};

// The one table of colour names, in the class library's order.
constexpr TColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

bool SameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// Decimal, "$hex" or "0xhex" with an optional sign and blanks around; the
// value wraps to 32 bits as a colour does.
bool ParseColorNumber(std::string_view s, TColor& value) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  s = s.substr(b, e - b);
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s[0] == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  std::uint64_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  if (base == 10 && !negative && v > 0x7FFFFFFFull) return false;
  if (negative && v > 0x80000000ull) return false;
  value = static_cast<TColor>(negative ? (0u - static_cast<std::uint32_t>(v)) : v);
  return true;
}

}  // namespace

TColor GetSysColor(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kSystemPalette))) return 0;
  return kSystemPalette[index];
}

TColor ColorToRGB(TColor color) {
  if ((color & 0xFF000000u) == clSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
  return color;
}

bool ColorToIdent(TColor color, AnsiString& ident) {
  for (const auto& entry : kColorNames)
    if (entry.value == color) {
      ident = entry.name;
      return true;
    }
  return false;
}

bool IdentToColor(std::string_view ident, TColor& color) {
  for (const auto& entry : kColorNames)
    if (SameAscii(entry.name, ident)) {
      color = entry.value;
      return true;
    }
  return false;
}

AnsiString ColorToString(TColor color) {
  AnsiString name;
  if (ColorToIdent(color, name)) return name;
  static const char kHex[] = "0123456789ABCDEF";
  AnsiString s = "$";
  for (int shift = 28; shift >= 0; shift -= 4) s += kHex[(color >> shift) & 0xF];
  return s;
}

TColor StringToColor(std::string_view s) {
  TColor color;
  if (IdentToColor(s, color)) return color;
  if (ParseColorNumber(s, color)) return color;
  throw EConvertError("'" + AnsiString(s) + "' is not a valid integer value");
}

void GetColorValues(const std::function<void(const AnsiString&)>& proc) {
  for (const auto& entry : kColorNames) proc(entry.name);
}

// ------------------------------------------------------ Fonts, pens, brushes

namespace {
std::atomic<std::uint64_t> gStampCounter{1};

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  double v = static_cast<double>(a) * b / c;
  return static_cast<int>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}
}  // namespace

TGraphicsObject::TGraphicsObject() : stamp_(gStampCounter.fetch_add(1)) {}

void TGraphicsObject::Changed() {
  stamp_ = gStampCounter.fetch_add(1);
  if (OnChange) OnChange(this);
}

TFont::TFont()
    : name_("MS Sans Serif"), height_(-11), color_(clWindowText), pixelsPerInch_(kBasePixelsPerInch) {}

void TFont::Assign(const TPersistent* source) {
  if (auto f = dynamic_cast<const TFont*>(source)) {
    if (f == this) return;
    name_ = f->name_;
    height_ = f->pixelsPerInch_ == pixelsPerInch_ ? f->height_
                                                  : -MulDiv(f->Size(), pixelsPerInch_, 72);
    color_ = f->color_;
    style_ = f->style_;
    orientation_ = f->orientation_;
    pitch_ = f->pitch_;
    charset_ = f->charset_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TFont::SetName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength || name_ == name) return;
  name_ = AnsiString(name);
  Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int size) { SetHeight(-MulDiv(size, pixelsPerInch_, 72)); }

void TFont::SetHeight(int height) {
  if (height_ == height) return;
  height_ = height;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style_ == style) return;
  style_ = style;
  Changed();
}

void TFont::SetOrientation(int orientation) {
  if (orientation_ == orientation) return;
  orientation_ = orientation;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch_ == pitch) return;
  pitch_ = pitch;
  Changed();
}

void TFont::SetCharset(Byte charset) {
  if (charset_ == charset) return;
  charset_ = charset;
  Changed();
}

void TFont::SetPixelsPerInch(int ppi) {
  if (ppi <= 0 || ppi == pixelsPerInch_) return;
  int size = Size();
  pixelsPerInch_ = ppi;
  height_ = -MulDiv(size, ppi, 72);
  Changed();
}

void TPen::Assign(const TPersistent* source) {
  if (auto p = dynamic_cast<const TPen*>(source)) {
    if (p == this) return;
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TPen::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  Changed();
}

void TPen::SetWidth(int width) {
  if (width < 0) width = 0;
  if (width_ == width) return;
  width_ = width;
  Changed();
}

void TPen::SetStyle(TPenStyle style) {
  if (style_ == style) return;
  style_ = style;
  Changed();
}

void TPen::SetMode(TPenMode mode) {
  if (mode_ == mode) return;
  mode_ = mode;
  Changed();
}

void TBrush::Assign(const TPersistent* source) {
  if (auto b = dynamic_cast<const TBrush*>(source)) {
    if (b == this) return;
    color_ = b->color_;
    style_ = b->style_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TBrush::SetColor(TColor color) {
  if (color_ == color && style_ != bsClear) return;
  color_ = color;
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style_ == style) return;
  style_ = style;
  Changed();
}

// ------------------------------------------------------------------- TCanvas

TCanvas::TCanvas() {
  brush_.OnChange = [this](TObject*) { bkMode_ = brush_.Style() == bsSolid ? OPAQUE : TRANSPARENT; };
}

TCanvas::~TCanvas() = default;

int TCanvas::SetBkMode(int mode) {
  int old = bkMode_;
  if (mode == TRANSPARENT || mode == OPAQUE) bkMode_ = mode;
  return old;
}

int TCanvas::DrawText(std::string_view text, TRect& r, unsigned flags) {
  return DrawTextLayout(Cp949ToUtf16(text), r, flags, true);
}

int TCanvas::DrawTextW(std::u16string_view text, TRect& r, unsigned flags) {
  return DrawTextLayout(text, r, flags, true);
}

int TCanvas::DrawTextLayout(std::u16string_view text, TRect& r, unsigned flags, bool draw) {
  TTextMetricsSource& metrics = Metrics();
  TTextLayout layout = LayoutText(metrics, text, r, flags);
  if (flags & DT_CALCRECT) {
    r = layout.CalcRect;
    return layout.ReturnValue;
  }
  if (draw && !layout.Lines.empty()) {
    const TRect* clip = (flags & DT_NOCLIP) ? nullptr : &r;
    for (const TTextLine& line : layout.Lines) DrawTextLine(line, 0, clip, flags);
  }
  return layout.ReturnValue;
}

void TCanvas::GradientFill(const TRect& r, TColor from, TColor to, bool horizontal, int steps) {
  // The shared band rule; back ends with a faster fill override this.
  if (steps <= 0) steps = 1;
  TColor a = ColorToRGB(from), b = ColorToRGB(to);
  double dr = (GetRValue(b) - GetRValue(a)) / static_cast<double>(steps);
  double dg = (GetGValue(b) - GetGValue(a)) / static_cast<double>(steps);
  double db = (GetBValue(b) - GetBValue(a)) / static_cast<double>(steps);
  int extent = horizontal ? r.Width() : r.Height();
  int band = static_cast<int>(std::lround(extent / static_cast<double>(steps)));
  TColor saved = brush_.Color();
  TBrushStyle savedStyle = brush_.Style();
  int savedBkMode = bkMode_;
  for (int i = 0; i < steps; ++i) {
    TColor c = RGB(GetRValue(a) + static_cast<int>(std::lround(i * dr)),
                   GetGValue(a) + static_cast<int>(std::lround(i * dg)),
                   GetBValue(a) + static_cast<int>(std::lround(i * db)));
    int start = i * band;
    TRect part = horizontal ? TRect{r.Left + start, r.Top, r.Left + start + band + 1, r.Bottom}
                            : TRect{r.Left, r.Top + start, r.Right, r.Top + start + band + 1};
    brush_.SetColor(c);
    FillRect(part);
  }
  brush_.SetColor(saved);
  brush_.SetStyle(savedStyle);
  bkMode_ = savedBkMode;
}

int DrawText(TCanvas& canvas, std::string_view text, TRect& rect, unsigned flags) {
  return canvas.DrawText(text, rect, flags);
}

int DrawTextW(TCanvas& canvas, std::u16string_view text, TRect& rect, unsigned flags) {
  return canvas.DrawTextW(text, rect, flags);
}

void DrawGradient(TCanvas& canvas, TColor from, TColor to, bool horizontal, const TRect& rect,
                  int steps) {
  if (to == clNone) {
    canvas.Brush()->SetColor(from);
    canvas.Pen()->SetColor(from);
    canvas.FillRect(rect);
    return;
  }
  if (steps <= 0) steps = 1;
  canvas.GradientFill(rect, from, to, horizontal, steps);
  // The band colours are left in pen and brush, as the band-by-band drawing leaves them.
  TColor a = ColorToRGB(from), b = ColorToRGB(to);
  int i = steps - 1;
  auto channel = [&](int ca, int cb) {
    return ca + static_cast<int>(std::lround(i * ((cb - ca) / static_cast<double>(steps))));
  };
  TColor last = RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
                    channel(GetBValue(a), GetBValue(b)));
  canvas.Pen()->SetColor(last);
  canvas.Brush()->SetColor(last);
}

// ------------------------------------------------------------------ TGraphic

void TGraphic::SetTransparent(bool transparent) {
  if (transparent_ == transparent) return;
  transparent_ = transparent;
  Changed();
}

void TGraphic::SetModified(bool modified) {
  if (modified) Changed();
  else modified_ = false;
}

void TGraphic::Changed() {
  modified_ = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const AnsiString& fileName) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

namespace {

struct TFileFormat {
  AnsiString extension;  // lower case, no dot
  AnsiString description;
  AnsiString className;
  TGraphicClass create;
};

AnsiString LowerAscii(std::string_view s) {
  AnsiString out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

std::vector<TFileFormat>& FileFormats() {
  // Built in here, not by static registration objects, so that a program
  // linking the static library gets them whatever object files it pulls in.
  static std::vector<TFileFormat> formats = [] {
    std::vector<TFileFormat> f;
    f.push_back({"jpg", "JPEG Image File", "TJPEGImage",
                 [] { return std::unique_ptr<TGraphic>(new TJPEGImage); }});
    f.push_back({"jpeg", "JPEG Image File", "TJPEGImage",
                 [] { return std::unique_ptr<TGraphic>(new TJPEGImage); }});
    f.push_back({"bmp", "Bitmaps", "TBitmap", [] { return std::unique_ptr<TGraphic>(new TBitmap); }});
    f.push_back({"ico", "Icons", "TIcon", [] { return std::unique_ptr<TGraphic>(new TIcon); }});
    return f;
  }();
  return formats;
}

}  // namespace

void RegisterFileFormat(std::string_view extension, std::string_view description,
                        std::string_view className, TGraphicClass graphicClass) {
  AnsiString ext = LowerAscii(extension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  auto& formats = FileFormats();
  formats.insert(formats.begin(), {ext, AnsiString(description), AnsiString(className),
                                   std::move(graphicClass)});
}

std::unique_ptr<TGraphic> NewGraphicForExtension(std::string_view extension) {
  AnsiString ext = LowerAscii(extension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  for (const auto& f : FileFormats())
    if (f.extension == ext) return f.create();
  return nullptr;
}

std::unique_ptr<TGraphic> NewGraphicForClassName(std::string_view className) {
  for (const auto& f : FileFormats())
    if (SameAscii(f.className, className)) return f.create();
  return nullptr;
}

AnsiString GraphicFilter() {
  AnsiString all, parts;
  for (const auto& f : FileFormats()) {
    AnsiString mask = "*." + f.extension;
    if (!all.empty()) all += ";";
    all += mask;
    parts += "|" + f.description + " (" + mask + ")|" + mask;
  }
  return "All (" + all + ")|" + all + parts;
}

// ------------------------------------------------------------------ TPicture

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  SetGraphic(graphic ? graphic->Clone() : nullptr);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

TBitmap* TPicture::Bitmap() {
  if (auto b = dynamic_cast<TBitmap*>(graphic_.get())) return b;
  SetGraphic(std::unique_ptr<TGraphic>(new TBitmap));
  return static_cast<TBitmap*>(graphic_.get());
}

TIcon* TPicture::Icon() {
  if (auto i = dynamic_cast<TIcon*>(graphic_.get())) return i;
  SetGraphic(std::unique_ptr<TGraphic>(new TIcon));
  return static_cast<TIcon*>(graphic_.get());
}

int TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }
int TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::LoadFromFile(const AnsiString& fileName) {
  AnsiString ext = ExtractFileExt(fileName);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  std::unique_ptr<TGraphic> graphic = NewGraphicForExtension(ext);
  if (!graphic) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  graphic->LoadFromFile(fileName);
  SetGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const AnsiString& fileName) const {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::ReadData(TStream& stream) {
  unsigned char length = 0;
  stream.ReadBuffer(&length, 1);
  AnsiString className(length, '\0');
  if (length) stream.ReadBuffer(className.data(), length);
  if (className.empty()) {
    SetGraphic(std::unique_ptr<TGraphic>());
    return;
  }
  std::unique_ptr<TGraphic> graphic = NewGraphicForClassName(className);
  if (!graphic) throw EInvalidGraphic("Unknown picture class " + className);
  graphic->ReadData(stream);
  SetGraphic(std::move(graphic));
}

void TPicture::WriteData(TStream& stream) const {
  AnsiString className = graphic_ ? graphic_->ClassName() : "";
  if (className.size() > 255) className.resize(255);
  unsigned char length = static_cast<unsigned char>(className.size());
  stream.WriteBuffer(&length, 1);
  if (length) stream.WriteBuffer(className.data(), length);
  if (graphic_) graphic_->WriteData(stream);
}

void TPicture::Assign(const TPersistent* source) {
  if (source == nullptr) {
    SetGraphic(std::unique_ptr<TGraphic>());
  } else if (auto p = dynamic_cast<const TPicture*>(source)) {
    if (p != this) SetGraphic(p->Graphic());
  } else if (auto g = dynamic_cast<const TGraphic*>(source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(source);
  }
}

// ------------------------------------------------------------ Screen metrics

int ScreenPixelsPerInch() { return kBasePixelsPerInch; }

namespace {
QSize PrimaryScreenSize() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      QSize s = screen->size();
      if (s.width() > 0 && s.height() > 0) return s;
    }
  return {1024, 768};
}
}  // namespace

int ScreenWidth() { return PrimaryScreenSize().width(); }
int ScreenHeight() { return PrimaryScreenSize().height(); }

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return ScreenWidth();
    case SM_CYSCREEN: return ScreenHeight();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVSCROLL: return 17;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
  }
}

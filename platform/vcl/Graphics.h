// The graphics unit: colours, fonts, pens and brushes, the canvas every
// control paints through, the shared drawing routines (text with DT_ flags,
// edges, frame controls, gradients), regions, and the graphic classes with
// their file-format registry.
//
// Sections:
//   Colours ............ TColor, the colour names, the system palette, conversions
//   Fonts, pens, brushes TFont, TPen, TBrush (each fires OnChange)
//   Flags .............. DT_, BDR_/EDGE_/BF_, DFC_/DFCS_ constants
//   TCanvas ............ one interface; back ends: Qt painter (Canvas_p.h), recorder
//   TRecordingCanvas ... keeps the calls for tests
//   Drawing routines ... DrawText, DrawEdge, DrawFrameControl, DrawGradient
//   Regions ............ polygon, rectangle and ellipse regions for shaped windows
//   Graphics ........... TGraphic and its registry, TBitmap, TIcon, TPicture
//   Resources .......... named bitmaps and cursors drawn by this unit
//   Screen metrics ..... pixels per inch, scroll-bar width, screen size
//
// Call flow of a text cell:
//   DrawText(canvas, text, rect, flags)
//     -> TCanvas::DrawText (recorder: keeps one call and measures)
//        -> LayoutText (GraphicsText.cpp: prefixes, tabs, wrapping, ellipsis)
//        -> TCanvas::DrawTextLine per visible line (back end)
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Types.h"

// ------------------------------------------------------------------- Colours

// 0x00BBGGRR; 0xFF0000nn is system colour nn, resolved through the system
// palette; clNone means "no colour set".
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLtGray = 0xC0C0C0;
inline constexpr TColor clDkGray = 0x808080;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// Indices of the system palette.
inline constexpr int COLOR_SCROLLBAR = 0;
inline constexpr int COLOR_BACKGROUND = 1;
inline constexpr int COLOR_ACTIVECAPTION = 2;
inline constexpr int COLOR_INACTIVECAPTION = 3;
inline constexpr int COLOR_MENU = 4;
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWFRAME = 6;
inline constexpr int COLOR_MENUTEXT = 7;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_CAPTIONTEXT = 9;
inline constexpr int COLOR_ACTIVEBORDER = 10;
inline constexpr int COLOR_INACTIVEBORDER = 11;
inline constexpr int COLOR_APPWORKSPACE = 12;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;
inline constexpr int COLOR_HOTLIGHT = 26;
inline constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
inline constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
inline constexpr int COLOR_MENUHILIGHT = 29;
inline constexpr int COLOR_MENUBAR = 30;
inline constexpr int COLOR_DESKTOP = COLOR_BACKGROUND;
inline constexpr int COLOR_3DFACE = COLOR_BTNFACE;
inline constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
inline constexpr int COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;

inline constexpr TColor clSystemColor = 0xFF000000;
inline constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
inline constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
inline constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
inline constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
inline constexpr TColor clMenu = clSystemColor | COLOR_MENU;
inline constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
inline constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
inline constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
inline constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
inline constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
inline constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
inline constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
inline constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
inline constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
inline constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
inline constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
inline constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
inline constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
inline constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
inline constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
inline constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
inline constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
inline constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
inline constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
inline constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
inline constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;
inline constexpr TColor clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION;
inline constexpr TColor clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION;
inline constexpr TColor clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT;
inline constexpr TColor clMenuBar = clSystemColor | COLOR_MENUBAR;

inline constexpr TColor RGB(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int GetRValue(TColor c) { return static_cast<int>(c & 0xFF); }
inline constexpr int GetGValue(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
inline constexpr int GetBValue(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }

// The RGB value of system colour index (0 for an index outside the palette).
// The palette is fixed so that drawings and tests are the same everywhere.
TColor GetSysColor(int index);
// A system colour through the palette; any other value unchanged.
TColor ColorToRGB(TColor color);
// "clBtnFace" for a named colour, else "$00BBGGRR" (eight hex digits).
AnsiString ColorToString(TColor color);
// A colour name (case ignored) or a number ("$00BBGGRR", "0x..", decimal);
// EConvertError "'%s' is not a valid integer value" otherwise.
TColor StringToColor(std::string_view s);
bool IdentToColor(std::string_view ident, TColor& color);
bool ColorToIdent(TColor color, AnsiString& ident);
// Every named colour in table order, for pickers.
void GetColorValues(const std::function<void(const AnsiString& name)>& proc);

// ------------------------------------------------------ Fonts, pens, brushes

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of TFontStyle as a bit mask: TFontStyles{fsBold, fsItalic}.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) bits_ |= Bit(s);
  }
  constexpr bool Contains(TFontStyle s) const { return (bits_ & Bit(s)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TFontStyles& Include(TFontStyle s) { bits_ |= Bit(s); return *this; }
  constexpr TFontStyles& Exclude(TFontStyle s) { bits_ &= ~Bit(s); return *this; }
  constexpr TFontStyles operator+(TFontStyles o) const { return FromBits(bits_ | o.bits_); }
  constexpr TFontStyles operator-(TFontStyles o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TFontStyles operator*(TFontStyles o) const { return FromBits(bits_ & o.bits_); }
  constexpr unsigned Bits() const { return bits_; }
  static constexpr TFontStyles FromBits(unsigned bits) {
    TFontStyles s;
    s.bits_ = bits & 0xF;
    return s;
  }
  friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

 private:
  static constexpr unsigned Bit(TFontStyle s) { return 1u << static_cast<unsigned>(s); }
  unsigned bits_ = 0;
};

enum TFontPitch { fpDefault, fpVariable, fpFixed };

inline constexpr Byte ANSI_CHARSET = 0;
inline constexpr Byte DEFAULT_CHARSET = 1;
inline constexpr Byte SYMBOL_CHARSET = 2;
inline constexpr Byte HANGEUL_CHARSET = 129;

// Base of TFont, TPen and TBrush: OnChange fires after every change. Stamp()
// is a process-wide counter value taken at the last change, so a back end can
// tell in one comparison whether its converted copy is still current.
class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;
  std::uint64_t Stamp() const { return stamp_; }

 protected:
  TGraphicsObject();
  void Changed();

 private:
  std::uint64_t stamp_;
};

class TFont : public TGraphicsObject {
 public:
  // "MS Sans Serif", 8 points (Height -11 at 96 pixels per inch), clWindowText.
  TFont();
  void Assign(const TPersistent* source) override;
  void Assign(const TFont& source) { Assign(static_cast<const TPersistent*>(&source)); }

  const AnsiString& Name() const { return name_; }
  // A name longer than any font's (as hostile mark-up or files bring) is
  // ignored: the font matching takes seconds over one.
  static constexpr std::size_t kMaxNameLength = 127;
  void SetName(std::string_view name);
  // Points; Size = -Height * 72 / PixelsPerInch, rounded.
  int Size() const;
  void SetSize(int size);
  // Pixels; negative is the character height, positive the cell height.
  int Height() const { return height_; }
  void SetHeight(int height);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  // Tenths of a degree, counter-clockwise.
  int Orientation() const { return orientation_; }
  void SetOrientation(int orientation);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);
  Byte Charset() const { return charset_; }
  void SetCharset(Byte charset);
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int ppi);

 private:
  AnsiString name_;
  int height_;
  TColor color_;
  TFontStyles style_;
  int orientation_ = 0;
  TFontPitch pitch_ = fpDefault;
  Byte charset_ = DEFAULT_CHARSET;
  int pixelsPerInch_;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
 public:
  TPen() = default;
  void Assign(const TPersistent* source) override;
  void Assign(const TPen& source) { Assign(static_cast<const TPersistent*>(&source)); }
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode mode);

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal,
                   bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
 public:
  TBrush() = default;
  void Assign(const TPersistent* source) override;
  void Assign(const TBrush& source) { Assign(static_cast<const TPersistent*>(&source)); }
  TColor Color() const { return color_; }
  // Setting a colour on a clear brush makes it solid, as the class library does.
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

// --------------------------------------------------------------------- Flags

inline constexpr unsigned DT_TOP = 0x0;
inline constexpr unsigned DT_LEFT = 0x0;
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_BOTTOM = 0x8;
inline constexpr unsigned DT_WORDBREAK = 0x10;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_EXPANDTABS = 0x40;
inline constexpr unsigned DT_TABSTOP = 0x80;
inline constexpr unsigned DT_NOCLIP = 0x100;
inline constexpr unsigned DT_EXTERNALLEADING = 0x200;
inline constexpr unsigned DT_CALCRECT = 0x400;
inline constexpr unsigned DT_NOPREFIX = 0x800;
inline constexpr unsigned DT_INTERNAL = 0x1000;
inline constexpr unsigned DT_EDITCONTROL = 0x2000;
inline constexpr unsigned DT_PATH_ELLIPSIS = 0x4000;
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;
inline constexpr unsigned DT_MODIFYSTRING = 0x10000;
inline constexpr unsigned DT_RTLREADING = 0x20000;
inline constexpr unsigned DT_WORD_ELLIPSIS = 0x40000;
inline constexpr unsigned DT_NOFULLWIDTHCHARBREAK = 0x80000;
inline constexpr unsigned DT_HIDEPREFIX = 0x100000;
inline constexpr unsigned DT_PREFIXONLY = 0x200000;

// Background modes of text output.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// DrawEdge.
inline constexpr unsigned BDR_RAISEDOUTER = 0x1;
inline constexpr unsigned BDR_SUNKENOUTER = 0x2;
inline constexpr unsigned BDR_RAISEDINNER = 0x4;
inline constexpr unsigned BDR_SUNKENINNER = 0x8;
inline constexpr unsigned BDR_OUTER = 0x3;
inline constexpr unsigned BDR_INNER = 0xC;
inline constexpr unsigned BDR_RAISED = 0x5;
inline constexpr unsigned BDR_SUNKEN = 0xA;
inline constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr unsigned BF_LEFT = 0x1;
inline constexpr unsigned BF_TOP = 0x2;
inline constexpr unsigned BF_RIGHT = 0x4;
inline constexpr unsigned BF_BOTTOM = 0x8;
inline constexpr unsigned BF_TOPLEFT = BF_TOP | BF_LEFT;
inline constexpr unsigned BF_TOPRIGHT = BF_TOP | BF_RIGHT;
inline constexpr unsigned BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT;
inline constexpr unsigned BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
inline constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
inline constexpr unsigned BF_MIDDLE = 0x800;
inline constexpr unsigned BF_SOFT = 0x1000;
inline constexpr unsigned BF_ADJUST = 0x2000;
inline constexpr unsigned BF_FLAT = 0x4000;
inline constexpr unsigned BF_MONO = 0x8000;

// DrawFrameControl.
inline constexpr unsigned DFC_CAPTION = 1;
inline constexpr unsigned DFC_MENU = 2;
inline constexpr unsigned DFC_SCROLL = 3;
inline constexpr unsigned DFC_BUTTON = 4;
inline constexpr unsigned DFCS_BUTTONCHECK = 0x0;
inline constexpr unsigned DFCS_BUTTONRADIOIMAGE = 0x1;
inline constexpr unsigned DFCS_BUTTONRADIOMASK = 0x2;
inline constexpr unsigned DFCS_BUTTONRADIO = 0x4;
inline constexpr unsigned DFCS_BUTTON3STATE = 0x8;
inline constexpr unsigned DFCS_BUTTONPUSH = 0x10;
inline constexpr unsigned DFCS_SCROLLUP = 0x0;
inline constexpr unsigned DFCS_SCROLLDOWN = 0x1;
inline constexpr unsigned DFCS_SCROLLLEFT = 0x2;
inline constexpr unsigned DFCS_SCROLLRIGHT = 0x3;
inline constexpr unsigned DFCS_SCROLLCOMBOBOX = 0x5;
inline constexpr unsigned DFCS_INACTIVE = 0x100;
inline constexpr unsigned DFCS_PUSHED = 0x200;
inline constexpr unsigned DFCS_CHECKED = 0x400;
inline constexpr unsigned DFCS_TRANSPARENT = 0x800;
inline constexpr unsigned DFCS_HOT = 0x1000;
inline constexpr unsigned DFCS_ADJUSTRECT = 0x2000;
inline constexpr unsigned DFCS_FLAT = 0x4000;
inline constexpr unsigned DFCS_MONO = 0x8000;

// ------------------------------------------------------------------- TCanvas

class TGraphic;
class TBitmap;

// Copy modes of CopyRect / Draw.
inline constexpr DWORD cmSrcCopy = 0x00CC0020;
inline constexpr DWORD cmSrcInvert = 0x00660046;
inline constexpr DWORD cmSrcAnd = 0x008800C6;
inline constexpr DWORD cmSrcPaint = 0x00EE0086;
inline constexpr DWORD cmDstInvert = 0x00550009;
inline constexpr DWORD cmBlackness = 0x00000042;
inline constexpr DWORD cmWhiteness = 0x00FF0062;

// One line of laid-out text (see LayoutText).
struct TTextLine {
  std::u16string Text;
  int X = 0;  // left edge of the line
  int Y = 0;  // top of the line box
  int Width = 0;
  int PrefixIndex = -1;  // UTF-16 index of the character to underline, or -1
};

// What DrawText does with a text: the lines it shows and the sizes it reports.
struct TTextLayout {
  std::vector<TTextLine> Lines;  // the visible lines only
  int LineHeight = 0;
  int TextHeight = 0;       // all lines, before clipping; one line for an empty text (a clipped
                            // drawing counts the lines down to the first below the rectangle)
  int MaxWidth = 0;         // the widest line
  int ReturnValue = 0;      // what DrawText returns
  TRect CalcRect;           // the rectangle DT_CALCRECT gives back
};

// The metrics a layout needs from a font.
class TTextMetricsSource {
 public:
  virtual ~TTextMetricsSource() = default;
  virtual int TextWidthW(std::u16string_view text) = 0;
  virtual int LineHeight() = 0;       // ascent + descent
  virtual int ExternalLeading() = 0;
  virtual int AverageCharWidth() = 0;
};

// Lays out text like the Windows DrawText call (rules in GraphicsText.cpp).
TTextLayout LayoutText(TTextMetricsSource& metrics, std::u16string_view text, const TRect& rect,
                       unsigned flags);

// The drawing surface. State (Font, Pen, Brush, PenPos, background mode,
// clipping) lives here; the back ends implement the primitives. Coordinates
// are pixels; right and bottom edges are outside a rectangle.
class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  TFont* Font() { return &font_; }
  const TFont* Font() const { return &font_; }
  void SetFont(const TFont& font) { font_.Assign(font); }
  TPen* Pen() { return &pen_; }
  const TPen* Pen() const { return &pen_; }
  void SetPen(const TPen& pen) { pen_.Assign(pen); }
  TBrush* Brush() { return &brush_; }
  const TBrush* Brush() const { return &brush_; }
  void SetBrush(const TBrush& brush) { brush_.Assign(brush); }

  TPoint PenPos() const { return penPos_; }
  void SetPenPos(TPoint p) { penPos_ = p; }
  DWORD CopyMode() const { return copyMode_; }
  void SetCopyMode(DWORD mode) { copyMode_ = mode; }
  // TRANSPARENT or OPAQUE for text. A brush change resets it: OPAQUE for a
  // solid brush, TRANSPARENT otherwise; SetBkMode after the brush sticks.
  int BkMode() const { return bkMode_; }
  int SetBkMode(int mode);

  // Shapes: filled with the brush (unless clear), outlined with the pen.
  virtual void FillRect(const TRect& r) = 0;       // brush only
  virtual void FrameRect(const TRect& r) = 0;      // one pixel in the brush colour
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  virtual void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) = 0;
  virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // The wedge of the ellipse in (x1,y1)-(x2,y2) counter-clockwise from the
  // radial through (x3,y3) to the one through (x4,y4).
  virtual void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  virtual void Polygon(std::span<const TPoint> points) = 0;
  void Polygon(std::initializer_list<TPoint> points) { Polygon(std::span<const TPoint>(points.begin(), points.size())); }
  virtual void Polyline(std::span<const TPoint> points) = 0;
  void Polyline(std::initializer_list<TPoint> points) { Polyline(std::span<const TPoint>(points.begin(), points.size())); }
  void MoveTo(int x, int y) { penPos_ = {x, y}; }
  // A line from PenPos to (x, y), the end pixel excluded; PenPos moves there.
  virtual void LineTo(int x, int y) = 0;
  virtual TColor Pixels(int x, int y) = 0;
  virtual void SetPixels(int x, int y, TColor color) = 0;
  // The area around (x, y) bounded by a border colour (fsBorder) or of one
  // colour (fsSurface) is filled with the brush.
  enum TFillStyle { fsSurface, fsBorder };
  virtual void FloodFill(int x, int y, TColor color, TFillStyle style) = 0;

  // Text in the font colour; the background is the brush colour when BkMode
  // is OPAQUE. (x, y) is the top-left corner of the text; PenPos moves to its end.
  virtual void TextOut(int x, int y, std::string_view text) = 0;
  virtual void TextOutW(int x, int y, std::u16string_view text) = 0;
  // As TextOut, clipped to r (filled with the brush first when opaque).
  virtual void TextRect(const TRect& r, int x, int y, std::string_view text) = 0;
  virtual TSize TextExtent(std::string_view text) = 0;
  virtual TSize TextExtentW(std::u16string_view text) = 0;
  int TextWidth(std::string_view text) { return TextExtent(text).cx; }
  int TextHeight(std::string_view text) { return TextExtent(text).cy; }

  // Text with DT_ flags like the Windows call: returns the text height (with
  // DT_VCENTER or DT_BOTTOM on a single line, the offset from r.Top to the
  // bottom of the text) and, with DT_CALCRECT, sets r to the needed size
  // without drawing.
  virtual int DrawText(std::string_view text, TRect& r, unsigned flags);
  virtual int DrawTextW(std::u16string_view text, TRect& r, unsigned flags);

  // Graphics at their size / stretched into a rectangle.
  virtual void Draw(int x, int y, const TGraphic& graphic) = 0;
  virtual void StretchDraw(const TRect& r, const TGraphic& graphic) = 0;
  // Copies source's srcRect into dest, stretching (CopyMode applies).
  virtual void CopyRect(const TRect& dest, TCanvas& source, const TRect& srcRect) = 0;
  // Copies bitmap's srcRect into dest with every pixel of colour
  // transparent replaced by the brush colour.
  virtual void BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& srcRect,
                         TColor transparent) = 0;
  // A dotted rectangle drawn by inverting, so drawing it twice removes it.
  virtual void DrawFocusRect(const TRect& r) = 0;
  // Bands from one colour to the other (see DrawGradient).
  virtual void GradientFill(const TRect& r, TColor from, TColor to, bool horizontal, int steps);

  // Clipping: pushes and pops the clip region; the others narrow the current one.
  virtual void SaveClip() = 0;
  virtual void RestoreClip() = 0;
  virtual void IntersectClipRect(const TRect& r) = 0;
  virtual void ExcludeClipRect(const TRect& r) = 0;
  // The bounds of the area drawing reaches.
  virtual TRect ClipRect() = 0;

  // The font's metrics for layouts (valid until the font changes).
  virtual TTextMetricsSource& Metrics() = 0;

 protected:
  // One laid-out line of DrawText, clip is nullptr with DT_NOCLIP.
  virtual void DrawTextLine(const TTextLine& line, int ascentY, const TRect* clip,
                            unsigned flags) = 0;
  int DrawTextLayout(std::u16string_view text, TRect& r, unsigned flags, bool draw);

 private:
  TFont font_;
  TPen pen_;
  TBrush brush_;
  TPoint penPos_;
  DWORD copyMode_ = cmSrcCopy;
  int bkMode_ = OPAQUE;
};

// ----------------------------------------------------------- TRecordingCanvas

enum TCanvasOp {
  coFillRect, coFrameRect, coRectangle, coRoundRect, coEllipse, coPie, coPolygon, coPolyline,
  coLineTo, coSetPixel, coFloodFill, coTextOut, coTextRect, coDrawText, coDraw, coStretchDraw,
  coCopyRect, coBrushCopy, coFocusRect, coGradient, coSaveClip, coRestoreClip,
  coIntersectClip, coExcludeClip
};

// One recorded call with the state it was drawn in.
struct TCanvasCall {
  TCanvasOp Op;
  TRect Rect;                  // the call's rectangle (DrawText: the rectangle passed in)
  std::vector<TPoint> Points;  // polygons, lines (from, to), pixel, text origin
  AnsiString Text;             // code page 949 (wide text converted)
  bool Wide = false;
  unsigned Flags = 0;          // DT_ flags, gradient: 1 when horizontal
  TColor Color = clNone;       // pixel / flood / BrushCopy transparent / gradient from
  TColor Color2 = clNone;      // gradient to
  int Steps = 0;               // gradient bands
  AnsiString Graphic;          // class name of a drawn graphic
  TColor BrushColor = clNone;
  TBrushStyle BrushStyle = bsSolid;
  TColor PenColor = clNone;
  int PenWidth = 0;
  TPenStyle PenStyle = psSolid;
  TPenMode PenMode = pmCopy;
  TColor FontColor = clNone;
  AnsiString FontName;
  int FontSize = 0;
  TFontStyles FontStyle;
  int BkMode = OPAQUE;
};

// Keeps the calls instead of drawing. Text is measured with fixed metrics so
// that layouts are the same on every machine: a single-byte character is
// CharWidth pixels wide, a double-byte one twice that, and a line is
// LineHeight pixels; both follow the font height unless set explicitly.
class TRecordingCanvas : public TCanvas {
 public:
  TRecordingCanvas();
  ~TRecordingCanvas() override;

  const std::vector<TCanvasCall>& Calls() const { return calls_; }
  void Clear() { calls_.clear(); }
  // Only calls of this kind, in order.
  std::vector<TCanvasCall> CallsOf(TCanvasOp op) const;
  // Fixed metrics; 0 returns to the font-derived ones ((|Height| + 1) / 2 and |Height| + 2).
  void SetFixedMetrics(int charWidth, int lineHeight);
  // The colour Pixels() answers for pixels never set (default clWhite).
  void SetBackground(TColor color) { background_ = color; }
  // The clip bounds before any narrowing (default a large area).
  void SetBounds(const TRect& r) { bounds_ = r; clip_ = r; }

  void FillRect(const TRect& r) override;
  void FrameRect(const TRect& r) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  using TCanvas::Rectangle;
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  using TCanvas::Ellipse;
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Polygon(std::span<const TPoint> points) override;
  using TCanvas::Polygon;
  void Polyline(std::span<const TPoint> points) override;
  using TCanvas::Polyline;
  void LineTo(int x, int y) override;
  TColor Pixels(int x, int y) override;
  void SetPixels(int x, int y, TColor color) override;
  void FloodFill(int x, int y, TColor color, TFillStyle style) override;
  void TextOut(int x, int y, std::string_view text) override;
  void TextOutW(int x, int y, std::u16string_view text) override;
  void TextRect(const TRect& r, int x, int y, std::string_view text) override;
  TSize TextExtent(std::string_view text) override;
  TSize TextExtentW(std::u16string_view text) override;
  int DrawText(std::string_view text, TRect& r, unsigned flags) override;
  int DrawTextW(std::u16string_view text, TRect& r, unsigned flags) override;
  void Draw(int x, int y, const TGraphic& graphic) override;
  void StretchDraw(const TRect& r, const TGraphic& graphic) override;
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& srcRect) override;
  void BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& srcRect,
                 TColor transparent) override;
  void DrawFocusRect(const TRect& r) override;
  void GradientFill(const TRect& r, TColor from, TColor to, bool horizontal, int steps) override;
  void SaveClip() override;
  void RestoreClip() override;
  void IntersectClipRect(const TRect& r) override;
  void ExcludeClipRect(const TRect& r) override;
  TRect ClipRect() override;
  TTextMetricsSource& Metrics() override;

 protected:
  void DrawTextLine(const TTextLine& line, int ascentY, const TRect* clip,
                    unsigned flags) override;

 private:
  class FixedMetrics;
  TCanvasCall& Record(TCanvasOp op);

  std::vector<TCanvasCall> calls_;
  std::unique_ptr<FixedMetrics> metrics_;
  std::vector<std::pair<TPoint, TColor>> pixels_;
  std::vector<TRect> clipStack_;
  TRect bounds_{-100000, -100000, 100000, 100000};
  TRect clip_{-100000, -100000, 100000, 100000};
  TColor background_ = clWhite;
};

// ---------------------------------------------------------- Drawing routines

// The Windows call's signature over a canvas.
int DrawText(TCanvas& canvas, std::string_view text, TRect& rect, unsigned flags);
int DrawTextW(TCanvas& canvas, std::u16string_view text, TRect& rect, unsigned flags);

// Edges of 3-D frames: BDR_ kinds for the outer and the inner ring, BF_
// sides; BF_SOFT uses the lighter inner shades, BF_FLAT and BF_MONO draw
// flat, BF_MIDDLE fills the inside with clBtnFace, BF_ADJUST shrinks rect by
// the drawn width. Returns true.
bool DrawEdge(TCanvas& canvas, TRect& rect, unsigned edge, unsigned flags);
// Check boxes, radio buttons and push buttons (DFC_BUTTON) and scroll and
// combo arrows (DFC_SCROLL) in the states DFCS_CHECKED, DFCS_PUSHED,
// DFCS_INACTIVE and DFCS_FLAT (DFCS_HOT draws as normal). DFCS_ADJUSTRECT
// shrinks a push button's rect to its face. Returns true; false for a type
// it does not know.
bool DrawFrameControl(TCanvas& canvas, TRect& rect, unsigned type, unsigned state);
// A gradient of steps bands (0 counts as 1) from one colour to the other,
// left to right when horizontal, else top to bottom. Band i has the colour
// from + round(i * (to - from) / steps) per channel and covers
// round(i * size) to that + size + 1, size being the rect's extent / steps
// rounded. When to is clNone the rect is filled with from. Pen and brush end
// in the last band's colour.
void DrawGradient(TCanvas& canvas, TColor from, TColor to, bool horizontal, const TRect& rect,
                  int steps);

// --------------------------------------------------------------------- Regions

inline constexpr int ALTERNATE = 1;
inline constexpr int WINDING = 2;
inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;

// An area of pixels for shaped windows and clipping, built from polygons,
// rectangles and ellipses and combined like the Windows region calls.
class TRegion {
 public:
  TRegion();
  ~TRegion();
  TRegion(const TRegion& other);
  TRegion& operator=(const TRegion& other);

  static TRegion FromRect(const TRect& r);
  static TRegion FromEllipse(const TRect& r);
  static TRegion FromRoundRect(const TRect& r, int cornerWidth, int cornerHeight);
  // fillMode ALTERNATE or WINDING.
  static TRegion FromPolygon(std::span<const TPoint> points, int fillMode);
  // this := a op b (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY takes a).
  void Combine(const TRegion& a, const TRegion& b, int op);
  void Offset(int dx, int dy);

  bool Contains(TPoint p) const;
  bool Empty() const;
  TRect Bounds() const;
  // The rectangles that make up the region, top to bottom.
  std::vector<TRect> Rects() const;

  struct Impl;
  const Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// -------------------------------------------------------------------- Graphics

VIDRENA_EXCEPTION(EInvalidGraphic, Exception);
VIDRENA_EXCEPTION(EInvalidGraphicOperation, Exception);
VIDRENA_EXCEPTION(EResNotFound, Exception);

// An image of some file format. Stream data (ReadData/WriteData) is the form
// a graphic takes inside other files; LoadFromStream/SaveToStream are the
// plain file format.
class TGraphic : public TPersistent {
 public:
  TGraphic() = default;
  ~TGraphic() override = default;

  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool transparent);
  bool Modified() const { return modified_; }
  void SetModified(bool modified);

  // fileName is code page 949; EFOpenError / EFCreateError from the stream.
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;
  // Invalid data raises EInvalidGraphic (EJPEG for JPEG) and leaves the graphic as it was.
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) const = 0;
  // Default: the file format as it is.
  virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream& stream) const { SaveToStream(stream); }

  // Draws into r on canvas (stretched to r).
  virtual void Draw(TCanvas& canvas, const TRect& r) const = 0;
  // A new graphic of the same class with the same image.
  virtual std::unique_ptr<TGraphic> Clone() const = 0;

  TNotifyEvent OnChange;

 protected:
  virtual void Changed();

 private:
  bool transparent_ = false;
  bool modified_ = false;
};

// Creates an empty graphic of one class.
using TGraphicClass = std::function<std::unique_ptr<TGraphic>()>;

// Registers a class under a file extension (without the dot, case ignored)
// and its class name; later registrations of the same extension win. "bmp",
// "ico", "jpg" and "jpeg" are registered from the start.
void RegisterFileFormat(std::string_view extension, std::string_view description,
                        std::string_view className, TGraphicClass graphicClass);
// nullptr when nothing is registered.
std::unique_ptr<TGraphic> NewGraphicForExtension(std::string_view extension);
std::unique_ptr<TGraphic> NewGraphicForClassName(std::string_view className);
// "All (*.jpg;*.bmp)|*.jpg;*.bmp|JPEG Image File (*.jpg)|*.jpg|..." for open dialogs.
AnsiString GraphicFilter();

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit,
                    pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

// A bitmap in memory with a canvas to draw on. The file format is BMP; the
// stream data is a 32-bit byte count followed by the BMP file.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;

  void Assign(const TPersistent* source) override;
  void Assign(const TGraphic& source) { Assign(static_cast<const TPersistent*>(&source)); }

  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  // Keeps the pixels that stay inside; new pixels are white.
  void SetSize(int width, int height);
  TPixelFormat PixelFormat() const;
  // Converts the pixels (pf8bit and below go through a palette).
  void SetPixelFormat(TPixelFormat format);
  bool Monochrome() const { return PixelFormat() == pf1bit; }

  // The canvas drawing on the bitmap; it stays valid for the bitmap's life.
  TCanvas* Canvas();
  // tmAuto: the colour of the bottom-left pixel; tmFixed: the colour set.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor color);  // switches to tmFixed
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode mode);
  // 0x00RRGGBB of the pixel at (x, y) (clNone outside), without a canvas.
  TColor PixelColor(int x, int y) const;

  // One of the pictures this program draws itself (see Resources);
  // EResNotFound "Resource %s not found" for any other name.
  void LoadFromResourceName(std::string_view name);

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) const override;
  void Draw(TCanvas& canvas, const TRect& r) const override;
  std::unique_ptr<TGraphic> Clone() const override;
  // Frees nothing here; kept for callers that release device memory.
  void Dormant() {}
  void FreeImage() {}

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
  TTransparentMode transparentMode_ = tmAuto;
  TColor transparentColor_ = clDefault;
};

// An icon (ICO file). Drawn with its own transparency.
class TIcon : public TGraphic {
 public:
  TIcon();
  ~TIcon() override;
  void Assign(const TPersistent* source) override;
  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  void SetWidth(int width) override;    // EInvalidGraphicOperation "Cannot change the size of an icon"
  void SetHeight(int height) override;
  bool Transparent() const override { return true; }
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  void Draw(TCanvas& canvas, const TRect& r) const override;
  std::unique_ptr<TGraphic> Clone() const override;
  // The icon's pixels over a background colour.
  void AssignToBitmap(TBitmap& bitmap, TColor background) const;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// Holds one graphic of any registered class.
class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;

  // nullptr when empty.
  TGraphic* Graphic() const { return graphic_.get(); }
  // Copies graphic (nullptr empties the picture).
  void SetGraphic(const TGraphic* graphic);
  void SetGraphic(std::unique_ptr<TGraphic> graphic);
  // The graphic as a bitmap / icon, replacing any other kind by an empty one.
  TBitmap* Bitmap();
  TIcon* Icon();
  int Width() const;
  int Height() const;

  // The class is chosen by the extension; EInvalidGraphic
  // "Unknown picture file extension (.%s)" when none is registered.
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;
  // Stream data: the graphic's class name as a short string (a length byte
  // and the name), then the graphic's own stream data; an empty name for none.
  void ReadData(TStream& stream);
  void WriteData(TStream& stream) const;
  void Assign(const TPersistent* source) override;

  TNotifyEvent OnChange;

 private:
  void Changed();
  std::unique_ptr<TGraphic> graphic_;
};

// ------------------------------------------------------------------ Resources
// The named bitmaps the grid asks for, drawn by this unit in their fixed
// sizes: "ESGCHK01".."ESGCHK04" (20 x 20), "ESGCHK05".."ESGCHK08",
// "ESGRAD01".."ESGRAD08", "ESGLEAFCLOSE", "ESGLEAFOPEN", "ESGFILT" (16 x 16),
// "XPNODEC", "XPNODEO" (9 x 9), "INTLI1".."INTLI3" (32 x 32),
// "EsgSpinUp", "EsgSpinDown" (9 x 5). Names are compared without regard to case.
bool HasResourceBitmap(std::string_view name);

// A cursor picture by resource number (8000..8012); empty bitmap and false
// for an unknown number. Transparent pixels have alpha 0.
bool LoadCursorResource(int id, TBitmap& image, TPoint& hotSpot);

// ------------------------------------------------------------- Screen metrics

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CYHSCROLL = 3;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXEDGE = 45;
inline constexpr int SM_CYEDGE = 46;
inline constexpr int SM_CXHSCROLL = 21;
inline constexpr int SM_CYVSCROLL = 20;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;

// 96: layouts are made for it and scaled by ScreenPixelsPerInch / 96.
inline constexpr int kBasePixelsPerInch = 96;
int ScreenPixelsPerInch();
// The primary screen (1024 x 768 when there is none, as under tests).
int ScreenWidth();
int ScreenHeight();
int GetSystemMetrics(int index);

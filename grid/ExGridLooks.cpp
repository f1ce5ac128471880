// Bands and background picture of the string grid, and the drawing routines
// the cell painting, the cell graphics and the small popups share.
#include "grid/ExGridLooks.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "grid/ExGrid.h"
#include "grid/ExHtml.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Themes.h"

// ------------------------------------------------------------- TBands

void TBands::SetActive(bool v) {
  active_ = v;
  if (grid_) grid_->Invalidate();
}

void TBands::RepaintIfActive() {
  if (active_ && grid_) grid_->Invalidate();
}

void TBands::SetPrimaryColor(TColor v) {
  primaryColor_ = v;
  RepaintIfActive();
}

void TBands::SetSecondaryColor(TColor v) {
  secondaryColor_ = v;
  RepaintIfActive();
}

void TBands::SetPrimaryLength(int v) {
  primaryLength_ = v;
  RepaintIfActive();
}

void TBands::SetSecondaryLength(int v) {
  secondaryLength_ = v;
  RepaintIfActive();
}

TColor TBands::ColorOfRow(int rowFromTop, TColor fallback) const {
  const int period = Period();
  if (period <= 0 || rowFromTop < 0) return fallback;
  return rowFromTop % period < primaryLength_ ? primaryColor_ : secondaryColor_;
}

void TBands::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TBands*>(source);
  if (!other) return TPersistent::Assign(source);
  active_ = other->active_;
  print_ = other->print_;
  primaryColor_ = other->primaryColor_;
  secondaryColor_ = other->secondaryColor_;
  primaryLength_ = other->primaryLength_;
  secondaryLength_ = other->secondaryLength_;
  if (grid_) grid_->Invalidate();
}

// ------------------------------------------------------------- TBackGround

void TBackGround::Repaint() {
  if (grid_) grid_->Invalidate();
}

void TBackGround::SetTop(int v) {
  top_ = v;
  Repaint();
}

void TBackGround::SetLeft(int v) {
  left_ = v;
  Repaint();
}

void TBackGround::SetDisplay(TBackGroundDisplay v) {
  display_ = v;
  Repaint();
}

void TBackGround::SetCells(TBackGroundCells v) {
  cells_ = v;
  Repaint();
}

void TBackGround::SetBitmap(const TBitmap* v) {
  if (v) bitmap_.Assign(*v);
  else bitmap_.SetSize(0, 0);
  Repaint();
}

void TBackGround::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TBackGround*>(source);
  if (!other) return TPersistent::Assign(source);
  top_ = other->top_;
  left_ = other->left_;
  display_ = other->display_;
  cells_ = other->cells_;
  bitmap_.Assign(other->bitmap_);
  Repaint();
}

// ------------------------------------------------------------- TControlLook

TControlLook::TControlLook(TExStringGrid* grid) : grid_(grid) {
  for (TBitmap* glyph : {&checkedGlyph_, &unCheckedGlyph_, &radioOnGlyph_, &radioOffGlyph_})
    glyph->OnChange = [this](TObject*) { Repaint(); };
}

void TControlLook::Repaint() {
  if (grid_) grid_->Invalidate();
}

// ------------------------------------------------------------- colour helpers

TColor DarkenColor(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return RGB(GetRValue(rgb) >> 1, GetGValue(rgb) >> 1, GetBValue(rgb) >> 1);
}

TColor FillColorOf(TColor color, TColor fallback) {
  return color == clNone || color == clDefault ? fallback : color;
}

TColor InvertedColor(TColor color) { return (~ColorToRGB(color)) & 0xFFFFFF; }

// ------------------------------------------------------------- drawing routines

void CanvasLine(TCanvas* canvas, int x1, int y1, int x2, int y2) {
  canvas->MoveTo(x1, y1);
  canvas->LineTo(x2, y2);
}

TCanvasKeeper::TCanvasKeeper(TCanvas* canvas) : canvas_(canvas), bk_(canvas->BkMode()) {
  pen_.Assign(*canvas->Pen());
  brush_.Assign(*canvas->Brush());
  font_.Assign(*canvas->Font());
}

TCanvasKeeper::~TCanvasKeeper() {
  canvas_->Pen()->Assign(pen_);
  canvas_->Brush()->Assign(brush_);
  canvas_->Font()->Assign(font_);
  canvas_->SetBkMode(bk_);
}

void DrawBitmapTransparent(TCanvas& canvas, const TBitmap& bitmap, TColor background, const TRect& rect) {
  if (bitmap.Empty()) return;
  const int w = bitmap.Width(), h = bitmap.Height();
  TBitmap copy(w, h);
  TCanvas& c = *copy.Canvas();
  c.Brush()->SetColor(FillColorOf(background, clWindow));
  c.FillRect(Rect(0, 0, w, h));
  c.BrushCopy(Rect(0, 0, w, h), bitmap, Rect(0, 0, w, h), bitmap.PixelColor(0, 0));
  canvas.Draw(rect.Left, rect.Top, copy);
}

void DrawResourceBitmap(TCanvas& canvas, std::string_view name, TColor background, const TRect& rect) {
  if (!HasResourceBitmap(name)) return;
  TBitmap bitmap;
  bitmap.LoadFromResourceName(name);
  DrawBitmapTransparent(canvas, bitmap, background, rect);
}

void DrawResourceGlyph(TCanvas& canvas, std::string_view name, int x, int y) {
  if (!HasResourceBitmap(name)) return;
  TBitmap bitmap;
  bitmap.LoadFromResourceName(name);
  bitmap.SetTransparent(true);
  canvas.Draw(x, y, bitmap);
}

void DrawControlGlyph(TCanvas& canvas, const TRect& rect, bool themed) {
  TRect button{rect.Right - 16 - 2, rect.Top + 1, rect.Right - 2, rect.Bottom - 1};
  if (themed) DrawThemePart(canvas, tpComboButton, 1, button);
  else DrawFrameControl(canvas, button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
}

std::vector<TRect> RadioItemButtons(TCanvas& canvas, const TRect& rect, int count, const TStrings* items,
                                    int buttonSize, bool horizontal) {
  std::vector<TRect> buttons;
  const int lineHeight = std::max(canvas.TextHeight("gh"), buttonSize);
  int x = rect.Left + 2;
  for (int i = 0; i < count; ++i) {
    const AnsiString caption = items && items->Count() > i ? items->Strings(i) : AnsiString();
    if (!horizontal) {
      const int top = rect.Top + 2 + i * lineHeight;
      const int left = caption.empty() ? rect.Left + (rect.Width() - buttonSize) / 2 : rect.Left + 2;
      buttons.push_back(TRect{left, top, left + buttonSize, top + buttonSize});
    } else {
      const int top = rect.Top + (rect.Height() - buttonSize) / 2;
      buttons.push_back(TRect{x, top, x + buttonSize, top + buttonSize});
      x += buttonSize + 3;
      if (!caption.empty()) x += canvas.TextWidth(caption) + 6;
    }
  }
  return buttons;
}

namespace {

// Byte offset of the n-th character (0-based) of a code page 949 text; the
// text's length when it has fewer.
std::size_t ByteOfChar(std::string_view text, int n) {
  std::size_t i = 0;
  while (n > 0 && i < text.size()) {
    i += IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    --n;
  }
  return std::min(i, text.size());
}

int CharCount(std::string_view text) {
  int n = 0;
  for (std::size_t i = 0; i < text.size(); ++n)
    i += IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
  return n;
}

}  // namespace

void DrawErrorUnderline(TCanvas& canvas, std::string_view text, int from, int length, const TRect& rect) {
  const int chars = CharCount(text);
  if (length <= 0 || from > chars) return;
  if (from < 1) {
    length += from - 1;
    from = 1;
  }
  const int last = std::min(from + length - 1, chars);
  if (last < from) return;
  const std::size_t b0 = ByteOfChar(text, from - 1), b1 = ByteOfChar(text, last);
  int x0 = rect.Left + canvas.TextWidth(text.substr(0, b0));
  int x1 = rect.Left + canvas.TextWidth(text.substr(0, b1));
  if (last == chars) x1 += 4;
  x1 = std::min(x1, rect.Right);
  if (x1 <= x0) return;
  const int base = std::min(rect.Top + canvas.TextHeight("gh"), rect.Bottom - 1);
  TPen saved;
  saved.Assign(*canvas.Pen());
  canvas.Pen()->SetColor(clRed);
  canvas.Pen()->SetWidth(2);
  canvas.Pen()->SetStyle(psSolid);
  std::vector<TPoint> zigzag;
  bool up = false;
  for (int x = x0; x < x1; x += 3) {
    zigzag.push_back({x, up ? base - 3 : base});
    up = !up;
  }
  zigzag.push_back({x1, up ? base - 3 : base});
  canvas.Polyline(zigzag);
  canvas.Pen()->Assign(saved);
}

void DrawProgressBar(TCanvas& canvas, TRect rect, TColor filledColor, int marginY, int marginX, int percent,
                     TColor restTextColor, TColor restColor, TColor filledTextColor) {
  percent = std::clamp(percent, 0, 100);
  const TColor previousBrush = canvas.Brush()->Color();
  InflateRect(rect, -marginX, -marginY);
  if (rect.IsEmpty()) return;
  const int filled = static_cast<int>(std::lround(rect.Width() * percent / 100.0));
  const TRect left{rect.Left, rect.Top, rect.Left + filled, rect.Bottom};
  const TRect right{rect.Left + filled, rect.Top, rect.Right, rect.Bottom};
  const AnsiString label = IntToStr(percent) + "%";
  const TSize size = canvas.TextExtent(label);
  const int tx = rect.Left + (rect.Width() - size.cx) / 2;
  const int ty = rect.Top + (rect.Height() - size.cy) / 2;
  const int bk = canvas.BkMode();
  if (!left.IsEmpty()) {
    canvas.Brush()->SetColor(FillColorOf(filledColor, clHighlight));
    canvas.Font()->SetColor(filledTextColor);
    canvas.SetBkMode(OPAQUE);
    canvas.TextRect(left, tx, ty, label);
  }
  if (!right.IsEmpty()) {
    canvas.Brush()->SetColor(FillColorOf(restColor, clWindow));
    canvas.Font()->SetColor(restTextColor);
    canvas.SetBkMode(OPAQUE);
    canvas.TextRect(right, tx, ty, label);
  }
  canvas.SetBkMode(bk);
  TRect frame = rect;
  InflateRect(frame, 1, 1);
  canvas.Brush()->SetColor(clBlack);
  canvas.FrameRect(frame);
  InflateRect(frame, 1, 1);
  canvas.Brush()->SetColor(FillColorOf(previousBrush, clWindow));
  canvas.FrameRect(frame);
}

void DrawProgressPie(TCanvas& canvas, const TRect& rect, TColor color, int percent) {
  percent = std::clamp(percent, 0, 100);
  TPen savedPen;
  savedPen.Assign(*canvas.Pen());
  TBrush savedBrush;
  savedBrush.Assign(*canvas.Brush());
  canvas.Pen()->SetColor(0x808080);
  canvas.Pen()->SetWidth(1);
  canvas.Pen()->SetStyle(psSolid);
  canvas.Brush()->SetStyle(bsClear);
  canvas.Ellipse(rect);
  const int cx = (rect.Left + rect.Right) / 2, cy = (rect.Top + rect.Bottom) / 2;
  const double a = percent / 100.0 * 2 * std::numbers::pi;
  const int ex = cx + static_cast<int>(std::lround(std::sin(a) * (rect.Width() + 1) / 2.0));
  const int ey = cy - static_cast<int>(std::lround(std::cos(a) * (rect.Height() + 1) / 2.0));
  if (percent >= 100) {
    canvas.Brush()->SetColor(FillColorOf(color, clHighlight));
    canvas.Ellipse(rect);
  } else if (percent > 0) {
    // Pie runs counter-clockwise from its first radial to its second: from
    // the end point back to 12 o'clock covers the clockwise sector.
    canvas.Brush()->SetColor(FillColorOf(color, clHighlight));
    canvas.Pie(rect.Left, rect.Top, rect.Right, rect.Bottom, ex, ey, cx, rect.Top);
  }
  canvas.MoveTo(cx, rect.Top);
  canvas.LineTo(cx, cy);
  canvas.LineTo(ex, ey);
  canvas.Pen()->Assign(savedPen);
  canvas.Brush()->Assign(savedBrush);
}

// ------------------------------------------------------------- mark-up text

TMarkupResult DrawMarkupText(const TMarkupRequest& request) {
  TMarkupResult result;
  if (!request.Canvas) return result;
  THtmlDrawArgs args;
  args.Images = request.Images;
  args.Container = request.Container;
  args.PictureCache = request.Pictures;
  args.X = request.Pressed ? request.PressedPoint.X : 0;
  args.Y = request.Pressed ? request.PressedPoint.Y : 0;
  args.Pressed = request.Pressed;
  args.HoverAnchor = request.HoverAnchor > 0 ? request.HoverAnchor : -1;
  args.ShadowOffset = request.ShadowOffset;
  args.MeasureOnly = request.MeasureOnly;
  args.KeepColors = request.KeepColors;
  args.WordWrap = request.WordWrap;
  args.AnchorColor = request.AnchorColor;
  args.ShadowColor = request.ShadowColor;
  args.BlinkPhase = request.BlinkPhase;
  THtmlDrawResult drawn;
  DrawHtml(*request.Canvas, request.Text, request.Rect, args, drawn);
  result.Width = drawn.Width;
  result.Height = drawn.Height;
  return result;
}

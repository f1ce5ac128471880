// What the cell painting reads besides the grid's own properties: the row
// bands, the background picture, and the drawing routines the cell painting,
// the cell graphics, the footer and the small popups share.
//
// Sections:
//   TBands, TBackGround .... option objects owned by the grid
//   Colour helpers ......... DarkenColor, FillColorOf
//   Drawing routines ....... transparent bitmaps, combo glyph, error underline,
//                            progress bar and pie, sort triangles
//   Mark-up text ........... the one entry through which cells, hints, the
//                            footer and the caption button draw mark-up
#pragma once

#include <functional>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/vcl/Graphics.h"

class TExStringGrid;
class TCustomImageList;
class TPictureContainer;
class THTMLPictureCache;

// ------------------------------------------------------------- option objects

enum TBackGroundDisplay { bdTile, bdFixed };
enum TBackGroundCells { bcNormal, bcFixed, bcAll };

// Alternating row colours of the scrolling cells: PrimaryLength rows in
// PrimaryColor, then SecondaryLength rows in SecondaryColor, repeating.
class TBands : public TPersistent {
 public:
  explicit TBands(TExStringGrid* grid) : grid_(grid) {}
  bool Active() const { return active_; }
  void SetActive(bool v);
  bool Print() const { return print_; }
  void SetPrint(bool v) { print_ = v; }
  TColor PrimaryColor() const { return primaryColor_; }
  void SetPrimaryColor(TColor v);
  TColor SecondaryColor() const { return secondaryColor_; }
  void SetSecondaryColor(TColor v);
  int PrimaryLength() const { return primaryLength_; }
  void SetPrimaryLength(int v);
  int SecondaryLength() const { return secondaryLength_; }
  void SetSecondaryLength(int v);
  int Period() const { return primaryLength_ + secondaryLength_; }
  // The band colour of a scrolling row (row - FixedRows counted); fallback
  // when the period is not positive.
  TColor ColorOfRow(int rowFromTop, TColor fallback) const;
  void Assign(const TPersistent* source) override;

 private:
  void RepaintIfActive();
  TExStringGrid* grid_;
  bool active_ = false;
  bool print_ = false;
  TColor primaryColor_ = 0xFF000018;    // clInfoBk
  TColor secondaryColor_ = 0xFF000005;  // clWindow
  int primaryLength_ = 1;
  int secondaryLength_ = 1;
};

// A picture behind the cells: tiled seamlessly over them, or one copy at a
// fixed client position.
class TBackGround : public TPersistent {
 public:
  explicit TBackGround(TExStringGrid* grid) : grid_(grid) {}
  int Top() const { return top_; }
  void SetTop(int v);
  int Left() const { return left_; }
  void SetLeft(int v);
  TBackGroundDisplay Display() const { return display_; }
  void SetDisplay(TBackGroundDisplay v);
  TBackGroundCells Cells() const { return cells_; }
  void SetCells(TBackGroundCells v);
  TBitmap* Bitmap() { return &bitmap_; }
  const TBitmap* Bitmap() const { return &bitmap_; }
  // Copies the picture.
  void SetBitmap(const TBitmap* v);
  void Assign(const TPersistent* source) override;

 private:
  void Repaint();
  TExStringGrid* grid_;
  int top_ = 0;
  int left_ = 0;
  TBackGroundDisplay display_ = bdTile;
  TBackGroundCells cells_ = bcNormal;
  TBitmap bitmap_;
};

// ------------------------------------------------------------- colour helpers

// Each channel of the colour's RGB value halved.
TColor DarkenColor(TColor color);
// A colour that can fill: clNone (no colour set) and clDefault give fallback.
TColor FillColorOf(TColor color, TColor fallback);
// The low 24 bits of the colour's RGB value inverted: text readable on it.
TColor InvertedColor(TColor color);

// ------------------------------------------------------------- drawing routines

// A line from (x1, y1) to (x2, y2), the end pixel excluded.
void CanvasLine(TCanvas* canvas, int x1, int y1, int x2, int y2);

// Pen, brush, font and background mode put back when a drawing step ends.
class TCanvasKeeper {
 public:
  explicit TCanvasKeeper(TCanvas* canvas);
  ~TCanvasKeeper();
  TCanvasKeeper(const TCanvasKeeper&) = delete;
  TCanvasKeeper& operator=(const TCanvasKeeper&) = delete;

 private:
  TCanvas* canvas_;
  TPen pen_;
  TBrush brush_;
  TFont font_;
  int bk_;
};

// bitmap at rect's top-left, at its own size, with the colour of its
// top-left pixel showing background instead.
void DrawBitmapTransparent(TCanvas& canvas, const TBitmap& bitmap, TColor background, const TRect& rect);
// The same with one of the pictures the platform draws by name; nothing for
// an unknown name.
void DrawResourceBitmap(TCanvas& canvas, std::string_view name, TColor background, const TRect& rect);
// A resource picture through its own transparency (the automatic colour).
void DrawResourceGlyph(TCanvas& canvas, std::string_view name, int x, int y);
// The drop-down button in the 16 pixels at the rect's right.
void DrawControlGlyph(TCanvas& canvas, const TRect& rect, bool themed);
// Where a radio group's buttons lie in rect, one per item, for drawing and
// for clicks alike: one line each (the taller of the text and the button)
// from 2 pixels below the top, the button at the left (centred when the item
// has no caption); or side by side from 2 pixels right of the left, each
// button followed by its caption.
std::vector<TRect> RadioItemButtons(TCanvas& canvas, const TRect& rect, int count, const TStrings* items,
                                    int buttonSize, bool horizontal);
// A red zigzag of width 2 under the characters from..from+length-1 (1-based,
// counted in characters, a double-byte character being one) of a single-line
// text drawn left-aligned in rect. The range is clamped to the text: a range
// that starts past its end draws nothing.
void DrawErrorUnderline(TCanvas& canvas, std::string_view text, int from, int length, const TRect& rect);
// The percent bar: the rect shrinks by the margins; filled part on the left;
// the percentage centred, drawn in each part's text colour; a black frame
// and one in the previous brush colour around it. percent is clamped to 0..100.
void DrawProgressBar(TCanvas& canvas, TRect rect, TColor filledColor, int marginY, int marginX,
                     int percent, TColor restTextColor, TColor restColor, TColor filledTextColor);
// An ellipse in rect with the sector of percent (clamped to 0..100) filled
// clockwise from 12 o'clock. The sector is drawn as a pie, never flood-filled.
void DrawProgressPie(TCanvas& canvas, const TRect& rect, TColor color, int percent);

// ------------------------------------------------------------- mark-up text

// What one mark-up drawing asks for; the fields follow the renderer's
// arguments that the grid family sets.
struct TMarkupRequest {
  TCanvas* Canvas = nullptr;
  AnsiString Text;
  TRect Rect;
  TCustomImageList* Images = nullptr;
  TPictureContainer* Container = nullptr;
  // Pictures named by source ("FILE://", "RES://", web addresses).
  THTMLPictureCache* Pictures = nullptr;
  int HoverAnchor = 0;
  // A BUTTON control under this point is drawn pressed.
  bool Pressed = false;
  TPoint PressedPoint{-1, -1};
  int ShadowOffset = 1;
  bool MeasureOnly = false;
  bool KeepColors = false;
  bool WordWrap = true;
  TColor AnchorColor = 0xFF0000;
  TColor ShadowColor = 0x808080;
  // False paints blinking text in the background colour (its off phase);
  // hints, footers and captions, which do not blink, show it steadily.
  bool BlinkPhase = true;
};
struct TMarkupResult {
  int Width = 0;
  int Height = 0;
};

// Every mark-up text of the grid family (cells, hints, the footer, the
// caption button) is drawn and measured here, through DrawHtml.
TMarkupResult DrawMarkupText(const TMarkupRequest& request);

// The small windows of the string grid and its theme binding:
//   THTMLHintWindow ... a hint that renders mark-up (scroll and sizing hints)
//   TFooterPanel ...... the floating footer: the last row, a preview of one
//                       column of the current row, or a "<#N>" template
//   TArrowWindow ...... arrow-shaped markers for row and column moves
//   TPopupButton ...... a caption with gradient and mark-up, shown while moving
//   GetXPColorScheme, AdaptToTheme: the fixed-cell colours from the theme.
//
// Windows that float over the grid (markers, the caption button) are child
// overlays of the grid's parent, so they stay where they are put on window
// systems that do not let a program place top-level windows.
#pragma once

#include "grid/ExGrid.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ExtCtrls.h"

class THTMLHintWindow : public THintWindow {
 public:
  explicit THTMLHintWindow(TComponent* owner);
  // rect's top-left in screen coordinates: the hint takes its text's size
  // and stays on the screen.
  void ActivateHint(const TRect& rect, const AnsiString& hint) override;
  TRect CalcHintRect(int maxWidth, const AnsiString& hint) override;
  // Where ActivateHint put the window (screen coordinates).
  TRect HintRect() const { return hintRect_; }
  int TextWidth() const { return textWidth_; }
  int TextHeight() const { return textHeight_; }
  // The grid whose picture container and cache the mark-up's pictures come
  // from (the grid owns this window); none by default.
  void SetPictureGrid(TExStringGrid* grid) { pictureGrid_ = grid; }

 protected:
  void Paint() override;

 private:
  void SetPicturesOf(TMarkupRequest& request) const;
  TExStringGrid* pictureGrid_ = nullptr;
  int textWidth_ = 0;
  int textHeight_ = 0;
  TRect hintRect_;
};

// The floating footer's template: each "<#N>" becomes the text of column N
// (real) in the given row; a marker with no number, a column outside the
// grid or a "<#" with no ">" after it gives no text.
AnsiString ExpandFooterTemplate(TExStringGrid& grid, const AnsiString& templ, int row);

class TFooterPanel : public TCustomControl {
 public:
  explicit TFooterPanel(TExStringGrid* grid);
  TExStringGrid* Grid() const { return grid_; }
  // Draws the footer on canvas in the panel's client rect (Paint uses it).
  void PaintOn(TCanvas* canvas);

 protected:
  void Paint() override;

 private:
  TExStringGrid* grid_;
};

class TArrowWindow : public TPanel {
 public:
  // 0 up, 1 down, 2 right, 3 left.
  TArrowWindow(TComponent* owner, int direction);
  int Direction() const { return direction_; }
  // The seven corners of the arrow (window coordinates).
  std::vector<TPoint> ArrowPoints() const;
  // Shows the marker at (x, y) of its parent.
  void ShowAt(int x, int y);

 private:
  int direction_;
};

class TPopupButton : public TCustomControl {
 public:
  explicit TPopupButton(TComponent* owner);
  bool Flat() const { return flat_; }
  void SetFlat(bool v) { flat_ = v; Invalidate(); }
  TColor GradFrom() const { return gradFrom_; }
  void SetGradFrom(TColor v) { gradFrom_ = v; Invalidate(); }
  TColor GradTo() const { return gradTo_; }
  void SetGradTo(TColor v) { gradTo_ = v; Invalidate(); }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* v) { images_ = v; }
  void PaintOn(TCanvas* canvas);

 protected:
  void Paint() override;

 private:
  bool flat_ = false;
  TColor gradFrom_ = clNone;
  TColor gradTo_ = clNone;
  TCustomImageList* images_ = nullptr;
};

// 0 no theme or another scheme, 1 "NormalColor", 2 "HomeStead", 3 "Metallic".
int GetXPColorScheme();
// The fixed gradient and the active header colours of the scheme. Where the
// platform has no colour schemes (Linux), the grid keeps its own colours.
void AdaptToTheme(TExStringGrid* grid);
// The table row of a scheme, for the platforms that have them.
void ApplyColorScheme(TExStringGrid* grid, int scheme);

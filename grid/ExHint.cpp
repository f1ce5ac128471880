// The grid's small windows (hint, footer panel, move markers, caption
// button), the floating footer's looks and the theme binding.
#include "grid/ExHint.h"

#include <algorithm>

#include "grid/PictureContainer.h"
#include "platform/vcl/Themes.h"

// ------------------------------------------------------------- the grid's set

struct TGridPopups {
  THTMLHintWindow* Hint = nullptr;
  TFooterPanel* Footer = nullptr;
  TArrowWindow* Arrows[4] = {};
  TPopupButton* Button = nullptr;
  std::unique_ptr<THTMLPictureCache> Pictures;
};

void TGridPopupsDeleter::operator()(TGridPopups* popups) const {
  if (!popups) return;
  delete popups->Hint;
  delete popups->Footer;
  for (TArrowWindow* arrow : popups->Arrows) delete arrow;
  delete popups->Button;
  delete popups;
}

namespace {

TGridPopups& PopupsOf(std::unique_ptr<TGridPopups, TGridPopupsDeleter>& holder) {
  if (!holder) holder.reset(new TGridPopups);
  return *holder;
}

}  // namespace

THTMLHintWindow* TExStringGrid::HintWindow() {
  TGridPopups& p = PopupsOf(popups_);
  if (!p.Hint) {
    p.Hint = new THTMLHintWindow(nullptr);
    p.Hint->SetColor(hintColor_);
    p.Hint->SetPictureGrid(this);
  }
  return p.Hint;
}

namespace {

// A web picture arrived: what shows its source is drawn again. Only the
// cells on screen are looked at; the others show it when they scroll in.
void RepaintPictureShowers(TExStringGrid& grid, TGridPopups& popups, const AnsiString& source) {
  if (source.empty()) return;
  auto shows = [&](const AnsiString& text) { return text.find(source) != AnsiString::npos; };
  // The fixed lines, then the scrolled ones on screen (the last partly).
  auto onScreen = [](int fixed, int first, int visible, int count) {
    std::vector<int> lines;
    for (int i = 0; i < std::min(fixed, count); ++i) lines.push_back(i);
    for (int i = std::max(first, fixed); i < count && i <= first + visible; ++i) lines.push_back(i);
    return lines;
  };
  const std::vector<int> rows = onScreen(grid.FixedRows(), grid.TopRow(), grid.VisibleRowCount(), grid.RowCount());
  const std::vector<int> cols = onScreen(grid.FixedCols(), grid.LeftCol(), grid.VisibleColCount(), grid.ColCount());
  for (int r : rows)
    for (int c : cols)
      if (shows(grid.GetCellText(grid.RealColIndex(c), r))) grid.RepaintCell(c, r);
  if (popups.Footer && popups.Footer->Visible()) popups.Footer->Invalidate();
  // A hint takes the picture's size: it is placed and measured again.
  if (popups.Hint && popups.Hint->Visible() && shows(popups.Hint->Caption()))
    popups.Hint->ActivateHint(popups.Hint->HintRect(), popups.Hint->Caption());
}

}  // namespace

THTMLPictureCache* TExStringGrid::PictureCache() {
  TGridPopups& p = PopupsOf(popups_);
  if (!p.Pictures) {
    p.Pictures = std::make_unique<THTMLPictureCache>();
    p.Pictures->OnPictureChange = [this](TObject* sender) {
      if (auto* picture = dynamic_cast<THTMLPicture*>(sender))
        RepaintPictureShowers(*this, PopupsOf(popups_), picture->Source());
    };
  }
  return p.Pictures.get();
}

TFooterPanel* TExStringGrid::FooterPanel() {
  TGridPopups& p = PopupsOf(popups_);
  if (!p.Footer) p.Footer = new TFooterPanel(this);
  return p.Footer;
}

TArrowWindow* TExStringGrid::ArrowWindow(int direction) {
  direction = std::clamp(direction, 0, 3);
  TGridPopups& p = PopupsOf(popups_);
  if (!p.Arrows[direction]) {
    p.Arrows[direction] = new TArrowWindow(nullptr, direction);
    p.Arrows[direction]->SetParent(this);
  }
  return p.Arrows[direction];
}

TPopupButton* TExStringGrid::PopupButton() {
  TGridPopups& p = PopupsOf(popups_);
  if (!p.Button) {
    p.Button = new TPopupButton(nullptr);
    p.Button->SetParent(this);
  }
  return p.Button;
}

void TExStringGrid::ShowHintAtPointer(const AnsiString& hint) {
  if (hint.empty()) return HideHint();
  // Screen coordinates: the pointer's position, not the grid's client one,
  // so the hint shows where the user looks whatever the window's place.
  const TPoint pointer = Mouse->CursorPos();
  const int below = GetSystemMetrics(SM_CYVSCROLL) + 4;
  HintWindow()->SetColor(hintColor_);
  HintWindow()->ActivateHint(TRect{pointer.X, pointer.Y + below, pointer.X, pointer.Y + below}, hint);
}

void TExStringGrid::HideHint() {
  if (popups_ && popups_->Hint) popups_->Hint->ReleaseHandle();
}

void TExStringGrid::ShowPopupButton(const TRect& r, const AnsiString& caption) {
  TPopupButton* button = PopupButton();
  switch (look_) {
    case glSoft:
      button->SetGradFrom(fixedGradientFrom_);
      button->SetGradTo(fixedGradientTo_);
      break;
    case glGradient:
      SetFixedGradientFrom(0xC0C0C0);
      SetFixedGradientTo(0xFFFFFF);
      button->SetGradFrom(0xC0C0C0);
      button->SetGradTo(0xFFFFFF);
      break;
    default:
      button->SetGradFrom(clNone);
      button->SetGradTo(clNone);
      break;
  }
  button->SetImages(gridImages_);
  button->SetCaption(caption);
  button->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  button->SetVisible(true);
  button->BringToFront();
}

void TExStringGrid::DrawPreviewCell(TCanvas* canvas, int col, int row, const TRect& rect) {
  const TColor kept = selectionTextColor_;
  selectionTextColor_ = 0;
  try {
    DrawCellContent(canvas, col, row, rect, {});
  } catch (...) {
    selectionTextColor_ = kept;
    throw;
  }
  selectionTextColor_ = kept;
}

void TExStringGrid::FloatingFooterChanged() {
  const TFloatingFooter& footer = *floatingFooter_;
  // Nothing to make while the footer was never shown.
  if (!footer.Visible() && !(popups_ && popups_->Footer)) return;
  TFooterPanel* panel = FooterPanel();
  panel->SetHeight(footer.Visible() ? std::max(0, footer.FooterHeight() - 1) : 0);
  panel->SetVisible(footer.Visible());
  panel->Invalidate();
}

void TExStringGrid::RepaintFloatingFooter() {
  if (floatingFooter_->Visible() && popups_ && popups_->Footer) popups_->Footer->Invalidate();
}

// ------------------------------------------------------------- looks and theme

bool TExStringGrid::ThemedXP() const {
  static const bool themed = IsThemeActive();
  return themed;
}

void TExStringGrid::SetAutoThemeAdapt(bool v) {
  autoThemeAdapt_ = v;
  if (v) {
    AdaptToTheme(this);
    RepaintUnlessUpdating();
  }
}

int GetXPColorScheme() {
  if (!IsThemeActive()) return 0;
  const AnsiString scheme = CurrentColorSchemeName();
  if (scheme == "NormalColor") return 1;
  if (scheme == "HomeStead") return 2;
  if (scheme == "Metallic") return 3;
  return 0;
}

void ApplyColorScheme(TExStringGrid* grid, int scheme) {
  switch (scheme) {
    case 1:
      grid->SetFixedGradientFrom(0xFCE1CB);
      grid->SetFixedGradientTo(0xE0A57D);
      break;
    case 2:
      grid->SetFixedGradientFrom(0xCFF0EA);
      grid->SetFixedGradientTo(0x8CC0B1);
      break;
    case 3:
      grid->SetFixedGradientFrom(0xECE2E1);
      grid->SetFixedGradientTo(0xB39698);
      break;
    default:
      grid->SetFixedGradientFrom(0xFFFFFF);
      grid->SetFixedGradientTo(clBtnFace);
      grid->SetActiveCellColor(0xFFFFFF);
      grid->SetActiveCellColorTo(0xFFD9B3);
      return;
  }
  grid->SetActiveCellColor(0x94E6FB);
  grid->SetActiveCellColorTo(0x1595EE);
}

void AdaptToTheme(TExStringGrid* grid) {
  if (!grid) return;
  // A desktop whose scheme is none of the three known ones (every Linux
  // desktop, light or dark) gets the neutral row of the table.
  ApplyColorScheme(grid, GetXPColorScheme());
}

void TExStringGrid::WMThemeChanged(TMessage& m) {
  TBaseGrid::WMThemeChanged(m);
  if (!autoThemeAdapt_) return;
  AdaptToTheme(this);
  RepaintUnlessUpdating();
}

// ------------------------------------------------------------- floating footer

void TFloatingFooter::SetColor(TColor v) {
  color_ = v;
  if (grid_) grid_->FloatingFooterChanged();
}

void TFloatingFooter::SetColumn(int v) {
  column_ = v;
  if (grid_) grid_->FloatingFooterChanged();
}

void TFloatingFooter::SetCustomTemplate(const AnsiString& v) {
  customTemplate_ = v;
  if (grid_) grid_->FloatingFooterChanged();
}

void TFloatingFooter::SetFooterHeight(int v) {
  footerHeight_ = v;
  if (grid_ && visible_) grid_->FloatingFooterChanged();
}

AnsiString ExpandFooterTemplate(TExStringGrid& grid, const AnsiString& templ, int row) {
  AnsiString out;
  std::size_t pos = 0;
  while (true) {
    const std::size_t open = templ.find("<#", pos);
    if (open == AnsiString::npos) break;
    out.append(templ, pos, open - pos);
    const std::size_t close = templ.find('>', open + 2);
    // An unclosed marker ends the template.
    if (close == AnsiString::npos) return out;
    const AnsiString number = templ.substr(open + 2, close - open - 2);
    int col = -1;
    if (TryStrToInt(number, col) && col >= 0 && col < grid.RealColCount() && row >= 0 && row < grid.RowCount())
      out += grid.Cells(col, row);
    pos = close + 1;
  }
  out.append(templ, pos, AnsiString::npos);
  return out;
}

TFooterPanel::TFooterPanel(TExStringGrid* grid) : TCustomControl(nullptr), grid_(grid) {
  SetParent(grid);
  SetAlign(alBottom);
  SetHeight(0);
  SetVisible(false);
}

void TFooterPanel::Paint() { PaintOn(Canvas()); }

void TFooterPanel::PaintOn(TCanvas* canvas) {
  TExStringGrid& grid = *grid_;
  TFloatingFooter& footer = *grid.FloatingFooter();
  const TRect client{0, 0, Width(), Height()};
  int w = 0;
  for (int c = 0; c < grid.FixedCols(); ++c) w += grid.ColWidths(c) + grid.GridLineWidth();
  for (int c = grid.LeftCol(); c < grid.ColCount(); ++c) w += grid.ColWidths(c) + grid.GridLineWidth();
  w = std::min(w, client.Right);
  canvas->Brush()->SetColor(FillColorOf(grid.Color(), clWindow));
  canvas->FillRect(TRect{w, 0, client.Right, client.Bottom});
  canvas->Brush()->SetColor(FillColorOf(footer.Color(), clBtnFace));
  canvas->FillRect(TRect{0, 0, w, client.Bottom});
  canvas->Pen()->SetColor(0x808080);
  canvas->Pen()->SetWidth(1);
  canvas->MoveTo(0, 0);
  canvas->LineTo(w, 0);
  const int row = grid.Row();
  switch (footer.FooterStyle()) {
    case fsFixedLastRow: {
      const int last = grid.RowCount() - 1;
      int x = 0;
      auto drawCol = [&](int c) {
        const int cw = grid.ColWidths(c);
        if (grid.Options().contains(goFixedVertLine)) {
          canvas->Pen()->SetColor(0x808080);
          canvas->MoveTo(x + cw, 0);
          canvas->LineTo(x + cw, client.Bottom);
        }
        TRect r{x + 1, 1, x + cw, client.Bottom};
        const TPoint base = grid.BaseCellOf(c, last);
        if (base.X == c) {
          const TPoint span = grid.CellSpan(c, last);
          for (int k = 1; k <= span.X && c + k < grid.ColCount(); ++k) r.Right += grid.ColWidths(c + k) + grid.GridLineWidth();
          if (const TCellProperties* props = grid.FindCellProperties(grid.RealColIndex(c), last);
              props && props->BrushColorTo() != clNone && c >= grid.FixedCols()) {
            canvas->Brush()->SetColor(props->BrushColorTo());
            canvas->FillRect(r);
          }
          grid.DrawCellContent(canvas, c, last, r, TGridDrawState{gdFixed});
        }
        x += cw + grid.GridLineWidth();
      };
      for (int c = 0; c < grid.FixedCols(); ++c) drawCol(c);
      for (int c = grid.LeftCol(); c < grid.ColCount() && x < w; ++c) drawCol(c);
      break;
    }
    case fsColumnPreview: {
      canvas->Brush()->SetColor(0x808080);
      canvas->FrameRect(TRect{0, 0, w, client.Bottom});
      const int col = grid.DisplColIndex(std::clamp(footer.Column(), 0, std::max(0, grid.RealColCount() - 1)));
      if (row >= 0 && row < grid.RowCount()) grid.DrawPreviewCell(canvas, col, row, TRect{1, 1, w - 1, client.Bottom - 1});
      break;
    }
    case fsCustomPreview: {
      canvas->Brush()->SetColor(0x808080);
      canvas->FrameRect(TRect{0, 0, w, client.Bottom});
      canvas->SetFont(*grid.Font());
      canvas->Font()->SetColor(0);
      TMarkupRequest request;
      request.Canvas = canvas;
      request.Text = ExpandFooterTemplate(grid, footer.CustomTemplate(), row);
      request.Rect = TRect{client.Left + 2, client.Top + 2, client.Right - 2, client.Bottom};
      request.Images = grid.GridImages();
      request.Container = grid.PictureContainer();
      request.Pictures = grid.PictureCache();
      request.AnchorColor = grid.URLColor();
      DrawMarkupText(request);
      break;
    }
  }
}

// ------------------------------------------------------------- hint window

THTMLHintWindow::THTMLHintWindow(TComponent* owner) : THintWindow(owner) {}

void THTMLHintWindow::SetPicturesOf(TMarkupRequest& request) const {
  if (!pictureGrid_) return;
  request.Container = pictureGrid_->PictureContainer();
  request.Pictures = pictureGrid_->PictureCache();
}

TRect THTMLHintWindow::CalcHintRect(int maxWidth, const AnsiString& hint) {
  TMarkupRequest request;
  request.Canvas = Canvas();
  Canvas()->SetFont(*Font());
  request.Text = hint;
  request.Rect = TRect{0, 0, std::max(maxWidth, 1), 4096};
  request.MeasureOnly = true;
  SetPicturesOf(request);
  const TMarkupResult size = DrawMarkupText(request);
  return TRect{0, 0, size.Width, size.Height};
}

void THTMLHintWindow::ActivateHint(const TRect& rect, const AnsiString& hint) {
  const TRect measured = CalcHintRect(1008, hint);
  textWidth_ = measured.Width();
  textHeight_ = measured.Height();
  TRect r{rect.Left, rect.Top, rect.Left + textWidth_ + 16, rect.Top + textHeight_ + 4};
  const int screenW = ScreenWidth(), screenH = ScreenHeight();
  if (r.Right > screenW) {
    const int shift = r.Right - (screenW - 2);
    if (r.Left - shift >= 0) OffsetRect(r, -shift, 0);
  }
  if (r.Bottom > screenH) {
    const int shift = r.Bottom - (screenH - 2);
    if (r.Top - shift >= 0) OffsetRect(r, 0, -shift);
  }
  hintRect_ = r;
  THintWindow::ActivateHint(r, hint);
}

void THTMLHintWindow::Paint() {
  TCanvas* c = Canvas();
  const TRect r = ClientRect();
  c->Brush()->SetColor(FillColorOf(Color(), clInfoBk));
  c->FillRect(r);
  c->Pen()->SetColor(cl3DLight);
  c->MoveTo(r.Left, r.Bottom - 2);
  c->LineTo(r.Left, r.Top);
  c->LineTo(r.Right - 1, r.Top);
  c->Pen()->SetColor(cl3DDkShadow);
  c->MoveTo(r.Left, r.Bottom - 1);
  c->LineTo(r.Right - 1, r.Bottom - 1);
  c->LineTo(r.Right - 1, r.Top - 1);
  c->SetFont(*Font());
  TMarkupRequest request;
  request.Canvas = c;
  request.Text = Caption();
  const int top = r.Top + (r.Height() - textHeight_) / 2;
  request.Rect = TRect{r.Left + 4, top, r.Right - 4, top + textHeight_};
  request.AnchorColor = 0xFF0000;
  SetPicturesOf(request);
  DrawMarkupText(request);
}

// ------------------------------------------------------------- move markers

TArrowWindow::TArrowWindow(TComponent* owner, int direction) : TPanel(owner), direction_(std::clamp(direction, 0, 3)) {
  SetColor(clLime);
  SetBevelOuter(bvNone);
  SetVisible(false);
  const bool vertical = direction_ < 2;
  SetBounds(0, 0, vertical ? 11 : 9, vertical ? 10 : 11);
}

std::vector<TPoint> TArrowWindow::ArrowPoints() const {
  switch (direction_) {
    case 0: return {{5, 0}, {10, 5}, {7, 5}, {7, 9}, {3, 9}, {3, 5}, {0, 5}};
    case 1: return {{3, 0}, {7, 0}, {7, 4}, {9, 4}, {5, 8}, {1, 4}, {3, 4}};
    case 2: return {{0, 3}, {0, 7}, {4, 7}, {4, 10}, {8, 5}, {4, 0}, {4, 3}};
    default: return {{0, 5}, {4, 10}, {4, 7}, {8, 7}, {8, 3}, {4, 3}, {4, 0}};
  }
}

void TArrowWindow::ShowAt(int x, int y) {
  SetLeft(x);
  SetTop(y);
  const std::vector<TPoint> points = ArrowPoints();
  const TRegion region = TRegion::FromPolygon(points, WINDING);
  HandleNeeded();
  SetWindowRegion(this, &region);
  SetVisible(true);
  BringToFront();
}

// ------------------------------------------------------------- caption button

TPopupButton::TPopupButton(TComponent* owner) : TCustomControl(owner) {
  SetColor(clBtnFace);
  SetVisible(false);
  SetEnabled(false);
}

void TPopupButton::Paint() { PaintOn(Canvas()); }

void TPopupButton::PaintOn(TCanvas* canvas) {
  TRect r{0, 0, Width(), Height()};
  canvas->Brush()->SetColor(FillColorOf(Color(), clBtnFace));
  canvas->FillRect(r);
  if (gradFrom_ != clNone) {
    TRect inner = r;
    InflateRect(inner, -1, -1);
    DrawGradient(*canvas, gradFrom_, gradTo_, false, inner, 64);
  }
  if (!flat_) {
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetColor(clWhite);
    canvas->MoveTo(r.Left, r.Bottom - 1);
    canvas->LineTo(r.Left, r.Top);
    canvas->LineTo(r.Right - 1, r.Top);
    canvas->Pen()->SetColor(0x808080);
    canvas->LineTo(r.Right - 1, r.Bottom - 1);
    canvas->LineTo(r.Left, r.Bottom - 1);
  }
  canvas->SetFont(*Font());
  const int bk = canvas->SetBkMode(TRANSPARENT);
  const AnsiString& caption = Caption();
  if (caption.find("</") == AnsiString::npos) {
    TRect textRect = r;
    canvas->DrawText(caption, textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  } else {
    TMarkupRequest request;
    request.Canvas = canvas;
    request.Text = caption;
    request.Rect = r;
    request.Images = images_;
    request.ShadowOffset = 2;
    request.AnchorColor = 0xFF0000;
    DrawMarkupText(request);
  }
  canvas->SetBkMode(bk);
}

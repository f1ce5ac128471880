#include "app/DBPlus.h"

#include <algorithm>

#include "app/Catalogue.h"
#include "app/PlaceControl.h"
#include "platform/rtl/SysUtils.h"
#include "styled/ScLook.h"

int MergeCatalogueRows(TExColumnGrid& source, const std::vector<int>& sourceRows, TExColumnGrid& target,
                       const std::function<void(int copied)>& progress) {
  // Pairs of (source real column, target column), matched by the header
  // text of the source's row 0: the user may have moved columns in either.
  std::vector<std::pair<int, TGridColumnItem*>> pairs;
  for (int c = 0; c < source.RealColCount(); ++c) {
    const AnsiString header = source.AllCells(c, 0);
    if (header.empty()) continue;
    if (TGridColumnItem* column = target.ColumnByName(header)) pairs.emplace_back(c, column);
  }
  int copied = 0;
  for (int r : sourceRows) {
    if (r < 1 || r >= source.RowCount()) continue;
    // A row with nothing under any catalogue header (an empty row, or a
    // grid file of another kind) would arrive as an empty movie.
    const bool empty = std::all_of(pairs.begin(), pairs.end(),
                                   [&](const auto& pair) { return source.Cells(pair.first, r).empty(); });
    if (empty) continue;
    target.AddRow();
    const int row = target.RowCount() - 1;
    for (const auto& [sourceColumn, column] : pairs) column->SetRows(row, source.Cells(sourceColumn, r));
    ++copied;
    if (progress) progress(copied);
  }
  return copied;
}

namespace {
constexpr int kClientWidth = 760;
constexpr int kClientHeight = 460;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 96;

}  // namespace

TDBPlusForm::TDBPlusForm(TComponent* owner, TExColumnGrid* catalogue) : TForm(owner), catalogue_(catalogue) {
  SetName("DBPlusForm");
  SetCaption("DB 합치기"_k);
  ScApplyLook(this);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(kClientWidth);
  SetClientHeight(kClientHeight);

  auto* caption = PlaceControl<TScLabel>(this, this, "ScLabel1", kMargin, kMargin + 2, kClientWidth - 2 * kMargin, 16);
  caption->SetCaption("선택한 목록을 메인 목록 으로 복사 합니다."_k);
  const int buttonTop = kClientHeight - kMargin - ScLook::kButtonHeight;
  movie_Grid = PlaceControl<TExColumnGrid>(this, this, "movie_Grid", kMargin, 28, kClientWidth - 2 * kMargin,
                                    buttonTop - 28 - kMargin);
  SetupCatalogueGrid(*movie_Grid);
  // Only a view of the other file: nothing is edited here.
  TGridOptions options = movie_Grid->Options();
  options.erase(goEditing);
  movie_Grid->SetOptions(options);
  movie_Grid->OnKeyDown = [this](TObject* s, Word& key, TShiftState shift) { movie_GridKeyDown(s, key, shift); };

  ScButton3 = PlaceControl<TScButton>(this, this, "ScButton3", kMargin, buttonTop, kButtonWidth, ScLook::kButtonHeight);
  ScButton3->SetCaption("DB 불러오기"_k);
  ScButton3->OnClick = [this](TObject* s) { ScButton3Click(s); };
  Pbar = PlaceControl<TScProgressBar>(this, this, "Pbar", kMargin + kButtonWidth + 12, buttonTop + 5, 300, 16);
  Pbar->Hide();
  ScButton2 = PlaceControl<TScButton>(this, this, "ScButton2", kClientWidth - kMargin - kButtonWidth, buttonTop,
                               kButtonWidth, ScLook::kButtonHeight);
  ScButton2->SetCaption("닫기"_k);
  ScButton2->SetCancel(true);
  ScButton2->OnClick = [this](TObject* s) { ScButton2Click(s); };
  ScButton1 = PlaceControl<TScButton>(this, this, "ScButton1", ScButton2->Left() - 6 - kButtonWidth, buttonTop,
                               kButtonWidth, ScLook::kButtonHeight);
  ScButton1->SetCaption("합치기"_k);
  ScButton1->SetEnabled(false);
  ScButton1->OnClick = [this](TObject* s) { ScButton1Click(s); };

  OpenDB = new TOpenDialog(this);
  OpenDB->SetName("OpenDB");
  OpenDB->Filter = "VIDRENA 영화목록|*.VDM"_k;
  OpenDB->Options.insert(ofFileMustExist);
  OnCloseQuery = [this](TObject*, bool& canClose) { canClose = !working_; };
}

TDBPlusForm::~TDBPlusForm() { DestroyComponents(); }

void TDBPlusForm::ScButton3Click(TObject*) {
  if (working_) return;
  OpenDB->InitialDir = DBDir;
  if (!OpenDB->Execute()) return;
  try {
    try {
      movie_Grid->LoadGridFile(OpenDB->FileName);
    } catch (...) {
      RethrowCatalogueLoadError(OpenDB->FileName);
    }
  } catch (const Exception& e) {
    Application->ShowException(e);
    return;
  }
  ScButton1->SetEnabled(true);
}

void TDBPlusForm::movie_GridKeyDown(TObject*, Word& key, TShiftState shift) {
  if (key != 'A' || !shift.contains(ssCtrl) || movie_Grid->RowCount() < 2) return;
  key = 0;
  movie_Grid->SelectRows(1, movie_Grid->RowCount() - 1);
}

void TDBPlusForm::ScButton1Click(TObject*) {
  if (working_) return;
  if (MessageDlg("선택한 항목을 복사하시겠습니까.?"_k, mtConfirmation, mbYesNo) == mrNo) return;
  working_ = true;
  ScButton1->SetEnabled(false);
  ScButton2->SetEnabled(false);
  std::vector<int> rows;
  for (int r = 1; r < movie_Grid->RowCount(); ++r)
    if (movie_Grid->IsRowSelected(r)) rows.push_back(r);
  Pbar->SetPercent(0);
  Pbar->Show();
  int copied = 0;
  catalogue_->BeginUpdate();
  try {
    copied = MergeCatalogueRows(*movie_Grid, rows, *catalogue_, [&](int n) {
      Pbar->SetPercent(static_cast<Word>(Round(n * 100.0 / static_cast<double>(rows.size()))));
    });
  } catch (...) {
    catalogue_->EndUpdate();
    Pbar->Hide();
    working_ = false;
    ScButton2->SetEnabled(true);
    throw;
  }
  catalogue_->EndUpdate();
  Pbar->Hide();
  working_ = false;
  MessageDlg(IntToStr(copied) + "편의 영화목록을 복사 했습니다."_k, mtInformation, mbOKOnly);
  if (copied > 0) ScButton1->SetTag(1);
  ScButton2->SetEnabled(true);
}

void TDBPlusForm::ScButton2Click(TObject*) { Close(); }

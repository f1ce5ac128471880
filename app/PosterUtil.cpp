#include "app/PosterUtil.h"

#include <fstream>
#include <unordered_map>
#include <unordered_set>

#include "app/Catalogue.h"
#include "app/PlaceControl.h"
#include "app/StrUnit.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Dialogs.h"
#include "styled/ScLook.h"

// Sections: file operations, the three runs, the window.

namespace {

const AnsiString kNoImage = "NOIMAGE.JPG";
// The clean's question and its caption when declined.
AnsiString CleanQuestion(int count) {
  return "목록에 쓰이지 않는 포스터 파일 "_k + IntToStr(count) + "개를 삭제하시겠습니까?"_k;
}
const AnsiString kCleanDeclined = "포스터 정리를 취소했습니다."_k;
const AnsiString kBadImage = "BADIMAGE.JPG";

// Whether two files hold the same bytes.
bool SameContents(const AnsiString& a, const AnsiString& b) {
  std::ifstream fa(SysFileName(a), std::ios::binary), fb(SysFileName(b), std::ios::binary);
  if (!fa || !fb) return false;
  char bufA[65536], bufB[65536];
  for (;;) {
    fa.read(bufA, sizeof bufA);
    fb.read(bufB, sizeof bufB);
    const std::streamsize na = fa.gcount(), nb = fb.gcount();
    if (na != nb || std::char_traits<char>::compare(bufA, bufB, static_cast<std::size_t>(na)) != 0) return false;
    if (na == 0) return fa.eof() && fb.eof();
  }
}

bool SameFolder(const AnsiString& a, const AnsiString& b) {
  return SameText(IncludeTrailingPathDelimiter(a), IncludeTrailingPathDelimiter(b));
}

bool IsBare(const AnsiString& item) { return item.find(PathDelim) == AnsiString::npos; }

// The placeholder picture of a movie without poster: never renamed, copied
// or moved, since every such movie shares it.
bool IsNoImage(const AnsiString& item) { return SameText(ExtractFileName(item), "noimage.jpg"); }

}  // namespace

// ---------------------------------------------------------------- file operations

AnsiString SafePosterName(std::string_view title) { return SanitizeFileName(title); }

bool CopyOrMoveFile(const AnsiString& source, const AnsiString& target, bool keepSource) {
  if (!FileExists(source) || FileExists(target)) return false;
  if (!CopyFile(source, target, true)) return false;
  if (!SameContents(source, target)) {
    // The copy is ours and wrong: it goes, the source stays.
    DeleteFile(target);
    return false;
  }
  if (!keepSource) DeleteFile(source);
  return true;
}

// ---------------------------------------------------------------- the runs

TPosterCleanResult CleanPosterFolder(TExColumnGrid& grid, const AnsiString& posterFolder,
                                     const TPosterProgress& progress, const std::function<bool(int count)>& confirm) {
  TPosterCleanResult result;
  const int posterColumn = CatalogueColumnIndex(grid, Cat::Posters);
  // Without the poster column nothing tells which files are in use.
  if (posterColumn < 0 || posterFolder.empty() || !DirectoryExists(posterFolder)) return result;

  // Every row the catalogue holds, also those a search or a closed group hides.
  std::unordered_set<AnsiString> used = {kNoImage, kBadImage};
  const int realRows = grid.RowCount() + grid.HiddenRowCount();
  for (int r = 1; r < realRows; ++r) {
    for (const AnsiString& item : SplitPosterList(grid.AllCells(posterColumn, r))) {
      if (IsBare(item))
        used.insert(UpperCase(item));
      else if (SameFolder(ExtractFilePath(item), posterFolder))
        used.insert(UpperCase(ExtractFileName(item)));
    }
  }

  std::vector<AnsiString> files;
  TSearchRec rec;
  if (FindFirst(IncludeTrailingPathDelimiter(posterFolder) + "*", faAnyFile, rec) == 0) {
    do {
      if (!(rec.Attr & faDirectory) && rec.Name != "." && rec.Name != "..") files.push_back(rec.Name);
    } while (FindNext(rec) == 0);
    FindClose(rec);
  }
  result.Files = static_cast<int>(files.size());
  std::vector<AnsiString> unused;
  for (const AnsiString& name : files)
    if (!used.count(UpperCase(name))) unused.push_back(name);
  if (!unused.empty() && confirm && !confirm(static_cast<int>(unused.size()))) return result;
  const int total = static_cast<int>(unused.size());
  for (int i = 0; i < total; ++i) {
    if (DeleteFile(IncludeTrailingPathDelimiter(posterFolder) + unused[static_cast<std::size_t>(i)])) ++result.Deleted;
    if (progress) progress(i + 1, total);
  }
  return result;
}

std::vector<int> PosterRows(TExColumnGrid& grid, bool selectedOnly) {
  // The selected movies are those every record operation takes.
  if (selectedOnly) return SelectedMovieRows(grid);
  std::vector<int> rows;
  for (int r = 1; r < grid.RowCount(); ++r)
    if (!grid.IsNodeRow(r)) rows.push_back(r);
  return rows;
}

namespace {

// The file a poster item names, upper-cased: one key for every spelling.
AnsiString PosterFileKey(const AnsiString& item, const AnsiString& folderOfBare) {
  return UpperCase((IsBare(item) ? folderOfBare : IncludeTrailingPathDelimiter(ExtractFilePath(item))) +
                   ExtractFileName(item));
}

// Counts the movie of a poster list once for each file it names.
void CountPosterFiles(const AnsiString& list, const AnsiString& folderOfBare, std::unordered_map<AnsiString, int>& movies) {
  std::unordered_set<AnsiString> named;
  for (const AnsiString& item : SplitPosterList(list)) {
    if (item.empty()) continue;
    AnsiString key = PosterFileKey(item, folderOfBare);
    if (named.insert(key).second) ++movies[std::move(key)];
  }
}

// How many movies name each poster file. Every row counts, also those a
// search or a closed group hides.
std::unordered_map<AnsiString, int> PosterFileUsers(TExColumnGrid& grid, const AnsiString& folderOfBare) {
  std::unordered_map<AnsiString, int> movies;
  const int posterColumn = CatalogueColumnIndex(grid, Cat::Posters);
  for (int r = 1; r < grid.RowCount() + grid.HiddenRowCount(); ++r)
    CountPosterFiles(grid.AllCells(posterColumn, r), folderOfBare, movies);
  return movies;
}

}  // namespace

int RenamePosters(TExColumnGrid& grid, const std::vector<int>& rows, bool byTitle, const AnsiString& posterFolder,
                  const TPosterProgress& progress, int* sharedSkipped) {
  TGridColumnItem* posters = grid.ColumnByName(Cat::Posters);
  TGridColumnItem* title = grid.ColumnByName(Cat::Title);
  if (!posters) return 0;
  const AnsiString folderOfBare = IncludeTrailingPathDelimiter(posterFolder);
  // A file that several movies name (a series' poster, say) is theirs
  // together: renamed after one of them, the others would lose it.
  std::unordered_map<AnsiString, int> movies = PosterFileUsers(grid, folderOfBare);
  std::unordered_set<AnsiString> shared;
  int renamed = 0;
  const int total = static_cast<int>(rows.size());
  for (int n = 0; n < total; ++n) {
    const int r = rows[static_cast<std::size_t>(n)];
    if (progress) progress(n + 1, total);
    std::vector<AnsiString> items = SplitPosterList(posters->Rows(r));
    AnsiString base = byTitle ? SafePosterName(title ? title->Rows(r) : AnsiString()) : IntToStr(r);
    // A title that makes no file name leaves the movie's posters alone.
    if (items.empty() || base.empty()) continue;
    bool changed = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (i > 0) base += "_" + IntToStr(static_cast<Int64>(i));
      const AnsiString& item = items[i];
      if (item.empty() || IsNoImage(item)) continue;
      if (movies[PosterFileKey(item, folderOfBare)] > 1) {
        shared.insert(PosterFileKey(item, folderOfBare));
        continue;
      }
      const AnsiString folder = IsBare(item) ? folderOfBare : IncludeTrailingPathDelimiter(ExtractFilePath(item));
      const AnsiString newName = base + ExtractFileExt(item);
      if (!RenameFile(folder + ExtractFileName(item), folder + newName)) continue;
      items[i] = SameFolder(folder, folderOfBare) ? newName : folder + newName;
      changed = true;
      ++renamed;
    }
    if (changed) posters->SetRows(r, JoinPosterList(items));
  }
  if (sharedSkipped) *sharedSkipped = static_cast<int>(shared.size());
  return renamed;
}

int CopyMovePosters(TExColumnGrid& grid, const std::vector<int>& rows, const AnsiString& targetFolder,
                    bool keepSource, const AnsiString& posterFolder, const TPosterProgress& progress,
                    int* sharedSkipped) {
  TGridColumnItem* posters = grid.ColumnByName(Cat::Posters);
  if (!posters || targetFolder.empty()) return 0;
  const AnsiString folderOfBare = IncludeTrailingPathDelimiter(posterFolder);
  const AnsiString target = IncludeTrailingPathDelimiter(targetFolder);
  const bool intoPosterFolder = SameFolder(target, folderOfBare);
  // A file several movies name goes once, and every one of them follows it.
  // A move leaves it where it is when a movie outside the run names it too
  // (not chosen, or hidden by a search): that movie would lose it.
  const std::unordered_map<AnsiString, int> movies = PosterFileUsers(grid, folderOfBare);
  std::unordered_map<AnsiString, int> moviesInRun;
  for (int r : rows) CountPosterFiles(posters->Rows(r), folderOfBare, moviesInRun);
  std::unordered_map<AnsiString, AnsiString> moved;  // file, the item naming it now
  std::unordered_set<AnsiString> tried, shared;
  int done = 0;
  const int total = static_cast<int>(rows.size());
  for (int n = 0; n < total; ++n) {
    const int r = rows[static_cast<std::size_t>(n)];
    if (progress) progress(n + 1, total);
    std::vector<AnsiString> items = SplitPosterList(posters->Rows(r));
    bool changed = false;
    for (AnsiString& item : items) {
      if (item.empty() || IsNoImage(item)) continue;
      const AnsiString key = PosterFileKey(item, folderOfBare);
      if (auto it = moved.find(key); it != moved.end()) {
        changed = changed || item != it->second;
        item = it->second;
        continue;
      }
      if (auto users = movies.find(key); !keepSource && users != movies.end() && users->second > moviesInRun[key]) {
        shared.insert(key);
        continue;
      }
      if (!tried.insert(key).second) continue;  // did not go the first time
      const AnsiString source = IsBare(item) ? folderOfBare + item : item;
      const AnsiString destination = target + ExtractFileName(source);
      if (!CopyOrMoveFile(source, destination, keepSource)) continue;
      item = intoPosterFolder ? ExtractFileName(source) : destination;
      moved[key] = item;
      changed = true;
      ++done;
    }
    if (changed) posters->SetRows(r, JoinPosterList(items));
  }
  if (sharedSkipped) *sharedSkipped = static_cast<int>(shared.size());
  return done;
}

// ================================================================ the window

namespace {

constexpr int kClientWidth = 420;
constexpr int kClientHeight = 250;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 76;

TScRadioGroup* Choice(TComponent* owner, TWinControl* parent, const char* name, const char* caption,
                      std::initializer_list<const char*> items, int left, int top, int width) {
  auto* group = PlaceControl<TScRadioGroup>(owner, parent, name, left, top, width, 22 + 22 * static_cast<int>(items.size()));
  group->SetCaption(Utf8ToCp949(caption));
  for (const char* item : items) group->Items()->Add(Utf8ToCp949(item));
  group->SetItemIndex(0);
  return group;
}

}  // namespace

TPosterUtilForm::TPosterUtilForm(TComponent* owner, TExColumnGrid* grid) : TForm(owner), grid_(grid) {
  SetName("PosterUtilForm");
  SetCaption("포스터 정리"_k);
  ScApplyLook(this);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(kClientWidth);
  SetClientHeight(kClientHeight);

  PageControl1 = PlaceControl<TScPageControl>(this, this, "PageControl1", kMargin, kMargin, kClientWidth - 2 * kMargin,
                                       kClientHeight - 2 * kMargin);
  auto sheet = [this](const char* caption) {
    auto* page = new TScTabSheet(this);
    page->SetCaption(Utf8ToCp949(caption));
    page->SetPageControl(PageControl1);
    return page;
  };
  BuildCleanPage(sheet("포스터 파일 정리"));
  BuildRenamePage(sheet("포스터 이름 변경"));
  BuildCopyPage(sheet("포스터복사/이동"));
  PageControl1->SetActivePageIndex(0);
  OnCloseQuery = [this](TObject*, bool& canClose) { canClose = !working_; };
}

TPosterUtilForm::~TPosterUtilForm() { DestroyComponents(); }

namespace {
// The bottom row of a page: a progress bar and two buttons at the right.
constexpr int kPageWidth = kClientWidth - 2 * kMargin - 8;
constexpr int kRowTop = kClientHeight - 2 * kMargin - 30 - ScLook::kButtonHeight - 8;
}  // namespace

void TPosterUtilForm::PlaceBottomRow(TWinControl* page, const AnsiString& progressName, const AnsiString& runName,
                                     const AnsiString& runCaption, const AnsiString& closeName,
                                     TScProgressBar*& progress, TScButton*& run, TScButton*& close) {
  progress = PlaceControl<TScProgressBar>(this, page, progressName, 12, kRowTop - 26, kPageWidth - 24, 16);
  close = PlaceControl<TScButton>(this, page, closeName, kPageWidth - 12 - kButtonWidth, kRowTop, kButtonWidth,
                                  ScLook::kButtonHeight);
  close->SetCaption("닫기"_k);
  close->OnClick = [this](TObject* s) { ScButton2Click(s); };
  run = PlaceControl<TScButton>(this, page, runName, close->Left() - 6 - kButtonWidth, kRowTop, kButtonWidth,
                                ScLook::kButtonHeight);
  run->SetCaption(runCaption);
}

void TPosterUtilForm::BuildCleanPage(TWinControl* page) {
  ScLabel2 = PlaceControl<TScLabel>(this, page, "ScLabel2", 12, 24, kPageWidth - 24, 40);
  ScLabel2->SetAutoSize(false);
  ScLabel2->SetWordWrap(true);
  ScLabel2->SetCaption("여러 DB 파일을 관리 하신다면 포스터 정리를 하지 마세요."_k);
  auto* note = PlaceControl<TScLabel>(this, page, "", 12, 64, kPageWidth - 24, 40);
  note->SetAutoSize(false);
  note->SetWordWrap(true);
  note->Font()->SetColor(clGrayText);
  note->SetCaption("목록에서 쓰지 않는 포스터 폴더의 파일을 지웁니다."_k);
  PlaceBottomRow(page, "ProgressBar1", "ScButton1", "정리"_k, "ScButton2", ProgressBar1, ScButton1, ScButton2);
  ScButton1->OnClick = [this](TObject* s) { ScButton1Click(s); };
}

void TPosterUtilForm::BuildRenamePage(TWinControl* page) {
  const int half = (kPageWidth - 24 - 8) / 2;
  ScRadioGroup1 = Choice(this, page, "ScRadioGroup1", "설정", {"영화제목으로 변경 합니다. ", "현재 정렬된 순서번호로 바꿉니다."},
                         12, 10, kPageWidth - 24);
  ScRadioGroup4 = Choice(this, page, "ScRadioGroup4", "목록", {"목록 전체", "선택한목록"}, 12, 84, half);
  ScRadioGroup4->SetColumns(2);
  ScRadioGroup4->SetHeight(44);
  PlaceBottomRow(page, "ProgressBar2", "ScButton3", "변경"_k, "ScButton4", ProgressBar2, ScButton3, ScButton4);
  ScButton3->OnClick = [this](TObject* s) { ScButton3Click(s); };
}

void TPosterUtilForm::BuildCopyPage(TWinControl* page) {
  const int half = (kPageWidth - 24 - 8) / 2;
  ScRadioGroup2 = Choice(this, page, "ScRadioGroup2", "목록", {"목록 전체", "선택한목록"}, 12, 10, half);
  ScRadioGroup3 = Choice(this, page, "ScRadioGroup3", "방법", {"이동", "복사"}, 12 + half + 8, 10, half);
  // Copying leaves the poster folder as it was; moving is the user's choice.
  ScRadioGroup3->SetItemIndex(1);
  auto* folderLabel = PlaceControl<TScLabel>(this, page, "", 12, 90, 30, 16);
  folderLabel->SetCaption("폴더"_k);
  ScButtonEdit1 = PlaceControl<TScButtonEdit>(this, page, "ScButtonEdit1", 46, 86, kPageWidth - 46 - 12, ScLook::kFieldHeight);
  // The folder comes from the folder dialog only, so it always exists.
  ScButtonEdit1->SetReadOnly(true);
  ScButtonEdit1->OnButtonClick = [this](TObject* s) { ScButtonEdit1ButtonClick(s); };
  ScButtonEdit1->OnClick = [this](TObject* s) { ScButtonEdit1Click(s); };
  SelectDir = new TSpShellBrowseDialog(this);
  SelectDir->SetName("SelectDir");
  PlaceBottomRow(page, "ProgressBar3", "ScButton5", "실행"_k, "ScButton6", ProgressBar3, ScButton5, ScButton6);
  ScButton5->OnClick = [this](TObject* s) { ScButton5Click(s); };
  ScButton5->SetEnabled(false);
}

void TPosterUtilForm::ScButton1Click(TObject*) {
  if (working_) return;
  working_ = true;
  ScButton1->SetEnabled(false);
  ScButton2->SetEnabled(false);
  ScLabel2->SetCaption("목록에 쓰인 포스터를 가져 오는 중입니다."_k);
  Application->ProcessMessages(true);
  ScLabel2->SetCaption("폴더에 있는 포스터파일을 가져옵니다.."_k);
  ProgressBar1->SetPosition(0);
  bool deleting = false;
  bool declined = false;
  auto confirm = [&](int count) {
    declined = MessageDlg(CleanQuestion(count), mtConfirmation, mbYesNo) != mrYes;
    return !declined;
  };
  CleanPosterFolder(
      *grid_, PosterFolder,
      [&](int done, int total) {
        if (!deleting) {
          deleting = true;
          ScLabel2->SetCaption("폴더에 있는 쓸모없는 파일을 삭제합니다."_k);
          ProgressBar1->SetMax(std::max(total, 1));
        }
        ProgressBar1->SetPosition(done);
        Application->ProcessMessages(true);
      },
      confirm);
  working_ = false;
  ScButton2->SetEnabled(true);
  if (declined) {
    // Nothing was deleted: the clean can be asked for again.
    ScLabel2->SetCaption(kCleanDeclined);
    ScButton1->SetEnabled(true);
    return;
  }
  ProgressBar1->SetPosition(ProgressBar1->Max());
  ScLabel2->SetCaption("작업을 완료 했습니다."_k);
}

void TPosterUtilForm::RunOnRows(bool selectedOnly, TScButton* run, TScButton* close, TScProgressBar* bar,
                                const std::function<void(const std::vector<int>&, const TPosterProgress&)>& work) {
  if (working_) return;
  working_ = true;
  run->SetEnabled(false);
  close->SetEnabled(false);
  const std::vector<int> rows = PosterRows(*grid_, selectedOnly);
  bar->SetMax(std::max<int>(1, static_cast<int>(rows.size())));
  bar->SetPosition(0);
  grid_->BeginUpdate();
  work(rows, [bar](int done, int) {
    bar->SetPosition(done);
    Application->ProcessMessages(true);
  });
  grid_->EndUpdate();
  // The run button stays off: the entries now name other files.
  ScButton3->SetTag(1);
  close->SetEnabled(true);
  working_ = false;
}

void TPosterUtilForm::ScButton3Click(TObject*) {
  int shared = 0;
  RunOnRows(ScRadioGroup4->ItemIndex() == 1, ScButton3, ScButton4, ProgressBar2,
            [this, &shared](const std::vector<int>& rows, const TPosterProgress& progress) {
              RenamePosters(*grid_, rows, ScRadioGroup1->ItemIndex() == 0, PosterFolder, progress, &shared);
            });
  if (shared > 0)
    MessageDlg(Format("여러 영화가 함께 쓰는 포스터 파일 %d개는 이름을 바꾸지 않았습니다."_k, {shared}), mtInformation,
               mbOKOnly);
}

void TPosterUtilForm::ScButton5Click(TObject*) {
  if (ScButtonEdit1->Text().empty()) return;
  int shared = 0;
  RunOnRows(ScRadioGroup2->ItemIndex() == 1, ScButton5, ScButton6, ProgressBar3,
            [this, &shared](const std::vector<int>& rows, const TPosterProgress& progress) {
              CopyMovePosters(*grid_, rows, ScButtonEdit1->Text(), ScRadioGroup3->ItemIndex() == 1, PosterFolder,
                              progress, &shared);
            });
  if (shared > 0)
    MessageDlg(Format("목록에 없는 영화도 함께 쓰는 포스터 파일 %d개는 옮기지 않았습니다."_k, {shared}), mtInformation,
               mbOKOnly);
}

void TPosterUtilForm::ScButtonEdit1ButtonClick(TObject*) {
  SelectDir->SetCaption("폴더 선택"_k);
  SelectDir->SetInstructionText("복사 / 이동할 포스터를 선택 하세요."_k);
  SelectDir->SetSelectedPath(ExcludeTrailingPathDelimiter(PosterFolder));
  if (!SelectDir->Execute()) return;
  ScButtonEdit1->SetText(SelectDir->SelectedPath());
  ScButton5->SetEnabled(true);
}

void TPosterUtilForm::ScButtonEdit1Click(TObject* sender) {
  if (ScButtonEdit1->Text().empty()) ScButtonEdit1ButtonClick(sender);
}

void TPosterUtilForm::ScButton2Click(TObject*) { Close(); }

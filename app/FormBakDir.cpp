#include "app/FormBakDir.h"

#include <algorithm>

#include "app/Catalogue.h"
#include "app/FormMain.h"
#include "platform/rtl/SysUtils.h"

const AnsiString kJournalPreviousTitle = "<이전제목>"_k;

TFormBakDir::TFormBakDir(TComponent* owner, TExColumnGrid* catalogue) : TForm(owner), catalogue_(catalogue) {
  SetCaption("영화정보 복원"_k);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(360);
  SetClientHeight(300);
  Font()->SetName("굴림"_k);
  Font()->SetSize(9);
  auto* label = new TLabel(this);
  label->SetParent(this);
  label->SetCaption("저장되지 않은 영화정보"_k);
  label->SetBounds(10, 8, 340, 16);
  ScListBox1 = new TListBox(this);
  ScListBox1->SetParent(this);
  ScListBox1->SetBounds(10, 28, 340, 180);
  SkippedLabel = new TLabel(this);
  SkippedLabel->SetParent(this);
  SkippedLabel->SetBounds(10, 214, 340, 16);
  ProgressBar1 = new TProgressBar(this);
  ProgressBar1->SetParent(this);
  ProgressBar1->SetBounds(10, 236, 340, 16);
  ScButton1 = new TButton(this);
  ScButton1->SetParent(this);
  ScButton1->SetCaption("복원"_k);
  ScButton1->SetBounds(184, 262, 80, 28);
  ScButton1->OnClick = [this](TObject* s) { ScButton1Click(s); };
  ScButton2 = new TButton(this);
  ScButton2->SetParent(this);
  ScButton2->SetCaption("취소"_k);
  ScButton2->SetBounds(270, 262, 80, 28);
  ScButton2->OnClick = [this](TObject* s) { ScButton2Click(s); };
}

namespace {

// 0 for ".ADD", 1 for ".EDIT", 2 for ".DEL", -1 for anything else.
int EntryKind(const AnsiString& name) {
  const AnsiString ext = UpperCase(ExtractFileExt(name));
  if (ext == ".ADD") return 0;
  if (ext == ".EDIT") return 1;
  if (ext == ".DEL") return 2;
  return -1;
}

// Whether text holds "[header]" and, after it, "[/header]".
bool HasBlock(std::string_view text, const AnsiString& header) {
  const std::size_t start = text.find("[" + header + "]");
  return start != std::string_view::npos && text.find("[/" + header + "]", start + header.size() + 2) != std::string_view::npos;
}

}  // namespace

void TFormBakDir::ScButton1Click(TObject*) {
  TExColumnGrid& grid = *catalogue_;
  TGridColumnItem* titleColumn = grid.ColumnByName(Cat::Title);
  const int count = ScListBox1->Items()->Count();
  std::vector<int> order(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) order[static_cast<std::size_t>(i)] = i;
  std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
    return EntryKind(ScListBox1->Items()->Strings(a)) < EntryKind(ScListBox1->Items()->Strings(b));
  });

  grid.BeginUpdate();
  ScButton1->SetEnabled(false);
  ProgressBar1->SetPosition(0);
  ProgressBar1->SetMax(count);
  int done = 0;
  int unreadable = 0;
  TGridColumnCollection* columns = grid.Columns();
  for (int i : order) {
    const AnsiString name = ScListBox1->Items()->Strings(i);
    const int kind = EntryKind(name);
    TStringList file;
    try {
      file.LoadFromFile(IncludeTrailingPathDelimiter(JournalFolder) + name);
    } catch (const Exception&) {
      ++unreadable;  // went away or cannot be read
      continue;
    }
    const AnsiString text = file.Text();
    // Every entry names its movie; without that block it is not an entry
    // (a damaged file), and restoring it would add an empty movie.
    if (!HasBlock(text, Cat::Title)) {
      ++unreadable;
      continue;
    }
    const AnsiString title = TextBetween16(text, "[" + Cat::Title + "]", "[/" + Cat::Title + "]");
    if (kind == 0 && title.empty()) {
      bool anyValue = false;
      for (int c = 0; c < columns->Count() && !anyValue; ++c) {
        const AnsiString header = columns->Items(c)->Rows(0);
        anyValue = !header.empty() && !TextBetween16(text, "[" + header + "]", "[/" + header + "]").empty();
      }
      if (!anyValue) {
        ++unreadable;
        continue;
      }
    }
    AnsiString key = TextBetween16(text, "[" + kJournalPreviousTitle + "]", "[/" + kJournalPreviousTitle + "]");
    if (key.empty()) key = title;
    int row = -1;
    if (kind == 0) {
      grid.AddRow();
      row = grid.RowCount() - 1;
    } else if (kind > 0 && titleColumn) {
      // Data rows only: a movie titled like a header never overwrites the headers.
      for (int r = grid.FixedRows(); r < grid.RowCount(); ++r) {
        if (SameText(titleColumn->Rows(r), key)) {
          row = r;
          break;
        }
      }
    }
    if (row < 0) continue;
    if (kind == 2) {
      grid.RemoveRows(row, 1);
    } else {
      if (titleColumn) titleColumn->SetRows(row, title);
      for (int c = 0; c < columns->Count(); ++c) {
        TGridColumnItem* item = columns->Items(c);
        if (item == titleColumn) continue;
        const AnsiString header = item->Rows(0);
        if (header.empty()) continue;
        item->SetRows(row, TextBetween16(text, "[" + header + "]", "[/" + header + "]"));
      }
    }
    ProgressBar1->SetPosition(++done);
  }
  ScButton2->SetCaption("닫기"_k);
  SkippedLabel->SetCaption(unreadable == 0 ? AnsiString()
                                           : Format("읽을 수 없는 항목 %d개는 건너뛰었습니다."_k, {unreadable}));
  grid.EndUpdate();
}

void TFormBakDir::ScButton2Click(TObject*) { SetModalResult(mrCancel); }

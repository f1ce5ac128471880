#include "app/MultiEditForm.h"

#include "app/Catalogue.h"
#include "app/FormSt.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/SysUtils.h"
#include "styled/ScLook.h"

namespace {

constexpr int kMargin = 12;
constexpr int kLabelWidth = 76;
constexpr int kFieldWidth = 180;
constexpr int kColumnWidth = kLabelWidth + kFieldWidth + 16;
constexpr int kRow = 28;

const AnsiString& NoChange() {
  static const AnsiString text = "변경안함"_k;
  return text;
}

const AnsiString& ChangedText() {
  static const AnsiString text = "변경했습니다."_k;
  return text;
}

}  // namespace

TMultiEditForm::TMultiEditForm(TComponent* owner, TExColumnGrid& grid, std::vector<int> rows)
    : TForm(owner), grid_(grid), rows_(std::move(rows)) {
  SetName("MultiEditForm");
  SetCaption("여러목록편집"_k);
  ScApplyLook(this);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);

  // Two columns: what the movie is kept as on the left, its files on the right.
  auto place = [&](auto* control, const char* name, const AnsiString& caption, int column, int line) {
    const int left = kMargin + column * kColumnWidth, top = kMargin + 24 + line * kRow;
    auto* label = new TScLabel(this);
    label->SetParent(this);
    label->SetBounds(left, top + 3, kLabelWidth, 16);
    label->SetCaption(caption);
    control->SetName(name);
    control->SetParent(this);
    control->SetBounds(left + kLabelWidth, top, kFieldWidth, ScLook::kFieldHeight);
    return control;
  };
  auto combo = [&](const char* name, const AnsiString& caption, int column, int line, const char* list = nullptr) {
    auto* box = place(new TScComboBox(this), name, caption, column, line);
    if (list) LoadValueList(*box->Items(), ValueListFileName(Utf8ToCp949(list)));
    return box;
  };
  auto heading = [&](const AnsiString& caption, int column) {
    auto* label = new TScLabel(this);
    label->SetParent(this);
    label->SetBounds(kMargin + column * kColumnWidth, kMargin, kColumnWidth - 16, 16);
    label->SetCaption(caption);
    label->Font()->SetStyle(TFontStyles{fsBold});
  };
  heading("영화"_k, 0);
  heading("파일 (모든 파일에)"_k, 1);
  ScComboBox2 = combo("ScComboBox2", Cat::Location, 0, 0);
  ScDateTimeEdit2 = place(new TScDateTimeEdit(this), "ScDateTimeEdit2", Cat::DateAdded, 0, 1);
  ScComboBox8 = combo("ScComboBox8", Cat::Medium, 0, 2);
  for (const AnsiString& medium : {NoChange(), AnsiString("HDD"), AnsiString("CDROM"), AnsiString("DVD")})
    ScComboBox8->Items()->Add(medium);
  ScComboBox8->SetText(NoChange());
  ScComboBox5 = combo("ScComboBox5", Cat::Rating, 0, 3, "관람등급.List");
  ScComboBox4 = combo("ScComboBox4", Cat::Genre, 0, 4, "영화장르.List");
  ScComboBox3 = combo("ScComboBox3", Cat::VideoFormat, 1, 0);
  ScComboBox1 = combo("ScComboBox1", Cat::AudioFormat, 1, 1);
  ScEdit1 = place(new TScEdit(this), "ScEdit1", "채널"_k, 1, 2);
  ScComboBox9 = combo("ScComboBox9", Cat::Language, 1, 3, "언어.List");
  ScComboBox6 = combo("ScComboBox6", Cat::Quality, 1, 4, "화질.List");
  ScComboBox10 = combo("ScComboBox10", Cat::Release, 1, 5, "릴.List");

  const int width = kMargin * 2 + 2 * kColumnWidth - 16;
  const int bottom = kMargin + 24 + 6 * kRow + 8;
  ScPanel12 = new TScPanel(this);
  ScPanel12->SetName("ScPanel12");
  ScPanel12->SetParent(this);
  ScPanel12->SetBounds(kMargin, bottom, width - 2 * kMargin - 2 * 86, ScLook::kButtonHeight);
  ScPanel12->SetBevelOuter(bvLowered);
  ScPanel12->SetAlignment(taLeftJustify);
  ScPanel12->SetCaption("비어있는목록은 변경하지 않습니다."_k);
  ScButton2 = new TScButton(this);
  ScButton2->SetName("ScButton2");
  ScButton2->SetParent(this);
  ScButton2->SetBounds(width - kMargin - 80, bottom, 80, ScLook::kButtonHeight);
  ScButton2->SetCaption("닫기"_k);
  ScButton2->SetCancel(true);
  ScButton2->SetModalResult(mrCancel);
  ScButton1 = new TScButton(this);
  ScButton1->SetName("ScButton1");
  ScButton1->SetParent(this);
  ScButton1->SetBounds(width - kMargin - 166, bottom, 80, ScLook::kButtonHeight);
  ScButton1->SetCaption("저장"_k);
  ScButton1->OnClick = [this](TObject* s) { ScButton1Click(s); };
  SetClientWidth(width);
  SetClientHeight(bottom + ScLook::kButtonHeight + kMargin);
}

TMultiEditForm::~TMultiEditForm() {
  // The handlers of the owned controls point into this form.
  DestroyComponents();
}

bool TMultiEditForm::Changed() const { return ScPanel12->Caption() == ChangedText(); }

void TMultiEditForm::ScButton1Click(TObject*) {
  ScPanel12->SetCaption("변경중입니다..."_k);
  const std::pair<TControl*, const AnsiString*> wholeCells[] = {
      {ScComboBox2, &Cat::Location}, {ScDateTimeEdit2, &Cat::DateAdded}, {ScComboBox8, &Cat::Medium},
      {ScComboBox5, &Cat::Rating},   {ScComboBox4, &Cat::Genre},
  };
  const std::pair<TControl*, const AnsiString*> fileCells[] = {
      {ScComboBox3, &Cat::VideoFormat}, {ScComboBox1, &Cat::AudioFormat}, {ScEdit1, &Cat::Channels},
      {ScComboBox9, &Cat::Language},    {ScComboBox6, &Cat::Quality},     {ScComboBox10, &Cat::Release},
  };
  grid_.BeginUpdate();
  for (int row : rows_) {
    if (row < grid_.FixedRows() || row >= grid_.RowCount() || grid_.IsNodeRow(row)) continue;
    for (const auto& [input, header] : wholeCells) {
      const AnsiString text = input->Text();
      if (text.empty() || (input == ScComboBox8 && text == NoChange())) continue;
      SetCatalogueCell(grid_, *header, row, text);
    }
    const std::size_t files = SplitFileList(CatalogueCell(grid_, Cat::FileName, row)).size();
    if (files == 0) continue;
    for (const auto& [input, header] : fileCells) {
      const AnsiString text = input->Text();
      if (!text.empty()) SetCatalogueCell(grid_, *header, row, JoinFileList(std::vector<AnsiString>(files, text)));
    }
  }
  grid_.EndUpdate();
  ScPanel12->SetCaption(ChangedText());
}

#include "app/FormPut.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <unordered_map>

#include "app/Catalogue.h"
#include "app/PlaceControl.h"
#include "platform/rtl/SysUtils.h"
#include "styled/ScFiles.h"
#include "styled/ScLook.h"

// Sections: templates (sections, placeholders), the export, the window.

const AnsiString kPutHeaderStart = "[윗부분]"_k, kPutHeaderEnd = "[/윗부분]"_k;
const AnsiString kPutBodyStart = "[가운데부분]"_k, kPutBodyEnd = "[/가운데부분]"_k;
const AnsiString kPutFooterStart = "[아랫부분]"_k, kPutFooterEnd = "[/아랫부분]"_k;

// ---------------------------------------------------------------- templates

AnsiString ExtractTemplateSection(std::string_view text, std::string_view startMarker, std::string_view endMarker) {
  const std::size_t start = text.find(startMarker);
  const std::size_t end = text.find(endMarker);
  if (start == std::string_view::npos || end == std::string_view::npos) return "";
  const std::size_t from = start + startMarker.size();
  if (end < from) return "";
  return AnsiString(text.substr(from, end - from));
}

AnsiString BuildTemplateText(const AnsiString& header, const AnsiString& body, const AnsiString& footer) {
  AnsiString text;
  for (const auto& [start, section, end] :
       {std::tuple{&kPutHeaderStart, &header, &kPutHeaderEnd}, std::tuple{&kPutBodyStart, &body, &kPutBodyEnd},
        std::tuple{&kPutFooterStart, &footer, &kPutFooterEnd}})
    text += *start + *section + *end + "\r\n";
  return text;
}

namespace {

enum TPlaceholderKind { pkCount, pkNumber, pkToday, pkTime, pkPosterFolder, pkColumn };

struct TPlaceholder {
  TPlaceholderKind Kind;
  const AnsiString* Header;  // pkColumn
};

// By the name between the dollar pairs.
const std::unordered_map<AnsiString, TPlaceholder>& PlaceholderIndex() {
  static const auto* index = [] {
    auto* m = new std::unordered_map<AnsiString, TPlaceholder>;
    m->emplace("영화목록수"_k, TPlaceholder{pkCount, nullptr});
    m->emplace("번호"_k, TPlaceholder{pkNumber, nullptr});
    m->emplace("오늘날짜"_k, TPlaceholder{pkToday, nullptr});
    m->emplace("현재시간"_k, TPlaceholder{pkTime, nullptr});
    m->emplace("포스터폴더"_k, TPlaceholder{pkPosterFolder, nullptr});
    for (const TCatalogueColumnDef& def : CatalogueColumns()) m->emplace(*def.Header, TPlaceholder{pkColumn, def.Header});
    return m;
  }();
  return *index;
}

// How a byte of a written text is put out: as it is, as a line break
// (CR LF, a CR LF pair counting as one break), or as an HTML character
// reference.
enum TByteClass : unsigned char { bcAsIs, bcBreak, bcReference };
using TByteClasses = std::array<TByteClass, 256>;

constexpr TByteClasses MakeByteClasses(bool breaks, bool html) {
  TByteClasses classes{};
  if (breaks) classes['\r'] = classes['\n'] = bcBreak;
  if (html)
    for (unsigned char c : {'&', '<', '>', '"', '\''}) classes[c] = bcReference;
  return classes;
}

constexpr TByteClasses kBreaks = MakeByteClasses(true, false);
constexpr TByteClasses kBreaksAndHtml = MakeByteClasses(true, true);
constexpr TByteClasses kHtmlOnly = MakeByteClasses(false, true);

std::string_view Reference(char c) {
  switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    default: return "&#39;";
  }
}

// Appends text with its bytes put out as classes says. afterCr tells whether
// the text written before ended in a CR: an LF that follows it completes
// that break and adds none. It is updated for the next text.
void AppendMapped(AnsiString& out, std::string_view text, const TByteClasses& classes, bool& afterCr) {
  if (text.empty()) return;
  const std::size_t size = text.size();
  std::size_t plain = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = text[i];
    const TByteClass cls = classes[static_cast<unsigned char>(c)];
    if (cls == bcAsIs) continue;
    out.append(text.data() + plain, i - plain);
    plain = i + 1;
    if (cls == bcReference) {
      out.append(Reference(c));
    } else if (c == '\r' || !(i > 0 ? text[i - 1] == '\r' : afterCr)) {
      out.append("\r\n");
    }
  }
  out.append(text.data() + plain, size - plain);
  afterCr = text.back() == '\r';
}

// A piece of template text with its breaks already put out as CR LF.
struct TLiteral {
  AnsiString Text;
  bool LeadingLf = false;   // it starts with an LF: after a CR, that LF adds nothing
  bool TrailingCr = false;  // it ends with a CR

  explicit TLiteral(std::string_view source = {})
      : LeadingLf(!source.empty() && source.front() == '\n'), TrailingCr(!source.empty() && source.back() == '\r') {
    bool afterCr = false;
    AppendMapped(Text, source, kBreaks, afterCr);
  }
};

// The export's text as it is written: every line break as CR LF, as the
// lines of a text file are written, and the values HTML-escaped when the
// export is to an HTML file. Template text goes out as it was prepared,
// each value in the one pass that escapes it.
class TExportText {
 public:
  TExportText(AnsiString& out, bool html) : out_(out), classes_(html ? kBreaksAndHtml : kBreaks) {}

  void Literal(const TLiteral& literal) {
    if (literal.Text.empty()) return;
    if (afterCr_ && literal.LeadingLf)
      out_.append(literal.Text, 2, AnsiString::npos);
    else
      out_.append(literal.Text);
    afterCr_ = literal.TrailingCr;
  }
  void Value(std::string_view value) { AppendMapped(out_, value, classes_, afterCr_); }
  // A text without a line break or a character to escape (a number).
  void Plain(std::string_view text) {
    if (text.empty()) return;
    out_.append(text);
    afterCr_ = false;
  }
  // A text that is not empty ends with a line break.
  void Finish() {
    if (!out_.empty() && (out_.size() < 2 || out_.compare(out_.size() - 2, 2, "\r\n") != 0)) out_.append("\r\n");
  }

 private:
  AnsiString& out_;
  const TByteClasses& classes_;
  bool afterCr_ = false;
};

// A section cut at its placeholders: template text and the values to put
// between the pieces.
struct TSegment {
  TLiteral Literal;                 // written before the value
  bool HasValue = false;
  TPlaceholderKind Kind = pkCount;
  TGridColumnItem* Column = nullptr;  // pkColumn; nullptr when the grid lacks it
};

// perRow: the body, where 번호 and the columns have values; in the header and
// footer they stay as written.
std::vector<TSegment> CompileSection(std::string_view text, TExColumnGrid& grid, bool perRow) {
  const auto& index = PlaceholderIndex();
  std::vector<TSegment> segments(1);
  std::size_t literalFrom = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find("$$", at);
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find("$$", open + 2);
    if (close == std::string_view::npos) break;
    auto found = index.find(AnsiString(text.substr(open + 2, close - open - 2)));
    const bool usable = found != index.end() &&
                        (perRow || (found->second.Kind != pkNumber && found->second.Kind != pkColumn));
    if (!usable) {
      // Not a placeholder here: the first "$" is text, and the search goes
      // on from the next one ("$$$제목$$" holds "$" and "$$제목$$").
      at = open + 1;
      continue;
    }
    TSegment& segment = segments.back();
    segment.Literal = TLiteral(text.substr(literalFrom, open - literalFrom));
    segment.HasValue = true;
    segment.Kind = found->second.Kind;
    if (segment.Kind == pkColumn) segment.Column = grid.ColumnByName(*found->second.Header);
    segments.emplace_back();
    at = literalFrom = close + 2;
  }
  segments.back().Literal = TLiteral(text.substr(std::min(literalFrom, text.size())));
  return segments;
}

struct TGeneralValues {
  AnsiString Count, Today, Time, PosterFolder;
};

// A section's segments with the grid columns of its placeholders, found
// by their place in the grid.
struct TSection {
  std::vector<TSegment> Segments;
  std::vector<int> Columns;  // per segment: the column's index, -1 for none

  TSection(std::string_view text, TExColumnGrid& grid, bool perRow) : Segments(CompileSection(text, grid, perRow)) {
    FindColumns();
  }
  // Again after foreign code has run (the progress handler): a column
  // moved meanwhile is read where it now stands.
  void FindColumns() {
    Columns.clear();
    for (const TSegment& segment : Segments) Columns.push_back(segment.Column ? segment.Column->Index() : -1);
  }
};

void AppendSection(TExportText& out, const TSection& section, const TExColumnGrid& grid,
                   const TGeneralValues& general, int number, int row) {
  for (std::size_t i = 0; i < section.Segments.size(); ++i) {
    const TSegment& segment = section.Segments[i];
    out.Literal(segment.Literal);
    if (!segment.HasValue) continue;
    switch (segment.Kind) {
      case pkCount: out.Value(general.Count); break;
      case pkNumber: out.Plain(IntToStr(number)); break;
      case pkToday: out.Value(general.Today); break;
      case pkTime: out.Value(general.Time); break;
      case pkPosterFolder: out.Value(general.PosterFolder); break;
      case pkColumn:
        if (section.Columns[i] >= 0) out.Value(grid.Cells(section.Columns[i], row));
        break;
    }
  }
}

// The cells a section reads in rows a little ahead, fetched into the cache
// while the current row is written: a large catalogue's cells lie far apart
// in memory, and each would otherwise be waited for in turn. Two stages:
// the cells of cellRow, then the characters of textRow's cells, whose
// cells were fetched some rows before.
void FetchAhead(const TSection& section, const TExColumnGrid& grid, int cellRow, int textRow) {
  for (const int column : section.Columns) {
    if (column < 0) continue;
    if (cellRow >= 0) __builtin_prefetch(&grid.RawCells(column, cellRow));
    if (textRow >= 0) {
      const AnsiString& text = grid.RawCells(column, textRow);
      // The first lines only: the rest of a long text streams in behind them.
      const std::size_t end = std::min<std::size_t>(text.size(), 1024);
      for (std::size_t at = 0; at < end; at += 64) __builtin_prefetch(text.data() + at);
    }
  }
}

// Room in out for size bytes in all, taken in one step; a size the memory
// cannot give is left to the string's own growth. The part not yet written
// of a buffer of many megabytes is advised as huge pages: fresh memory comes
// from the system a page at a time, and faulting in 4 KB pages costs more
// than writing them, where a huge page takes 2 MB in one fault.
void ReserveOutput(AnsiString& out, std::size_t size) {
  try {
    out.reserve(size);
  } catch (const std::bad_alloc&) {
    return;
  } catch (const std::length_error&) {
    return;
  }
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  if (out.capacity() < 4 * kHugePage) return;
  const std::uintptr_t from =
      (reinterpret_cast<std::uintptr_t>(out.data() + out.size()) + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t to = reinterpret_cast<std::uintptr_t>(out.data() + out.capacity()) & ~(kHugePage - 1);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
}

}  // namespace

const std::vector<AnsiString>& PutPlaceholders() {
  static const std::vector<AnsiString> list = [] {
    std::vector<AnsiString> l;
    for (const char* name : {"영화목록수", "번호", "오늘날짜", "현재시간", "포스터폴더"})
      l.push_back("$$" + Utf8ToCp949(name) + "$$");
    for (const TCatalogueColumnDef& def : CatalogueColumns()) l.push_back("$$" + *def.Header + "$$");
    return l;
  }();
  return list;
}

AnsiString HtmlEscape(std::string_view text) {
  AnsiString out;
  bool afterCr = false;
  AppendMapped(out, text, kHtmlOnly, afterCr);
  return out;
}

// ---------------------------------------------------------------- the export

AnsiString ExportCatalogue(TExColumnGrid& grid, const AnsiString& header, const AnsiString& body,
                           const AnsiString& footer, const TPutOptions& options,
                           const std::function<void(int percent)>& progress) {
  const int rowCount = grid.RowCount();
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(std::max(rowCount - 1, 0)));
  for (int r = 1; r < rowCount; ++r)
    if (!grid.IsNodeRow(r)) rows.push_back(r);

  TGeneralValues general;
  general.Count = IntToStr(static_cast<Int64>(rows.size()));
  general.Today = FormatDateTime("yyyy-d-mmmm dddd", options.Now);
  general.Time = FormatDateTime("hh:mm AM/PM", options.Now);
  general.PosterFolder = options.PosterFolder;

  const TSection headerSection(header, grid, false);
  TSection bodySection(body, grid, true);
  const TSection footerSection(footer, grid, false);

  AnsiString out;
  TExportText text(out, options.Html);
  AppendSection(text, headerSection, grid, general, 0, 0);
  int lastPercent = -1;
  const std::size_t total = rows.size();
  // Room for the whole output, judged from the rows written so far (a tenth
  // more, and more again whenever the rows turn out longer), so that a large
  // export is not copied again and again while it grows.
  constexpr std::size_t kSampleRows = 256;
  const std::size_t headerSize = out.size();
  for (std::size_t i = 0; i < total; ++i) {
    if (i >= kSampleRows) {
      const std::size_t perRow = (out.size() - headerSize) / i;
      if (i == kSampleRows || out.capacity() - out.size() < 2 * perRow + 64) {
        const std::size_t estimate = headerSize + perRow * total / 10 * 11 + 4096;
        ReserveOutput(out, std::max(estimate, out.capacity() / 2 * 3));
      }
    }
    constexpr std::size_t kCellsAhead = 8, kTextsAhead = 4;
    FetchAhead(bodySection, grid, i + kCellsAhead < total ? rows[i + kCellsAhead] : -1,
               i + kTextsAhead < total ? rows[i + kTextsAhead] : -1);
    AppendSection(text, bodySection, grid, general, static_cast<int>(i + 1), rows[i]);
    if (progress) {
      const int percent = static_cast<int>((i + 1) * 100 / total);
      if (percent != lastPercent) {
        progress(lastPercent = percent);
        bodySection.FindColumns();
      }
    }
  }
  AppendSection(text, footerSection, grid, general, 0, 0);
  text.Finish();
  return out;
}

// ================================================================ the window

namespace {

constexpr int kMargin = 8;
constexpr int kClientWidth = 560;
constexpr int kButtonWidth = 76;
constexpr int kGroupTop = 76;
constexpr int kMemoWidth = 380;

bool IsHtmlFile(const AnsiString& fileName) {
  const AnsiString ext = ExtractFileExt(fileName);
  return SameText(ext, ".html") || SameText(ext, ".htm");
}

}  // namespace

TFormPut::TFormPut(TComponent* owner, TExColumnGrid* grid) : TForm(owner), grid_(grid) {
  SetName("FormPut");
  SetCaption("내보내기"_k);
  ScApplyLook(this);
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(kClientWidth);

  auto* label = PlaceControl<TScLabel>(this, this, "", kMargin, kMargin + 4, 64, 16);
  label->SetCaption("내보낼 양식"_k);
  ScComboBox1 = PlaceControl<TScComboBox>(this, this, "ScComboBox1", kMargin + 70, kMargin, 200, ScLook::kFieldHeight);
  ScComboBox1->OnChange = [this](TObject* s) { ScComboBox1Change(s); };
  int left = kClientWidth - kMargin - kButtonWidth;
  ScButton2 = PlaceControl<TScButton>(this, this, "ScButton2", left, kMargin - 2, kButtonWidth, ScLook::kButtonHeight);
  ScButton2->SetCaption("닫기"_k);
  ScButton2->SetCancel(true);
  ScButton2->OnClick = [this](TObject* s) { ScButton2Click(s); };
  left -= kButtonWidth + 6;
  ScButton4 = PlaceControl<TScButton>(this, this, "ScButton4", left, kMargin - 2, kButtonWidth, ScLook::kButtonHeight);
  ScButton4->SetCaption("편집"_k);
  ScButton4->OnClick = [this](TObject* s) { ScButton4Click(s); };
  left -= kButtonWidth + 6;
  ScButton1 = PlaceControl<TScButton>(this, this, "ScButton1", left, kMargin - 2, kButtonWidth, ScLook::kButtonHeight);
  ScButton1->SetCaption("내보내기"_k);
  ScButton1->SetDefault(true);
  ScButton1->OnClick = [this](TObject* s) { ScButton1Click(s); };

  ProgressBar1 = PlaceControl<TScProgressBar>(this, this, "ProgressBar1", kMargin, 44, kClientWidth - 2 * kMargin, 16);

  ScGroupBox2 = PlaceControl<TScGroupBox>(this, this, "ScGroupBox2", kMargin, kGroupTop, kClientWidth - 2 * kMargin, 348);
  ScGroupBox2->SetCaption("사용자 정의 파일 편집"_k);
  struct TMemoDef {
    TScMemo** Memo;
    const char* Name;
    const char* Caption;
    int Height;
  };
  int top = 20;
  for (const TMemoDef& def : {TMemoDef{&ScMemo3, "ScMemo3", "윗부분", 80}, TMemoDef{&ScMemo2, "ScMemo2", "가운데 부분 ", 110},
                              TMemoDef{&ScMemo1, "ScMemo1", "아랫부분", 60}}) {
    auto* caption = PlaceControl<TScLabel>(this, ScGroupBox2, "", 12, top, 120, 16);
    caption->SetCaption(Utf8ToCp949(def.Caption));
    *def.Memo = PlaceControl<TScMemo>(this, ScGroupBox2, def.Name, 12, top + 17, kMemoWidth, def.Height);
    (*def.Memo)->SetScrollBars(ssVertical);
    (*def.Memo)->SetWordWrap(false);
    top += 17 + def.Height + 6;
  }
  const int listLeft = 12 + kMemoWidth + 10;
  auto* listCaption = PlaceControl<TScLabel>(this, ScGroupBox2, "", listLeft, 20, 120, 16);
  listCaption->SetCaption("치환 문자"_k);
  ScListBox1 = PlaceControl<TScListBox>(this, ScGroupBox2, "ScListBox1", listLeft, 37, ScGroupBox2->Width() - listLeft - 12,
                                 top - 37 - 6);
  for (const AnsiString& placeholder : PutPlaceholders()) ScListBox1->Items()->Add(placeholder);
  // A double click puts the placeholder into the body at its caret.
  ScListBox1->OnDblClick = [this](TObject*) {
    const AnsiString item = ScListBox1->ItemCaption(ScListBox1->ItemIndex());
    if (!item.empty()) ScMemo2->SetSelText(item);
  };

  ScButton3 = PlaceControl<TScButton>(this, this, "ScButton3", kClientWidth - kMargin - kButtonWidth,
                               kGroupTop + ScGroupBox2->Height() + 6, kButtonWidth, ScLook::kButtonHeight);
  ScButton3->SetCaption("저장"_k);
  ScButton3->OnClick = [this](TObject* s) { ScButton3Click(s); };

  // The whole template, a working memo never shown. The export's result
  // goes to its file only: a catalogue of many movies makes tens of
  // megabytes, more than a text control should hold.
  ScMemo4 = PlaceControl<TScMemo>(this, this, "ScMemo4", 0, 0, 10, 10);
  ScMemo4->Hide();

  SaveDialog1 = new TSaveDialog(this);
  SaveDialog1->SetName("SaveDialog1");
  SaveDialog1->DefaultExt = "html";
  SaveDialog1->Filter = "사용자정의 내보내기 (*.txt;*.html)|*.TXT;*.Html"_k;
  SaveDialog1->Options.insert(ofOverwritePrompt);

  SetEditing(false);
  OnShow = [this](TObject* s) { FormShow(s); };
  OnResize = [this](TObject* s) { FormResize(s); };
  OnCloseQuery = [this](TObject*, bool& canClose) { canClose = !exporting_; };
}

TFormPut::~TFormPut() { DestroyComponents(); }

void TFormPut::SetEditing(bool on) {
  ScButton3->SetVisible(on);
  ScGroupBox2->SetVisible(on);
  SetHeight(on ? kOpenHeight : kClosedHeight);
}

void TFormPut::FormShow(TObject*) {
  SetEditing(false);
  ScComboBox1->ClearItems();
  std::vector<AnsiString> names;
  TSearchRec rec;
  if (FindFirst(ScriptFolder + "*.put", faAnyFile & ~faDirectory, rec) == 0) {
    do {
      if (!(rec.Attr & faDirectory)) names.push_back(rec.Name);
    } while (FindNext(rec) == 0);
    FindClose(rec);
  }
  // The file system lists in no fixed order; the user finds a name by its letters.
  std::sort(names.begin(), names.end(), [](const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) < 0; });
  for (const AnsiString& name : names) ScComboBox1->Items()->Add(name);
  if (!names.empty()) {
    ScComboBox1->SetItemIndex(0);
    ScComboBox1Change(ScComboBox1);
  }
}

void TFormPut::ScComboBox1Change(TObject*) {
  // A name being typed (to save the template under) is no template yet.
  const AnsiString name = ScComboBox1->Text();
  if (name.empty() || ScComboBox1->Items()->IndexOf(name) < 0) return;
  try {
    ScMemo4->SetText(ScLoadFileBytes(ScriptFolder + name));
  } catch (const Exception& e) {
    Application->ShowException(e);
    return;
  }
  const AnsiString text = ScMemo4->Text();
  ScMemo3->SetText(ExtractTemplateSection(text, kPutHeaderStart, kPutHeaderEnd));
  ScMemo2->SetText(ExtractTemplateSection(text, kPutBodyStart, kPutBodyEnd));
  ScMemo1->SetText(ExtractTemplateSection(text, kPutFooterStart, kPutFooterEnd));
}

void TFormPut::ScButton4Click(TObject*) { SetEditing(!ScGroupBox2->Visible()); }

void TFormPut::ScButton3Click(TObject*) {
  // Only a plain file name in the script folder: the combo's text is typed.
  AnsiString name = Trim(ExtractFileName(ScComboBox1->Text()));
  if (name.empty() || name == "." || name == "..") return;
  if (!SameText(ExtractFileExt(name), ".put")) name += ".put";
  SetEditing(false);
  ScMemo4->SetText(BuildTemplateText(ScMemo3->Text(), ScMemo2->Text(), ScMemo1->Text()));
  try {
    ScSaveFileSafely(ScriptFolder + name, ScMemo4->Text());
  } catch (const Exception& e) {
    Application->ShowException(e);
    return;
  }
  if (ScComboBox1->Items()->IndexOf(name) < 0) ScComboBox1->Items()->Add(name);
  ScComboBox1->SetItemIndex(ScComboBox1->Items()->IndexOf(name));
}

void TFormPut::ScButton1Click(TObject*) {
  if (exporting_ || !SaveDialog1->Execute()) return;
  const AnsiString fileName = SaveDialog1->FileName;
  exporting_ = true;
  ScButton1->SetEnabled(false);
  ScComboBox1->SetEnabled(false);
  ScButton2->SetEnabled(false);
  ProgressBar1->SetMax(100);
  ProgressBar1->SetPosition(0);
  bool written = false;
  try {
    TPutOptions options;
    options.PosterFolder = PosterFolder;
    options.Now = Now();
    options.Html = IsHtmlFile(fileName);
    const AnsiString out =
        ExportCatalogue(*grid_, ScMemo3->Text(), ScMemo2->Text(), ScMemo1->Text(), options, [this](int percent) {
          ProgressBar1->SetPosition(percent);
          Application->ProcessMessages(true);
        });
    ScSaveFileSafely(fileName, out);
    written = true;
  } catch (const Exception& e) {
    Application->ShowException(e);
  } catch (const std::bad_alloc&) {
    // The window stays usable: its buttons come back below.
    MessageDlg("메모리가 부족하여 목록을 내보내지 못했습니다."_k, mtError, mbOKOnly);
  }
  exporting_ = false;
  ScButton1->SetEnabled(true);
  ScComboBox1->SetEnabled(true);
  ScButton2->SetEnabled(true);
  if (written) MessageDlg("목록을 내보냈습니다."_k, mtInformation, mbOKOnly);
}

void TFormPut::ScButton2Click(TObject*) { Close(); }

void TFormPut::FormResize(TObject*) { SetTop((Screen->Height() - Height()) / 2); }

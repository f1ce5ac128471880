// TFormPut: export of the catalogue through a template ("내보내기").
//
// A template ("*.put" in the script folder) holds three sections between
// markers: a header, a body written once per catalogue row, and a footer.
// Placeholders "$$...$$" in them are replaced by values: the five general
// ones and one per catalogue column ("$$제목$$" ... "$$기타$$").
//
// Each placeholder of the template is replaced once, in one left-to-right
// pass: a value is written as it is and never searched for placeholders
// again, so a synopsis that mentions "$$감독$$" stays as typed. An export to
// an HTML file writes every value HTML-escaped, so "<Blade Runner>" shows as
// text. The output reaches its file through a temporary file and a rename.
//
// Call tree:
//   FormShow -> ScComboBox1 (ScriptFolder "*.put", sorted) -> ScComboBox1Change
//   ScComboBox1Change -> ScMemo4 (file) -> ExtractTemplateSection x 3 -> memos
//   ScButton1Click -> SaveDialog1 -> ExportCatalogue -> ScSaveFileSafely
//   ScButton3Click -> BuildTemplateText -> ScSaveFileSafely (ScriptFolder + name)
#pragma once

#include <functional>

#include "grid/ExCGrid.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "styled/ScControls.h"

// The markers of the three sections.
extern const AnsiString kPutHeaderStart, kPutHeaderEnd;  // [윗부분] [/윗부분]
extern const AnsiString kPutBodyStart, kPutBodyEnd;      // [가운데부분] [/가운데부분]
extern const AnsiString kPutFooterStart, kPutFooterEnd;  // [아랫부분] [/아랫부분]

// The text between the first start marker and the first end marker, both
// searched from the start of the text, taken as it is: the line break after
// a marker on a line of its own is part of the section. "" when either
// marker is missing or the end comes first.
AnsiString ExtractTemplateSection(std::string_view text, std::string_view startMarker, std::string_view endMarker);

// A template file's text from the three sections (the inverse of
// ExtractTemplateSection): for each section one line of its start marker,
// the section and its end marker run together, so that a template saved
// and loaded again keeps every section byte for byte.
AnsiString BuildTemplateText(const AnsiString& header, const AnsiString& body, const AnsiString& footer);

// The placeholders in replacement order (the list the window shows).
const std::vector<AnsiString>& PutPlaceholders();

// "&", "<", ">", '"' and "'" as HTML character references.
AnsiString HtmlEscape(std::string_view text);

struct TPutOptions {
  AnsiString PosterFolder;   // with a trailing separator
  TDateTime Now = 0;         // today and the time
  bool Html = false;         // values HTML-escaped
};

// The export's text: the header, the body once per catalogue row that the
// grid shows (a search's hidden rows are not among them; group rows are
// skipped), the footer. "$$번호$$" counts the movies written, from 1, and
// "$$영화목록수$$" is their number. Line breaks are CR LF, and the text ends
// with one unless it is empty. progress, when given, gets 0..100 as the
// percentage changes.
AnsiString ExportCatalogue(TExColumnGrid& grid, const AnsiString& header, const AnsiString& body,
                           const AnsiString& footer, const TPutOptions& options,
                           const std::function<void(int percent)>& progress = {});

class TFormPut : public TForm {
 public:
  TFormPut(TComponent* owner, TExColumnGrid* grid);
  ~TFormPut() override;

  // Set by the caller: the poster folder and the script folder, each with
  // a trailing separator.
  AnsiString PosterFolder;
  AnsiString ScriptFolder;

  TScComboBox* ScComboBox1;   // template names
  TScButton* ScButton1;       // 내보내기
  TScButton* ScButton2;       // 닫기
  TScButton* ScButton4;       // 편집
  TScButton* ScButton3;       // 저장
  TScGroupBox* ScGroupBox2;   // 사용자 정의 파일 편집
  TScMemo* ScMemo3;           // 윗부분
  TScMemo* ScMemo2;           // 가운데 부분
  TScMemo* ScMemo1;           // 아랫부분
  TScListBox* ScListBox1;     // the placeholders
  TScMemo* ScMemo4;           // the whole template
  TScProgressBar* ProgressBar1;
  TSaveDialog* SaveDialog1;

  void FormShow(TObject* sender);
  void ScComboBox1Change(TObject* sender);
  void ScButton1Click(TObject* sender);
  void ScButton3Click(TObject* sender);
  void ScButton4Click(TObject* sender);
  void ScButton2Click(TObject* sender);
  void FormResize(TObject* sender);

  // Window heights without and with the editing group.
  static constexpr int kClosedHeight = 116;
  static constexpr int kOpenHeight = 490;

 private:
  void SetEditing(bool on);
  TExColumnGrid* grid_;
  bool exporting_ = false;
};

#include <gtest/gtest.h>

#include "app/FormPut.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/InputSimulation.h"
#include "platform/vcl/WindowImage.h"
#include "tests/app/FormMainTestSupport.h"
#include "tests/app/ToolsTestSupport.h"

namespace {

const AnsiString kHeader = "목록 $$영화목록수$$편 $$포스터폴더$$ $$제목$$\r\n"_k;
const AnsiString kBody = "$$번호$$. $$제목$$ - $$감독$$ / $$영화내용$$\r\n"_k;
const AnsiString kFooter = "끝 $$오늘날짜$$ $$현재시간$$\r\n"_k;

std::unique_ptr<TExColumnGrid> ThreeMovies() {
  auto g = NewCatalogue();
  AddMovie(*g, {{&Cat::Title, "살인의 추억"_k}, {&Cat::Director, "봉준호"_k},
                {&Cat::Synopsis, "형사 \"$$감독$$\" 이야기"_k}});
  AddMovie(*g, {{&Cat::Title, "<Blade Runner> & Co"}, {&Cat::Director, "Ridley 'S'"},
                {&Cat::Synopsis, "line1\nline2"}});
  AddMovie(*g, {{&Cat::Title, "괴물"_k}, {&Cat::Director, "봉준호"_k}, {&Cat::Synopsis, "$$번호$$"_k}});
  return g;
}

// The height field of a PNG file's header.
int PngHeight(const AnsiString& png) {
  if (png.size() < 24) return -1;
  int h = 0;
  for (int i = 20; i < 24; ++i) h = h * 256 + static_cast<unsigned char>(png[static_cast<std::size_t>(i)]);
  return h;
}

TPutOptions Options(bool html) {
  TPutOptions o;
  o.PosterFolder = "/p/";
  o.Now = EncodeDate(2026, 3, 5) + EncodeTime(14, 7, 0, 0);
  o.Html = html;
  return o;
}

}  // namespace

TEST(Export, EachPlaceholderOnceOnlyTheRowsOfASearch) {
  auto g = ThreeMovies();
  SearchCatalogue(*g, Cat::Director, "봉준호"_k);
  ASSERT_EQ(g->RowCount(), 3);
  // Values are written as they are: the synopsis keeps "$$감독$$" and
  // "$$번호$$"; in the header only the general placeholders have values.
  EXPECT_EQ(ExportCatalogue(*g, kHeader, kBody, kFooter, Options(false)),
            "목록 2편 /p/ $$제목$$\r\n"
            "1. 살인의 추억 - 봉준호 / 형사 \"$$감독$$\" 이야기\r\n"
            "2. 괴물 - 봉준호 / $$번호$$\r\n"
            "끝 2026-5-3월 목요일 02:07 PM\r\n"_k);

  // Grouped, the group rows are no movies: neither counted nor written.
  auto grouped = ThreeMovies();
  grouped->GroupWithNodeColumn(CatalogueColumnIndex(*grouped, Cat::Director));
  ASSERT_GT(grouped->NodeCount(), 0);
  EXPECT_EQ(ExportCatalogue(*grouped, "$$영화목록수$$\r\n"_k, "$$번호$$ $$제목$$\r\n"_k, "", Options(false)),
            "3\r\n1 <Blade Runner> & Co\r\n2 괴물\r\n3 살인의 추억\r\n"_k);
}

TEST(Export, HtmlExportEscapesValuesNotTheTemplate) {
  auto g = ThreeMovies();
  const AnsiString out =
      ExportCatalogue(*g, "<ul>\r\n", "<li title=\"$$감독$$\">$$제목$$</li>\r\n"_k, "</ul>", Options(true));
  EXPECT_EQ(out,
            "<ul>\r\n"
            "<li title=\"봉준호\">살인의 추억</li>\r\n"
            "<li title=\"Ridley &#39;S&#39;\">&lt;Blade Runner&gt; &amp; Co</li>\r\n"
            "<li title=\"봉준호\">괴물</li>\r\n"
            "</ul>\r\n"_k);
  // A line break inside a value ends its line with CR LF like the rest.
  EXPECT_EQ(ExportCatalogue(*g, "", "$$영화내용$$|"_k, "", Options(false)),
            "형사 \"$$감독$$\" 이야기|line1\r\nline2|$$번호$$|\r\n"_k);
}

TEST(Export, DollarsThatNameNothingStayText) {
  auto g = NewCatalogue();
  AddMovie(*g, {{&Cat::Title, "T"}, {&Cat::Cast, "A|B"}});
  EXPECT_EQ(ExportCatalogue(*g, "", "$$$제목$$ $$없는것$$ $$출연$$ $$ $"_k, "", Options(false)),
            "$T $$없는것$$ A|B $$ $\r\n"_k);
  EXPECT_EQ(ExportCatalogue(*g, "", "", "", Options(false)), "");
  // Only the body numbers its movies: the header and the footer keep 번호 as written.
  EXPECT_EQ(ExportCatalogue(*g, "$$번호$$|"_k, "$$번호$$"_k, "|$$번호$$"_k, Options(false)), "$$번호$$|1|$$번호$$\r\n"_k);
}

TEST(Export, LineBreaksMeetingAcrossValuesAndTemplateCountOnce) {
  auto g = NewCatalogue();
  AddMovie(*g, {{&Cat::Title, "a\r"}, {&Cat::Director, ""}, {&Cat::Synopsis, "\nb"}});
  AddMovie(*g, {{&Cat::Title, "c\r\r\n"}, {&Cat::Director, "d\n\r"}, {&Cat::Synopsis, "e"}});
  // A CR at the end of one piece and an LF at the start of the next are one
  // break, whether the pieces are values or template text, and an empty
  // value between them changes nothing; the header's CR takes the first
  // row's LF.
  EXPECT_EQ(ExportCatalogue(*g, "H\r", "\n$$제목$$\n[$$감독$$]\r$$감독$$$$영화내용$$"_k, "\r\n", Options(false)),
            "H\r\na\r\n[]\r\nb"
            "\r\nc\r\n\r\n\r\n[d\r\n\r\n]\r\nd\r\n\r\ne"
            "\r\n"_k);
  EXPECT_EQ(ExportCatalogue(*g, "<p>\r", "$$영화내용$$<br>\n"_k, "</p>\n", Options(true)),
            "<p>\r\nb<br>\r\ne<br>\r\n</p>\r\n");
}

// The rows' text as the test expects it: an HTML export of a title and a
// synopsis built from pieces whose escaped form is known.
struct TExpectedCatalogue {
  std::unique_ptr<TExColumnGrid> Grid = NewCatalogue();
  AnsiString Expected = "<ol>\r\n";

  void Add(int number, int pieces) {
    AnsiString synopsis, synopsisOut;
    for (int i = 0; i < pieces; ++i) {
      synopsis += i % 2 ? "<줄 'a'>\n"_k : "\"q\" & 그\r\n"_k;
      synopsisOut += i % 2 ? "&lt;줄 &#39;a&#39;&gt;\r\n"_k : "&quot;q&quot; &amp; 그\r\n"_k;
    }
    const AnsiString title = "영화 "_k + IntToStr(number);
    AddMovie(*Grid, {{&Cat::Title, title}, {&Cat::Synopsis, synopsis}});
    Expected += "<li>" + IntToStr(number) + ". " + title + "|" + synopsisOut + "</li>\r\n";
  }
  AnsiString Export() const {
    return ExportCatalogue(*Grid, "<ol>\r\n", "<li>$$번호$$. $$제목$$|$$영화내용$$</li>\n"_k, "</ol>", Options(true));
  }
};

TEST(Export, ALargeCatalogueWhoseRowsChangeLengthExportsEveryByte) {
  // The first rows short and the rest long: the room judged from the first
  // rows runs out, again and again.
  TExpectedCatalogue growing;
  for (int n = 1; n <= 2000; ++n) growing.Add(n, n <= 300 ? 0 : 240);
  const AnsiString grown = growing.Export();
  ASSERT_GT(grown.size(), 8u << 20);
  EXPECT_TRUE(grown == growing.Expected + "</ol>\r\n") << grown.size() << " bytes, " << growing.Expected.size() + 7
                                                        << " expected";
  // The first rows long and the rest short: far more room than needed.
  TExpectedCatalogue shrinking;
  for (int n = 1; n <= 2000; ++n) shrinking.Add(n, n <= 300 ? 200 : 1);
  const AnsiString shrunk = shrinking.Export();
  EXPECT_TRUE(shrunk == shrinking.Expected + "</ol>\r\n") << shrunk.size() << " bytes, "
                                                          << shrinking.Expected.size() + 7 << " expected";
}

TEST(Export, AColumnMovedWhileTheProgressIsShownIsReadWhereItNowStands) {
  auto g = NewCatalogue();
  AnsiString expected;
  for (int n = 1; n <= 400; ++n) {
    AddMovie(*g, {{&Cat::Title, "T" + IntToStr(n)}, {&Cat::Director, "D" + IntToStr(n)}});
    expected += "T" + IntToStr(n) + "/D" + IntToStr(n) + "\r\n";
  }
  const int title = CatalogueColumnIndex(*g, Cat::Title), director = CatalogueColumnIndex(*g, Cat::Director);
  int calls = 0;
  const AnsiString out = ExportCatalogue(*g, "", "$$제목$$/$$감독$$\r\n"_k, "", Options(false), [&](int percent) {
    ++calls;
    // Halfway the director's column is dragged before the title's.
    if (percent == 50) g->MoveColumn(director, title);
  });
  EXPECT_EQ(calls, 101);  // 0 to 100
  ASSERT_EQ(CatalogueColumnIndex(*g, Cat::Director), title);
  EXPECT_EQ(out, expected);
}

TEST(Export, SectionsBetweenTheirMarkers) {
  const AnsiString text = "[윗부분]\r\nH1\r\nH2\r\n[/윗부분]\r\n[가운데부분]<td>$$제목$$</td>[/가운데부분]"_k;
  // Taken as they stand: the line breaks after and before the markers too.
  EXPECT_EQ(ExtractTemplateSection(text, kPutHeaderStart, kPutHeaderEnd), "\r\nH1\r\nH2\r\n");
  EXPECT_EQ(ExtractTemplateSection(text, kPutBodyStart, kPutBodyEnd), "<td>$$제목$$</td>"_k);
  EXPECT_EQ(ExtractTemplateSection(text, kPutFooterStart, kPutFooterEnd), "");  // no footer
  EXPECT_EQ(ExtractTemplateSection("[/윗부분]x[윗부분]"_k, kPutHeaderStart, kPutHeaderEnd), "");
  EXPECT_EQ(ExtractTemplateSection("[윗부분]x[/윗부분]"_k, "[윗부분]", kPutHeaderEnd), "");  // other case, no match
  EXPECT_EQ(ExtractTemplateSection("[윗부분]\r\n\r\n[/윗부분]"_k, kPutHeaderStart, kPutHeaderEnd), "\r\n\r\n");
  // Saved, a template holds each section between its markers on one line.
  const AnsiString saved = BuildTemplateText("\r\nH1\r\n", "<td>$$제목$$</td>"_k, "");
  EXPECT_EQ(saved, "[윗부분]\r\nH1\r\n[/윗부분]\r\n[가운데부분]<td>$$제목$$</td>[/가운데부분]\r\n[아랫부분][/아랫부분]\r\n"_k);
  EXPECT_EQ(ExtractTemplateSection(saved, kPutHeaderStart, kPutHeaderEnd), "\r\nH1\r\n");
  EXPECT_EQ(ExtractTemplateSection(saved, kPutBodyStart, kPutBodyEnd), "<td>$$제목$$</td>"_k);
  EXPECT_EQ(BuildTemplateText(ExtractTemplateSection(saved, kPutHeaderStart, kPutHeaderEnd),
                              ExtractTemplateSection(saved, kPutBodyStart, kPutBodyEnd),
                              ExtractTemplateSection(saved, kPutFooterStart, kPutFooterEnd)),
            saved);
}

class ExportWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TDialogFakes::Enable();
    SetClock([] { return EncodeDate(2026, 3, 5) + EncodeTime(9, 30, 0, 0); });
  }
  void TearDown() override {
    SetClock({});
    TDialogFakes::Disable();
  }
  TempFolder folder_;
};

TEST_F(ExportWindowTest, ListsTemplatesEditsSavesAndExportsThroughTheDialog) {
  const AnsiString scripts = folder_.Path();
  WriteTextFile(scripts + "나.put"_k, BuildTemplateText("H\r\n", "$$제목$$\r\n"_k, "F\r\n"));
  WriteTextFile(scripts + "가.put"_k, "[가운데부분]\r\n* $$제목$$ ($$감독$$)\r\n[/가운데부분]\r\n"_k);
  WriteTextFile(scripts + "other.txt", "x");
  auto g = ThreeMovies();
  TFormPut form(nullptr, g.get());
  form.ScriptFolder = scripts;
  form.PosterFolder = "/p/";
  form.Show();
  ASSERT_EQ(form.ScComboBox1->Items()->Count(), 2);
  EXPECT_EQ(form.ScComboBox1->Text(), "가.put"_k);
  EXPECT_EQ(form.ScMemo2->Text(), "\r\n* $$제목$$ ($$감독$$)\r\n"_k);
  EXPECT_EQ(form.ScMemo3->Text(), "");  // no header in this one
  EXPECT_FALSE(form.ScGroupBox2->Visible());
  EXPECT_EQ(form.Height(), TFormPut::kClosedHeight);

  // Edit the body and save: the file holds the three sections.
  form.ScButton4->Click();
  EXPECT_TRUE(form.ScGroupBox2->Visible());
  EXPECT_TRUE(form.ScButton3->Visible());
  EXPECT_EQ(form.Height(), TFormPut::kOpenHeight);
  // The window on screen grows too, though a dialog's size is fixed.
  const AnsiString shot = scripts + "window.png";
  ASSERT_TRUE(SaveWindowImage(&form, shot));
  EXPECT_EQ(PngHeight(ReadTextFile(shot)), TFormPut::kOpenHeight);
  DeleteFile(shot);
  form.ScMemo2->SetText("$$번호$$ $$제목$$\r\n"_k);
  form.ScButton3->Click();
  EXPECT_FALSE(form.ScGroupBox2->Visible());
  EXPECT_EQ(ReadTextFile(scripts + "가.put"_k), BuildTemplateText("", "$$번호$$ $$제목$$\r\n"_k, ""));

  // A new name typed into the list saves the memos as a new template.
  form.ScComboBox1->SetText("");
  SimulateTyping(form.ScComboBox1, "new");
  ASSERT_EQ(form.ScComboBox1->Text(), "new");
  EXPECT_TRUE(TDialogFakes::MessageBoxes().empty());  // no template of that name is looked for
  form.ScComboBox1->SetText("새양식"_k);
  form.ScButton3->Click();
  EXPECT_EQ(ReadTextFile(scripts + "새양식.put"_k), BuildTemplateText("", "$$번호$$ $$제목$$\r\n"_k, ""));
  EXPECT_EQ(form.ScComboBox1->Items()->Count(), 3);
  DeleteFile(scripts + "새양식.put"_k);

  // Export to an HTML file: values escaped, lines ended by CR LF.
  const AnsiString out = scripts + "목록.html"_k;
  TDialogFakes::QueueFileName(out);
  form.ScButton1->Click();
  EXPECT_EQ(ReadTextFile(out),
            "1 살인의 추억\r\n2 &lt;Blade Runner&gt; &amp; Co\r\n3 괴물\r\n"_k);
  ASSERT_FALSE(TDialogFakes::MessageBoxes().empty());
  EXPECT_EQ(TDialogFakes::MessageBoxes().back().Text, "목록을 내보냈습니다."_k);
  EXPECT_TRUE(form.ScButton1->Enabled());
  EXPECT_TRUE(form.ScComboBox1->Enabled());
  // Nothing but the output beside it: the temporary file went.
  EXPECT_EQ(ListFolder(scripts).size(), 4u);

  // A cancelled dialog exports nothing.
  const std::size_t boxes = TDialogFakes::MessageBoxes().size();
  form.ScButton1->Click();
  EXPECT_EQ(TDialogFakes::MessageBoxes().size(), boxes);
}

TEST_F(ExportWindowTest, ATemplateWithMarkersOnLinesOfTheirOwnExportsAndSavesUnchanged) {
  // Markers on lines of their own, as templates have long been written.
  const AnsiString original = ReadTextFile(AnsiString(VIDRENA_TEST_DATA) + "/export/old_layout.put");
  ASSERT_FALSE(original.empty());
  const AnsiString scripts = folder_.Path();
  WriteTextFile(scripts + "목록.put"_k, original);
  auto g = NewCatalogue();
  AddMovie(*g, {{&Cat::Title, "괴물"_k}, {&Cat::Year, "2006"}, {&Cat::Director, "봉준호"_k}});
  AddMovie(*g, {{&Cat::Title, "Heat"}, {&Cat::Year, "1995"}, {&Cat::Director, "Michael Mann"}});
  TFormPut form(nullptr, g.get());
  form.ScriptFolder = scripts;
  form.Show();
  ASSERT_EQ(form.ScComboBox1->Text(), "목록.put"_k);

  // Every line break of the file is kept: a blank line opens the output and
  // stands between the movies and before the footer.
  const AnsiString expected =
      "\r\n영화 목록 (2편)\r\n==========\r\n"
      "\r\n1. 괴물 (2006)\r\n    감독 : 봉준호\r\n"
      "\r\n2. Heat (1995)\r\n    감독 : Michael Mann\r\n"
      "\r\n==========\r\n끝\r\n"_k;
  const AnsiString out = scripts + "목록.txt"_k;
  TDialogFakes::QueueFileName(out);
  form.ScButton1->Click();
  EXPECT_EQ(ReadTextFile(out), expected);

  // Saved without a change, the file keeps its bytes; loaded again, it
  // exports the same.
  form.ScButton4->Click();
  form.ScButton3->Click();
  EXPECT_EQ(ReadTextFile(scripts + "목록.put"_k), original);
  const AnsiString header = form.ScMemo3->Text(), body = form.ScMemo2->Text(), footer = form.ScMemo1->Text();
  form.ScMemo2->SetText("");
  form.ScComboBox1Change(form.ScComboBox1);
  EXPECT_EQ(form.ScMemo3->Text(), header);
  EXPECT_EQ(form.ScMemo2->Text(), body);
  EXPECT_EQ(form.ScMemo1->Text(), footer);
  DeleteFile(out);
  TDialogFakes::QueueFileName(out);
  form.ScButton1->Click();
  EXPECT_EQ(ReadTextFile(out), expected);

  // A section edited without line breaks around it is saved on the
  // markers' line and read back as typed.
  form.ScMemo3->SetText("머리"_k);
  form.ScButton3->Click();
  form.ScComboBox1Change(form.ScComboBox1);
  EXPECT_EQ(form.ScMemo3->Text(), "머리"_k);
  EXPECT_EQ(form.ScMemo2->Text(), body);
  const AnsiString headerLine = "[윗부분]머리[/윗부분]\r\n[가운데부분]\r\n"_k;
  EXPECT_EQ(ReadTextFile(scripts + "목록.put"_k).substr(0, headerLine.size()), headerLine);
}

TEST_F(ExportWindowTest, AnUnwritableOutputShowsTheErrorAndTheWindowStaysUsable) {
  WriteTextFile(folder_.Path() + "t.put", BuildTemplateText("", "$$제목$$\r\n"_k, ""));
  auto g = ThreeMovies();
  TFormPut form(nullptr, g.get());
  form.ScriptFolder = folder_.Path();
  form.Show();
  TDialogFakes::QueueFileName(folder_.Path() + "없는폴더/out.txt"_k);
  form.ScButton1->Click();
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);
  EXPECT_NE(TDialogFakes::MessageBoxes()[0].Text, "목록을 내보냈습니다."_k);
  EXPECT_TRUE(form.ScButton1->Enabled());
  EXPECT_TRUE(form.ScButton2->Enabled());
}

TEST(ExportShipped, TheTwoTemplatesOfTheApplicationFolderExport) {
  AppFolderCopy app;
  const AnsiString scripts = app.Path() + "Script/";
  auto g = ThreeMovies();
  SetCatalogueCell(*g, Cat::Posters, 2, "blade.jpg");
  // No dollars in the values: any left in the output would be the template's.
  SetCatalogueCell(*g, Cat::Synopsis, 1, "");
  SetCatalogueCell(*g, Cat::Synopsis, 3, "");
  const std::vector<AnsiString> names = ListFolder(scripts);
  ASSERT_EQ(names.size(), 2u);
  bool sawHtml = false;
  for (const AnsiString& name : names) {
    const AnsiString text = ReadTextFile(scripts + name);
    const AnsiString body = ExtractTemplateSection(text, kPutBodyStart, kPutBodyEnd);
    ASSERT_FALSE(body.empty()) << name;
    const bool html = text.find("<html") != AnsiString::npos;
    TPutOptions o = Options(html);
    o.PosterFolder = app.Path() + "Poster/";
    const AnsiString out = ExportCatalogue(*g, ExtractTemplateSection(text, kPutHeaderStart, kPutHeaderEnd), body,
                                           ExtractTemplateSection(text, kPutFooterStart, kPutFooterEnd), o);
    EXPECT_EQ(out.find("$$"), AnsiString::npos) << name;  // every placeholder known
    if (html) {
      sawHtml = true;
      EXPECT_NE(out.find("&lt;Blade Runner&gt; &amp; Co"), AnsiString::npos);
      EXPECT_NE(out.find("src=\"" + o.PosterFolder + "blade.jpg\""), AnsiString::npos);
    } else {
      EXPECT_NE(out.find("<Blade Runner> & Co"), AnsiString::npos);
    }
  }
  EXPECT_TRUE(sawHtml);
}

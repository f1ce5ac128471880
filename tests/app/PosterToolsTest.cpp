#include <gtest/gtest.h>

#include "app/PosterUtil.h"
#include "platform/vcl/Dialogs.h"
#include "tests/app/ToolsTestSupport.h"

namespace {

// A poster folder and a second folder, with a catalogue naming posters.
class PosterToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TDialogFakes::Enable();
    posters_ = root_.Path() + "Poster/";
    other_ = root_.Path() + "다른폴더/"_k;
    ForceDirectories(posters_);
    ForceDirectories(other_);
  }
  void TearDown() override { TDialogFakes::Disable(); }
  void Put(const AnsiString& name, const AnsiString& bytes = "jpeg") { WriteTextFile(name, bytes); }
  AnsiString Posters(int row) { return CatalogueCell(*g_, Cat::Posters, row); }

  TempFolder root_;
  AnsiString posters_, other_;
  std::unique_ptr<TExColumnGrid> g_ = NewCatalogue();
};

}  // namespace

TEST_F(PosterToolsTest, CleanDeletesOnlyWhatNoMovieNames) {
  for (const char* name : {"a.jpg", "B.JPG", "full.jpg", "hidden.jpg", "noimage.jpg", "badImage.jpg", "unused.jpg",
                           "unused2.png"})
    Put(posters_ + name);
  ForceDirectories(posters_ + "sub");
  Put(posters_ + "sub/inner.jpg");
  AddMovie(*g_, {{&Cat::Title, "A"}, {&Cat::Posters, "a.jpg,b.jpg"}});
  AddMovie(*g_, {{&Cat::Title, "F"}, {&Cat::Posters, JoinPosterList({posters_ + "full.jpg", other_ + "unused.jpg"})}});
  AddMovie(*g_, {{&Cat::Title, "H"}, {&Cat::Posters, "hidden.jpg"}});
  // A search hides H: its poster is still the catalogue's.
  SearchCatalogue(*g_, Cat::Title, "A");
  ASSERT_EQ(g_->RowCount(), 2);

  TPosterUtilForm form(nullptr, g_.get());
  form.PosterFolder = posters_;
  const std::vector<AnsiString> before = ListFolder(posters_);
  // It asks first, naming how many files go; No deletes nothing.
  TDialogFakes::QueueAnswer(mrNo);
  form.ScButton1->Click();
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Text, "목록에 쓰이지 않는 포스터 파일 2개를 삭제하시겠습니까?"_k);
  EXPECT_EQ(ListFolder(posters_), before);
  EXPECT_TRUE(form.ScButton1->Enabled());
  TDialogFakes::QueueAnswer(mrYes);
  form.ScButton1->Click();
  EXPECT_EQ(ListFolder(posters_), (std::vector<AnsiString>{"B.JPG", "a.jpg", "badImage.jpg", "full.jpg",
                                                          "hidden.jpg", "noimage.jpg", "sub"}));
  EXPECT_TRUE(FileExists(posters_ + "sub/inner.jpg"));
  EXPECT_EQ(form.ScLabel2->Caption(), "작업을 완료 했습니다."_k);
  EXPECT_FALSE(form.ScButton1->Enabled());
  EXPECT_TRUE(form.ScButton2->Enabled());
}

TEST_F(PosterToolsTest, CleanWithoutAPosterColumnDeletesNothing) {
  Put(posters_ + "a.jpg");
  TExColumnGrid bare(nullptr);
  bare.SetColCount(3);
  const TPosterCleanResult r = CleanPosterFolder(bare, posters_);
  EXPECT_EQ(r.Deleted, 0);
  EXPECT_TRUE(FileExists(posters_ + "a.jpg"));
}

TEST_F(PosterToolsTest, RenameGivesTitleThenCumulativeSuffixesAndNeverReplaces) {
  for (const char* name : {"x.jpg", "y.jpg", "z.jpg", "p.jpg", "U.jpg", "d.jpg", "noimage.jpg"}) Put(posters_ + name, name);
  Put(other_ + "q.png");
  const int t = AddMovie(*g_, {{&Cat::Title, "T"}, {&Cat::Posters, "x.jpg,y.jpg,z.jpg"}});
  // U.jpg is taken by another file: p.jpg keeps its name.
  const int u = AddMovie(*g_, {{&Cat::Title, "U"}, {&Cat::Posters, "p.jpg"}});
  const int slash = AddMovie(*g_, {{&Cat::Title, "A/B?"}, {&Cat::Posters, JoinPosterList({"noimage.jpg", other_ + "q.png"})}});
  const int dots = AddMovie(*g_, {{&Cat::Title, ".."}, {&Cat::Posters, "d.jpg"}});
  const int sequel = AddMovie(*g_, {{&Cat::Title, "T 2"}, {&Cat::Posters, "y.jpg"}});

  EXPECT_EQ(RenamePosters(*g_, PosterRows(*g_, false), true, posters_), 3);
  // y.jpg is also the sequel's poster: it stays, for both of them.
  EXPECT_EQ(Posters(t), "T.jpg,y.jpg,T_1_2.jpg");
  EXPECT_EQ(ReadTextFile(posters_ + "y.jpg"), "y.jpg");
  EXPECT_EQ(ReadTextFile(posters_ + "T_1_2.jpg"), "z.jpg");
  EXPECT_EQ(Posters(u), "p.jpg");
  EXPECT_EQ(ReadTextFile(posters_ + "U.jpg"), "U.jpg");
  EXPECT_EQ(ReadTextFile(posters_ + "p.jpg"), "p.jpg");
  // Outside the poster folder a poster keeps its folder and its full path.
  EXPECT_EQ(Posters(slash), JoinPosterList({"noimage.jpg", other_ + "A B_1.png"}));
  EXPECT_TRUE(FileExists(posters_ + "noimage.jpg"));
  EXPECT_EQ(Posters(sequel), "y.jpg");
  // A title that makes no file name renames nothing.
  EXPECT_EQ(Posters(dots), "d.jpg");

  // By row number, on the selected movie only (it is the current one).
  g_->SetRow(u);
  g_->SetRowSelected(u, true);
  EXPECT_EQ(RenamePosters(*g_, PosterRows(*g_, true), false, posters_), 1);
  EXPECT_EQ(Posters(u), IntToStr(u) + ".jpg");
  EXPECT_EQ(Posters(t), "T.jpg,y.jpg,T_1_2.jpg");

  // A poster shared with a movie that a search hides stays, for both.
  Put(posters_ + "shared.jpg", "shared.jpg");
  AddMovie(*g_, {{&Cat::Title, "Solo"}, {&Cat::Posters, "shared.jpg"}});
  AddMovie(*g_, {{&Cat::Title, "Duo"}, {&Cat::Posters, "shared.jpg"}});
  SearchCatalogue(*g_, Cat::Title, "Solo");
  ASSERT_EQ(g_->RowCount(), 2);
  EXPECT_EQ(RenamePosters(*g_, PosterRows(*g_, false), true, posters_), 0);
  EXPECT_EQ(Posters(1), "shared.jpg");
  EXPECT_EQ(ReadTextFile(posters_ + "shared.jpg"), "shared.jpg");
}

TEST_F(PosterToolsTest, CopyAndMoveNeverReplaceAndMoveOnlyAfterACompleteCopy) {
  Put(posters_ + "a.jpg", "poster a");
  Put(posters_ + "b.jpg", "poster b");
  Put(other_ + "a.jpg", "someone else's a");
  Put(other_ + "c.jpg", "poster c");
  const int m = AddMovie(*g_, {{&Cat::Title, "M"}, {&Cat::Posters, "a.jpg,b.jpg,noimage.jpg,missing.jpg"}});
  const int n = AddMovie(*g_, {{&Cat::Title, "N"}, {&Cat::Posters, other_ + "c.jpg"}});

  // Move into the other folder: a.jpg is taken there, b.jpg moves.
  EXPECT_EQ(CopyMovePosters(*g_, {m}, other_, false, posters_), 1);
  EXPECT_EQ(Posters(m), JoinPosterList({"a.jpg", other_ + "b.jpg", "noimage.jpg", "missing.jpg"}));
  EXPECT_EQ(ReadTextFile(other_ + "a.jpg"), "someone else's a");
  EXPECT_EQ(ReadTextFile(posters_ + "a.jpg"), "poster a");
  EXPECT_EQ(ReadTextFile(other_ + "b.jpg"), "poster b");
  EXPECT_FALSE(FileExists(posters_ + "b.jpg"));

  // Copy into the poster folder: the entries become bare, the sources stay.
  EXPECT_EQ(CopyMovePosters(*g_, {m, n}, ExcludeTrailingPathDelimiter(posters_), true, posters_), 2);
  EXPECT_EQ(Posters(m), JoinPosterList({"a.jpg", "b.jpg", "noimage.jpg", "missing.jpg"}));
  EXPECT_EQ(Posters(n), "c.jpg");
  EXPECT_EQ(ReadTextFile(other_ + "c.jpg"), "poster c");
  EXPECT_EQ(ReadTextFile(posters_ + "c.jpg"), "poster c");

  EXPECT_FALSE(CopyOrMoveFile(posters_ + "missing.jpg", other_ + "missing.jpg", false));
  EXPECT_FALSE(CopyOrMoveFile(posters_ + "a.jpg", other_ + "a.jpg", false));
  EXPECT_FALSE(CopyOrMoveFile(posters_ + "a.jpg", posters_ + "A.JPG", false));  // the same file by its other case
  EXPECT_EQ(ReadTextFile(posters_ + "a.jpg"), "poster a");
}

TEST_F(PosterToolsTest, WindowRunsRenameAndCopyAndTellsTheCallerToSave) {
  Put(posters_ + "x.jpg");
  AddMovie(*g_, {{&Cat::Title, "영화"_k}, {&Cat::Posters, "x.jpg"}});
  TPosterUtilForm form(nullptr, g_.get());
  form.PosterFolder = posters_;
  EXPECT_EQ(form.ScButton3->Tag(), 0);
  form.ScButton3->Click();
  EXPECT_EQ(Posters(1), "영화.jpg"_k);
  EXPECT_EQ(form.ScButton3->Tag(), 1);
  EXPECT_FALSE(form.ScButton3->Enabled());
  EXPECT_TRUE(form.ScButton4->Enabled());

  // The target folder comes from the folder dialog, which starts at the
  // poster folder; cancelling it leaves the run off.
  EXPECT_FALSE(form.ScButton5->Enabled());
  TDialogFakes::QueueFolder(std::nullopt);
  form.ScButtonEdit1->ButtonClick();
  EXPECT_FALSE(form.ScButton5->Enabled());
  TDialogFakes::QueueFolder(ExcludeTrailingPathDelimiter(other_));
  form.ScButtonEdit1->ButtonClick();
  ASSERT_TRUE(form.ScButton5->Enabled());
  EXPECT_EQ(form.ScButtonEdit1->Text(), ExcludeTrailingPathDelimiter(other_));
  EXPECT_EQ(form.ScRadioGroup3->ItemIndex(), 1);  // copy unless the user picks move
  form.ScButton5->Click();
  EXPECT_EQ(Posters(1), other_ + "영화.jpg"_k);
  EXPECT_TRUE(FileExists(posters_ + "영화.jpg"_k));
  EXPECT_TRUE(form.ScButton6->Enabled());

  // On the chosen movies: a series' poster that both name moves once and
  // both follow it; one that a movie left out names as well stays, for it.
  // Files passed over are counted and the tool says why.
  Put(posters_ + "s.jpg");
  Put(posters_ + "t.jpg");
  const int first = AddMovie(*g_, {{&Cat::Title, "1편"_k}, {&Cat::Posters, "s.jpg"}});
  const int second = AddMovie(*g_, {{&Cat::Title, "2편"_k}, {&Cat::Posters, "s.jpg,t.jpg"}});
  const int left = AddMovie(*g_, {{&Cat::Title, "외전"_k}, {&Cat::Posters, "t.jpg"}});
  g_->SetRowSelected(first, true);
  g_->SetRowSelected(second, true);
  TPosterUtilForm chosen(nullptr, g_.get());
  chosen.PosterFolder = posters_;
  chosen.ScRadioGroup4->SetItemIndex(1);
  chosen.ScButton3->Click();
  chosen.ScRadioGroup2->SetItemIndex(1);
  chosen.ScRadioGroup3->SetItemIndex(0);
  TDialogFakes::QueueFolder(ExcludeTrailingPathDelimiter(other_));
  chosen.ScButtonEdit1->ButtonClick();
  chosen.ScButton5->Click();
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 2u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Text, "여러 영화가 함께 쓰는 포스터 파일 2개는 이름을 바꾸지 않았습니다."_k);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[1].Text, "목록에 없는 영화도 함께 쓰는 포스터 파일 1개는 옮기지 않았습니다."_k);
  EXPECT_EQ(Posters(first), other_ + "s.jpg");
  EXPECT_EQ(Posters(second), JoinPosterList({other_ + "s.jpg", "t.jpg"}));
  EXPECT_EQ(Posters(left), "t.jpg");
  EXPECT_TRUE(FileExists(other_ + "s.jpg") && FileExists(posters_ + "t.jpg"));
}

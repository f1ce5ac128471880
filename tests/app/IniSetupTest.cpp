#include "app/IniSetup.h"

#include <gtest/gtest.h>

#include "tests/app/AppTestSupport.h"
#include "grid/ExCGrid.h"

namespace {

class IniSetupTest : public ::testing::Test {
 protected:
  TempFolder dir_;
  AnsiString ini_ = dir_.Path() + "Vidrena.ini";
};

}  // namespace

TEST_F(IniSetupTest, NoFileStartsWithJournalOffBackupsOnUpdateCheckOnAndPosterNamesKept) {
  TMemIniFile ini(ini_);
  TIniSetup s = ReadIniSetup(ini);
  EXPECT_FALSE(s.UseAutoSave);
  EXPECT_TRUE(s.MakeBackupFile);
  EXPECT_TRUE(s.CheckNewVersion);
  EXPECT_EQ(s.PosterRenameMode, 2);
  EXPECT_FALSE(s.OpenDBAtStart);
  EXPECT_EQ(s.LentTextColor, clBlack);
  EXPECT_EQ(s.LentBackColor, 0x00DAABE0u);
  EXPECT_EQ(s.WatchedBackColor, 0x0097CE93u);
}

TEST_F(IniSetupTest, ColourTextsInBothFormsAndBadValuesFallBackQuietly) {
  WriteTextFile(ini_,
                "[목록색상]\r\n대여글자=ClRed\r\n대여바탕=$00102030\r\n시청글자=not a colour\r\n"
                "시청바탕=$zz\r\n[일반]\r\n포스터이름변경=257\r\n시작시DB열기=abc\r\n"
                "백업폴더만들기=5\r\nDB파일=/x/영화.VDM\r\n[웹]\r\n검색값=-1\r\n"_k);
  TMemIniFile ini(ini_);
  TIniSetup s = ReadIniSetup(ini);
  EXPECT_EQ(s.LentTextColor, clRed);
  EXPECT_EQ(s.LentBackColor, 0x00102030u);
  EXPECT_EQ(s.WatchedTextColor, clBlack);        // default of its key
  EXPECT_EQ(s.WatchedBackColor, 0x0097CE93u);    // default of its key
  EXPECT_EQ(s.PosterRenameMode, 1);              // low 8 bits of 257
  EXPECT_FALSE(s.OpenDBAtStart);                 // unreadable: default
  EXPECT_TRUE(s.UseAutoSave);                    // any non-zero number
  EXPECT_EQ(s.DBFile, "/x/영화.VDM"_k);
  EXPECT_EQ(s.WebSearchSite, 255);
}

TEST_F(IniSetupTest, GridColoursApplyOnlyWithColorRows) {
  TExColumnGrid grid(nullptr);
  TIniGridLook designed = GridLookOf(grid);
  WriteTextFile(ini_, "[목록]\r\n색상구분=0\r\n[목록색상]\r\n기본바탕=clYellow\r\n목록선=$000000FF\r\n"_k);
  TIniSetup s;
  LoadIniSetup(ini_, s, grid);
  EXPECT_EQ(grid.Color(), designed.Color);
  EXPECT_EQ(grid.GridLineColor(), designed.GridLineColor);

  WriteTextFile(ini_, "[목록]\r\n색상구분=1\r\n[목록색상]\r\n기본바탕=clYellow\r\n목록선=$000000FF\r\n"
                      "선택바탕=garbage\r\n"_k);
  LoadIniSetup(ini_, s, grid);
  EXPECT_EQ(grid.Color(), clYellow);
  EXPECT_EQ(grid.GridLineColor(), 0x0000FFu);
  EXPECT_EQ(grid.SelectionColor(), designed.SelectionColor);  // unreadable: the grid's own
}

TEST_F(IniSetupTest, SaveWritesEveryKeyAndReadsBackTheSame) {
  TIniSetup s;
  s.UseAutoSave = true;
  s.PosterRenameMode = 0;
  s.DBFile = dir_.Path() + "DB/내영화.VDM"_k;
  s.LentBackColor = 0x00123456;
  s.WatchedTextColor = clNavy;
  TIniGridLook look;
  look.GridLineColor = 0x00ABCDEF;
  look.HintShowLargeText = false;
  SaveIniSetup(ini_, s, look);

  AnsiString text = ReadTextFile(ini_);
  EXPECT_NE(text.find("대여바탕=$00123456"_k), std::string::npos);
  EXPECT_NE(text.find("시청글자=clNavy"_k), std::string::npos);
  TMemIniFile ini(ini_);
  TIniSetup back = ReadIniSetup(ini);
  EXPECT_TRUE(back.UseAutoSave);
  EXPECT_EQ(back.PosterRenameMode, 0);
  EXPECT_EQ(back.DBFile, s.DBFile);
  EXPECT_EQ(back.LentBackColor, 0x00123456u);
  EXPECT_EQ(back.WatchedTextColor, clNavy);
  TIniGridLook lookBack = ReadIniGridLook(ini, TIniGridLook{});
  EXPECT_EQ(lookBack.GridLineColor, 0x00ABCDEFu);
  EXPECT_FALSE(lookBack.HintShowLargeText);
  // Nothing but the file itself is left in the folder: the temporary was renamed.
  EXPECT_EQ(ListFolder(dir_.Path()), std::vector<AnsiString>{"Vidrena.ini"});

  // Each key alone, read and written again, comes back in its own section
  // and key, and every other key keeps its default.
  using namespace IniKey;
  const struct {
    const AnsiString& Section;
    const AnsiString& Key;
    const char* Text;
  } keys[] = {
      {General, PosterAutoSize, "0"},     {General, MakeBackupFile, "0"},     {General, UseAutoSave, "1"},
      {General, SplitStatistics, "0"},    {General, CheckNewVersion, "0"},    {General, OpenDBAtStart, "1"},
      {General, DBFile, "/db/a.VDM"},     {MovieInfo, ShowSimilarTitles, "0"}, {General, PosterRenameMode, "1"},
      {Web, WebSearchSite, "3"},          {Web, SendMovieInfo, "1"},          {Web, CheckWebInfo, "0"},
      {AutoList, AddUnlistedValues, "0"}, {List, ColorRows, "0"},             {List, HintShowLargeText, "0"},
      {ListColors, LentText, "$00000001"},    {ListColors, LentBack, "$00000002"},
      {ListColors, WatchedText, "$00000003"}, {ListColors, WatchedBack, "$00000004"},
      {ListColors, BaseText, "$00000005"},    {ListColors, BaseBack, "$00000006"},
      {ListColors, SelectText, "$00000007"},  {ListColors, SelectBack, "$00000008"},
      {ListColors, GroupText, "$00000009"},   {ListColors, GroupBack, "$0000000A"},
      {ListColors, GridLine, "$0000000B"}};
  TMemIniFile defaults(dir_.Path() + "defaults.ini");
  WriteIniSetup(defaults, TIniSetup{}, TIniGridLook{});
  for (const auto& one : keys) {
    TMemIniFile in(dir_.Path() + "in.ini"), again(dir_.Path() + "again.ini");
    in.WriteString(one.Section, one.Key, one.Text);
    WriteIniSetup(again, ReadIniSetup(in), ReadIniGridLook(in, TIniGridLook{}));
    for (const auto& k : keys)
      EXPECT_EQ(again.ReadString(k.Section, k.Key, "?"),
                &k == &one ? AnsiString(k.Text) : defaults.ReadString(k.Section, k.Key, "?"))
          << Cp949ToUtf8(one.Key) << " written, " << Cp949ToUtf8(k.Key) << " read";
  }
}

TEST_F(IniSetupTest, TheDialogsNameInOtherLetterCaseIsTheSameFile) {
  WriteTextFile(ini_, "[일반]\r\n백업파일만들기=0\r\n"_k);
  TIniSetup s = ReadIniSetup(*std::make_unique<TMemIniFile>(dir_.Path() + "Vidrena.Ini"));
  EXPECT_FALSE(s.MakeBackupFile);
  SaveIniSetup(dir_.Path() + "Vidrena.Ini", s, TIniGridLook{});
  EXPECT_EQ(ListFolder(dir_.Path()), std::vector<AnsiString>{"Vidrena.ini"});
}

// A path whose exact name is missing names the entry that differs from it
// only in ASCII letter case; new files keep the name they were given.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

namespace {

class LetterCase : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vidrena-case-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = AnsiString(pattern) + "/";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::vector<std::string> Entries(const AnsiString& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(SysFileName(dir)))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  AnsiString dir_;
};

}  // namespace

TEST_F(LetterCase, MissingNamesFindTheirCaseVariantInEveryFolderOfThePath) {
  ASSERT_TRUE(ForceDirectories(dir_ + "Poster"));
  TStringList list;
  list.Add("x");
  list.SaveToFile(dir_ + "Poster/badImage.jpg");
  EXPECT_TRUE(FileExists(dir_ + "poster/badimage.jpg"));
  EXPECT_TRUE(DirectoryExists(dir_ + "POSTER"));
  EXPECT_EQ(FileSizeOf(dir_ + "poster/BADIMAGE.JPG"), FileSizeOf(dir_ + "Poster/badImage.jpg"));
  TStringList back;
  back.LoadFromFile(dir_ + "POSTER/BadImage.JPG");
  EXPECT_EQ(back.Text(), "x\r\n");
  // The catalogue's backup: written as ".Bak", restored as ".BAK".
  list.SaveToFile(dir_ + "영화.Bak"_k);
  EXPECT_TRUE(FileExists(dir_ + "영화.BAK"_k));
  EXPECT_TRUE(DeleteFile(dir_ + "영화.BAK"_k));
  EXPECT_FALSE(FileExists(dir_ + "영화.Bak"_k));
}

TEST_F(LetterCase, NewFilesKeepTheirNameAndKoreanNamesAreUtf8OnDisk) {
  TStringList list;
  list.Add("a");
  list.SaveToFile(dir_ + "새파일.VDM"_k);
  list.SaveToFile(dir_ + "Other.txt");
  EXPECT_EQ(Entries(dir_), (std::vector<std::string>{"Other.txt", "새파일.VDM"}));
  // Writing through another case of an existing name writes that file.
  list.Add("b");
  list.SaveToFile(dir_ + "OTHER.TXT");
  EXPECT_EQ(Entries(dir_), (std::vector<std::string>{"Other.txt", "새파일.VDM"}));
  EXPECT_TRUE(ForceDirectories(dir_ + "AutoSave/내영화.VDM"_k));
  EXPECT_TRUE(DirectoryExists(dir_ + "autosave/내영화.vdm"_k));
}

TEST_F(LetterCase, AnExactNameWinsOverItsVariants) {
  // Two variants made outside the program, as a case-sensitive disk allows.
  std::ofstream(std::string(dir_) + "name.ini") << "lower\r\n";
  std::ofstream(std::string(dir_) + "NAME.ini") << "upper\r\n";
  TStringList back;
  back.LoadFromFile(dir_ + "NAME.ini");
  EXPECT_EQ(back.Text(), "upper\r\n");
  back.LoadFromFile(dir_ + "name.ini");
  EXPECT_EQ(back.Text(), "lower\r\n");
}

// The names-only folder listing finds what FindFirst finds, without folders.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/rtl/FileNames.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::vector<AnsiString> FindFirstFiles(const AnsiString& folder, const char* mask) {
  std::vector<AnsiString> names;
  TSearchRec rec;
  if (FindFirst(folder + "/" + mask, faAnyFile, rec) == 0) {
    do {
      if (!(rec.Attr & faDirectory)) names.push_back(rec.Name);
    } while (FindNext(rec) == 0);
    FindClose(rec);
  }
  return names;
}

TEST(FileNames, NamesOfTheFilesMatchingAMaskAsFindFirstSeesThem) {
  char pattern[] = "/tmp/vidrena-filenames-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::filesystem::path root = pattern;
  const AnsiString folder = FromSysFileName(pattern) + "/Movies영화"_k;
  ForceDirectories(folder + "/folder.avi");
  ForceDirectories(folder + "/elsewhere");
  for (const AnsiString& name : {"b.avi"_k, "A.AVI"_k, "가.avi"_k, ".hidden.avi"_k, "notes.txt"_k})
    std::ofstream(SysFileName(folder + "/" + name)) << "x";
  const std::filesystem::path sysFolder = SysFileName(folder);
  std::filesystem::create_directory_symlink(sysFolder / "elsewhere", sysFolder / "linked.avi");
  std::filesystem::create_symlink(sysFolder / "b.avi", sysFolder / "alias.avi");
  std::filesystem::create_symlink(sysFolder / "gone", sysFolder / "broken.avi");

  const std::vector<AnsiString> expected{".hidden.avi", "A.AVI", "alias.avi", "b.avi", "broken.avi", "가.avi"_k};
  EXPECT_EQ(FileNamesIn(folder, "*.avi"), expected);
  std::vector<AnsiString> found = FindFirstFiles(folder, "*.avi");
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, expected);
  // The folder's name in another letter case is the same folder.
  EXPECT_EQ(FileNamesIn(FromSysFileName(pattern) + "/MOVIES영화/"_k, "*.AVI"), expected);
  EXPECT_TRUE(FileNamesIn(folder + "/no-such-folder", "*").empty());
  std::filesystem::remove_all(root);
}

}  // namespace

// Saving the catalogue when things go wrong: a disk that runs full keeps the
// file and its backup as they were and says so in Korean; what killed saves
// left beside the catalogue goes with the next save.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tests/app/FormMainTestSupport.h"
#include "tests/net/NetTestSupport.h"

namespace {

const AnsiString kDiskFull = "디스크 공간이 부족하여 DB를 저장하지 못했습니다."_k;

// A small file system of its own (tmpfs), mounted for one test; Ok() is
// false where this process may not mount.
class TSmallDisk {
 public:
  explicit TSmallDisk(const AnsiString& folder, const char* size) : folder_(folder) {
    ForceDirectories(folder);
    const std::string options = std::string("size=") + size;
    mounted_ = ::mount("tmpfs", SysFileName(folder).c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    if (!mounted_) why_ = std::strerror(errno);
  }
  ~TSmallDisk() {
    if (mounted_) ::umount2(SysFileName(folder_).c_str(), MNT_DETACH);
  }
  bool Ok() const { return mounted_; }
  const std::string& Why() const { return why_; }

 private:
  AnsiString folder_;
  bool mounted_ = false;
  std::string why_;
};

std::vector<std::string> Names(const AnsiString& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(SysFileName(folder)))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Saves the window's catalogue under a new name, as the save dialog does.
void SaveAs(TFormMain& w, const AnsiString& file) {
  TDialogFakes::QueueFileName(file);
  ASSERT_TRUE(w.SaveDB("NewDB"));
}

}  // namespace

TEST_F(CatalogueWindowTest, ASaveOnAFullDiskKeepsTheFileAndItsBackupAndSaysTheDiskIsFull) {
  const AnsiString folder = app_.Path() + "small";
  TSmallDisk disk(folder, "256k");
  if (!disk.Ok()) GTEST_SKIP() << "no small tmpfs to fill (mount failed: " << disk.Why() << ")";
  const AnsiString file = folder + "/full.VDM", backup = ChangeFileExt(file, ".Bak");
  TFormMain* w = OpenWindow();
  AddMovie(*w, "첫판"_k);
  SaveAs(*w, file);
  AddMovie(*w, "둘째판"_k);
  ASSERT_TRUE(w->SaveDB(file));
  const std::string fileBefore = ReadTextFile(file), backupBefore = ReadTextFile(backup);
  ASSERT_NE(fileBefore, backupBefore);

  // A synopsis larger than the whole disk.
  const int row = AddMovie(*w, "셋째판"_k);
  SetCatalogueCell(*w->movie_Grid, Cat::Synopsis, row, AnsiString(400 * 1024, 'x'));
  EXPECT_FALSE(w->SaveDB(file));

  EXPECT_EQ(ReadTextFile(file), fileBefore);
  EXPECT_EQ(ReadTextFile(backup), backupBefore);
  EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{kDiskFull});
  EXPECT_TRUE(w->DBModified);
  // Nothing of the failed save takes room on the full disk.
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"full.Bak", "full.VDM"}));

  // Once there is room again the same window saves, and the backup moves on.
  SetCatalogueCell(*w->movie_Grid, Cat::Synopsis, row, "짧은 줄거리"_k);
  ASSERT_TRUE(w->SaveDB(file));
  EXPECT_EQ(ReadTextFile(backup), fileBefore);
  EXPECT_NE(ReadTextFile(file), fileBefore);
}

TEST_F(CatalogueWindowTest, AFailedBackupStopsTheSaveAndLeavesNoTemporaryFile) {
  TFormMain* w = OpenWindow();
  const AnsiString folder = app_.Path() + "DB/", file = folder + "kept.VDM";
  AddMovie(*w, "원본"_k);
  SaveAs(*w, file);
  const AnsiString before = ReadTextFile(file);
  AddMovie(*w, "새 영화"_k);
  ASSERT_TRUE(ForceDirectories(ChangeFileExt(file, ".Bak")));  // no backup can be made
  const std::vector<std::string> namesBefore = Names(folder);
  EXPECT_FALSE(w->SaveDB(file));
  EXPECT_EQ(ReadTextFile(file), before);
  EXPECT_EQ(Names(folder), namesBefore);
}

TEST_F(CatalogueWindowTest, ASaveRemovesWhatKilledSavesLeftAndNothingElse) {
  TFormMain* w = OpenWindow();
  const AnsiString folder = app_.Path() + "DB/", file = folder + "s.VDM";
  ASSERT_TRUE(ForceDirectories(folder));
  const int kTwoHours = 2 * 60 * 60;
  // What the program itself leaves when it is killed mid-save.
  const std::vector<std::string> stale = {"s.VDM.~41234567-1.tmp", "other.VDM.~99-12.tmp",
                                          ".vidrena-copy-aB3xYz", "s.Bak.~link-4242"};
  // A save that runs right now, and files that only look alike.
  const std::vector<std::string> kept = {"s.VDM.~51234567-2.tmp", "notes.tmp", "s.VDM.~old.tmp",
                                         "plan.~12-x.tmp", ".vidrena-copy-toolongname"};
  for (const std::string& name : stale) {
    WriteTextFile(folder + FromSysFileName(name), "partial catalogue");
    ASSERT_TRUE(AgeFile(folder + FromSysFileName(name), kTwoHours));
  }
  for (const std::string& name : kept) {
    WriteTextFile(folder + FromSysFileName(name), "someone's file");
    if (name != "s.VDM.~51234567-2.tmp") ASSERT_TRUE(AgeFile(folder + FromSysFileName(name), kTwoHours));
  }
  // A folder of a stale name is no file of ours.
  ASSERT_TRUE(ForceDirectories(folder + "d.VDM.~1-1.tmp"));
  ASSERT_TRUE(AgeFile(folder + "d.VDM.~1-1.tmp", kTwoHours));

  AddMovie(*w, "영화"_k);
  SaveAs(*w, file);

  const std::vector<std::string> names = Names(folder);
  for (const std::string& name : stale)
    EXPECT_EQ(std::count(names.begin(), names.end(), name), 0) << name << " was left";
  for (const std::string& name : kept)
    EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << name << " was removed";
  EXPECT_EQ(std::count(names.begin(), names.end(), "d.VDM.~1-1.tmp"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "s.VDM"), 1);
}

// Saving the catalogue when things go wrong: a disk that runs full, an
// error only the sync reports, a folder that cannot be written keep the file
// and its backup as they were and say so in Korean; what killed saves left
// beside the catalogue goes with the next save, and nothing else does. A
// save keeps the file what it was: a link stays a link, its permissions stay.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tests/app/FormMainTestSupport.h"
#include "tests/net/NetTestSupport.h"

namespace {

std::atomic<int> gSyncError{0};

bool IsSaveTemporaryFile(int fd) {
  char path[4096];
  const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1);
  if (n <= 0) return false;
  const std::string_view name(path, static_cast<size_t>(n));
  return name.ends_with(".tmp") && name.find(".~") != std::string_view::npos;
}

}  // namespace

TSyncFailure::TSyncFailure(int error) { gSyncError = error; }
TSyncFailure::~TSyncFailure() { gSyncError = 0; }

// Stands in for the C library's own within this test program: a disk that
// reports a failed write only when the file is synced.
extern "C" int fsync(int fd) {
  const int error = gSyncError.load();
  if (error != 0 && IsSaveTemporaryFile(fd)) {
    errno = error;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

const AnsiString kDiskFull = "디스크 공간이 부족하여 DB를 저장하지 못했습니다."_k;

AnsiString NotSaved(const AnsiString& file, const AnsiString& why) {
  return "DB 파일 \""_k + file + "\"을(를) 저장하지 못했습니다.\r"_k + why;
}

mode_t ModeOf(const AnsiString& name) {
  struct stat st {};
  ::stat(SysFileName(name).c_str(), &st);
  return st.st_mode & 07777;
}

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
  ASSERT_EQ(fileBefore, backupBefore);

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
  EXPECT_EQ(ReadTextFile(backup), ReadTextFile(file));
  EXPECT_NE(ReadTextFile(file), fileBefore);
}

TEST_F(CatalogueWindowTest, AnErrorOnlyTheSyncReportsFailsTheSaveAndKeepsFileAndBackup) {
  TFormMain* w = OpenWindow();
  const AnsiString folder = app_.Path() + "DB/", file = folder + "sync.VDM", backup = ChangeFileExt(file, ".Bak");
  AddMovie(*w, "첫판"_k);
  SaveAs(*w, file);
  AddMovie(*w, "둘째판"_k);
  ASSERT_TRUE(w->SaveDB(file));
  const std::string fileBefore = ReadTextFile(file), backupBefore = ReadTextFile(backup);
  const std::vector<std::string> namesBefore = Names(folder);
  AddMovie(*w, "셋째판"_k);
  // A full quota says the same as a full disk.
  const struct {
    int error;
    AnsiString shown;
  } cases[] = {{EIO, NotSaved(file, "디스크에 쓰는 동안 입출력 오류가 났습니다."_k)}, {EDQUOT, kDiskFull},
               {EPERM, NotSaved(file, "그 폴더에 파일을 쓸 권한이 없습니다."_k)}};
  for (const auto& c : cases) {
    TDialogFakes::Clear();
    {
      TSyncFailure failing(c.error);
      EXPECT_FALSE(w->SaveDB(file));
    }
    EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{c.shown});
    EXPECT_TRUE(ReadTextFile(file) == fileBefore);
    EXPECT_TRUE(ReadTextFile(backup) == backupBefore);
    EXPECT_EQ(Names(folder), namesBefore);
    EXPECT_TRUE(w->DBModified);
  }
}

TEST_F(CatalogueWindowTest, AFolderThatCannotBeWrittenIsNamedInKoreanWithTheCatalogue) {
  TFormMain* w = OpenWindow();
  AddMovie(*w, "영화"_k);
  // A folder that vanished while the catalogue was open.
  const AnsiString gone = app_.Path() + "gone/", goneFile = gone + "big.VDM";
  ASSERT_TRUE(ForceDirectories(gone));
  SaveAs(*w, goneFile);
  std::filesystem::remove_all(SysFileName(gone));
  AddMovie(*w, "둘째"_k);
  EXPECT_FALSE(w->SaveDB(goneFile));
  EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{NotSaved(goneFile, "폴더가 없습니다. 옮겨졌거나 지워졌을 수 있습니다."_k)});

  // A read-only folder: the superuser writes into any folder the disk lets
  // it, so a disk mounted read-only stands in for it there.
  const AnsiString folder = app_.Path() + "locked", file = folder + "/big.VDM";
  TSmallDisk disk(folder, "1m");
  if (!disk.Ok() && ::geteuid() == 0) GTEST_SKIP() << "no disk to make read-only: " << disk.Why();
  SaveAs(*w, file);
  const std::string before = ReadTextFile(file);
  AnsiString why = "그 폴더에 파일을 쓸 권한이 없습니다."_k;
  if (disk.Ok()) {
    ASSERT_EQ(::mount("tmpfs", SysFileName(folder).c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
    why = "읽기 전용 디스크여서 쓸 수 없습니다."_k;
  } else {
    ASSERT_EQ(::chmod(SysFileName(folder).c_str(), 0555), 0);
  }
  TDialogFakes::Clear();
  AddMovie(*w, "셋째"_k);
  EXPECT_FALSE(w->SaveDB(file));
  if (!disk.Ok()) ::chmod(SysFileName(folder).c_str(), 0755);
  EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{NotSaved(file, why)});
  EXPECT_TRUE(ReadTextFile(file) == before);
}

TEST_F(CatalogueWindowTest, ABackupNameTakenByAFolderNeitherStopsTheSaveNorTouchesTheFolder) {
  TFormMain* w = OpenWindow();
  const AnsiString folder = app_.Path() + "DB/", file = folder + "kept.VDM", backup = ChangeFileExt(file, ".Bak");
  AddMovie(*w, "원본"_k);
  SaveAs(*w, file);
  ASSERT_TRUE(DeleteFile(backup));
  ASSERT_TRUE(ForceDirectories(backup + "/inside"));
  const std::vector<std::string> namesBefore = Names(folder);
  for (const char* title : {"새 영화", "또 새 영화"}) {
    TDialogFakes::Clear();
    AddMovie(*w, Utf8ToCp949(title));
    EXPECT_TRUE(w->SaveDB(file));
    EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{"DB는 저장했지만 백업 파일 \""_k + backup +
                                                  "\"을(를) 만들지 못했습니다.\r같은 이름의 폴더가 있습니다."_k});
    EXPECT_NE(ReadTextFile(file).find(Cp949ToUtf8(Utf8ToCp949(title))), std::string::npos);
    EXPECT_FALSE(w->DBModified);
    EXPECT_EQ(Names(folder), namesBefore);
    EXPECT_TRUE(DirectoryExists(backup + "/inside"));
  }
}

TEST_F(CatalogueWindowTest, ASaveThroughALinkReplacesTheFileItLeadsToAndKeepsItsPermissions) {
  TFormMain* w = OpenWindow();
  const AnsiString real = app_.Path() + "real/", link = app_.Path() + "DB/link.VDM";
  ASSERT_TRUE(ForceDirectories(real));
  ASSERT_TRUE(ForceDirectories(app_.Path() + "DB"));
  AddMovie(*w, "첫판"_k);
  SaveAs(*w, real + "big.VDM");
  const std::string realBackup = ReadTextFile(real + "big.Bak");
  ASSERT_EQ(::chmod(SysFileName(real + "big.VDM").c_str(), 0600), 0);
  std::filesystem::create_symlink("../real/big.VDM", SysFileName(link));
  ASSERT_TRUE(w->LoadDB(link));

  AddMovie(*w, "둘째판"_k);
  ASSERT_TRUE(w->SaveDB(link));
  AddMovie(*w, "셋째판"_k);
  ASSERT_TRUE(w->SaveDB(link));
  EXPECT_TRUE(FileIsSymLink(link));
  EXPECT_NE(ReadTextFile(real + "big.VDM").find(Cp949ToUtf8("셋째판"_k)), std::string::npos);
  EXPECT_EQ(ModeOf(real + "big.VDM"), 0600u);
  // The backup keeps the catalogue's own name, a file of its own, as private as the catalogue.
  const AnsiString backup = app_.Path() + "DB/link.Bak";
  EXPECT_FALSE(FileIsSymLink(backup));
  EXPECT_EQ(ReadTextFile(backup), ReadTextFile(real + "big.VDM"));
  EXPECT_EQ(ModeOf(backup), 0600u);
  EXPECT_EQ(ReadTextFile(real + "big.Bak"), realBackup);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CatalogueWindowTest, ASaveRemovesWhatKilledSavesLeftAndNothingElse) {
  TFormMain* w = OpenWindow();
  const AnsiString folder = app_.Path() + "DB/", file = folder + "s.VDM";
  ASSERT_TRUE(ForceDirectories(folder));
  const int kTwoHours = 2 * 60 * 60;
  // What the program itself leaves when it is killed mid-save of this catalogue.
  const std::vector<std::string> stale = {"s.VDM.~41234567-1.tmp", "s.VDM.~0-12.tmp", ".s.Bak.~copy-aB3xYz",
                                          "s.Bak.~link-4242"};
  // A save that runs right now, what saves of other catalogues left, and
  // files that only look alike.
  const std::vector<std::string> kept = {
      "s.VDM.~51234567-2.tmp", "other.VDM.~99-12.tmp", "notes.tmp", "s.VDM.~old.tmp", "plan.~12-x.tmp",
      ".vidrena-copy-toolongname", ".vidrena-copy-abc123", "notes.~123-4.tmp", "Movies 2.~2024-01.tmp",
      "x.VDM.~ab-12.tmp", "s.VDM.~ab-12.tmp", "s.VDM.~012-1.tmp", "s.VDM.~1-1.tmp.txt", "s.Bak.~link-",
      ".s.Bak.~copy-abc", "xs.VDM.~1-1.tmp"};
  for (const std::string& name : stale) {
    WriteTextFile(folder + FromSysFileName(name), "partial catalogue");
    ASSERT_TRUE(AgeFile(folder + FromSysFileName(name), kTwoHours));
  }
  for (const std::string& name : kept) {
    WriteTextFile(folder + FromSysFileName(name), "someone's file");
    if (name != "s.VDM.~51234567-2.tmp") ASSERT_TRUE(AgeFile(folder + FromSysFileName(name), kTwoHours));
  }
  // A folder of a stale name is no file of ours.
  ASSERT_TRUE(ForceDirectories(folder + "s.VDM.~1-1.tmp"));
  ASSERT_TRUE(AgeFile(folder + "s.VDM.~1-1.tmp", kTwoHours));

  AddMovie(*w, "영화"_k);
  SaveAs(*w, file);

  const std::vector<std::string> names = Names(folder);
  for (const std::string& name : stale)
    EXPECT_EQ(std::count(names.begin(), names.end(), name), 0) << name << " was left";
  for (const std::string& name : kept)
    EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << name << " was removed";
  EXPECT_EQ(std::count(names.begin(), names.end(), "s.VDM.~1-1.tmp"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "s.VDM"), 1);
}

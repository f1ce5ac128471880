#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/rtl/SysUtils.h"

namespace {

// A fresh folder per test, removed afterwards.
class SysUtilsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vidrena-sysutils-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = AnsiString(pattern) + "/";
  }
  void TearDown() override {
    SetAppDir("");
    std::filesystem::remove_all(dir_);
  }
  // Writes bytes to a file named in code page 949.
  void Write(const AnsiString& name, const std::string& bytes) {
    std::ofstream(SysFileName(name), std::ios::binary) << bytes;
  }
  std::string Read(const AnsiString& name) {
    std::ifstream in(SysFileName(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  AnsiString dir_;
};

TEST(SysUtilsPaths, SplittingAndJoining) {
  EXPECT_EQ(ExtractFilePath("/movies/a.avi"), "/movies/");
  EXPECT_EQ(ExtractFileDir("/movies/a.avi"), "/movies");
  EXPECT_EQ(ExtractFileDir("/a.avi"), "/");
  EXPECT_EQ(ExtractFileName("/movies/a.avi"), "a.avi");
  EXPECT_EQ(ExtractFileName("a.avi"), "a.avi");
  EXPECT_EQ(ExtractFilePath("a.avi"), "");
  EXPECT_EQ(ExtractFileExt("/movies/a.b.avi"), ".avi");
  EXPECT_EQ(ExtractFileExt("/movies.d/readme"), "");
  EXPECT_EQ(ChangeFileExt("/movies.d/readme", ".txt"), "/movies.d/readme.txt");
  EXPECT_EQ(ChangeFileExt("/m/a.avi", ".smi"), "/m/a.smi");
  EXPECT_EQ(ChangeFileExt("/m/a.avi", ""), "/m/a");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/m"), "/m/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/m/"), "/m/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/m/"), "/m");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
  EXPECT_EQ(ExpandFileName("/a/./b/../c.txt"), "/a/c.txt");
  EXPECT_EQ(ExpandFileName("x.txt"), IncludeTrailingPathDelimiter(GetCurrentDir()) + "x.txt");
  // Korean names: "영화" in code page 949, UTF-8 on disk, and back.
  AnsiString korean = "/영화/반지의 제왕.avi"_k;
  EXPECT_EQ(SysFileName(korean), "/영화/반지의 제왕.avi");
  EXPECT_EQ(FromSysFileName(SysFileName(korean)), korean);
  EXPECT_EQ(ExtractFileName(korean), "반지의 제왕.avi"_k);
}

TEST(SysUtilsPaths, MasksIgnoreCaseButNotSyllables) {
  EXPECT_TRUE(MatchesMask("Movie.AVI", "*.avi"));
  EXPECT_TRUE(MatchesMask("movie.avi", "*.AVI"));
  EXPECT_TRUE(MatchesMask("readme", "*.*"));
  EXPECT_TRUE(MatchesMask("abc.txt", "a?c.*"));
  EXPECT_FALSE(MatchesMask("abc.txt", "a?d.*"));
  EXPECT_FALSE(MatchesMask("movie.avi2", "*.avi"));
  EXPECT_TRUE(MatchesMask("", "*"));
  EXPECT_FALSE(MatchesMask("", "?"));
  // "?" stands for one whole syllable.
  EXPECT_TRUE(MatchesMask("영화.avi"_k, "??.avi"));
  EXPECT_FALSE(MatchesMask("영화.avi"_k, "???.avi"));
  // 똠 (8C 63) and 똑 (B6 C8)... a syllable with trail 'c' is not one with trail 'C'.
  EXPECT_FALSE(MatchesMask("\x8C\x63", "\x8C\x43"));
  EXPECT_TRUE(MatchesMask("\x8C\x63.AVI", "\x8C\x63.avi"));
  // Many stars against a long name stay quick and correct.
  EXPECT_FALSE(MatchesMask(std::string(200, 'a'), "*a*a*a*a*a*a*a*a*b"));
}

TEST_F(SysUtilsFiles, ExistenceSizeAndKoreanNamesOnDisk) {
  AnsiString file = dir_ + "영화 목록.txt"_k;
  EXPECT_FALSE(FileExists(file));
  EXPECT_EQ(FileSizeOf(file), -1);
  Write(file, "12345");
  EXPECT_TRUE(FileExists(file));
  EXPECT_TRUE(std::filesystem::exists(std::string(dir_) + "영화 목록.txt"));  // UTF-8 on disk
  EXPECT_EQ(FileSizeOf(file), 5);
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_FALSE(FileExists(dir_));
  EXPECT_TRUE(DirectoryExists(dir_));
  EXPECT_GT(FileDateOf(file), EncodeDate(2020, 1, 1));
  EXPECT_EQ(FileDateOf(dir_ + "none"), -1);
  EXPECT_FALSE(FileExists(""));

  AnsiString deep = dir_ + "포스터/2024/a"_k;
  EXPECT_FALSE(CreateDir(deep));
  EXPECT_TRUE(ForceDirectories(deep + "/"));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_FALSE(RemoveDir(dir_ + "포스터"_k));  // not empty
  EXPECT_TRUE(RemoveDir(deep));
  EXPECT_FALSE(DeleteFile(dir_ + "포스터/2024"_k));  // a folder is not a file
  EXPECT_TRUE(DeleteFile(file));
  EXPECT_FALSE(DeleteFile(file));
}

TEST_F(SysUtilsFiles, RenameAndCopyRefuseToReplace) {
  AnsiString a = dir_ + "가.txt"_k, b = dir_ + "b.txt";
  Write(a, "first");
  Write(b, "second");
  EXPECT_FALSE(RenameFile(a, b));
  EXPECT_EQ(Read(a), "first");
  EXPECT_EQ(Read(b), "second");
  EXPECT_FALSE(RenameFile(a, a));
  EXPECT_FALSE(CopyFile(a, b));
  EXPECT_FALSE(CopyFile(a, b, true));
  EXPECT_EQ(Read(b), "second");

  AnsiString c = dir_ + "다.txt"_k;
  const TDateTime lastYear = FileDateOf(a) - 365;
  std::filesystem::last_write_time(SysFileName(a),
                                   std::filesystem::last_write_time(SysFileName(a)) - std::chrono::hours(24 * 365));
  EXPECT_TRUE(CopyFile(a, c));
  EXPECT_EQ(Read(c), "first");
  EXPECT_NEAR(FileDateOf(c), lastYear, 0.1);  // the copy keeps the write time
  EXPECT_TRUE(CopyFile(b, c, false));  // asked to replace: does
  EXPECT_EQ(Read(c), "second");
  EXPECT_FALSE(CopyFile(dir_ + "missing", dir_ + "x"));
  EXPECT_FALSE(FileExists(dir_ + "x"));

  AnsiString moved = dir_ + "moved.txt";
  EXPECT_TRUE(RenameFile(a, moved));
  EXPECT_FALSE(FileExists(a));
  EXPECT_EQ(Read(moved), "first");
  EXPECT_FALSE(RenameFile(dir_ + "missing", dir_ + "y"));

  // ReplaceFile is the one call that does replace, in a single step.
  EXPECT_TRUE(ReplaceFile(moved, b));
  EXPECT_EQ(Read(b), "first");
  EXPECT_FALSE(FileExists(moved));

  // No temporary file is left behind by any of the copies.
  std::set<std::string> left;
  for (auto& e : std::filesystem::directory_iterator(std::string(dir_))) left.insert(e.path().filename());
  EXPECT_EQ(left, (std::set<std::string>{"b.txt", "다.txt"}));
}

// The backup's way: a second name that keeps the old contents once the
// file is replaced, and nothing changed where the name cannot be taken.
TEST_F(SysUtilsFiles, ASecondNameKeepsTheOldFileAfterTheFirstIsReplaced) {
  const AnsiString file = dir_ + "목록.VDM"_k, backup = dir_ + "목록.Bak"_k, fresh = dir_ + "new.tmp";
  Write(file, "first");
  Write(backup, "older");
  ASSERT_TRUE(LinkFile(file, backup));
  EXPECT_EQ(Read(backup), "first");
  EXPECT_TRUE(LinkFile(file, backup)) << "already a name of the same file";
  Write(fresh, "second");
  ASSERT_TRUE(ReplaceFile(fresh, file));
  EXPECT_EQ(Read(file), "second");
  EXPECT_EQ(Read(backup), "first");

  const AnsiString folder = dir_ + "folder.Bak";
  ASSERT_TRUE(ForceDirectories(folder));
  EXPECT_FALSE(LinkFile(file, folder));
  EXPECT_FALSE(LinkFile(dir_ + "missing", dir_ + "other"));
  std::set<std::string> left;
  for (auto& e : std::filesystem::directory_iterator(std::string(dir_))) left.insert(e.path().filename());
  EXPECT_EQ(left, (std::set<std::string>{"목록.VDM", "목록.Bak", "folder.Bak"})) << "no temporary name left";
}

TEST_F(SysUtilsFiles, FindFirstMatchesKoreanNamesWithMasksInOtherCase) {
  Write(dir_ + "반지의 제왕.AVI"_k, "1234567");
  Write(dir_ + "b.avi", "");
  Write(dir_ + "c.smi", "");
  Write(dir_ + ".hidden.avi", "");
  ForceDirectories(dir_ + "sub.avi");

  std::set<AnsiString> names;
  TSearchRec rec;
  Int64 koreanSize = -1;
  if (FindFirst(dir_ + "*.avi", faAnyFile & ~faDirectory & ~faHidden, rec) == 0) {
    do {
      names.insert(rec.Name);
      if (rec.Name == "반지의 제왕.AVI"_k) koreanSize = rec.Size;
    } while (FindNext(rec) == 0);
    FindClose(rec);
  }
  EXPECT_EQ(names, (std::set<AnsiString>{"b.avi", "반지의 제왕.AVI"_k}));
  EXPECT_EQ(koreanSize, 7);

  // Folders and hidden files only when asked for.
  names.clear();
  ASSERT_EQ(FindFirst(dir_ + "*.*", faDirectory | faHidden, rec), 0);
  do {
    names.insert(rec.Name);
    if (rec.Name == "sub.avi") {
      EXPECT_TRUE(rec.Attr & faDirectory);
    }
  } while (FindNext(rec) == 0);
  FindClose(rec);
  EXPECT_EQ(names.size(), 5u);
  EXPECT_FALSE(names.count("."));
  EXPECT_FALSE(names.count(".."));

  EXPECT_NE(FindFirst(dir_ + "*.mkv", faAnyFile, rec), 0);
  EXPECT_EQ(rec.pending, nullptr);  // nothing to close after a failed search
  EXPECT_NE(FindFirst(dir_ + "no-such-folder/*", faAnyFile, rec), 0);
  EXPECT_NE(FindNext(rec), 0);
}

TEST_F(SysUtilsFiles, AppDirFollowsTheOverride) {
  AnsiString real = AppDir();
  EXPECT_EQ(real.back(), '/');
  EXPECT_TRUE(DirectoryExists(real));
  SetAppDir(dir_ + "앱"_k);
  EXPECT_EQ(AppDir(), dir_ + "앱/"_k);
  SetAppDir("");
  EXPECT_EQ(AppDir(), real);
  EXPECT_EQ(GetTempDir().back(), '/');
  EXPECT_FALSE(SysErrorMessage(2).empty());
}

TEST(SysUtilsDrives, KindComesFromTheMountTable) {
  const std::string mounts =
      "/dev/sda1 / ext4 rw 0 0\n"
      "proc /proc proc rw 0 0\n"
      "/dev/sr0 /media/user/MOVIES\\040DISC iso9660 ro 0 0\n"
      "/dev/sdb1 /media/user/USB vfat rw 0 0\n"
      "/dev/sdc1 /mnt/camera vfat rw 0 0\n"
      "server:/share /mnt/nas nfs4 rw 0 0\n"
      "//host/films /mnt/films cifs rw 0 0\n"
      "user@host:/x /home/user/remote fuse.sshfs rw 0 0\n"
      "/dev/sr1 /mnt/bluray udf ro 0 0\n"
      // Lines that name no mount are passed over; the last needs no line end.
      "short-line /mnt\n"
      "   \n"
      "/dev/sdd1\t/mnt/tabbed  udf\r\n"
      "/dev/sr2 /mnt/last iso9660 ro 0 0";
  EXPECT_EQ(DriveKindFromMounts("/home/user/a.avi", mounts), DRIVE_FIXED);
  EXPECT_EQ(DriveKindFromMounts("/media/user/MOVIES DISC/a.avi", mounts), DRIVE_CDROM);
  EXPECT_EQ(DriveKindFromMounts("/media/user/MOVIES DISCO/a.avi", mounts), DRIVE_FIXED);
  EXPECT_EQ(DriveKindFromMounts("/mnt/bluray", mounts), DRIVE_CDROM);
  EXPECT_EQ(DriveKindFromMounts("/media/user/USB/a.avi", mounts), DRIVE_REMOVABLE);
  EXPECT_EQ(DriveKindFromMounts("/mnt/camera/a.avi", mounts), DRIVE_FIXED);
  EXPECT_EQ(DriveKindFromMounts("/mnt/nas/a.avi", mounts), DRIVE_REMOTE);
  EXPECT_EQ(DriveKindFromMounts("/mnt/films/a.avi", mounts), DRIVE_REMOTE);
  EXPECT_EQ(DriveKindFromMounts("/home/user/remote/a.avi", mounts), DRIVE_REMOTE);
  EXPECT_EQ(DriveKindFromMounts("relative/a.avi", mounts), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(DriveKindFromMounts("/a", ""), DRIVE_UNKNOWN);
  EXPECT_EQ(DriveKindFromMounts("/mnt/last/a.avi", mounts), DRIVE_CDROM);
  EXPECT_EQ(DriveKindFromMounts("/mnt/tabbed/a.avi", mounts), DRIVE_CDROM);
  EXPECT_EQ(DriveKindFromMounts("/mnt", mounts), DRIVE_FIXED) << "the short line is no mount";

  // The real table: a temporary folder lies on some known kind of drive.
  TDriveKind kind = GetDriveKind("/tmp/does-not-exist/x.avi");
  EXPECT_NE(kind, DRIVE_UNKNOWN);
  EXPECT_EQ(GetDriveKind(""), DRIVE_NO_ROOT_DIR);
  // The table is kept between calls: later answers are those of the table
  // as it is now.
  std::ifstream file("/proc/self/mounts");
  const std::string table{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  for (const char* path : {"/tmp", "/proc/self", "/"})
    for (int round = 0; round < 3; ++round)
      EXPECT_EQ(GetDriveKind(path), DriveKindFromMounts(std::filesystem::canonical(path).string(), table)) << path;
}

}  // namespace

// The file system of the runtime. Names are code page 949 in memory and
// UTF-8 on disk; every call into the system goes through SysFileName.
//
// Sections:
//   Names ............ SysFileName, path splitting, ExpandFileName
//   Existence ........ FileExists, directories, delete, size and date
//   Rename and copy .. never replacing an existing target; ReplaceFile;
//                      stale temporary files of killed saves
//   Search ........... MatchesMask, FindFirst/FindNext/FindClose
//   Drives ........... the kind of drive from the mount table
//   Folders .......... AppDir, GetTempDir, SysErrorMessage
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace fs = std::filesystem;

// --------------------------------------------------------------------- Names

namespace {

inline char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Equal but for the case of ASCII letters. UTF-8 bytes of other characters
// are all above 0x7F, so folding byte by byte is safe.
bool SameButCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

// The entry of dir whose name differs from name only in letter case; the
// smallest such name when there are several, so the choice never depends on
// the directory's order. "" when there is none.
std::string CaseVariantIn(const std::string& dir, std::string_view name) {
  DIR* handle = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!handle) return {};
  std::string found;
  while (dirent* entry = ::readdir(handle)) {
    std::string_view candidate = entry->d_name;
    if (SameButCase(candidate, name) && (found.empty() || candidate < found)) found = candidate;
  }
  ::closedir(handle);
  return found;
}

// Resolves each missing component of path to an existing entry differing
// only in ASCII case; from the first component with no such entry on, the
// rest stays as given (a new file or folder is created with its own name).
std::string ResolveLetterCase(const std::string& path) {
  struct stat st;
  if (path.empty() || ::lstat(path.c_str(), &st) == 0) return path;
  std::string resolved;
  size_t start = 0;
  if (path[0] == '/') {
    resolved = "/";
    start = 1;
  }
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    size_t end = slash == std::string::npos ? path.size() : slash;
    std::string_view component(path.data() + start, end - start);
    std::string next = resolved + std::string(component);
    if (!component.empty() && component != "." && component != ".." &&
        ::lstat(next.c_str(), &st) != 0) {
      std::string variant = CaseVariantIn(resolved, component);
      if (variant.empty()) return resolved + path.substr(start);
      next = resolved + variant;
    }
    resolved = std::move(next);
    if (slash == std::string::npos) break;
    resolved += '/';
    start = slash + 1;
  }
  return resolved;
}

}  // namespace

// The program was written for a file system that ignores letter case, and
// its own names differ in case ("Vidrena.Ini" and "Vidrena.ini", ".Bak" and
// ".BAK"): a name that does not exist as given names the entry that differs
// from it only in ASCII case, when there is one.
std::string SysFileName(std::string_view name) { return ResolveLetterCase(Cp949ToUtf8(name)); }
AnsiString FromSysFileName(std::string_view sysName) { return Utf8ToCp949(sysName); }

namespace {

// '/' and '.' are below 0x41, so they are never the trail byte of a
// two-byte character and a plain byte search is safe.
size_t LastSlash(std::string_view name) { return name.rfind(PathDelim); }

size_t ExtensionDot(std::string_view name) {
  size_t dot = name.rfind('.');
  size_t slash = LastSlash(name);
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    return std::string_view::npos;
  return dot;
}

TDateTime UnixToDateTime(time_t seconds, long nanoseconds) {
  tm local{};
  localtime_r(&seconds, &local);
  TDateTime date, time;
  if (!TryEncodeDate(static_cast<Word>(local.tm_year + 1900), static_cast<Word>(local.tm_mon + 1),
                     static_cast<Word>(local.tm_mday), date))
    return 0;
  TryEncodeTime(static_cast<Word>(local.tm_hour), static_cast<Word>(local.tm_min),
                static_cast<Word>(std::min(local.tm_sec, 59)), static_cast<Word>(nanoseconds / 1000000),
                time);
  return date >= 0 ? date + time : date - time;
}

bool StatName(std::string_view name, struct stat& st) {
  if (name.empty()) return false;
  return ::stat(SysFileName(name).c_str(), &st) == 0;
}

}  // namespace

AnsiString ExtractFilePath(std::string_view name) {
  size_t slash = LastSlash(name);
  return slash == std::string_view::npos ? AnsiString() : AnsiString(name.substr(0, slash + 1));
}

AnsiString ExtractFileDir(std::string_view name) {
  size_t slash = LastSlash(name);
  if (slash == std::string_view::npos) return {};
  // The root keeps its slash: the folder of "/a" is "/", not "".
  return AnsiString(name.substr(0, slash == 0 ? 1 : slash));
}

AnsiString ExtractFileName(std::string_view name) {
  size_t slash = LastSlash(name);
  return AnsiString(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

AnsiString ExtractFileExt(std::string_view name) {
  size_t dot = ExtensionDot(name);
  return dot == std::string_view::npos ? AnsiString() : AnsiString(name.substr(dot));
}

AnsiString ChangeFileExt(std::string_view name, std::string_view ext) {
  size_t dot = ExtensionDot(name);
  AnsiString out(dot == std::string_view::npos ? name : name.substr(0, dot));
  out += ext;
  return out;
}

AnsiString IncludeTrailingPathDelimiter(std::string_view path) {
  AnsiString out(path);
  if (out.empty() || out.back() != PathDelim) out += PathDelim;
  return out;
}

AnsiString ExcludeTrailingPathDelimiter(std::string_view path) {
  AnsiString out(path);
  if (out.size() > 1 && out.back() == PathDelim) out.pop_back();
  return out;
}

AnsiString ExpandFileName(std::string_view name) {
  if (name.empty()) return {};
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(SysFileName(name)), ec);
  if (ec) return AnsiString(name);
  return FromSysFileName(p.lexically_normal().string());
}

AnsiString GetCurrentDir() {
  std::error_code ec;
  fs::path p = fs::current_path(ec);
  return ec ? AnsiString() : FromSysFileName(p.string());
}

// ----------------------------------------------------------------- Existence

bool FileExists(std::string_view name) {
  struct stat st;
  return StatName(name, st) && !S_ISDIR(st.st_mode);
}

bool FileIsSymLink(std::string_view name) {
  struct stat st;
  return ::lstat(SysFileName(name).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool DirectoryExists(std::string_view name) {
  struct stat st;
  return StatName(name, st) && S_ISDIR(st.st_mode);
}

bool CreateDir(std::string_view dir) {
  return !dir.empty() && ::mkdir(SysFileName(dir).c_str(), 0777) == 0;
}

bool ForceDirectories(std::string_view dir) {
  AnsiString path = ExcludeTrailingPathDelimiter(dir);
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  AnsiString parent = ExtractFileDir(path);
  if (!parent.empty() && parent != path && !ForceDirectories(parent)) return false;
  return CreateDir(path) || DirectoryExists(path);
}

bool RemoveDir(std::string_view dir) { return !dir.empty() && ::rmdir(SysFileName(dir).c_str()) == 0; }

bool DeleteFile(std::string_view name) {
  if (name.empty() || DirectoryExists(name)) return false;
  return ::unlink(SysFileName(name).c_str()) == 0;
}

Int64 FileSizeOf(std::string_view name) {
  struct stat st;
  if (!StatName(name, st) || S_ISDIR(st.st_mode)) return -1;
  return static_cast<Int64>(st.st_size);
}

TDateTime FileDateOf(std::string_view name) {
  struct stat st;
  if (!StatName(name, st)) return -1;
  return UnixToDateTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}

// ----------------------------------------------------------- Rename and copy

namespace {

// rename(2) that refuses an existing target in one step, so no other writer
// can slip a file in between a check and the rename.
bool RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
  constexpr unsigned kRenameNoReplace = 1;  // RENAME_NOREPLACE
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), kRenameNoReplace) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
#endif
  // File systems without the flag: a hard link fails on an existing target.
  struct stat st;
  if (::lstat(from.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    if (::link(from.c_str(), to.c_str()) == 0) return ::unlink(from.c_str()) == 0;
    if (errno == EEXIST) return false;
  }
  if (::lstat(to.c_str(), &st) == 0) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

// The temporary names of CopyToTemporary and LinkFile: the target's name
// ("." before it for a copy), the mark and mkstemp's six characters or a
// process id; the suffix of each at its longest.
constexpr std::string_view kCopyMark = ".~copy-";
constexpr std::string_view kLinkMark = ".~link-";
constexpr size_t kCopySuffix = 1 + kCopyMark.size() + 6;
constexpr size_t kLinkSuffix = kLinkMark.size() + 10;

// Copies the bytes of source into a fresh temporary file beside target;
// returns its on-disk name, or "" on failure (nothing left behind).
std::string CopyToTemporary(const std::string& source, const std::string& target) {
  int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return {};
  struct stat st;
  if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(in);
    return {};
  }
  // Hidden, and named after the target, so that only a clean-up for this
  // target takes it for its own.
  size_t slash = target.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::string temp = target.substr(0, nameStart) + "." +
                     TemporaryNameBase(std::string_view(target).substr(nameStart), kCopySuffix) +
                     std::string(kCopyMark) + "XXXXXX";
  int out = ::mkstemp(temp.data());
  if (out < 0) {
    ::close(in);
    return {};
  }
  bool ok = true;
  char buffer[1 << 16];
  while (ok) {
    ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    for (ssize_t done = 0; done < got && ok;) {
      ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      ok = put > 0;
      if (ok) done += put;
    }
  }
  // The copy keeps the owner where the user may give it (the superuser) and
  // the permissions, so that a private file's copy stays private.
  ok = ok && (::fchown(out, st.st_uid, st.st_gid) == 0 || errno == EPERM);
  ok = ok && ::fchmod(out, st.st_mode & 07777) == 0;
  // The copy keeps the last write time, as a copy made by the file manager does.
  const timespec times[2] = {st.st_atim, st.st_mtim};
  ok = ok && ::futimens(out, times) == 0;
  ok = (::close(out) == 0) && ok;
  ::close(in);
  if (!ok) {
    ::unlink(temp.c_str());
    return {};
  }
  return temp;
}

}  // namespace

bool RenameFile(std::string_view oldName, std::string_view newName) {
  if (oldName.empty() || newName.empty()) return false;
  const std::string from = SysFileName(oldName), to = SysFileName(newName);
  if (RenameNoReplace(from, to)) return true;
  // A file moves to another disk by a copy and a delete; folders do not.
  if (errno != EXDEV || !FileExists(oldName)) return false;
  if (!CopyFile(oldName, newName, true)) return false;
  if (::unlink(from.c_str()) == 0) return true;
  ::unlink(to.c_str());  // the source stays: a failed move changes nothing
  return false;
}

bool CopyFile(std::string_view source, std::string_view target, bool failIfExists) {
  if (source.empty() || target.empty()) return false;
  const std::string from = SysFileName(source), to = SysFileName(target);
  if (failIfExists && FileExists(target)) return false;
  // The copy is written aside and moved in whole, so a failed copy never
  // leaves a truncated target behind.
  std::string temp = CopyToTemporary(from, to);
  if (temp.empty()) return false;
  bool ok = failIfExists ? RenameNoReplace(temp, to) : ::rename(temp.c_str(), to.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool ReplaceFile(std::string_view source, std::string_view target) {
  if (source.empty() || target.empty()) return false;
  const std::string from = SysFileName(source);
  const std::string to = SysFileName(target);
  // The new contents reach the disk before the name points at them, so a
  // power cut leaves the old file or the new one, never an empty one.
  int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = ::fsync(fd) == 0;
  ::close(fd);
  if (!synced || ::rename(from.c_str(), to.c_str()) != 0) return false;
  std::string dir = fs::path(to).parent_path().string();
  int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

bool LinkFile(std::string_view existing, std::string_view newName) {
  if (existing.empty() || newName.empty()) return false;
  const std::string from = SysFileName(existing), to = SysFileName(newName);
  // Made beside the target under a name of its own, then moved over it.
  const size_t nameStart = to.rfind('/') + 1;  // npos + 1 is 0
  const std::string temp = to.substr(0, nameStart) +
                           TemporaryNameBase(std::string_view(to).substr(nameStart), kLinkSuffix) +
                           std::string(kLinkMark) + std::to_string(::getpid());
  ::unlink(temp.c_str());
  if (::link(from.c_str(), temp.c_str()) != 0) return false;
  const bool ok = ::rename(temp.c_str(), to.c_str()) == 0;
  // Also after a rename between two names of one file, which moves nothing.
  ::unlink(temp.c_str());
  return ok;
}

namespace {

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string TemporaryNameBase(std::string_view base, size_t suffixBytes) {
  // The longest name a folder takes (NAME_MAX on the disks the program meets).
  constexpr size_t kMaxName = 255;
  if (base.size() + suffixBytes <= kMaxName) return std::string(base);
  char tag[10];
  std::snprintf(tag, sizeof tag, "~%08x", static_cast<unsigned>(Fnv1a32(base)));
  size_t keep = kMaxName - std::min(kMaxName, suffixBytes + 9);
  // Never half a character: the cut goes back to where one begins.
  while (keep > 0 && keep < base.size() && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) --keep;
  return std::string(base.substr(0, keep)) + tag;
}

bool IsCopyTemporaryName(std::string_view name, std::string_view target) {
  const std::string sys = SysFileName(target);
  const std::string_view whole = std::string_view(sys).substr(sys.rfind('/') + 1);
  if (whole.empty()) return false;
  // CopyToTemporary: "." target kCopyMark and six of mkstemp's letters and digits.
  std::string base = TemporaryNameBase(whole, kCopySuffix);
  if (name.size() == 1 + base.size() + kCopyMark.size() + 6 && name[0] == '.' &&
      name.substr(1, base.size()) == base && name.substr(1 + base.size(), kCopyMark.size()) == kCopyMark &&
      std::all_of(name.end() - 6, name.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
    return true;
  // LinkFile: target kLinkMark and a process id.
  base = TemporaryNameBase(whole, kLinkSuffix);
  if (name.size() <= base.size() + kLinkMark.size() || name.substr(0, base.size()) != base ||
      name.substr(base.size(), kLinkMark.size()) != kLinkMark)
    return false;
  const std::string_view pid = name.substr(base.size() + kLinkMark.size());
  return AllDigits(pid) && pid[0] != '0';
}

AnsiString FileLinkTarget(std::string_view name) {
  std::string path = SysFileName(name);
  // As the system itself gives up on a chain of links.
  constexpr int kMaxLinks = 40;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat st;
    // The name as given when it is no link: its bytes need not survive a
    // round trip through the disk's names.
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return i == 0 ? AnsiString(name) : FromSysFileName(path);
    std::string target(static_cast<size_t>(PATH_MAX), '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) return AnsiString(name);
    target.resize(static_cast<size_t>(n));
    if (target[0] != '/') {
      const size_t slash = path.rfind('/');
      target = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + target;
    }
    path = std::move(target);
  }
  return AnsiString(name);
}

int DeleteStaleTemporaryFiles(std::string_view folder, const std::function<bool(std::string_view name)>& isOwn,
                              int olderThanSeconds) {
  std::string dir = SysFileName(folder.empty() ? std::string_view(".") : folder);
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  DIR* handle = ::opendir(dir.c_str());
  if (!handle) return 0;
  const time_t now = ::time(nullptr);
  int deleted = 0;
  while (const dirent* entry = ::readdir(handle)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !isOwn(name)) continue;
    const std::string path = dir + "/" + std::string(name);
    struct stat st;
    // Only plain files: a link or a folder of that name is someone else's.
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (now - st.st_mtim.tv_sec < olderThanSeconds) continue;
    if (::unlink(path.c_str()) == 0) ++deleted;
  }
  ::closedir(handle);
  return deleted;
}

bool IsDiskFullError(int errorCode) { return errorCode == ENOSPC || errorCode == EDQUOT; }

// -------------------------------------------------------------------- Search

namespace {

inline bool IsTwoByte(std::string_view s, size_t i) {
  return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
         static_cast<unsigned char>(s[i + 1]) >= 0x41;
}

inline char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Glob match by characters: "?" is one character (a Hangul syllable is
// one), "*" any run. Iterative with one backtrack point, so hostile masks
// stay linear per star.
bool Glob(std::string_view name, std::string_view mask) {
  size_t n = 0, m = 0;
  size_t starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
      continue;
    }
    if (m < mask.size()) {
      size_t nameLen = IsTwoByte(name, n) ? 2 : 1;
      if (mask[m] == '?') {
        n += nameLen;
        ++m;
        continue;
      }
      size_t maskLen = IsTwoByte(mask, m) ? 2 : 1;
      bool same = nameLen == maskLen &&
                  (nameLen == 1 ? Fold(name[n]) == Fold(mask[m]) : name.compare(n, 2, mask.substr(m, 2)) == 0);
      if (same) {
        n += nameLen;
        m += maskLen;
        continue;
      }
    }
    if (starMask == std::string_view::npos) return false;
    m = starMask + 1;
    starName += IsTwoByte(name, starName) ? 2 : 1;
    n = starName;
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

int AttributesOf(const std::string& sysPath, std::string_view name, const struct stat& st) {
  int attr = 0;
  if (S_ISDIR(st.st_mode)) attr |= faDirectory;
  if (!name.empty() && name[0] == '.') attr |= faHidden;
  if (::access(sysPath.c_str(), W_OK) != 0) attr |= faReadOnly;
  if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) attr |= faSysFile;
  return attr;
}

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
  // "*.*" is every name, with or without an extension.
  if (mask == "*.*") return true;
  return Glob(name, mask);
}

int FindFirst(std::string_view path, int attr, TSearchRec& rec) {
  constexpr int kFileNotFound = 2;
  constexpr int kPathNotFound = 3;
  rec.pending = nullptr;
  AnsiString dir = ExtractFilePath(path);
  AnsiString mask = ExtractFileName(path);
  if (mask.empty()) mask = "*";
  std::string sysDir = SysFileName(dir.empty() ? AnsiString("./") : dir);
  DIR* handle = ::opendir(sysDir.c_str());
  if (!handle) return kPathNotFound;
  rec.ExcludeAttr = ~attr & (faHidden | faSysFile | faDirectory);
  auto found = std::make_unique<std::vector<TSearchRec>>();
  while (dirent* entry = ::readdir(handle)) {
    std::string_view sysName = entry->d_name;
    // "." and ".." are left out: a walk over the results never loops.
    if (sysName == "." || sysName == "..") continue;
    AnsiString name = FromSysFileName(sysName);
    if (!MatchesMask(name, mask)) continue;
    std::string full = sysDir + std::string(sysName);
    struct stat st;
    if (::stat(full.c_str(), &st) != 0 && ::lstat(full.c_str(), &st) != 0) continue;
    TSearchRec item;
    item.Name = std::move(name);
    item.Attr = AttributesOf(full, sysName, st);
    if (item.Attr & rec.ExcludeAttr) continue;
    item.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<Int64>(st.st_size);
    item.Time = UnixToDateTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    found->push_back(std::move(item));
  }
  ::closedir(handle);
  if (found->empty()) return kFileNotFound;
  // Stable order, as a listing of the same folder is expected to repeat;
  // kept reversed so FindNext takes from the back.
  std::sort(found->begin(), found->end(), [](const TSearchRec& a, const TSearchRec& b) {
    int c = CompareText(a.Name, b.Name);
    return c != 0 ? c > 0 : a.Name > b.Name;
  });
  rec.pending = found.release();
  return FindNext(rec);
}

int FindNext(TSearchRec& rec) {
  constexpr int kNoMoreFiles = 18;
  if (!rec.pending || rec.pending->empty()) return kNoMoreFiles;
  TSearchRec next = std::move(rec.pending->back());
  rec.pending->pop_back();
  rec.Name = std::move(next.Name);
  rec.Size = next.Size;
  rec.Attr = next.Attr;
  rec.Time = next.Time;
  return 0;
}

void FindClose(TSearchRec& rec) {
  delete rec.pending;
  rec.pending = nullptr;
}

// -------------------------------------------------------------------- Drives

namespace {

// Mount table fields escape blanks and backslashes as octal ("\040").
std::string UnescapeMountField(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    auto octal = [&](size_t k) { return field[k] >= '0' && field[k] <= '7'; };
    if (field[i] == '\\' && field.size() - i >= 4 && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

bool UnderMountPoint(std::string_view path, std::string_view mountPoint) {
  if (mountPoint == "/") return !path.empty() && path[0] == '/';
  if (path.size() < mountPoint.size() || path.compare(0, mountPoint.size(), mountPoint) != 0) return false;
  return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// The mount table, read again only when it changed: probing a folder of
// movies asks for every file's drive, and the table is long where
// containers or snaps are mounted. The kernel marks the open table with
// POLLPRI when a mount is added or removed; without that mark (the file
// could not be kept open) it is read on every call.
bool MountTable(std::string& text) {
  static std::mutex mutex;
  static int fd = -1;
  static bool cached = false;
  static std::string table;
  std::lock_guard<std::mutex> lock(mutex);
  if (fd < 0) fd = ::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::ifstream file("/proc/self/mounts");
    if (!file) return false;
    std::stringstream all;
    all << file.rdbuf();
    text = all.str();
    return true;
  }
  pollfd changed{fd, POLLPRI, 0};
  const bool stale = !cached || ::poll(&changed, 1, 0) != 0;
  if (stale) {
    std::string fresh;
    char buffer[16384];
    ssize_t n = 0;
    if (::lseek(fd, 0, SEEK_SET) != 0) return false;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) fresh.append(buffer, static_cast<std::size_t>(n));
    if (n < 0) {
      cached = false;
      return false;
    }
    table = std::move(fresh);
    cached = true;
  }
  text = table;
  return true;
}

}  // namespace

TDriveKind DriveKindFromMounts(std::string_view sysPath, std::string_view mounts) {
  if (sysPath.empty() || sysPath[0] != '/') return DRIVE_NO_ROOT_DIR;
  std::string bestPoint, bestType;
  // Read in place, line by line and field by field: every probed file asks.
  auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  size_t start = 0;
  while (start < mounts.size()) {
    size_t end = mounts.find('\n', start);
    if (end == std::string_view::npos) end = mounts.size();
    const std::string_view line = mounts.substr(start, end - start);
    start = end + 1;
    std::string_view fields[3];
    size_t i = 0;
    int count = 0;
    while (count < 3) {
      while (i < line.size() && isBlank(line[i])) ++i;
      if (i >= line.size()) break;
      const size_t from = i;
      while (i < line.size() && !isBlank(line[i])) ++i;
      fields[count++] = line.substr(from, i - from);
    }
    if (count < 3) continue;
    std::string unescaped;
    std::string_view point = fields[1];
    if (point.find('\\') != std::string_view::npos) point = unescaped = UnescapeMountField(point);
    // The longest mount point wins; a later mount over the same point hides the earlier.
    if (UnderMountPoint(sysPath, point) && point.size() >= bestPoint.size()) {
      bestPoint = point;
      bestType = fields[2];
    }
  }
  if (bestType.empty()) return DRIVE_UNKNOWN;
  if (bestType == "iso9660" || bestType == "udf") return DRIVE_CDROM;
  static const char* const kRemote[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "sshfs"};
  for (const char* remote : kRemote)
    if (bestType == remote) return DRIVE_REMOTE;
  if ((bestType == "vfat" || bestType == "exfat") &&
      (StartsWith(bestPoint, "/media/") || StartsWith(bestPoint, "/run/media/")))
    return DRIVE_REMOVABLE;
  return DRIVE_FIXED;
}

TDriveKind GetDriveKind(std::string_view path) {
  if (path.empty()) return DRIVE_NO_ROOT_DIR;
  // The deepest folder of the path that exists, with links resolved, so a
  // link into a mounted disc reports the disc.
  fs::path p = fs::path(SysFileName(ExpandFileName(path)));
  std::error_code ec;
  while (!p.empty() && !fs::exists(p, ec) && p != p.root_path()) p = p.parent_path();
  fs::path real = fs::canonical(p, ec);
  std::string sysPath = ec ? p.string() : real.string();
  std::string mounts;
  if (!MountTable(mounts)) return DRIVE_UNKNOWN;
  return DriveKindFromMounts(sysPath, mounts);
}

// ------------------------------------------------------------------- Folders

namespace {

std::mutex& AppDirMutex() {
  static std::mutex m;
  return m;
}

AnsiString& AppDirOverride() {
  static AnsiString dir;
  return dir;
}

}  // namespace

AnsiString AppDir() {
  {
    std::lock_guard<std::mutex> lock(AppDirMutex());
    if (!AppDirOverride().empty()) return AppDirOverride();
  }
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return IncludeTrailingPathDelimiter(GetCurrentDir());
  return IncludeTrailingPathDelimiter(FromSysFileName(exe.parent_path().string()));
}

void SetAppDir(std::string_view dir) {
  std::lock_guard<std::mutex> lock(AppDirMutex());
  AppDirOverride() = dir.empty() ? AnsiString() : IncludeTrailingPathDelimiter(dir);
}

AnsiString GetTempDir() {
  const char* env = ::getenv("TMPDIR");
  return IncludeTrailingPathDelimiter(FromSysFileName(env && *env ? env : "/tmp"));
}

AnsiString SysErrorMessage(int error) {
  char buffer[256];
  const char* text = ::strerror_r(error, buffer, sizeof buffer);
  return FromSysFileName(text ? text : "");
}

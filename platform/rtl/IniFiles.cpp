// INI files over a line-keeping document: every line of the file is kept as
// it was read, and a write touches only the line of its key (or adds one), so
// comments, blank lines and the order of everything else survive.
#include "platform/rtl/IniFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace {

// Equal without regard to ASCII case; a two-byte character is compared as
// it is, since its trail byte may look like a letter of either case.
bool SameIniName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]);
    unsigned char cb = static_cast<unsigned char>(b[i]);
    if (IsLeadByte(ca) && i + 1 < a.size()) {
      if (ca != cb || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
    if (fold(ca) != fold(cb)) return false;
  }
  return true;
}

// A hash of the name as SameIniName sees it: names that are the same have
// the same hash.
std::size_t IniNameHash(std::string_view name) {
  std::size_t h = 14695981039346656037ull;  // FNV-1a
  for (std::size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(c) && i + 1 < name.size()) {
      h = (h ^ c) * 1099511628211ull;
      c = static_cast<unsigned char>(name[++i]);
    } else if (c >= 'a' && c <= 'z') {
      c = static_cast<unsigned char>(c - 'a' + 'A');
    }
    h = (h ^ c) * 1099511628211ull;
  }
  return h;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The name of a "[name]" line, or false for any other line.
bool SectionOf(std::string_view line, std::string_view& name) {
  std::string_view t = TrimView(line);
  if (t.empty() || t.front() != '[') return false;
  t.remove_prefix(1);
  auto close = t.find(']');
  name = TrimView(close == std::string_view::npos ? t : t.substr(0, close));
  return true;
}

// Key and value of a "key=value" line; comments (";") and lines without "="
// are no keys.
bool KeyOf(std::string_view line, std::string_view& key, std::string_view* value = nullptr) {
  std::string_view t = TrimView(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return false;
  auto eq = t.find('=');
  if (eq == std::string_view::npos) return false;
  key = TrimView(t.substr(0, eq));
  if (value != nullptr) *value = TrimView(t.substr(eq + 1));
  return true;
}

// A line break in a value would end the line early and let the rest pose as
// a key or section of its own.
AnsiString OneLine(std::string_view value) {
  AnsiString s(value);
  std::replace_if(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return s;
}

struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long mtimeNs = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

FileIdentity IdentityOf(const std::string& sysName) {
  FileIdentity id;
  struct stat st {};
  if (::stat(sysName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return id;
  id.exists = true;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.size = st.st_size;
  id.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return id;
}

// The on-disk name of the file: the exact one when it exists, else one in
// the same folder that differs only in ASCII case, else the exact one.
std::string ResolveSysName(const AnsiString& fileName) {
  std::string exact = SysFileName(fileName);
  struct stat st {};
  if (::stat(exact.c_str(), &st) == 0) return exact;
  auto slash = exact.rfind('/');
  std::string dir = slash == std::string::npos ? std::string(".") : exact.substr(0, slash);
  std::string base = slash == std::string::npos ? exact : exact.substr(slash + 1);
  if (dir.empty()) dir = "/";
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return exact;
  std::string found;
  while (dirent* entry = ::readdir(d)) {
    // UTF-8 bytes of non-ASCII characters are all above 0x7F, so folding
    // ASCII letters byte by byte is safe here.
    std::string_view name(entry->d_name);
    if (name.size() != base.size()) continue;
    bool same = std::equal(name.begin(), name.end(), base.begin(), [](char a, char b) {
      auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
      return fold(a) == fold(b);
    });
    if (same) {
      found = (slash == std::string::npos ? std::string() : exact.substr(0, slash + 1)) +
              std::string(name);
      break;
    }
  }
  ::closedir(d);
  return found.empty() ? exact : found;
}

}  // namespace

// The file as sections of raw lines. sections_[0] holds the lines before the
// first header and is never a section of its own.
class TIniDocument {
 public:
  struct Section {
    AnsiString name;
    AnsiString header;
    std::vector<AnsiString> lines;
  };

  TIniDocument() { Clear(); }

  void Clear() {
    sections_.assign(1, Section{});
    slots_.clear();
    lineBreak_ = "\r\n";
    finalBreak_ = true;
  }

  void Parse(std::string_view text) {
    Clear();
    bool breakSeen = false;
    std::size_t pos = 0;
    finalBreak_ = false;
    while (pos < text.size()) {
      std::size_t end = text.find_first_of("\r\n", pos);
      std::string_view line = text.substr(pos, end == std::string_view::npos ? end : end - pos);
      AddLine(line);
      if (end == std::string_view::npos) break;
      std::size_t next = end + 1;
      if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
      // Written back with the break the file already uses.
      if (!breakSeen) {
        lineBreak_ = AnsiString(text.substr(end, next - end));
        breakSeen = true;
      }
      pos = next;
      if (pos == text.size()) finalBreak_ = true;
    }
    if (text.empty()) finalBreak_ = true;
  }

  AnsiString Serialize() const {
    AnsiString out;
    bool first = true;
    auto put = [&](const AnsiString& line) {
      if (!first) out += lineBreak_;
      out += line;
      first = false;
    };
    for (std::size_t i = 0; i < sections_.size(); ++i) {
      if (i > 0) put(sections_[i].header);
      for (const auto& line : sections_[i].lines) put(line);
    }
    if (!first && finalBreak_) out += lineBreak_;
    return out;
  }

  // The first section of that name.
  Section* Find(std::string_view name) {
    if (slots_.empty()) return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = IniNameHash(name) & mask; slots_[at] != 0; at = (at + 1) & mask)
      if (SameIniName(sections_[slots_[at]].name, name)) return &sections_[slots_[at]];
    return nullptr;
  }

  // Index of the key's line in section, or -1.
  static int FindKey(const Section& section, std::string_view ident) {
    for (std::size_t i = 0; i < section.lines.size(); ++i) {
      std::string_view key;
      if (KeyOf(section.lines[i], key) && SameIniName(key, ident)) return static_cast<int>(i);
    }
    return -1;
  }

  bool Read(std::string_view section, std::string_view ident, AnsiString& value) {
    Section* s = Find(section);
    if (s == nullptr) return false;
    int index = FindKey(*s, ident);
    if (index < 0) return false;
    std::string_view key, v;
    KeyOf(s->lines[static_cast<std::size_t>(index)], key, &v);
    value.assign(v);
    return true;
  }

  void Write(const AnsiString& section, const AnsiString& ident, const AnsiString& value) {
    AnsiString clean = OneLine(TrimView(value));
    Section* s = Find(section);
    if (s == nullptr) {
      AddSection(Section{section, "[" + section + "]", {}});
      s = &sections_.back();
    }
    int index = FindKey(*s, ident);
    if (index >= 0) {
      // Keep the key as the file spells it, and the spacing around "=".
      AnsiString& line = s->lines[static_cast<std::size_t>(index)];
      std::size_t eq = line.find('=');
      std::size_t valueStart = eq + 1;
      while (valueStart < line.size() && (line[valueStart] == ' ' || line[valueStart] == '\t'))
        ++valueStart;
      line = line.substr(0, valueStart) + clean;
      return;
    }
    // After the section's last non-blank line, so blank lines that separate
    // it from the next section stay after it.
    std::size_t at = s->lines.size();
    while (at > 0 && TrimView(s->lines[at - 1]).empty()) --at;
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), ident + "=" + clean);
  }

  void Erase(std::string_view section) {
    for (std::size_t i = sections_.size(); i-- > 1;)
      if (SameIniName(sections_[i].name, section))
        sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(i));
    Reindex();
  }

  void DeleteKey(std::string_view section, std::string_view ident) {
    for (std::size_t i = 1; i < sections_.size(); ++i) {
      if (!SameIniName(sections_[i].name, section)) continue;
      auto& lines = sections_[i].lines;
      std::erase_if(lines, [&](const AnsiString& line) {
        std::string_view key;
        return KeyOf(line, key) && SameIniName(key, ident);
      });
    }
  }

  void Keys(std::string_view section, TStrings* strings, bool withValues) {
    strings->BeginUpdate();
    try {
      strings->Clear();
      if (Section* s = Find(section)) {
        for (const auto& line : s->lines) {
          std::string_view key, value;
          if (!KeyOf(line, key, &value)) continue;
          AnsiString item(key);
          if (withValues) {
            item += '=';
            item += value;
          }
          strings->Add(item);
        }
      }
    } catch (...) {
      strings->EndUpdate();
      throw;
    }
    strings->EndUpdate();
  }

  void Names(TStrings* strings) {
    strings->BeginUpdate();
    try {
      strings->Clear();
      for (std::size_t i = 1; i < sections_.size(); ++i) {
        // A name that appears twice is listed once, as the first spelling.
        if (Find(sections_[i].name) == &sections_[i]) strings->Add(sections_[i].name);
      }
    } catch (...) {
      strings->EndUpdate();
      throw;
    }
    strings->EndUpdate();
  }

  FileIdentity identity;
  bool loaded = false;

 private:
  void AddLine(std::string_view line) {
    std::string_view name;
    if (SectionOf(line, name))
      AddSection(Section{AnsiString(name), AnsiString(line), {}});
    else
      sections_.back().lines.emplace_back(line);
  }

  void AddSection(Section section) {
    sections_.push_back(std::move(section));
    if (sections_.size() * 2 > slots_.size()) Reindex();
    else Place(sections_.size() - 1);
  }

  // Indexes section i unless an earlier one has its name.
  void Place(std::size_t i) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = IniNameHash(sections_[i].name) & mask;
    for (; slots_[at] != 0; at = (at + 1) & mask)
      if (SameIniName(sections_[slots_[at]].name, sections_[i].name)) return;
    slots_[at] = static_cast<std::uint32_t>(i);
  }

  void Reindex() {
    std::size_t size = 16;
    while (size < sections_.size() * 2) size *= 2;
    slots_.assign(size, 0);
    for (std::size_t i = 1; i < sections_.size(); ++i) Place(i);
  }

  std::vector<Section> sections_;
  // The index of the first section of each name by the hash of its name
  // (open addressing; 0 is an empty slot, never a section), so that a file
  // of many sections is looked up without walking them all.
  std::vector<std::uint32_t> slots_;
  AnsiString lineBreak_;
  bool finalBreak_ = true;
};

// ------------------------------------------------------------ TCustomIniFile

TCustomIniFile::TCustomIniFile(const AnsiString& fileName)
    : fileName_(fileName), document_(std::make_unique<TIniDocument>()) {}

TCustomIniFile::~TCustomIniFile() = default;

TIniDocument& TCustomIniFile::Document() {
  if (!document_->loaded) Load();
  return *document_;
}

void TCustomIniFile::Load() {
  std::string sysName = ResolveSysName(fileName_);
  document_->Clear();
  document_->loaded = true;
  document_->identity = IdentityOf(sysName);
  if (!document_->identity.exists) return;
  int fd = ::open(sysName.c_str(), O_RDONLY | O_CLOEXEC);
  // An unreadable file reads as a missing one: the defaults apply.
  if (fd < 0) return;
  std::string text;
  char buffer[8192];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  document_->Parse(text);
}

void TCustomIniFile::Save() {
  const AnsiString text = Document().Serialize();
  const std::string target = ResolveSysName(fileName_);
  auto slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = dir + "." + base + ".XXXXXX";
  auto fail = [&](int fd) {
    if (fd >= 0) {
      ::close(fd);
      ::unlink(temp.c_str());
    }
    throw EIniFileException(Format("Unable to write to %s", {fileName_}));
  };
  int fd = ::mkstemp(temp.data());
  if (fd < 0) fail(-1);
  // The new file gets the old one's permissions (mkstemp makes it private).
  struct stat st {};
  mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
  ::fchmod(fd, mode);
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(fd);
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) fail(fd);
  if (::close(fd) != 0) {
    ::unlink(temp.c_str());
    fail(-1);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    fail(-1);
  }
  document_->identity = IdentityOf(target);
}

int TCustomIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int def) {
  AnsiString s = ReadString(section, ident, {});
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
  return StrToIntDef(s, def);
}

void TCustomIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const AnsiString& section, const AnsiString& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const AnsiString& section, const AnsiString& ident, double def) {
  AnsiString s = ReadString(section, ident, {});
  double value = 0;
  return !s.empty() && TryStrToFloat(s, value) ? value : def;
}

void TCustomIniFile::WriteFloat(const AnsiString& section, const AnsiString& ident,
                                double value) {
  WriteString(section, ident, FloatToStr(value));
}

bool TCustomIniFile::SectionExists(const AnsiString& section) { return Current().Find(section) != nullptr; }

bool TCustomIniFile::ValueExists(const AnsiString& section, const AnsiString& ident) {
  const TIniDocument::Section* s = Current().Find(section);
  return s != nullptr && TIniDocument::FindKey(*s, ident) >= 0;
}

// ------------------------------------------------------------------ TIniFile

TIniFile::TIniFile(const AnsiString& fileName) : TCustomIniFile(fileName) {}

TIniDocument& TIniFile::Fresh() {
  // Another program (or another TIniFile on the same file) may have changed it.
  if (!document_->loaded || IdentityOf(ResolveSysName(fileName_)) != document_->identity) Load();
  return *document_;
}

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& ident,
                                const AnsiString& def) {
  AnsiString value;
  return Fresh().Read(section, ident, value) ? value : def;
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& ident,
                           const AnsiString& value) {
  Fresh().Write(section, ident, value);
  Save();
}

void TIniFile::ReadSection(const AnsiString& section, TStrings* strings) {
  Fresh().Keys(section, strings, false);
}

void TIniFile::ReadSections(TStrings* strings) { Fresh().Names(strings); }

void TIniFile::ReadSectionValues(const AnsiString& section, TStrings* strings) {
  Fresh().Keys(section, strings, true);
}

void TIniFile::EraseSection(const AnsiString& section) {
  TIniDocument& doc = Fresh();
  if (doc.Find(section) == nullptr) return;
  doc.Erase(section);
  Save();
}

void TIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident) {
  TIniDocument& doc = Fresh();
  TIniDocument::Section* s = doc.Find(section);
  if (s == nullptr || TIniDocument::FindKey(*s, ident) < 0) return;
  doc.DeleteKey(section, ident);
  Save();
}

// --------------------------------------------------------------- TMemIniFile

TMemIniFile::TMemIniFile(const AnsiString& fileName) : TCustomIniFile(fileName) { Load(); }

AnsiString TMemIniFile::ReadString(const AnsiString& section, const AnsiString& ident,
                                   const AnsiString& def) {
  AnsiString value;
  return Document().Read(section, ident, value) ? value : def;
}

void TMemIniFile::WriteString(const AnsiString& section, const AnsiString& ident,
                              const AnsiString& value) {
  Document().Write(section, ident, value);
}

void TMemIniFile::ReadSection(const AnsiString& section, TStrings* strings) {
  Document().Keys(section, strings, false);
}

void TMemIniFile::ReadSections(TStrings* strings) { Document().Names(strings); }

void TMemIniFile::ReadSectionValues(const AnsiString& section, TStrings* strings) {
  Document().Keys(section, strings, true);
}

void TMemIniFile::EraseSection(const AnsiString& section) { Document().Erase(section); }

void TMemIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident) {
  Document().DeleteKey(section, ident);
}

void TMemIniFile::UpdateFile() { Save(); }

void TMemIniFile::Clear() { Document().Clear(); }

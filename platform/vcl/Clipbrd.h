// The clipboard: formats registered by name, bytes per format, text in code
// page 949 and file lists. Two back ends: the desktop's (Qt) and one in
// memory that tests switch on.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/vcl/Messages.h"

inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT CF_BITMAP = 2;
inline constexpr UINT CF_UNICODETEXT = 13;
inline constexpr UINT CF_HDROP = 15;

// The same name always gives the same number (0xC000 and up); names are
// compared without regard to ASCII case, as the system does.
UINT RegisterClipboardFormat(const AnsiString& name);
// The registered name of a format, or "" for a standard or unknown one.
AnsiString ClipboardFormatName(UINT format);

class TClipboard : public TPersistent {
 public:
  // Between Open and Close, the formats set go onto the clipboard together
  // (the first one set clears what was there). Outside, each set replaces
  // the whole clipboard.
  void Open();
  void Close();
  void Clear();
  bool HasFormat(UINT format) const;

  // CF_TEXT as code page 949 (the desktop's text is converted; characters
  // the code page lacks become "?").
  AnsiString AsText() const;
  void SetAsText(const AnsiString& text);
  // The bytes of a format ("" when absent).
  std::string AsBytes(UINT format) const;
  void SetAsBytes(UINT format, std::string bytes);
  // CF_HDROP: full file names in code page 949.
  std::vector<AnsiString> FileNames() const;
  void SetFileNames(const std::vector<AnsiString>& names);

  // The whole content, format by format (file names joined by '\0').
  using TContent = std::map<UINT, std::string>;

 private:
  void Put(UINT format, std::string bytes);
  int openCount_ = 0;
  bool emptied_ = false;
  TContent pending_;
};

TClipboard* Clipboard();

// Switches between the in-memory clipboard (tests) and the desktop's. The
// memory one starts empty each time it is switched on.
void UseMemoryClipboard(bool memory);

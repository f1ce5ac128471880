// INI files: "[section]" headers and "key=value" lines of code page 949 text.
//
// Sections and keys are matched without regard to ASCII case (the trail
// byte of a Hangul character is never case-folded); keys and values are
// trimmed. A missing file, section or key gives the caller's default. Writing
// keeps every other line (comments, blank lines, order, line-break style) as
// it was, and goes through a temporary file in the same folder that then
// replaces the old one, so a crash never leaves half a settings file.
//
// TIniFile writes each change at once and sees changes other programs make to
// the file; TMemIniFile keeps the file in memory until UpdateFile.
#pragma once

#include <memory>

#include "platform/rtl/Classes.h"

class TIniDocument;

class TCustomIniFile : public TObject {
 public:
  // fileName is code page 949. When no file of exactly that name exists but
  // one differing only in ASCII letter case does, that one is used, so
  // "Vidrena.Ini" and "Vidrena.ini" are the same file as on the system the
  // program was first written for.
  explicit TCustomIniFile(const AnsiString& fileName);
  ~TCustomIniFile() override;

  const AnsiString& FileName() const { return fileName_; }

  virtual AnsiString ReadString(const AnsiString& section, const AnsiString& ident,
                                const AnsiString& def) = 0;
  // A line break inside value would start a new line in the file; it is
  // written as a blank instead.
  virtual void WriteString(const AnsiString& section, const AnsiString& ident,
                           const AnsiString& value) = 0;
  // Decimal or hexadecimal ("$1F", "0x1F"); anything else gives def.
  int ReadInteger(const AnsiString& section, const AnsiString& ident, int def);
  void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
  // True for any non-zero integer; written as "1" / "0".
  bool ReadBool(const AnsiString& section, const AnsiString& ident, bool def);
  void WriteBool(const AnsiString& section, const AnsiString& ident, bool value);
  double ReadFloat(const AnsiString& section, const AnsiString& ident, double def);
  void WriteFloat(const AnsiString& section, const AnsiString& ident, double value);

  // Fill strings (cleared first) with the keys of a section / the section
  // names / the section's "key=value" lines, in file order.
  virtual void ReadSection(const AnsiString& section, TStrings* strings) = 0;
  virtual void ReadSections(TStrings* strings) = 0;
  virtual void ReadSectionValues(const AnsiString& section, TStrings* strings) = 0;
  bool SectionExists(const AnsiString& section);
  bool ValueExists(const AnsiString& section, const AnsiString& ident);
  virtual void EraseSection(const AnsiString& section) = 0;
  virtual void DeleteKey(const AnsiString& section, const AnsiString& ident) = 0;
  // Writes pending changes (TMemIniFile); EIniFileException "Unable to write to %s".
  virtual void UpdateFile() = 0;

 protected:
  // The document, loaded from the file when it changed on disk (TIniFile) or
  // once (TMemIniFile).
  TIniDocument& Document();
  // The document as it is now: TIniFile first loads it again when the file
  // changed on disk.
  virtual TIniDocument& Current() { return Document(); }
  void Load();
  void Save();

  AnsiString fileName_;
  std::unique_ptr<TIniDocument> document_;
};

class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(const AnsiString& fileName);

  AnsiString ReadString(const AnsiString& section, const AnsiString& ident,
                        const AnsiString& def) override;
  void WriteString(const AnsiString& section, const AnsiString& ident,
                   const AnsiString& value) override;
  void ReadSection(const AnsiString& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void ReadSectionValues(const AnsiString& section, TStrings* strings) override;
  void EraseSection(const AnsiString& section) override;
  void DeleteKey(const AnsiString& section, const AnsiString& ident) override;
  // Every change is already on disk.
  void UpdateFile() override {}

 protected:
  TIniDocument& Current() override { return Fresh(); }

 private:
  TIniDocument& Fresh();
};

class TMemIniFile : public TCustomIniFile {
 public:
  explicit TMemIniFile(const AnsiString& fileName);

  AnsiString ReadString(const AnsiString& section, const AnsiString& ident,
                        const AnsiString& def) override;
  void WriteString(const AnsiString& section, const AnsiString& ident,
                   const AnsiString& value) override;
  void ReadSection(const AnsiString& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void ReadSectionValues(const AnsiString& section, TStrings* strings) override;
  void EraseSection(const AnsiString& section) override;
  void DeleteKey(const AnsiString& section, const AnsiString& ident) override;
  void UpdateFile() override;
  // Forgets every section (the file is untouched until UpdateFile).
  void Clear();
};

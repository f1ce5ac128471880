// The runtime's system utilities: exceptions, 1-based string routines,
// number and date conversion with a replaceable locale, and the file system.
//
// Sections:
//   Exceptions ........ Exception and the classes the program raises
//   Strings ........... 1-based AnsiString routines (positions in bytes)
//   Numbers ........... IntToStr, StrToInt, floats, Format, Round
//   Dates ............. TDateTime, TFormatSettings, parse and format, clock
//   Files ............. paths, existence, FindFirst, copy and rename, AppDir
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <set>
#include <vector>

#include "platform/rtl/Cp949.h"
#include "platform/rtl/Types.h"

// ---------------------------------------------------------------- Exceptions

// The base of every error the program raises. The message is code page 949
// text; what() returns the same bytes.
class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : message_(std::move(message)) {}
  const AnsiString& Message() const { return message_; }
  void SetMessage(AnsiString message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }

 private:
  AnsiString message_;
};

#define VIDRENA_EXCEPTION(Name, Base)                                 \
  class Name : public Base {                                          \
   public:                                                            \
    using Base::Base;                                                 \
    const char* ClassName() const override { return #Name; }          \
  }

VIDRENA_EXCEPTION(EAbort, Exception);
VIDRENA_EXCEPTION(EConvertError, Exception);
VIDRENA_EXCEPTION(EListError, Exception);
VIDRENA_EXCEPTION(EStringListError, EListError);
// A failed stream or file operation. ErrorCode is the system's error number
// behind it (ENOSPC for a full disk), 0 where none is known; the classes
// derived from it take it as a second argument.
class EStreamError : public Exception {
 public:
  explicit EStreamError(AnsiString message, int errorCode = 0)
      : Exception(std::move(message)), errorCode_(errorCode) {}
  const char* ClassName() const override { return "EStreamError"; }
  int ErrorCode() const { return errorCode_; }

 private:
  int errorCode_ = 0;
};
VIDRENA_EXCEPTION(EReadError, EStreamError);
VIDRENA_EXCEPTION(EWriteError, EStreamError);
VIDRENA_EXCEPTION(EFilerError, EStreamError);
VIDRENA_EXCEPTION(EFOpenError, EStreamError);
VIDRENA_EXCEPTION(EFCreateError, EStreamError);
VIDRENA_EXCEPTION(EInOutError, Exception);
VIDRENA_EXCEPTION(EOSError, Exception);
VIDRENA_EXCEPTION(EIntError, Exception);
VIDRENA_EXCEPTION(ERangeError, EIntError);
VIDRENA_EXCEPTION(EDivByZero, EIntError);
VIDRENA_EXCEPTION(EMathError, Exception);
VIDRENA_EXCEPTION(EZeroDivide, EMathError);
VIDRENA_EXCEPTION(EOverflow, EMathError);
VIDRENA_EXCEPTION(EInvalidOp, EMathError);
VIDRENA_EXCEPTION(EInvalidOperation, Exception);
VIDRENA_EXCEPTION(EInvalidPointer, Exception);
VIDRENA_EXCEPTION(EInvalidCast, Exception);
VIDRENA_EXCEPTION(EComponentError, Exception);
VIDRENA_EXCEPTION(EThread, Exception);
VIDRENA_EXCEPTION(EIniFileException, Exception);
VIDRENA_EXCEPTION(EOutOfResources, Exception);

// Raises EAbort, the silent exception that ends a user action without a message.
[[noreturn]] void Abort();

// ------------------------------------------------------------------- Strings
// Positions are 1-based byte positions; 0 means "not found". Out-of-range
// arguments are clamped, never an error.

// Position of the first occurrence of sub in s, or 0.
int Pos(std::string_view sub, std::string_view s);
// As Pos, starting the search at byte offset; 0 when offset is below 1 or past the end.
int PosEx(std::string_view sub, std::string_view s, int offset = 1);
// As Pos but never matches in the middle of a two-byte character.
int AnsiPos(std::string_view sub, std::string_view s);
// count bytes from index; index below 1 counts from 1, a count past the end stops there.
AnsiString Copy(std::string_view s, int index, int count);
// Removes count bytes from index; out-of-range parts are ignored.
void Delete(AnsiString& s, int index, int count);
// Inserts sub before index; index below 1 inserts at the start, past the end appends.
void Insert(std::string_view sub, AnsiString& s, int index);

// Trim removes characters at or below the blank from both ends.
AnsiString Trim(std::string_view s);
AnsiString TrimLeft(std::string_view s);
AnsiString TrimRight(std::string_view s);

// Single-byte ASCII letters only; the trail byte of a two-byte character is kept.
AnsiString UpperCase(std::string_view s);
AnsiString LowerCase(std::string_view s);
AnsiString AnsiUpperCase(std::string_view s);
AnsiString AnsiLowerCase(std::string_view s);

// Ordinal comparison: negative, 0 or positive.
int CompareStr(std::string_view a, std::string_view b);
// Ordinal after ASCII upper-casing.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// Locale comparisons of code page 949 text, a total order: ASCII (folded),
// then symbols, then every Hangul syllable in dictionary order (including
// the ones outside KS X 1001 that the code page lists first), then Hanja.
// AnsiCompareStr orders strings equal but for ASCII case lower case first.
int AnsiCompareStr(std::string_view a, std::string_view b);
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
bool AnsiSameStr(std::string_view a, std::string_view b);

enum class TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = std::set<TReplaceFlag>;
AnsiString StringReplace(std::string_view s, std::string_view oldPattern,
                         std::string_view newPattern, const TReplaceFlags& flags);

AnsiString QuotedStr(std::string_view s);
AnsiString AnsiQuotedStr(std::string_view s, char quote);
// Reads a quoted string from the start of src (advancing it past the closing
// quote); returns "" and leaves src when it does not start with quote.
AnsiString AnsiExtractQuotedStr(std::string_view& src, char quote);
AnsiString AnsiDequotedStr(std::string_view s, char quote);

AnsiString StringOfChar(char c, int count);
// 1-based position of the last character of s that is in delimiters, or 0.
int LastDelimiter(std::string_view delimiters, std::string_view s);
bool IsDelimiter(std::string_view delimiters, std::string_view s, int index);

enum TMbcsByteType { mbSingleByte, mbLeadByte, mbTrailByte };
// Kind of the byte at 1-based index, judged from the start of s.
TMbcsByteType ByteType(std::string_view s, int index);

// ------------------------------------------------------------------- Numbers

AnsiString IntToStr(Int64 value);
AnsiString IntToHex(Int64 value, int digits);
// Decimal or "$"/"0x" hexadecimal, blanks around allowed; EConvertError
// "'%s' is not a valid integer value" otherwise.
int StrToInt(std::string_view s);
Int64 StrToInt64(std::string_view s);
int StrToIntDef(std::string_view s, int def);
Int64 StrToInt64Def(std::string_view s, Int64 def);
bool TryStrToInt(std::string_view s, int& value);
bool TryStrToInt64(std::string_view s, Int64& value);

struct TFormatSettings;
double StrToFloat(std::string_view s);
double StrToFloat(std::string_view s, const TFormatSettings& fs);
double StrToFloatDef(std::string_view s, double def);
bool TryStrToFloat(std::string_view s, double& value);
bool TryStrToFloat(std::string_view s, double& value, const TFormatSettings& fs);
// General format with 15 significant digits, no trailing zeros; the decimal
// separator of the locale.
AnsiString FloatToStr(double value);
AnsiString FloatToStr(double value, const TFormatSettings& fs);
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits);
// Pictures with "0", "#", ".", ",", "E+"/"E-", quoted text and ";" sections.
AnsiString FormatFloat(std::string_view format, double value);
AnsiString FormatFloat(std::string_view format, double value, const TFormatSettings& fs);

// Pascal Val: parses the longest valid prefix; code is 0 on success or the
// 1-based position of the first offending character.
void Val(std::string_view s, double& value, int& code);
void Val(std::string_view s, int& value, int& code);

// Halves to even, as the class library rounds. A value outside the Int64
// range (or NaN) raises EInvalidOp.
Int64 Round(double value);
Int64 Trunc(double value);
double Frac(double value);
double Int(double value);

// One argument of Format.
class TVarRec {
 public:
  enum Kind { vtInteger, vtInt64, vtExtended, vtString, vtChar, vtPointer };
  TVarRec(int v) : kind_(vtInteger), int_(v) {}
  TVarRec(unsigned v) : kind_(vtInt64), int_(v) {}
  TVarRec(long v) : kind_(vtInt64), int_(v) {}
  TVarRec(unsigned long v) : kind_(vtInt64), int_(static_cast<Int64>(v)) {}
  TVarRec(long long v) : kind_(vtInt64), int_(v) {}
  TVarRec(unsigned long long v) : kind_(vtInt64), int_(static_cast<Int64>(v)) {}
  TVarRec(double v) : kind_(vtExtended), float_(v) {}
  TVarRec(char v) : kind_(vtChar), string_(1, v) {}
  TVarRec(const char* v) : kind_(vtString), string_(v ? v : "") {}
  TVarRec(std::string_view v) : kind_(vtString), string_(v) {}
  TVarRec(const AnsiString& v) : kind_(vtString), string_(v) {}
  TVarRec(const void* v) : kind_(vtPointer), int_(reinterpret_cast<std::intptr_t>(v)) {}
  Kind VType() const { return kind_; }
  Int64 AsInt() const { return int_; }
  double AsFloat() const { return float_; }
  const AnsiString& AsString() const { return string_; }

 private:
  Kind kind_;
  Int64 int_ = 0;
  double float_ = 0;
  AnsiString string_;
};

// %d %u %s %x %X %f %g %e %n %m %p %% with index ("%0:s"), "-" alignment,
// width and precision ("*" takes them from the arguments). Hex digits are
// upper case for %x too; float text rounds decimal halves away from zero
// (Round() alone takes halves to even). A mismatched
// argument raises EConvertError "Format '%s' invalid or incompatible with argument".
AnsiString Format(std::string_view format, std::initializer_list<TVarRec> args);
AnsiString Format(std::string_view format, const std::vector<TVarRec>& args);
AnsiString Format(std::string_view format, const std::vector<TVarRec>& args,
                  const TFormatSettings& fs);

AnsiString BoolToStr(bool value, bool useBoolStrs = false);
bool StrToBool(std::string_view s);
bool TryStrToBool(std::string_view s, bool& value);

// --------------------------------------------------------------------- Dates

// The locale the conversions use. FormatSettings is the process-wide one;
// tests replace it and put it back.
struct TFormatSettings {
  char DateSeparator = '-';
  char TimeSeparator = ':';
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char ListSeparator = ',';
  AnsiString ShortDateFormat = "yyyy-mm-dd";
  AnsiString LongDateFormat;
  AnsiString ShortTimeFormat = "AMPM h:nn";
  AnsiString LongTimeFormat = "AMPM h:nn:ss";
  AnsiString TimeAMString = "AM";
  AnsiString TimePMString = "PM";
  AnsiString CurrencyString;
  int CurrencyDecimals = 2;
  AnsiString ShortMonthNames[12];
  AnsiString LongMonthNames[12];
  AnsiString ShortDayNames[7];  // Sunday first
  AnsiString LongDayNames[7];
  // Two-digit years are placed within this many years before now.
  int TwoDigitYearCenturyWindow = 50;

  // The program's own locale (Korean names, "yyyy-mm-dd"); FormatSettings starts as this.
  static TFormatSettings Korean();
  // An English locale with "m/d/yyyy", for tests of locale-dependent parsing.
  static TFormatSettings English();
};
extern TFormatSettings FormatSettings;

inline constexpr double MSecsPerDay = 86400000.0;
inline constexpr int DateDelta = 693594;  // days from 0001-01-01 to 1899-12-30

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);
// EConvertError for an invalid date or time.
TDateTime EncodeDate(Word year, Word month, Word day);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time);
void DecodeDate(TDateTime date, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec);
int DayOfWeek(TDateTime date);  // 1 = Sunday
// Adds months, clamping the day to the length of the target month.
TDateTime IncMonth(TDateTime date, int months = 1);

// Parses by the order of d, m and y in ShortDateFormat and the date
// separator; years below 100 go through the century window.
TDateTime StrToDate(std::string_view s);
TDateTime StrToDate(std::string_view s, const TFormatSettings& fs);
bool TryStrToDate(std::string_view s, TDateTime& value);
bool TryStrToDate(std::string_view s, TDateTime& value, const TFormatSettings& fs);
TDateTime StrToDateDef(std::string_view s, TDateTime def);
TDateTime StrToTime(std::string_view s);
bool TryStrToTime(std::string_view s, TDateTime& value);
bool TryStrToTime(std::string_view s, TDateTime& value, const TFormatSettings& fs);
TDateTime StrToDateTime(std::string_view s);
bool TryStrToDateTime(std::string_view s, TDateTime& value);
bool TryStrToDateTime(std::string_view s, TDateTime& value, const TFormatSettings& fs);

AnsiString DateToStr(TDateTime date);
AnsiString DateToStr(TDateTime date, const TFormatSettings& fs);
AnsiString TimeToStr(TDateTime time);
AnsiString DateTimeToStr(TDateTime value);
// yyyy yy m mm mmm mmmm d dd ddd dddd ddddd h hh n nn s ss z zzz
// AM/PM am/pm a/p AMPM c t tt / : and quoted text.
AnsiString FormatDateTime(std::string_view format, TDateTime value);
AnsiString FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& fs);

// The clock. Tests replace it; an empty function restores the system clock.
void SetClock(std::function<TDateTime()> clock);
TDateTime Now();
TDateTime Date();
TDateTime Time();
TDateTime SystemNow();  // the real clock, whatever SetClock installed

// --------------------------------------------------------------------- Files
// Names are code page 949 text in memory and UTF-8 on disk. Paths use "/".

inline constexpr char PathDelim = '/';

bool FileExists(std::string_view name);
bool DirectoryExists(std::string_view name);
// Whether the name itself is a symbolic link (whatever it leads to).
bool FileIsSymLink(std::string_view name);
bool CreateDir(std::string_view dir);
bool ForceDirectories(std::string_view dir);
bool RemoveDir(std::string_view dir);
bool DeleteFile(std::string_view name);
// Both fail (return false) when the target exists: never a silent replace.
bool RenameFile(std::string_view oldName, std::string_view newName);
bool CopyFile(std::string_view source, std::string_view target, bool failIfExists = true);
// Replaces target by source atomically (same folder), for safe saves.
bool ReplaceFile(std::string_view source, std::string_view target);
// Gives an existing file newName as a second name (same disk), replacing
// the file of that name in one step: the contents are not copied, and once
// the first name is replaced by a new file the second keeps the old one.
// False, and nothing changed, where the disk keeps no second names or
// newName cannot be replaced.
bool LinkFile(std::string_view existing, std::string_view newName);
// Temporary files that a save or download left when it was killed: deletes
// the regular files directly in folder whose name isOwn accepts and that
// nothing has written to for olderThanSeconds, so that a save or download
// still running elsewhere keeps its file. Returns how many went.
inline constexpr int kStaleTemporarySeconds = 60 * 60;
int DeleteStaleTemporaryFiles(std::string_view folder, const std::function<bool(std::string_view name)>& isOwn,
                              int olderThanSeconds = kStaleTemporarySeconds);
// FNV-1a: a short, stable checksum of bytes that tells names and values
// apart (no guard against anyone who makes two meet). Fnv1a64 goes on from
// hash, so that several pieces make one sum.
inline constexpr std::uint64_t kFnv1a64Start = 14695981039346656037ull;
inline std::uint32_t Fnv1a32(std::string_view bytes) {
  std::uint32_t hash = 2166136261u;
  for (const unsigned char c : bytes) hash = (hash ^ c) * 16777619u;
  return hash;
}
inline std::uint64_t Fnv1a64(std::string_view bytes, std::uint64_t hash = kFnv1a64Start) {
  for (const unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}
// The part of a temporary file's name that stands for the file it is made
// for: base (a name on disk) itself, or, when base and suffixBytes more would
// pass the longest name a folder takes, as much of base as leaves room
// (whole characters) followed by "~" and eight hexadecimal digits of a
// checksum of base, so that the name still belongs to that one file.
std::string TemporaryNameBase(std::string_view base, std::size_t suffixBytes);
// Whether name (a name on disk in target's folder) is one of the files that
// CopyFile and LinkFile make beside target for a moment.
bool IsCopyTemporaryName(std::string_view name, std::string_view target);
// The file that name leads to through symbolic links: name itself when it
// is no link (or a chain of links that never ends), else the last link's
// target, which need not exist. A save writes there, beside it, so that the
// link stays a link.
AnsiString FileLinkTarget(std::string_view name);
// Whether the error number says the disk (or the user's share of it) is full.
bool IsDiskFullError(int errorCode);
// -1 when the file does not exist.
Int64 FileSizeOf(std::string_view name);
// The last write time in local time; -1 when the file does not exist.
TDateTime FileDateOf(std::string_view name);

AnsiString ExtractFilePath(std::string_view name);   // with the trailing "/"
AnsiString ExtractFileDir(std::string_view name);    // without it
AnsiString ExtractFileName(std::string_view name);
AnsiString ExtractFileExt(std::string_view name);    // with the dot
AnsiString ChangeFileExt(std::string_view name, std::string_view ext);
AnsiString IncludeTrailingPathDelimiter(std::string_view path);
AnsiString ExcludeTrailingPathDelimiter(std::string_view path);
AnsiString ExpandFileName(std::string_view name);
AnsiString GetCurrentDir();

// The on-disk (UTF-8) form of a code page 949 name, and back.
std::string SysFileName(std::string_view name);
AnsiString FromSysFileName(std::string_view sysName);

// Matches a file mask ("*.avi", "a?c.*") without regard to ASCII case.
bool MatchesMask(std::string_view name, std::string_view mask);

inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;
inline constexpr int faSysFile = 0x04;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faAnyFile = 0x3F;

struct TSearchRec {
  AnsiString Name;
  Int64 Size = 0;
  int Attr = 0;
  TDateTime Time = 0;
  // Private state of the search.
  std::vector<TSearchRec>* pending = nullptr;
  int ExcludeAttr = 0;
};
// 0 when a first match was found; the search must be closed with FindClose.
// path is a folder followed by a mask ("/movies/*.avi").
int FindFirst(std::string_view path, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

enum TDriveKind { DRIVE_UNKNOWN, DRIVE_NO_ROOT_DIR, DRIVE_REMOVABLE, DRIVE_FIXED, DRIVE_REMOTE,
                  DRIVE_CDROM, DRIVE_RAMDISK };
// The kind of drive a path lies on, from the mount table.
TDriveKind GetDriveKind(std::string_view path);
// The same judgement against the text of a mount table (/proc/self/mounts
// format), for an absolute on-disk path.
TDriveKind DriveKindFromMounts(std::string_view sysPath, std::string_view mounts);

// The executable's folder with a trailing "/"; tests point it elsewhere.
AnsiString AppDir();
void SetAppDir(std::string_view dir);
AnsiString GetTempDir();
// The system's last error as text, for messages.
AnsiString SysErrorMessage(int error);

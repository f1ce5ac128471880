// Dates and times of the runtime: the locale, encode and decode, parsing by
// the locale's order, FormatDateTime and the replaceable clock.
//
// Sections:
//   Locale ............ TFormatSettings::Korean/English, FormatSettings
//   Encode, decode .... day arithmetic on TDateTime (days since 1899-12-30)
//   Parsing ........... StrToDate/Time/DateTime through one scanner
//   Formatting ........ FormatDateTime and the short forms built on it
//   Clock ............. Now, Date, Time over an injectable source
#include <time.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "platform/rtl/SysUtils.h"

// -------------------------------------------------------------------- Locale

TFormatSettings TFormatSettings::Korean() {
  TFormatSettings fs;
  fs.DateSeparator = '-';
  fs.TimeSeparator = ':';
  fs.DecimalSeparator = '.';
  fs.ThousandSeparator = ',';
  fs.ListSeparator = ',';
  fs.ShortDateFormat = "yyyy-mm-dd";
  fs.LongDateFormat = "yyyy'년' m'월' d'일' dddd"_k;
  fs.ShortTimeFormat = "AMPM h:nn";
  fs.LongTimeFormat = "AMPM h:nn:ss";
  fs.TimeAMString = "오전"_k;
  fs.TimePMString = "오후"_k;
  fs.CurrencyString = "￦"_k;
  fs.CurrencyDecimals = 0;
  const AnsiString month = "월"_k;
  for (int m = 0; m < 12; ++m) {
    fs.ShortMonthNames[m] = IntToStr(m + 1) + month;
    fs.LongMonthNames[m] = fs.ShortMonthNames[m];
  }
  static const char* const kDays[7] = {"일", "월", "화", "수", "목", "금", "토"};
  const AnsiString dayWord = "요일"_k;
  for (int d = 0; d < 7; ++d) {
    fs.ShortDayNames[d] = Utf8ToCp949(kDays[d]);
    fs.LongDayNames[d] = fs.ShortDayNames[d] + dayWord;
  }
  fs.TwoDigitYearCenturyWindow = 50;
  return fs;
}

TFormatSettings TFormatSettings::English() {
  TFormatSettings fs;
  fs.DateSeparator = '/';
  fs.TimeSeparator = ':';
  fs.DecimalSeparator = '.';
  fs.ThousandSeparator = ',';
  fs.ListSeparator = ',';
  fs.ShortDateFormat = "m/d/yyyy";
  fs.LongDateFormat = "dddd, mmmm d, yyyy";
  fs.ShortTimeFormat = "h:nn AMPM";
  fs.LongTimeFormat = "h:nn:ss AMPM";
  fs.TimeAMString = "AM";
  fs.TimePMString = "PM";
  fs.CurrencyString = "$";
  fs.CurrencyDecimals = 2;
  static const char* const kShortMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static const char* const kLongMonths[12] = {"January", "February", "March",     "April",
                                              "May",     "June",     "July",      "August",
                                              "September", "October", "November", "December"};
  static const char* const kShortDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kLongDays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};
  for (int m = 0; m < 12; ++m) {
    fs.ShortMonthNames[m] = kShortMonths[m];
    fs.LongMonthNames[m] = kLongMonths[m];
  }
  for (int d = 0; d < 7; ++d) {
    fs.ShortDayNames[d] = kShortDays[d];
    fs.LongDayNames[d] = kLongDays[d];
  }
  fs.TwoDigitYearCenturyWindow = 50;
  return fs;
}

TFormatSettings FormatSettings = TFormatSettings::Korean();

// ------------------------------------------------------------ Encode, decode

namespace {

constexpr Int64 kMSecsPerDay = 86400000;

// A TDateTime as whole days since 0001-01-01 (1 = that day) and the
// milliseconds of the time of day. The fraction of a negative value counts
// forward from its day, as the class library reads it: -1.25 is
// 1899-12-29 06:00.
struct TimeStamp {
  Int64 date;
  Int64 time;
};

TimeStamp ToTimeStamp(TDateTime value) {
  Int64 ms = std::llround(value * MSecsPerDay);
  return {ms / kMSecsPerDay + DateDelta, std::llabs(ms % kMSecsPerDay)};
}

// The TDateTime of a whole day count (days since 1899-12-30) and a time fraction.
TDateTime Compose(double days, double timeFraction) {
  return days >= 0 ? days + timeFraction : days - timeFraction;
}

double TimeFraction(TDateTime value) {
  return static_cast<double>(ToTimeStamp(value).time) / MSecsPerDay;
}

// Year, month and day of a day count (1 = 0001-01-01); zeros before that day.
void DecodeDays(Int64 days, int& year, int& month, int& day) {
  if (days <= 0 || days > 3652059) {
    year = month = day = 0;
    return;
  }
  Int64 d = days - 1;
  int y = 1 + static_cast<int>(d / 146097) * 400;
  d %= 146097;
  Int64 i = d / 36524;
  d %= 36524;
  if (i == 4) {
    --i;
    d += 36524;
  }
  y += static_cast<int>(i) * 100;
  y += static_cast<int>(d / 1461) * 4;
  d %= 1461;
  i = d / 365;
  d %= 365;
  if (i == 4) {
    --i;
    d += 365;
  }
  y += static_cast<int>(i);
  int m = 1;
  while (d >= DaysInAMonth(y, m)) {
    d -= DaysInAMonth(y, m);
    ++m;
  }
  year = y;
  month = m;
  day = static_cast<int>(d) + 1;
}

AnsiString Replace1(const char* pattern, std::string_view arg) {
  AnsiString out(pattern);
  size_t at = out.find("%s");
  if (at != AnsiString::npos) out.replace(at, 2, arg);
  return out;
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
    return false;
  Int64 days = day;
  for (int m = 1; m < month; ++m) days += DaysInAMonth(year, m);
  Int64 y = year - 1;
  days += y * 365 + y / 4 - y / 100 + y / 400 - DateDelta;
  date = static_cast<double>(days);
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime date;
  if (!TryEncodeDate(year, month, day, date)) throw EConvertError("Invalid argument to date encode");
  return date;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time) {
  if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
  time = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime time;
  if (!TryEncodeTime(hour, min, sec, msec, time)) throw EConvertError("Invalid argument to time encode");
  return time;
}

void DecodeDate(TDateTime date, Word& year, Word& month, Word& day) {
  int y, m, d;
  DecodeDays(std::isfinite(date) ? ToTimeStamp(date).date : 0, y, m, d);
  year = static_cast<Word>(y);
  month = static_cast<Word>(m);
  day = static_cast<Word>(d);
}

void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec) {
  Int64 ms = std::isfinite(time) ? ToTimeStamp(time).time : 0;
  hour = static_cast<Word>(ms / 3600000);
  min = static_cast<Word>(ms / 60000 % 60);
  sec = static_cast<Word>(ms / 1000 % 60);
  msec = static_cast<Word>(ms % 1000);
}

int DayOfWeek(TDateTime date) {
  Int64 days = ToTimeStamp(date).date;
  return static_cast<int>(((days % 7) + 7) % 7) + 1;
}

TDateTime IncMonth(TDateTime date, int months) {
  Word year, month, day;
  DecodeDate(date, year, month, day);
  Int64 index = static_cast<Int64>(year) * 12 + (month - 1) + months;
  if (index < 12 || index >= 12 * 10000) throw EConvertError("Invalid argument to date encode");
  Word newYear = static_cast<Word>(index / 12);
  Word newMonth = static_cast<Word>(index % 12 + 1);
  Word newDay = static_cast<Word>(std::min<int>(day, DaysInAMonth(newYear, newMonth)));
  return Compose(EncodeDate(newYear, newMonth, newDay), TimeFraction(date));
}

// ------------------------------------------------------------------- Parsing

namespace {

class DateScanner {
 public:
  DateScanner(std::string_view s, const TFormatSettings& fs) : s_(s), fs_(fs) {}

  bool AtEnd() {
    SkipBlanks();
    return pos_ >= s_.size();
  }
  size_t Position() const { return pos_; }
  void SetPosition(size_t pos) { pos_ = pos; }

  // Date fields in the order of ShortDateFormat; on success the position
  // is after the last field.
  bool ScanDate(TDateTime& value) {
    enum Order { kMDY, kDMY, kYMD };
    Order order = kYMD;
    for (char c : fs_.ShortDateFormat) {
      char u = static_cast<char>(c & ~0x20);
      if (u == 'D') { order = kDMY; break; }
      if (u == 'M') { order = kMDY; break; }
      if (u == 'Y') { order = kYMD; break; }
    }
    int n1, n2, n3 = 0, l1, l2, l3 = 0;
    if (!ScanNumber(n1, l1) || !ScanChar(fs_.DateSeparator) || !ScanNumber(n2, l2)) return false;
    bool threeFields = false;
    size_t afterTwo = pos_;
    if (ScanChar(fs_.DateSeparator)) {
      if (!ScanNumber(n3, l3)) return false;
      threeFields = true;
    } else {
      pos_ = afterTwo;
    }
    int year, month, day, yearDigits;
    if (!threeFields) {
      Word cy, cm, cd;
      DecodeDate(::Date(), cy, cm, cd);
      year = cy;
      yearDigits = 4;
      if (order == kDMY) day = n1, month = n2;
      else month = n1, day = n2;
    } else if (order == kYMD) {
      year = n1, yearDigits = l1, month = n2, day = n3;
    } else if (order == kMDY) {
      month = n1, day = n2, year = n3, yearDigits = l3;
    } else {
      day = n1, month = n2, year = n3, yearDigits = l3;
    }
    // Only a year written with one or two digits is placed by the window;
    // "0050" stays the year 50.
    if (yearDigits <= 2) {
      Word cy, cm, cd;
      DecodeDate(::Date(), cy, cm, cd);
      int window = fs_.TwoDigitYearCenturyWindow;
      int base = cy - window;
      if (window > 0) {
        year += base / 100 * 100;
        if (year < base) year += 100;
      } else {
        year += cy / 100 * 100;
      }
    }
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    return TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), value);
  }

  // [AM/PM] h[:n[:s[.z]]] [AM/PM]; a bare hour needs the AM/PM marker.
  bool ScanTime(TDateTime& value) {
    int ampm = ScanAmPm();
    int hour, min = 0, sec = 0, msec = 0, digits;
    if (!ScanNumber(hour, digits)) return false;
    bool hasMinutes = false;
    if (ScanChar(fs_.TimeSeparator)) {
      if (!ScanNumber(min, digits)) return false;
      hasMinutes = true;
      if (ScanChar(fs_.TimeSeparator)) {
        if (!ScanNumber(sec, digits)) return false;
        size_t beforeFraction = pos_;
        if (ScanChar(fs_.DecimalSeparator)) {
          if (!ScanNumber(msec, digits)) pos_ = beforeFraction;
        }
      }
    }
    if (ampm == 0) ampm = ScanAmPm();
    if (!hasMinutes && ampm == 0) return false;
    if (ampm != 0) {
      if (hour == 0 || hour > 12) return false;
      if (ampm == 1 && hour == 12) hour = 0;
      if (ampm == 2 && hour < 12) hour += 12;
    }
    return TryEncodeTime(static_cast<Word>(std::min(hour, 99)), static_cast<Word>(std::min(min, 99)),
                         static_cast<Word>(std::min(sec, 99)), static_cast<Word>(std::min(msec, 9999)),
                         value);
  }

 private:
  void SkipBlanks() {
    while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
  }

  bool ScanNumber(int& value, int& digits) {
    SkipBlanks();
    value = 0;
    digits = 0;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
      if (digits == 5) return false;  // no field of a date or time is that long
      value = value * 10 + (s_[pos_] - '0');
      ++digits;
      ++pos_;
    }
    return digits > 0;
  }

  bool ScanChar(char c) {
    SkipBlanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool ScanWord(std::string_view word) {
    if (word.empty() || s_.size() - pos_ < word.size()) return false;
    if (CompareText(s_.substr(pos_, word.size()), word) != 0) return false;
    pos_ += word.size();
    return true;
  }

  // 1 for a morning marker, 2 for an afternoon one, 0 when none stands here.
  int ScanAmPm() {
    SkipBlanks();
    if (ScanWord(fs_.TimeAMString) || ScanWord("AM")) return 1;
    if (ScanWord(fs_.TimePMString) || ScanWord("PM")) return 2;
    return 0;
  }

  std::string_view s_;
  const TFormatSettings& fs_;
  size_t pos_ = 0;
};

}  // namespace

bool TryStrToDate(std::string_view s, TDateTime& value, const TFormatSettings& fs) {
  DateScanner scan(s, fs);
  TDateTime date;
  if (!scan.ScanDate(date) || !scan.AtEnd()) return false;
  value = date;
  return true;
}

bool TryStrToDate(std::string_view s, TDateTime& value) { return TryStrToDate(s, value, FormatSettings); }

TDateTime StrToDate(std::string_view s, const TFormatSettings& fs) {
  TDateTime value;
  if (!TryStrToDate(s, value, fs)) throw EConvertError(Replace1("'%s' is not a valid date", s));
  return value;
}

TDateTime StrToDate(std::string_view s) { return StrToDate(s, FormatSettings); }

TDateTime StrToDateDef(std::string_view s, TDateTime def) {
  TDateTime value;
  return TryStrToDate(s, value) ? value : def;
}

bool TryStrToTime(std::string_view s, TDateTime& value, const TFormatSettings& fs) {
  DateScanner scan(s, fs);
  TDateTime time;
  if (!scan.ScanTime(time) || !scan.AtEnd()) return false;
  value = time;
  return true;
}

bool TryStrToTime(std::string_view s, TDateTime& value) { return TryStrToTime(s, value, FormatSettings); }

TDateTime StrToTime(std::string_view s) {
  TDateTime value;
  if (!TryStrToTime(s, value)) throw EConvertError(Replace1("'%s' is not a valid time", s));
  return value;
}

bool TryStrToDateTime(std::string_view s, TDateTime& value, const TFormatSettings& fs) {
  DateScanner scan(s, fs);
  TDateTime date, time = 0;
  if (scan.ScanDate(date)) {
    if (scan.AtEnd() || (scan.ScanTime(time) && scan.AtEnd())) {
      value = Compose(date, time);
      return true;
    }
  }
  return TryStrToTime(s, value, fs);
}

bool TryStrToDateTime(std::string_view s, TDateTime& value) {
  return TryStrToDateTime(s, value, FormatSettings);
}

TDateTime StrToDateTime(std::string_view s) {
  TDateTime value;
  if (!TryStrToDateTime(s, value)) throw EConvertError(Replace1("'%s' is not a valid date and time", s));
  return value;
}

// ---------------------------------------------------------------- Formatting

namespace {

inline bool IsLead(std::string_view s, size_t i) {
  return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
         static_cast<unsigned char>(s[i + 1]) >= 0x41;
}

void AppendNumber(AnsiString& out, int value, int width) {
  AnsiString text = IntToStr(value);
  if (static_cast<int>(text.size()) < width) out.append(width - text.size(), '0');
  out += text;
}

bool StartsWithNoCase(std::string_view s, size_t at, std::string_view word) {
  return s.size() - at >= word.size() && CompareText(s.substr(at, word.size()), word) == 0;
}

// True when the format (outside quotes) holds an AM/PM marker, which puts
// every hour of it on the 12-hour clock, before or after the hour.
bool HasAmPm(std::string_view format) {
  char quote = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (IsLead(format, i)) {
      ++i;
      continue;
    }
    char c = format[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (StartsWithNoCase(format, i, "am/pm") || StartsWithNoCase(format, i, "a/p") ||
               StartsWithNoCase(format, i, "ampm")) {
      return true;
    }
  }
  return false;
}

void FormatInto(AnsiString& out, std::string_view format, TDateTime value, const TFormatSettings& fs,
                int depth) {
  if (depth > 2) return;  // a locale whose short format names itself
  int year, month, day;
  DecodeDays(ToTimeStamp(value).date, year, month, day);
  Word hour, min, sec, msec;
  DecodeTime(value, hour, min, sec, msec);
  const bool twelveHour = HasAmPm(format);
  char lastToken = 0;
  size_t i = 0;
  const size_t n = format.size();
  auto count = [&](char c) {
    size_t start = i;
    while (i < n && (format[i] | 0x20) == (c | 0x20)) ++i;
    return static_cast<int>(i - start);
  };
  while (i < n) {
    if (IsLead(format, i)) {
      out.append(format.substr(i, 2));
      i += 2;
      continue;
    }
    char c = format[i];
    char token = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    if (token == 'M' && lastToken == 'H') token = 'N';
    if (token >= 'A' && token <= 'Z') lastToken = token;
    switch (token) {
      case 'Y': {
        int k = count(c);
        if (k <= 2) AppendNumber(out, year % 100, 2);
        else AppendNumber(out, year, 4);
        break;
      }
      case 'M': {
        int k = count(c);
        if (month < 1) break;
        if (k == 1) AppendNumber(out, month, 1);
        else if (k == 2) AppendNumber(out, month, 2);
        else if (k == 3) out += fs.ShortMonthNames[month - 1];
        else out += fs.LongMonthNames[month - 1];
        break;
      }
      case 'D': {
        int k = count(c);
        int dow = DayOfWeek(value) - 1;
        switch (k) {
          case 1: AppendNumber(out, day, 1); break;
          case 2: AppendNumber(out, day, 2); break;
          case 3: out += fs.ShortDayNames[dow]; break;
          case 4: out += fs.LongDayNames[dow]; break;
          case 5: FormatInto(out, fs.ShortDateFormat, value, fs, depth + 1); break;
          default: FormatInto(out, fs.LongDateFormat, value, fs, depth + 1); break;
        }
        break;
      }
      case 'H': {
        int k = count(c);
        int h = hour;
        if (twelveHour) {
          h %= 12;
          if (h == 0) h = 12;
        }
        AppendNumber(out, h, k >= 2 ? 2 : 1);
        break;
      }
      case 'N': {
        int k = count(c);
        AppendNumber(out, min, k >= 2 ? 2 : 1);
        break;
      }
      case 'S': AppendNumber(out, sec, count(c) >= 2 ? 2 : 1); break;
      case 'Z': AppendNumber(out, msec, count(c) >= 3 ? 3 : 1); break;
      case 'T':
        FormatInto(out, count(c) == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, value, fs, depth + 1);
        break;
      case 'C':
        count(c);
        FormatInto(out, fs.ShortDateFormat, value, fs, depth + 1);
        if (hour != 0 || min != 0 || sec != 0) {
          out += ' ';
          FormatInto(out, fs.LongTimeFormat, value, fs, depth + 1);
        }
        break;
      case 'A': {
        const bool pm = hour >= 12;
        if (StartsWithNoCase(format, i, "am/pm")) {
          out.append(format.substr(pm ? i + 3 : i, 2));
          i += 5;
        } else if (StartsWithNoCase(format, i, "a/p")) {
          out += format[pm ? i + 2 : i];
          i += 3;
        } else if (StartsWithNoCase(format, i, "ampm")) {
          out += pm ? fs.TimePMString : fs.TimeAMString;
          i += 4;
        } else {
          out += c;
          ++i;
        }
        break;
      }
      case '/':
        out += fs.DateSeparator;
        ++i;
        break;
      case ':':
        out += fs.TimeSeparator;
        ++i;
        break;
      case '"':
      case '\'': {
        size_t close = i + 1;
        while (close < n && format[close] != c) close += IsLead(format, close) ? 2 : 1;
        out.append(format.substr(i + 1, std::min(close, n) - i - 1));
        i = std::min(close + 1, n);
        break;
      }
      default:
        out += c;
        ++i;
    }
  }
}

}  // namespace

AnsiString FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& fs) {
  AnsiString out;
  if (format.empty()) format = "c";
  FormatInto(out, format, value, fs, 0);
  return out;
}

AnsiString FormatDateTime(std::string_view format, TDateTime value) {
  return FormatDateTime(format, value, FormatSettings);
}

AnsiString DateToStr(TDateTime date, const TFormatSettings& fs) { return FormatDateTime("ddddd", date, fs); }
AnsiString DateToStr(TDateTime date) { return DateToStr(date, FormatSettings); }
AnsiString TimeToStr(TDateTime time) { return FormatDateTime("tt", time); }
AnsiString DateTimeToStr(TDateTime value) { return FormatDateTime("c", value); }

// --------------------------------------------------------------------- Clock

namespace {

std::mutex& ClockMutex() {
  static std::mutex m;
  return m;
}

std::function<TDateTime()>& Clock() {
  static std::function<TDateTime()> clock;
  return clock;
}

}  // namespace

void SetClock(std::function<TDateTime()> clock) {
  std::lock_guard<std::mutex> lock(ClockMutex());
  Clock() = std::move(clock);
}

TDateTime SystemNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return EncodeDate(static_cast<Word>(local.tm_year + 1900), static_cast<Word>(local.tm_mon + 1),
                    static_cast<Word>(local.tm_mday)) +
         EncodeTime(static_cast<Word>(local.tm_hour), static_cast<Word>(local.tm_min),
                    static_cast<Word>(std::min(local.tm_sec, 59)), static_cast<Word>(now.tv_nsec / 1000000));
}

TDateTime Now() {
  std::function<TDateTime()> clock;
  {
    std::lock_guard<std::mutex> lock(ClockMutex());
    clock = Clock();
  }
  return clock ? clock() : SystemNow();
}

TDateTime Date() {
  TDateTime now = Now();
  return static_cast<double>(ToTimeStamp(now).date - DateDelta);
}

TDateTime Time() { return TimeFraction(Now()); }

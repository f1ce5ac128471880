// Number conversion of the runtime.
//
// Sections:
//   Integers ...... IntToStr, IntToHex, StrToInt and friends (with "$" hex)
//   Floats ........ StrToFloat, FloatToStr(F), the decimal digits behind them
//   FormatFloat ... pictures with sections, placeholders and exponents
//   Val, Round .... Pascal partial parse; rounding halves to even
//   Format ........ the printf of the class library, without iostreams
//   Booleans ...... BoolToStr, StrToBool
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/rtl/SysUtils.h"

namespace {

using Int32 = std::int32_t;
using UInt32 = std::uint32_t;

inline unsigned char Byte0(char c) { return static_cast<unsigned char>(c); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsBlank(char c) { return Byte0(c) <= ' ' && c != '\0'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

AnsiString Replace1(const char* pattern, std::string_view arg) {
  AnsiString out(pattern);
  size_t at = out.find("%s");
  if (at != AnsiString::npos) out.replace(at, 2, arg);
  return out;
}

// ------------------------------------------------------------------ Integers

// Parses a whole integer: optional sign, decimal or "$"/"0x"/"x" hex.
// Decimal values must fit [minValue, maxValue]; hex values may use every bit
// of the type (the class library reads "$FFFFFFFF" as -1).
bool ParseInteger(std::string_view s, Int64 minValue, Int64 maxValue, UInt64 hexMax, Int64& out) {
  size_t i = 0, n = s.size();
  while (i < n && IsBlank(s[i])) ++i;
  while (n > i && IsBlank(s[n - 1])) --n;
  bool negative = false;
  if (i < n && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  bool hex = false;
  if (i < n && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  } else if (i < n && (s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  }
  if (i >= n) return false;
  UInt64 value = 0;
  if (hex) {
    for (; i < n; ++i) {
      int d = HexValue(s[i]);
      if (d < 0 || value > (hexMax >> 4)) return false;
      value = value << 4 | static_cast<unsigned>(d);
    }
    Int64 signedValue = hexMax == 0xFFFFFFFFull ? static_cast<Int32>(static_cast<UInt32>(value))
                                                : static_cast<Int64>(value);
    out = negative ? static_cast<Int64>(0ull - static_cast<UInt64>(signedValue)) : signedValue;
    return true;
  }
  const UInt64 limit = negative ? static_cast<UInt64>(-(minValue + 1)) + 1 : static_cast<UInt64>(maxValue);
  for (; i < n; ++i) {
    if (!IsDigit(s[i])) return false;
    unsigned d = static_cast<unsigned>(s[i] - '0');
    if (value > (limit - d) / 10) return false;
    value = value * 10 + d;
  }
  out = negative ? static_cast<Int64>(0ull - value) : static_cast<Int64>(value);
  return true;
}

}  // namespace

AnsiString IntToStr(Int64 value) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  return AnsiString(buf, r.ptr);
}

AnsiString IntToHex(Int64 value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  char buf[16];
  int n = 0;
  UInt64 v = static_cast<UInt64>(value);
  do {
    buf[15 - n++] = kHex[v & 15];
    v >>= 4;
  } while (v);
  AnsiString out;
  if (digits > n) out.assign(std::min(digits, 32) - n, '0');
  out.append(buf + 16 - n, n);
  return out;
}

bool TryStrToInt64(std::string_view s, Int64& value) {
  return ParseInteger(s, std::numeric_limits<Int64>::min(), std::numeric_limits<Int64>::max(),
                      ~0ull, value);
}

bool TryStrToInt(std::string_view s, int& value) {
  Int64 v;
  if (!ParseInteger(s, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), 0xFFFFFFFFull, v))
    return false;
  value = static_cast<int>(v);
  return true;
}

Int64 StrToInt64(std::string_view s) {
  Int64 v;
  if (!TryStrToInt64(s, v)) throw EConvertError(Replace1("'%s' is not a valid integer value", s));
  return v;
}

int StrToInt(std::string_view s) {
  int v;
  if (!TryStrToInt(s, v)) throw EConvertError(Replace1("'%s' is not a valid integer value", s));
  return v;
}

int StrToIntDef(std::string_view s, int def) {
  int v;
  return TryStrToInt(s, v) ? v : def;
}

Int64 StrToInt64Def(std::string_view s, Int64 def) {
  Int64 v;
  return TryStrToInt64(s, v) ? v : def;
}

// -------------------------------------------------------------------- Floats

namespace {

// The longest prefix of s (from start) that reads as a decimal number with
// decimal separator sep: sign, digits, fraction, exponent. Returns its end,
// or start when no digit was read.
size_t ScanFloat(std::string_view s, size_t start, char sep) {
  size_t i = start;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == sep) {
    size_t afterSep = i + 1;
    size_t fraction = 0;
    while (afterSep < s.size() && IsDigit(s[afterSep])) ++afterSep, ++fraction;
    if (digits + fraction > 0) {
      i = afterSep;
      digits += fraction;
    }
  }
  if (digits == 0) return start;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t e = i + 1;
    if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
    size_t expStart = e;
    while (e < s.size() && IsDigit(s[e])) ++e;
    if (e > expStart) i = e;
  }
  return i;
}

// Converts the scanned text (which ScanFloat accepted) to a double.
double ToDouble(std::string_view text, char sep) {
  std::string buf(text);
  if (sep != '.')
    for (char& c : buf)
      if (c == sep) c = '.';
  if (!buf.empty() && buf[0] == '+') buf.erase(0, 1);
  double v = 0;
  auto r = std::from_chars(buf.data(), buf.data() + buf.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // Underflow reads as zero; overflow keeps its infinity so callers can refuse it.
    bool neg = !buf.empty() && buf[0] == '-';
    size_t e = buf.find_first_of("eE");
    bool tiny = e != std::string::npos && buf.find('-', e) != std::string::npos;
    v = tiny ? 0.0 : (neg ? -HUGE_VAL : HUGE_VAL);
  }
  return v;
}

// The decimal expansion of |value| to 18 significant digits (enough to
// identify every double), as 0.d1d2... x 10^(exponent + 1). Text formatting
// rounds these digits half away from zero, as the class library's
// conversions do; only Round() takes halves to even.
struct Decimal {
  char digits[24];    // no terminator; count of them below
  int count = 0;      // 0 for zero
  int exponent = 0;   // power of ten of the first digit
  char At(int k) const { return k >= 0 && k < count ? digits[k] : '0'; }
};

Decimal ToDecimal(double value) {
  Decimal d;
  if (value == 0) return d;
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 17);
  const char* p = buf;
  for (; p < r.ptr && *p != 'e'; ++p)
    if (IsDigit(*p)) d.digits[d.count++] = *p;
  if (p < r.ptr) std::from_chars(p + (p[1] == '+' ? 2 : 1), r.ptr, d.exponent);
  return d;
}

// Keeps the first keep digits (keep may be 0 or negative), rounding half up.
void RoundDecimal(Decimal& d, int keep) {
  if (d.count == 0 || keep >= d.count) return;
  bool up = keep >= 0 && d.digits[keep] >= '5';
  d.count = std::max(keep, 0);
  if (up) {
    int k = d.count - 1;
    while (k >= 0 && d.digits[k] == '9') d.digits[k--] = '0';
    if (k >= 0) {
      ++d.digits[k];
    } else {
      // All nines (or nothing kept): the value becomes 1 followed by zeros.
      d.digits[0] = '1';
      d.count = 1;
      ++d.exponent;
    }
  }
  while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
  if (d.count == 0) d.exponent = 0;
}

// Digits of |value| rounded to precision significant digits (padded with
// zeros to that length) and the power of ten of the first digit.
void SignificantDigits(double value, int precision, std::string& digits, int& exponent) {
  Decimal d = ToDecimal(value);
  RoundDecimal(d, precision);
  digits.assign(d.digits, static_cast<size_t>(d.count));
  exponent = d.exponent;
  if (digits.empty()) digits = "0";
  if (static_cast<int>(digits.size()) < precision) digits.append(precision - digits.size(), '0');
}

void AppendExponent(AnsiString& out, int exponent, int minDigits, bool plusSign) {
  out += 'E';
  if (exponent < 0) out += '-';
  else if (plusSign) out += '+';
  AnsiString e = IntToStr(std::abs(exponent));
  if (static_cast<int>(e.size()) < minDigits) out.append(minDigits - e.size(), '0');
  out += e;
}

AnsiString SpecialValue(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

// Inserts thousand separators into a run of integer digits.
AnsiString GroupThousands(std::string_view digits, char separator) {
  AnsiString out;
  out.reserve(digits.size() + digits.size() / 3);
  for (size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) out += separator;
    out += digits[k];
  }
  return out;
}

// Fixed text of |value| with decimals decimals: integer digits and fraction digits.
void FixedDigits(double value, int decimals, std::string& intPart, std::string& fracPart) {
  Decimal d = ToDecimal(value);
  RoundDecimal(d, d.exponent + 1 + decimals);
  intPart.clear();
  if (d.count == 0 || d.exponent < 0) intPart = "0";
  else
    for (int k = 0; k <= d.exponent; ++k) intPart += d.At(k);
  fracPart.clear();
  for (int j = 1; j <= decimals; ++j) fracPart += d.count == 0 ? '0' : d.At(d.exponent + j);
}

bool AllZero(std::string_view a, std::string_view b = {}) {
  for (char c : a)
    if (c != '0') return false;
  for (char c : b)
    if (c != '0') return false;
  return true;
}

AnsiString GeneralFormat(double value, int precision, int expDigits, char sep) {
  if (value == 0) return "0";
  std::string digits;
  int exponent;
  SignificantDigits(value, precision, digits, exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  AnsiString out = value < 0 ? "-" : "";
  if (exponent < precision && exponent >= -4) {
    if (exponent >= 0) {
      size_t intLen = static_cast<size_t>(exponent) + 1;
      if (digits.size() <= intLen) {
        out += digits;
        out.append(intLen - digits.size(), '0');
      } else {
        out.append(digits, 0, intLen);
        out += sep;
        out.append(digits, intLen, std::string::npos);
      }
    } else {
      out += '0';
      out += sep;
      out.append(static_cast<size_t>(-exponent - 1), '0');
      out += digits;
    }
    return out;
  }
  out += digits[0];
  if (digits.size() > 1) {
    out += sep;
    out.append(digits, 1, std::string::npos);
  }
  AppendExponent(out, exponent, expDigits, expDigits > 0);
  return out;
}

}  // namespace

bool TryStrToFloat(std::string_view s, double& value, const TFormatSettings& fs) {
  size_t i = 0, n = s.size();
  while (i < n && IsBlank(s[i])) ++i;
  while (n > i && IsBlank(s[n - 1])) --n;
  std::string_view body = s.substr(i, n - i);
  size_t end = ScanFloat(body, 0, fs.DecimalSeparator);
  if (end == 0 || end != body.size()) return false;
  double v = ToDouble(body, fs.DecimalSeparator);
  if (!std::isfinite(v)) return false;
  value = v;
  return true;
}

bool TryStrToFloat(std::string_view s, double& value) { return TryStrToFloat(s, value, FormatSettings); }

double StrToFloat(std::string_view s, const TFormatSettings& fs) {
  double v;
  if (!TryStrToFloat(s, v, fs))
    throw EConvertError(Replace1("'%s' is not a valid floating point value", s));
  return v;
}

double StrToFloat(std::string_view s) { return StrToFloat(s, FormatSettings); }

double StrToFloatDef(std::string_view s, double def) {
  double v;
  return TryStrToFloat(s, v) ? v : def;
}

AnsiString FloatToStr(double value, const TFormatSettings& fs) {
  if (!std::isfinite(value)) return SpecialValue(value);
  return GeneralFormat(value, 15, 0, fs.DecimalSeparator);
}

AnsiString FloatToStr(double value) { return FloatToStr(value, FormatSettings); }

namespace {

AnsiString FloatToStrFImpl(double value, TFloatFormat format, int precision, int digits,
                           const TFormatSettings& fs) {
  if (!std::isfinite(value)) return SpecialValue(value);
  precision = std::clamp(precision, 1, 18);
  const char sep = fs.DecimalSeparator;
  switch (format) {
    case ffGeneral:
      return GeneralFormat(value, precision, std::clamp(digits, 0, 4), sep);
    case ffExponent: {
      std::string d;
      int exponent;
      SignificantDigits(value, precision, d, exponent);
      AnsiString out = value < 0 ? "-" : "";
      out += d[0];
      if (d.size() > 1) {
        out += sep;
        out.append(d, 1, std::string::npos);
      }
      AppendExponent(out, value == 0 ? 0 : exponent, std::clamp(digits, 0, 4), true);
      return out;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      if (value != 0 && ToDecimal(value).exponent + 1 > precision)
        return GeneralFormat(value, precision, 0, sep);
      digits = std::clamp(digits, 0, 18);
      std::string intPart, fracPart;
      FixedDigits(value, digits, intPart, fracPart);
      AnsiString number = format == ffFixed ? AnsiString(intPart)
                                            : GroupThousands(intPart, fs.ThousandSeparator);
      if (!fracPart.empty()) number += sep + fracPart;
      // A value that rounds to zero shows no sign.
      bool negative = value < 0 && !AllZero(intPart, fracPart);
      if (format == ffCurrency) number = fs.CurrencyString + number;
      return negative ? "-" + number : number;
    }
  }
  return {};
}

}  // namespace

AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  return FloatToStrFImpl(value, format, precision, digits, FormatSettings);
}

// --------------------------------------------------------------- FormatFloat

namespace {

// Splits a picture into its ";" sections, quotes respected.
std::vector<std::string_view> PictureSections(std::string_view format) {
  std::vector<std::string_view> sections;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.push_back(format.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(format.substr(start));
  return sections;
}

AnsiString FormatSection(std::string_view pic, double value, bool withSign, const TFormatSettings& fs) {
  // Survey the picture.
  int intPlaces = 0, intZeros = 0, fracPlaces = 0, fracZeros = 0, expZeros = 0;
  bool seenPoint = false, thousands = false, seenZero = false, scientific = false, expPlus = false;
  size_t expAt = std::string_view::npos;
  char quote = 0;
  for (size_t i = 0; i < pic.size(); ++i) {
    char c = pic[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if ((c == 'E' || c == 'e') && i + 1 < pic.size() && (pic[i + 1] == '+' || pic[i + 1] == '-') &&
               !scientific) {
      scientific = true;
      expPlus = pic[i + 1] == '+';
      expAt = i;
      for (size_t k = i + 2; k < pic.size() && pic[k] == '0'; ++k) ++expZeros;
      i += 1 + expZeros;
    } else if (c == '0' || c == '#') {
      if (seenPoint) {
        ++fracPlaces;
        if (c == '0') fracZeros = fracPlaces;
      } else {
        ++intPlaces;
        if (c == '0') seenZero = true;
        if (seenZero) ++intZeros;
      }
    } else if (c == '.' && !seenPoint) {
      seenPoint = true;
    } else if (c == ',' && !seenPoint) {
      thousands = true;
    }
  }

  // The digits.
  std::string intPart, fracPart, expText;
  double magnitude = std::fabs(value);
  if (scientific) {
    int lead = std::max(intPlaces, 1);
    std::string d;
    int exponent = 0;
    SignificantDigits(magnitude, std::clamp(lead + fracPlaces, 1, 18), d, exponent);
    if (magnitude == 0) exponent = lead - 1;
    d.resize(static_cast<size_t>(lead + fracPlaces), '0');
    intPart = d.substr(0, static_cast<size_t>(lead));
    fracPart = d.substr(static_cast<size_t>(lead));
    int shown = exponent - (lead - 1);
    if (shown < 0) expText += '-';
    else if (expPlus) expText += '+';
    AnsiString e = IntToStr(std::abs(shown));
    if (static_cast<int>(e.size()) < expZeros) expText.append(expZeros - e.size(), '0');
    expText += e;
  } else {
    FixedDigits(magnitude, fracPlaces, intPart, fracPart);
  }
  while (static_cast<int>(fracPart.size()) > fracZeros && !fracPart.empty() && fracPart.back() == '0')
    fracPart.pop_back();
  if (intPart == "0" && intZeros == 0) intPart.clear();
  if (static_cast<int>(intPart.size()) < intZeros) intPart.insert(0, intZeros - intPart.size(), '0');
  if (thousands) intPart = GroupThousands(intPart, fs.ThousandSeparator);
  bool negative = withSign && value < 0 && !AllZero(intPart, fracPart);

  // Lay the digits into the picture: the integer part at the first
  // placeholder, fraction digits one per placeholder, literals where they stand.
  AnsiString out;
  bool intWritten = false, pointWritten = false, signWritten = !negative;
  size_t fracNext = 0;
  seenPoint = false;
  quote = 0;
  auto writeInt = [&] {
    if (intWritten) return;
    intWritten = true;
    if (!signWritten) out += '-', signWritten = true;
    out += intPart;
  };
  for (size_t i = 0; i < pic.size(); ++i) {
    char c = pic[i];
    if (quote) {
      if (c == quote) quote = 0;
      else out += c;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (i == expAt) {
      writeInt();
      out += pic[i];
      out += expText;
      i += 1 + expZeros;
    } else if (c == '0' || c == '#') {
      if (!seenPoint) {
        writeInt();
      } else if (fracNext < fracPart.size()) {
        out += fracPart[fracNext++];
      }
    } else if (c == '.' && !seenPoint) {
      writeInt();
      seenPoint = true;
      if (!fracPart.empty() && !pointWritten) {
        out += fs.DecimalSeparator;
        pointWritten = true;
      }
    } else if (c == ',' && !seenPoint) {
      // Grouping is applied to the whole integer part above.
    } else {
      out += c;
    }
  }
  if (intPlaces + fracPlaces == 0 && !scientific) return out;
  writeInt();
  return out;
}

}  // namespace

AnsiString FormatFloat(std::string_view format, double value, const TFormatSettings& fs) {
  if (!std::isfinite(value)) return SpecialValue(value);
  if (format.empty()) return FloatToStr(value, fs);
  std::vector<std::string_view> sections = PictureSections(format);
  if (value < 0 && sections.size() >= 2 && !sections[1].empty())
    return FormatSection(sections[1], value, false, fs);
  if (value == 0 && sections.size() >= 3 && !sections[2].empty())
    return FormatSection(sections[2], value, false, fs);
  return FormatSection(sections[0], value, true, fs);
}

AnsiString FormatFloat(std::string_view format, double value) {
  return FormatFloat(format, value, FormatSettings);
}

// ---------------------------------------------------------------- Val, Round

void Val(std::string_view s, double& value, int& code) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  size_t end = ScanFloat(s, i, '.');
  if (end == i) {
    value = 0;
    size_t bad = i;
    if (bad < s.size() && (s[bad] == '+' || s[bad] == '-')) ++bad;
    code = static_cast<int>(bad) + 1;
    return;
  }
  value = ToDouble(s.substr(i, end - i), '.');
  code = end == s.size() ? 0 : static_cast<int>(end) + 1;
}

void Val(std::string_view s, int& value, int& code) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  UInt64 v = 0;
  size_t digitsStart = i;
  const UInt64 limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
  for (; i < s.size(); ++i) {
    int d = hex ? HexValue(s[i]) : (IsDigit(s[i]) ? s[i] - '0' : -1);
    if (d < 0) break;
    UInt64 next = v * (hex ? 16 : 10) + static_cast<unsigned>(d);
    if (next > limit) break;
    v = next;
  }
  Int64 signedValue = hex ? static_cast<Int64>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)))
                          : static_cast<Int64>(v);
  value = static_cast<int>(negative ? -signedValue : signedValue);
  if (i == digitsStart) {
    value = 0;
    code = static_cast<int>(i) + 1;
    return;
  }
  code = i == s.size() ? 0 : static_cast<int>(i) + 1;
}

namespace {
// The doubles that convert to Int64 without overflow: [-2^63, 2^63).
bool FitsInt64(double value) { return value >= -9223372036854775808.0 && value < 9223372036854775808.0; }
}  // namespace

Int64 Round(double value) {
  if (!FitsInt64(value)) throw EInvalidOp("Invalid floating point operation");
  double lower = std::floor(value);
  double fraction = value - lower;  // exact for doubles
  Int64 result = static_cast<Int64>(lower);
  if (fraction > 0.5 || (fraction == 0.5 && (result & 1) != 0)) ++result;
  return result;
}

Int64 Trunc(double value) {
  if (!FitsInt64(value)) throw EInvalidOp("Invalid floating point operation");
  return static_cast<Int64>(value);
}

double Int(double value) { return std::trunc(value); }
double Frac(double value) { return value - std::trunc(value); }

// -------------------------------------------------------------------- Format

namespace {

[[noreturn]] void FormatError(std::string_view format) {
  throw EConvertError(Replace1("Format '%s' invalid or incompatible with argument", format));
}

void Pad(AnsiString& out, std::string_view text, int width, bool left) {
  size_t fill = width > static_cast<int>(text.size()) ? width - text.size() : 0;
  if (!left) out.append(fill, ' ');
  out.append(text);
  if (left) out.append(fill, ' ');
}

// Digits of v in base 10 or 16 into buf (at least minDigits), returns the length.
AnsiString UnsignedDigits(UInt64 v, bool hex, int minDigits) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v, hex ? 16 : 10);
  AnsiString text;
  int n = static_cast<int>(r.ptr - buf);
  if (minDigits > n) text.assign(std::min(minDigits, 64) - n, '0');
  text.append(buf, r.ptr);
  if (hex)
    for (char& c : text)
      if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 32);
  return text;
}

AnsiString FormatImpl(std::string_view format, const TVarRec* args, size_t argCount,
                      const TFormatSettings& fs) {
  AnsiString out;
  out.reserve(format.size() + 16 * argCount);
  size_t next = 0;  // the argument a spec without an index takes
  size_t i = 0;
  const size_t n = format.size();
  auto argAt = [&](size_t k) -> const TVarRec& {
    if (k >= argCount) FormatError(format);
    return args[k];
  };
  // A number in the format specifier or "*" taking an integer argument.
  auto readNumber = [&](int& value) -> bool {
    if (i < n && format[i] == '*') {
      const TVarRec& a = argAt(next++);
      if (a.VType() != TVarRec::vtInteger && a.VType() != TVarRec::vtInt64) FormatError(format);
      // Bounded like a written width, so a wild argument cannot ask for gigabytes.
      value = static_cast<int>(std::clamp<Int64>(a.AsInt(), -(1 << 20), 1 << 20));
      ++i;
      return true;
    }
    if (i >= n || !IsDigit(format[i])) return false;
    value = 0;
    while (i < n && IsDigit(format[i])) {
      value = std::min(value * 10 + (format[i] - '0'), 1 << 20);
      ++i;
    }
    return true;
  };

  while (i < n) {
    size_t pct = format.find('%', i);
    if (pct == std::string_view::npos) {
      out.append(format.substr(i));
      break;
    }
    out.append(format.substr(i, pct - i));
    i = pct + 1;
    if (i >= n) FormatError(format);
    if (format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    int width = 0, precision = -1, number = 0;
    bool left = false;
    if (readNumber(number)) {
      if (i < n && format[i] == ':') {
        if (number < 0) FormatError(format);
        next = static_cast<size_t>(number);
        ++i;
        number = -1;
        if (i < n && format[i] == '-') left = true, ++i;
        if (readNumber(number)) width = number;
      } else {
        width = number;
      }
    } else {
      if (i < n && format[i] == '-') left = true, ++i;
      if (readNumber(number)) width = number;
    }
    if (i < n && format[i] == '.') {
      ++i;
      if (!readNumber(precision)) precision = 0;
    }
    if (i >= n) FormatError(format);
    if (width < 0) left = true, width = -width;  // a negative "*" width aligns left
    char type = format[i++];
    const TVarRec& arg = argAt(next++);
    const bool isInt = arg.VType() == TVarRec::vtInteger || arg.VType() == TVarRec::vtInt64;
    const bool isFloat = arg.VType() == TVarRec::vtExtended;
    switch (type | 0x20) {
      case 'd': {
        if (!isInt) FormatError(format);
        Int64 v = arg.AsInt();
        UInt64 magnitude = v < 0 ? 0ull - static_cast<UInt64>(v) : static_cast<UInt64>(v);
        if (width <= 0 && precision < 0) {
          char buf[24];
          auto r = std::to_chars(buf, buf + sizeof buf, v);
          out.append(buf, r.ptr);
          break;
        }
        AnsiString text = v < 0 ? "-" : "";
        text += UnsignedDigits(magnitude, false, precision);
        Pad(out, text, width, left);
        break;
      }
      case 'u': {
        if (!isInt) FormatError(format);
        UInt64 v = arg.VType() == TVarRec::vtInteger
                       ? static_cast<std::uint32_t>(static_cast<std::int32_t>(arg.AsInt()))
                       : static_cast<UInt64>(arg.AsInt());
        Pad(out, UnsignedDigits(v, false, precision), width, left);
        break;
      }
      case 'x': {
        if (!isInt) FormatError(format);
        UInt64 v = arg.VType() == TVarRec::vtInteger
                       ? static_cast<std::uint32_t>(static_cast<std::int32_t>(arg.AsInt()))
                       : static_cast<UInt64>(arg.AsInt());
        Pad(out, UnsignedDigits(v, true, precision), width, left);
        break;
      }
      case 'p': {
        if (arg.VType() != TVarRec::vtPointer) FormatError(format);
        Pad(out, UnsignedDigits(static_cast<UInt64>(arg.AsInt()), true, 2 * sizeof(void*)), width, left);
        break;
      }
      case 's': {
        if (arg.VType() != TVarRec::vtString && arg.VType() != TVarRec::vtChar) FormatError(format);
        std::string_view text = arg.AsString();
        if (precision >= 0 && static_cast<size_t>(precision) < text.size()) {
          // Never cut a two-byte character in half.
          size_t cut = 0;
          while (cut < static_cast<size_t>(precision)) {
            size_t len = (IsLeadByte(Byte0(text[cut])) && cut + 1 < text.size() &&
                          Byte0(text[cut + 1]) >= 0x41) ? 2 : 1;
            if (cut + len > static_cast<size_t>(precision)) break;
            cut += len;
          }
          text = text.substr(0, cut);
        }
        if (width <= 0) out.append(text);
        else Pad(out, text, width, left);
        break;
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n':
      case 'm': {
        if (!isFloat) FormatError(format);
        double v = arg.AsFloat();
        AnsiString text;
        switch (type | 0x20) {
          case 'e': text = FloatToStrFImpl(v, ffExponent, precision < 0 ? 15 : precision, 3, fs); break;
          case 'f': text = FloatToStrFImpl(v, ffFixed, 18, precision < 0 ? 2 : precision, fs); break;
          case 'g': text = FloatToStrFImpl(v, ffGeneral, precision < 0 ? 15 : precision, 3, fs); break;
          case 'n': text = FloatToStrFImpl(v, ffNumber, 18, precision < 0 ? 2 : precision, fs); break;
          default:
            text = FloatToStrFImpl(v, ffCurrency, 18, precision < 0 ? fs.CurrencyDecimals : precision, fs);
        }
        Pad(out, text, width, left);
        break;
      }
      default:
        FormatError(format);
    }
  }
  return out;
}

}  // namespace

AnsiString Format(std::string_view format, const std::vector<TVarRec>& args, const TFormatSettings& fs) {
  return FormatImpl(format, args.data(), args.size(), fs);
}

AnsiString Format(std::string_view format, const std::vector<TVarRec>& args) {
  return FormatImpl(format, args.data(), args.size(), FormatSettings);
}

AnsiString Format(std::string_view format, std::initializer_list<TVarRec> args) {
  return FormatImpl(format, args.begin(), args.size(), FormatSettings);
}

// ------------------------------------------------------------------ Booleans

AnsiString BoolToStr(bool value, bool useBoolStrs) {
  if (useBoolStrs) return value ? "True" : "False";
  return value ? "-1" : "0";
}

bool TryStrToBool(std::string_view s, bool& value) {
  if (SameText(s, "True")) {
    value = true;
    return true;
  }
  if (SameText(s, "False")) {
    value = false;
    return true;
  }
  double number;
  if (TryStrToFloat(s, number)) {
    value = number != 0;
    return true;
  }
  return false;
}

bool StrToBool(std::string_view s) {
  bool v;
  if (!TryStrToBool(s, v)) throw EConvertError(Replace1("'%s' is not a valid boolean value", s));
  return v;
}

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/SysUtils.h"
#include "tests/rtl/RtlTestSupport.h"

namespace {

TEST(SysUtilsNumbers, IntegersReadDecimalAndDollarHex) {
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt(" -42 "), -42);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("$ff"), 255);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("-$10"), -16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);  // hex uses all 32 bits
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<int>::min());
  EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<Int64>::max());
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<Int64>::min());
  EXPECT_EQ(StrToInt64("$7FFFFFFFFFFFFFFF"), std::numeric_limits<Int64>::max());

  int value = 5;
  for (const char* bad : {"", " ", "-", "$", "0x", "12a", "1 2", "1.0", "2147483648", "-2147483649",
                          "$100000000", "99999999999999999999", "\xB0\xA1"}) {
    EXPECT_FALSE(TryStrToInt(bad, value)) << bad;
    EXPECT_EQ(value, 5) << "a failed parse leaves the value";
  }
  Int64 big;
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", big));
  EXPECT_FALSE(TryStrToInt64("$10000000000000000", big));
  EXPECT_EQ(StrToIntDef("x", -1), -1);
  EXPECT_EQ(StrToInt64Def("12", -1), 12);
  EXPECT_EQ(MessageOf([] { StrToInt("12a"); }), "'12a' is not a valid integer value");
  EXPECT_THROW(StrToInt(""), EConvertError);

  EXPECT_EQ(IntToStr(-123), "-123");
  EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0x12345, 2), "12345");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
}

TEST(SysUtilsNumbers, FloatsShowFifteenSignificantDigits) {
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");
  EXPECT_EQ(FloatToStr(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(FloatToStr(2.0 / 3.0), "0.666666666666667");
  EXPECT_EQ(FloatToStr(100), "100");
  EXPECT_EQ(FloatToStr(-1.5), "-1.5");
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(-0.0), "0");
  EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(FloatToStr(1e15), "1E15");
  EXPECT_EQ(FloatToStr(1.5e20), "1.5E20");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_EQ(FloatToStr(0.00001), "1E-5");
  EXPECT_EQ(FloatToStr(1.25e-7), "1.25E-7");
  EXPECT_EQ(FloatToStr(std::nan("")), "NAN");
  EXPECT_EQ(FloatToStr(-HUGE_VAL), "-INF");

  TFormatSettings comma = TFormatSettings::English();
  comma.DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(2.5, comma), "2,5");
  EXPECT_DOUBLE_EQ(StrToFloat("2,5", comma), 2.5);
  double v = 9;
  EXPECT_FALSE(TryStrToFloat("2.5", v, comma));

  EXPECT_DOUBLE_EQ(StrToFloat(" 1.5 "), 1.5);
  EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
  EXPECT_DOUBLE_EQ(StrToFloat("5."), 5.0);
  EXPECT_DOUBLE_EQ(StrToFloat("-1e3"), -1000.0);
  EXPECT_DOUBLE_EQ(StrToFloat("1E-2"), 0.01);
  for (const char* bad : {"", ".", "e5", "1e", "1.2.3", "nan", "inf", "0x10", "1e999", "1,5", "--1"}) {
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
  }
  EXPECT_EQ(v, 9);
  EXPECT_EQ(MessageOf([] { StrToFloat("abc"); }), "'abc' is not a valid floating point value");
  EXPECT_DOUBLE_EQ(StrToFloatDef("x", 1.5), 1.5);

  // Every double written with FloatToStr reads back to 15 significant digits.
  for (double x : {3.14159265358979, -2.5e-9, 6.02214076e23, 123.456, 1e-5}) {
    double back = StrToFloat(FloatToStr(x));
    EXPECT_NEAR(back, x, std::fabs(x) * 1e-14) << x;
  }
}

TEST(SysUtilsNumbers, FloatToStrFFormats) {
  EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2), "1234.57");
  EXPECT_EQ(FloatToStrF(1234.5678, ffNumber, 15, 2), "1,234.57");
  EXPECT_EQ(FloatToStrF(-1234567.0, ffNumber, 15, 0), "-1,234,567");
  EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), "0.00");  // no "-0.00"
  EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), "1.235E+03");
  EXPECT_EQ(FloatToStrF(0.000123, ffGeneral, 15, 0), "0.000123");
  EXPECT_EQ(FloatToStrF(12345.0, ffGeneral, 3, 0), "1.23E4");
  EXPECT_EQ(FloatToStrF(1e20, ffFixed, 15, 2), "1E20");  // too wide for fixed
}

TEST(SysUtilsNumbers, FormatFloatPictures) {
  EXPECT_EQ(FormatFloat("0.00", 3.14159), "3.14");
  EXPECT_EQ(FormatFloat("0.00", 2), "2.00");
  EXPECT_EQ(FormatFloat("#.##", 2), "2");
  EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
  EXPECT_EQ(FormatFloat("0.##", 0.5), "0.5");
  EXPECT_EQ(FormatFloat("#,##0", 1234567), "1,234,567");
  EXPECT_EQ(FormatFloat("#,##0.0", -1234.56), "-1,234.6");
  EXPECT_EQ(FormatFloat("000", 7), "007");
  // Text rounds decimal halves up, unlike Round(); a double just below a half stays below.
  EXPECT_EQ(FormatFloat("0", 2.5), "3");
  EXPECT_EQ(FormatFloat("0", -2.5), "-3");
  EXPECT_EQ(FormatFloat("0.00", 1.005), "1.00");  // 1.00499999999999989...
  EXPECT_EQ(FormatFloat("0.0", 0.96), "1.0");
  EXPECT_EQ(FormatFloat("0.0 Mb", 700.04), "700.0 Mb");
  EXPECT_EQ(FormatFloat("\"약 \"0\" 장\""_k, 3), "약 3 장"_k);
  EXPECT_EQ(FormatFloat("0.00;(0.00);zero", -1.5), "(1.50)");
  EXPECT_EQ(FormatFloat("0.00;(0.00);zero", 0), "zero");
  EXPECT_EQ(FormatFloat("0.00;(0.00);zero", 1), "1.00");
  EXPECT_EQ(FormatFloat("0.00", -0.001), "0.00");
  EXPECT_EQ(FormatFloat("0.00E+00", 12345), "1.23E+04");
  EXPECT_EQ(FormatFloat("0.0E-0", 0.00125), "1.3E-3");
  EXPECT_EQ(FormatFloat("", 1.5), "1.5");
}

TEST(SysUtilsNumbers, RoundingTakesHalvesToEven) {
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(-3.5), -4);
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.4999999), 2);
  EXPECT_EQ(Round(2.5000001), 3);
  EXPECT_EQ(Round(-0.4), 0);
  EXPECT_EQ(Round(4503599627370497.0), 4503599627370497LL);  // 2^52 + 1: no half step
  EXPECT_EQ(Trunc(-2.9), -2);
  EXPECT_EQ(Trunc(2.9), 2);
  EXPECT_DOUBLE_EQ(Frac(-2.25), -0.25);
  EXPECT_DOUBLE_EQ(Int(-2.75), -2.0);
  EXPECT_THROW(Round(1e19), EInvalidOp);
  EXPECT_THROW(Round(std::nan("")), EInvalidOp);
  EXPECT_THROW(Trunc(-1e19), EInvalidOp);
}

TEST(SysUtilsNumbers, ValReadsTheLongestPrefix) {
  int i = -1, code = -1;
  Val("123", i, code);
  EXPECT_EQ(i, 123);
  EXPECT_EQ(code, 0);
  Val("12ab", i, code);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(code, 3);
  Val("  -7", i, code);
  EXPECT_EQ(i, -7);
  EXPECT_EQ(code, 0);
  Val("$1F", i, code);
  EXPECT_EQ(i, 31);
  EXPECT_EQ(code, 0);
  Val("abc", i, code);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(code, 1);
  Val("", i, code);
  EXPECT_NE(code, 0);
  Val("99999999999", i, code);  // stops before the digit that overflows
  EXPECT_EQ(i, 999999999);
  EXPECT_EQ(code, 10);
  Val("12 ", i, code);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(code, 3);

  double d = -1;
  Val("3.5kg", d, code);
  EXPECT_DOUBLE_EQ(d, 3.5);
  EXPECT_EQ(code, 4);
  Val("1e3", d, code);
  EXPECT_DOUBLE_EQ(d, 1000);
  EXPECT_EQ(code, 0);
  Val("1e", d, code);
  EXPECT_DOUBLE_EQ(d, 1);
  EXPECT_EQ(code, 2);
  Val("-", d, code);
  EXPECT_EQ(code, 2);
}

TEST(SysUtilsNumbers, FormatWidthPrecisionIndexAndStar) {
  EXPECT_EQ(Format("%d", {42}), "42");
  EXPECT_EQ(Format("[%5d]", {42}), "[   42]");
  EXPECT_EQ(Format("[%-5d]", {42}), "[42   ]");
  EXPECT_EQ(Format("[%.4d]", {-42}), "[-0042]");
  EXPECT_EQ(Format("%d", {Int64{-9000000000}}), "-9000000000");
  EXPECT_EQ(Format("%u", {-1}), "4294967295");
  EXPECT_EQ(Format("%x", {255}), "FF");
  EXPECT_EQ(Format("%.4X", {255}), "00FF");
  EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
  EXPECT_EQ(Format("%s and %s", {"a", AnsiString("b")}), "a and b");
  EXPECT_EQ(Format("[%6s][%-6s]", {"ab", "cd"}), "[    ab][cd    ]");
  EXPECT_EQ(Format("%.2s", {"abcdef"}), "ab");
  EXPECT_EQ(Format("%.3s", {"가나"_k}), "가"_k);  // never half a syllable
  EXPECT_EQ(Format("%s", {'x'}), "x");
  EXPECT_EQ(Format("100%%", {}), "100%");

  // Indexes: later specs without an index continue after the indexed one.
  EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b", "c"}), "b a b");
  EXPECT_EQ(Format("%0:s-%0:s", {"x"}), "x-x");
  // "*" takes width and precision from the arguments; a negative width aligns left.
  EXPECT_EQ(Format("[%*d]", {4, 7}), "[   7]");
  EXPECT_EQ(Format("[%*d]", {-4, 7}), "[7   ]");
  EXPECT_EQ(Format("[%*.*f]", {8, 3, 3.14159}), "[   3.142]");
  EXPECT_EQ(Format("[%-*.*s]", {5, 2, "abcdef"}), "[ab   ]");
  EXPECT_LE(Format("%*d", {2000000000, 1}).size(), 1u << 21);  // a wild width stays bounded

  EXPECT_EQ(Format("%.1f", {2.25}), "2.3");
  EXPECT_EQ(Format("%f", {1.0 / 3}), "0.33");
  EXPECT_EQ(Format("%.0f", {0.5}), "1");
  EXPECT_EQ(Format("%.2f", {9.999}), "10.00");
  EXPECT_EQ(Format("%g", {0.1 + 0.2}), "0.3");
  EXPECT_EQ(Format("%n", {1234567.891}), "1,234,567.89");
  EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
  EXPECT_EQ(Format("%.2m", {-5.0}), "-" + "￦"_k + "5.00");

  // What the user of a mistaken format sees.
  const std::string kBad = "Format '%d' invalid or incompatible with argument";
  EXPECT_EQ(MessageOf([] { Format("%d", {"text"}); }), kBad);
  EXPECT_EQ(MessageOf([] { Format("%d", {}); }), kBad);
  EXPECT_THROW(Format("%s", {1}), EConvertError);
  EXPECT_THROW(Format("%f", {1}), EConvertError);
  EXPECT_THROW(Format("%c", {'x'}), EConvertError);
  EXPECT_THROW(Format("50%", {}), EConvertError);
  EXPECT_THROW(Format("%5:s", {"a"}), EConvertError);

  // Korean text and messages in code page 949 pass through unchanged.
  EXPECT_EQ(Format("%s (%d 편)"_k, {"영화"_k, 3}), "영화 (3 편)"_k);
  TFormatSettings comma = TFormatSettings::English();
  comma.DecimalSeparator = ',';
  EXPECT_EQ(Format("%.1f", std::vector<TVarRec>{1.25}, comma), "1,3");
}

TEST(SysUtilsNumbers, BooleansReadAndWriteBothForms) {
  EXPECT_EQ(BoolToStr(true), "-1");
  EXPECT_EQ(BoolToStr(false), "0");
  EXPECT_EQ(BoolToStr(true, true), "True");
  EXPECT_TRUE(StrToBool("true"));
  EXPECT_TRUE(StrToBool("-1"));
  EXPECT_TRUE(StrToBool("2"));
  EXPECT_FALSE(StrToBool("FALSE"));
  EXPECT_FALSE(StrToBool("0"));
  bool b;
  EXPECT_FALSE(TryStrToBool("yes", b));
  EXPECT_EQ(MessageOf([] { StrToBool("maybe"); }), "'maybe' is not a valid boolean value");
}

}  // namespace

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "grid/GridStream.h"

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

// The bytes of a one-property image of class "TX".
std::string OneProperty(const TImageValue& v) {
  return ObjectImageBytes({"TX", {{"P", v}}});
}

// The value part of a one-property image: after "TPF0", 02 "TX", 00, 01 "P".
std::string ValueBytes(const TImageValue& v) {
  const std::string all = OneProperty(v);
  return all.substr(4 + 3 + 1 + 2, all.size() - (4 + 3 + 1 + 2) - 2);
}

TImageValue ReadBack(const std::string& image) {
  TImageReader r(image.data(), image.size());
  const TObjectImage got = r.ReadImage("TX", {"P"});
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(got.Properties.size(), 1u);
  return got.Properties.at(0).Value;
}

UInt64 Bits(double d) { return std::bit_cast<UInt64>(d); }

double RoundTrip(double d) {
  const auto e = DoubleToExtended(d);
  return ExtendedToDouble(e.data());
}

TEST(GridStream, ImageFrameIsSignatureClassEmptyNameAndTwoEndMarkers) {
  EXPECT_EQ(ObjectImageBytes({"TGridCellIO", {}}),
            std::string("TPF0") + "\x0BTGridCellIO" + Bytes({0, 0, 0}));
}

TEST(GridStream, IntegersTakeTheSmallestTagThatHoldsThem) {
  EXPECT_EQ(ValueBytes(TImageValue::Int32(127)), Bytes({2, 0x7F}));
  EXPECT_EQ(ValueBytes(TImageValue::Int32(128)), Bytes({3, 0x80, 0x00}));
  EXPECT_EQ(ValueBytes(TImageValue::Int32(40000)), Bytes({4, 0x40, 0x9C, 0x00, 0x00}));
  EXPECT_EQ(ValueBytes(TImageValue::Int32(-128)), Bytes({2, 0x80}));
  EXPECT_EQ(ValueBytes(TImageValue::Int32(-129)), Bytes({3, 0x7F, 0xFF}));
  EXPECT_EQ(ValueBytes(TImageValue::Int32(-32769)), Bytes({4, 0xFF, 0x7F, 0xFF, 0xFF}));
  EXPECT_EQ(ValueBytes(TImageValue::Int32(300)), Bytes({3, 0x2C, 0x01}));
  for (Integer v : {0, 127, 128, -1, 32767, 32768, 40000, INT32_MIN, INT32_MAX})
    EXPECT_EQ(ReadBack(OneProperty(TImageValue::Int32(v))).Int, v);
}

TEST(GridStream, TextTagFollowsLengthAndCodePage) {
  EXPECT_EQ(ValueBytes(TImageValue::String("abc")), Bytes({6, 3}) + "abc");
  const std::string a255(255, 'a');
  EXPECT_EQ(ValueBytes(TImageValue::String(a255)), Bytes({6, 255}) + a255);
  const std::string a256(256, 'a');
  EXPECT_EQ(ValueBytes(TImageValue::String(a256)), Bytes({12, 0, 1, 0, 0}) + a256);
  // Korean goes as UTF-8 with its UTF-8 byte length, even when short.
  const AnsiString movie = "영화"_k;
  ASSERT_EQ(movie.size(), 4u);
  EXPECT_EQ(ValueBytes(TImageValue::String(movie)), Bytes({20, 6, 0, 0, 0}) + "영화");
  EXPECT_EQ(ReadBack(OneProperty(TImageValue::String(movie))).Text, movie);
  EXPECT_EQ(ReadBack(OneProperty(TImageValue::String(a256))).Text, a256);
}

TEST(GridStream, KoreanTextOfEveryLengthRoundTrips) {
  const AnsiString line = "가나다라 마바사 아자차카 타파하 똠방각하 뷁 "_k;
  AnsiString text;
  for (int i = 0; i < 40; ++i) {
    text += line;
    EXPECT_EQ(ReadBack(OneProperty(TImageValue::String(text))).Text, text);
  }
}

TEST(GridStream, ReaderAcceptsEveryTextTagAndConvertsOnlyUtf8) {
  const std::string head = std::string("TPF0") + "\x02TX" + Bytes({0, 1}) + "P";
  const std::string tail = Bytes({0, 0});
  TImageValue v;
  v = ReadBack(head + Bytes({6, 2}) + "\xB0\xA1" + tail);
  EXPECT_EQ(v.Text, "\xB0\xA1");  // tag 6 is taken as it stands
  v = ReadBack(head + Bytes({12, 2, 0, 0, 0}) + "\xB0\xA1" + tail);
  EXPECT_EQ(v.Text, "\xB0\xA1");
  v = ReadBack(head + Bytes({20, 3, 0, 0, 0}) + "가" + tail);
  EXPECT_EQ(v.Text, "가"_k);
}

TEST(GridStream, UnicodeCellBytesAreStoredAsTheyAre) {
  // U+AC00 U+0041 U+D55C as a Unicode cell: pairs that are not code page 949.
  const AnsiString cell = AnsiString("|\\") + Bytes({0xAC, 0x00, 0x00, 0x41, 0xD5, 0x5C, 0xFF, 0xFE});
  const std::string bytes = ValueBytes(TImageValue::String(cell, true));
  EXPECT_EQ(bytes, Bytes({6, static_cast<int>(cell.size())}) + cell);
  EXPECT_EQ(ReadBack(OneProperty(TImageValue::String(cell, true))).Text, cell);
}

TEST(GridStream, SetsBooleansIdentifiersBlocksAndLists) {
  EXPECT_EQ(ValueBytes(TImageValue::Set({})), Bytes({11, 0}));
  EXPECT_EQ(ValueBytes(TImageValue::Set({"fsBold", "fsItalic"})),
            Bytes({11, 6}) + "fsBold" + Bytes({8}) + "fsItalic" + Bytes({0}));
  EXPECT_EQ(ValueBytes(TImageValue::Boolean(true)), Bytes({9}));
  EXPECT_EQ(ValueBytes(TImageValue::Boolean(false)), Bytes({8}));
  EXPECT_EQ(ValueBytes(TImageValue::Ident("clNone")), Bytes({7, 6}) + "clNone");
  EXPECT_EQ(ValueBytes(TImageValue::Binary(Bytes({1, 0, 2}))), Bytes({10, 3, 0, 0, 0, 1, 0, 2}));
  EXPECT_EQ(ValueBytes(TImageValue::List({TImageValue::String("A"), TImageValue::String("B")})),
            Bytes({1, 6, 1}) + "A" + Bytes({6, 1}) + "B" + Bytes({0}));

  const TObjectImage image{"TX",
                           {{"S", TImageValue::Set({"fsBold"})},
                            {"B", TImageValue::Boolean(true)},
                            {"I", TImageValue::Ident("taCenter")},
                            {"D", TImageValue::Binary(std::string("\0\1\2", 3))},
                            {"F", TImageValue::Extended(2.5)},
                            {"L", TImageValue::List({TImageValue::Int32(3),
                                                     TImageValue::List({TImageValue::String("x")})})},
                            {"N", TImageValue::Null()}}};
  const std::string bytes = ObjectImageBytes(image);
  TImageReader r(bytes.data(), bytes.size());
  EXPECT_EQ(r.ReadImage("TX", {}), image);
}

TEST(GridStream, ExtendedBytesOfKnownValues) {
  auto hex = [](double d) {
    const auto e = DoubleToExtended(d);
    return std::string(reinterpret_cast<const char*>(e.data()), 10);
  };
  EXPECT_EQ(hex(1.0), Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  EXPECT_EQ(hex(2.5), Bytes({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x40}));
  EXPECT_EQ(hex(-2.5), Bytes({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}));
  EXPECT_EQ(hex(0.1), Bytes({0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}));
  EXPECT_EQ(hex(0.0), std::string(10, '\0'));
  EXPECT_EQ(hex(-0.0), Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ(hex(INFINITY), Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}));
  EXPECT_EQ(hex(-INFINITY), Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}));
  // The smallest denormal, 2^-1074, is a normal extended: exponent 16383 - 1074.
  EXPECT_EQ(hex(std::numeric_limits<double>::denorm_min()),
            Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B}));
  EXPECT_EQ(ValueBytes(TImageValue::Extended(2.5)),
            Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x40}));
}

TEST(GridStream, EveryDoubleSurvivesTheExtendedBitForBit) {
  const double values[] = {0.0, -0.0, 0.1, 2.5, -1e300, 1e300, 1.0 / 3, DBL_MAX, -DBL_MAX,
                           DBL_MIN, std::numeric_limits<double>::denorm_min(),
                           -std::numeric_limits<double>::denorm_min(),
                           std::bit_cast<double>(UInt64{0x000FFFFFFFFFFFFF}),  // largest denormal
                           std::bit_cast<double>(UInt64{0x0000000080000001}),
                           INFINITY, -INFINITY, 123456789.125, -7e-310};
  for (double d : values) EXPECT_EQ(Bits(RoundTrip(d)), Bits(d)) << d;

  const double qnan = std::bit_cast<double>(UInt64{0x7FF8000000000123});
  EXPECT_EQ(Bits(RoundTrip(qnan)), Bits(qnan));
  const double snan = std::bit_cast<double>(UInt64{0xFFF0000000000001});
  EXPECT_EQ(Bits(RoundTrip(snan)), Bits(snan));

  std::mt19937_64 rng(42);
  for (int i = 0; i < 200000; ++i) {
    const double d = std::bit_cast<double>(rng());
    ASSERT_EQ(Bits(RoundTrip(d)), Bits(d)) << std::hex << Bits(d);
  }
}

// Extended values written by another writer may hold more precision than a
// double: they round to nearest, ties to even, into the double range.
TEST(GridStream, WiderExtendedValuesRoundToTheNearestDouble) {
  auto make = [](UInt64 mantissa, unsigned signExp) {
    std::array<Byte, 10> b{};
    for (int i = 0; i < 8; ++i) b[i] = static_cast<Byte>(mantissa >> (8 * i));
    b[8] = static_cast<Byte>(signExp);
    b[9] = static_cast<Byte>(signExp >> 8);
    return ExtendedToDouble(b.data());
  };
  const UInt64 one = UInt64{1} << 63;
  EXPECT_EQ(make(one | (UInt64{1} << 10), 0x3FFF), 1.0);  // exactly half an ulp: even
  EXPECT_EQ(make(one | (UInt64{3} << 10), 0x3FFF), std::nextafter(1.0, 2.0) + DBL_EPSILON);
  EXPECT_EQ(make(one | (UInt64{1} << 10) | 1, 0x3FFF), std::nextafter(1.0, 2.0));
  EXPECT_EQ(make(~UInt64{0}, 0x3FFF), 2.0);  // carries into the next exponent
  EXPECT_EQ(make(~UInt64{0}, 0x3FFF + 1023), INFINITY);  // rounds past DBL_MAX
  EXPECT_EQ(make(one, 0x3FFF + 1024), INFINITY);
  EXPECT_EQ(make(one, 0x3FFF - 1075), 0.0);  // half the smallest denormal: even, zero
  EXPECT_EQ(make(one | 1, 0x3FFF - 1075), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(make(one, 1), 0.0);
  EXPECT_EQ(make(0, 0x1234), 0.0);  // a zero mantissa is zero whatever the exponent
  EXPECT_TRUE(std::isnan(make(1, 0x7FFF)));  // a payload too small for a double stays NaN
}

TEST(GridStream, ExtendedAgreesWithTheMachineWhereItHasOne) {
  if (LDBL_MANT_DIG != 64 || sizeof(long double) < 10)
    GTEST_SKIP() << "no x87 extended on this machine";
  std::mt19937_64 rng(7);
  for (int i = 0; i < 200000; ++i) {
    std::array<Byte, 10> b{};
    const UInt64 m = rng() | (UInt64{1} << 63);  // normals only: x87 has no unnormals
    const unsigned exp = 0x3FFF - 1100 + static_cast<unsigned>(rng() % 2200);
    for (int k = 0; k < 8; ++k) b[k] = static_cast<Byte>(m >> (8 * k));
    b[8] = static_cast<Byte>(exp);
    b[9] = static_cast<Byte>((exp >> 8) | ((rng() & 1) << 7));
    long double ld = 0;
    std::memcpy(&ld, b.data(), 10);
    ASSERT_EQ(Bits(ExtendedToDouble(b.data())), Bits(static_cast<double>(ld))) << i;
  }
}

struct THostileImage {
  const char* what;
  std::string bytes;
};

TEST(GridStream, MalformedImagesRaiseReadErrorsNamingTheFault) {
  const std::string good = ObjectImageBytes(
      {"TX", {{"P", TImageValue::String("abc")}, {"Q", TImageValue::Int32(40000)}}});
  const THostileImage cases[] = {
      {"signature", "TPF1" + good.substr(4)},
      {"TX expected", std::string("TPF0") + "\x02TY" + good.substr(7)},
      {"component name", good.substr(0, 7) + "\x01" "a" + good.substr(8)},
      {"does not exist", std::string("TPF0") + "\x02TX" + Bytes({0, 1}) + "R" + Bytes({2, 1, 0, 0})},
      {"child components", good.substr(0, good.size() - 1) + "\x01"},
      {"unknown value tag", std::string("TPF0") + "\x02TX" + Bytes({0, 1}) + "P" + Bytes({99, 0, 0})},
      {"long string needs", std::string("TPF0") + "\x02TX" + Bytes({0, 1}) + "P" +
                                Bytes({12, 0xFF, 0xFF, 0xFF, 0x7F}) + "abc"},
      {"byte block needs", std::string("TPF0") + "\x02TX" + Bytes({0, 1}) + "P" +
                               Bytes({10, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0})},
      {"nested too deeply", std::string("TPF0") + "\x02TX" + Bytes({0, 1}) + "P" +
                                std::string(100000, '\x01')},
  };
  for (const THostileImage& c : cases) {
    TImageReader r(c.bytes.data(), c.bytes.size());
    try {
      r.ReadImage("TX", {"P", "Q"});
      ADD_FAILURE() << c.what << ": no error";
    } catch (const EReadError& e) {
      EXPECT_NE(e.Message().find(c.what), std::string::npos) << e.Message();
    }
  }
}

TEST(GridStream, EveryTruncationOfAnImageRaises) {
  const std::string good = ObjectImageBytes(
      {"TX",
       {{"P", TImageValue::String("영화 제목"_k)},
        {"Q", TImageValue::Extended(0.1)},
        {"R", TImageValue::List({TImageValue::String("a"), TImageValue::Int32(70000)})},
        {"S", TImageValue::Set({"fsBold"})},
        {"T", TImageValue::Binary("xyz")}}});
  for (size_t cut = 0; cut < good.size(); ++cut) {
    const std::string part = good.substr(0, cut);
    TImageReader r(part.data(), part.size());
    EXPECT_THROW(r.ReadImage("TX", {}), EReadError) << cut;
  }
}

TEST(GridStream, RangeAndKindOfATypedReadAreChecked) {
  const std::string image = OneProperty(TImageValue::Int32(70000));
  TImageReader r(image.data(), image.size());
  r.BeginObject("TX");
  std::string_view name;
  ASSERT_TRUE(r.NextProperty(name));
  try {
    r.ReadInteger(name, 0, 65535);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_NE(e.Message().find("property P: value 70000 out of range 0..65535"), std::string::npos)
        << e.Message();
  }
  EXPECT_THROW(r.ReadBoolean(name), EReadError);
  EXPECT_THROW(r.ReadText(name), EReadError);
}

TEST(GridStream, WriterFlushesIntoTheStreamInPieces) {
  TMemoryStream stream;
  {
    TImageWriter w(stream);
    for (int i = 0; i < 5000; ++i) {
      w.BeginObject("TX");
      w.WriteText("P", std::string(40, static_cast<char>('a' + i % 26)));
      w.EndObject();
    }
  }
  ASSERT_EQ(stream.Size(), 5000 * (4 + 3 + 1 + 2 + 2 + 40 + 2));
  TImageReader r(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
  for (int i = 0; i < 5000; ++i)
    ASSERT_EQ(r.ReadImage("TX", {"P"}).Properties[0].Value.Text,
              std::string(40, static_cast<char>('a' + i % 26)));
  EXPECT_TRUE(r.AtEnd());
}

}  // namespace

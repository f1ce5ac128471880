// Object images: writer, reader and the 80-bit extended conversion.
//
// Sections:
//   Values ............ TImageValue constructors and comparison
//   Extended floats ... double <-> 80-bit extended on the bits, no long double
//   Writer ............ TImageWriter
//   Reader ............ TImageReader
#include "grid/GridStream.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/rtl/Cp949.h"

// ------------------------------------------------------------------ values

TImageValue TImageValue::Int32(Integer v) {
  TImageValue r;
  r.Type = v >= -128 && v <= 127 ? vaInt8 : v >= -32768 && v <= 32767 ? vaInt16 : vaInt32;
  r.Int = v;
  return r;
}

TImageValue TImageValue::Boolean(bool v) {
  TImageValue r;
  r.Type = v ? vaTrue : vaFalse;
  return r;
}

TImageValue TImageValue::Extended(double v) {
  TImageValue r;
  r.Type = vaExtended;
  r.Float = v;
  return r;
}

TImageValue TImageValue::String(AnsiString v, bool raw) {
  TImageValue r;
  r.Type = vaLString;
  r.Text = std::move(v);
  r.RawText = raw;
  return r;
}

TImageValue TImageValue::Ident(AnsiString name) {
  TImageValue r;
  r.Type = vaIdent;
  r.Text = std::move(name);
  return r;
}

TImageValue TImageValue::Binary(std::string bytes) {
  TImageValue r;
  r.Type = vaBinary;
  r.Text = std::move(bytes);
  return r;
}

TImageValue TImageValue::Set(std::vector<AnsiString> names) {
  TImageValue r;
  r.Type = vaSet;
  r.Names = std::move(names);
  return r;
}

TImageValue TImageValue::List(std::vector<TImageValue> items) {
  TImageValue r;
  r.Type = vaList;
  r.Items = std::move(items);
  return r;
}

bool operator==(const TImageValue& a, const TImageValue& b) {
  if (a.IsInteger() || b.IsInteger()) return a.IsInteger() && b.IsInteger() && a.Int == b.Int;
  if (a.IsText() || b.IsText()) return a.IsText() && b.IsText() && a.Text == b.Text;
  if (a.Type != b.Type) return false;
  switch (a.Type) {
    case vaExtended:
      return std::bit_cast<UInt64>(a.Float) == std::bit_cast<UInt64>(b.Float);
    case vaIdent:
    case vaBinary:
      return a.Text == b.Text;
    case vaSet:
      return a.Names == b.Names;
    case vaList:
      return a.Items == b.Items;
    default:
      return true;
  }
}

const TImageValue* TObjectImage::Find(std::string_view name) const {
  for (const TImageProperty& p : Properties)
    if (p.Name == name) return &p.Value;
  return nullptr;
}

// ------------------------------------------------------------ extended floats

namespace {

constexpr int kExtendedBias = 16383;
constexpr int kDoubleBias = 1023;
constexpr UInt64 kIntegerBit = UInt64{1} << 63;

// m / 2^shift rounded to the nearest integer, ties to even.
UInt64 RoundShiftRight(UInt64 m, int shift) {
  if (shift <= 0) return m;
  if (shift > 64) return 0;
  UInt64 q = shift == 64 ? 0 : m >> shift;
  UInt64 rest = shift == 64 ? m : m & ((UInt64{1} << shift) - 1);
  UInt64 half = UInt64{1} << (shift - 1);
  if (rest > half || (rest == half && (q & 1))) ++q;
  return q;
}

}  // namespace

std::array<Byte, 10> DoubleToExtended(double value) {
  const UInt64 bits = std::bit_cast<UInt64>(value);
  const bool negative = (bits >> 63) != 0;
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  const UInt64 fraction = bits & ((UInt64{1} << 52) - 1);

  int e80 = 0;
  UInt64 m80 = 0;
  if (exponent == 0x7FF) {
    // Infinity keeps only the integer bit; a NaN keeps its payload.
    e80 = 0x7FFF;
    m80 = kIntegerBit | (fraction << 11);
  } else if (exponent != 0) {
    e80 = exponent - kDoubleBias + kExtendedBias;
    m80 = kIntegerBit | (fraction << 11);
  } else if (fraction != 0) {
    // A double denormal is fraction * 2^-1074; the extended's wider exponent
    // holds it normalised.
    const int top = 63 - std::countl_zero(fraction);  // 0..51
    e80 = top - 1074 + kExtendedBias;
    m80 = fraction << (63 - top);
  }
  std::array<Byte, 10> out{};
  for (int i = 0; i < 8; ++i) out[i] = static_cast<Byte>(m80 >> (8 * i));
  const unsigned se = static_cast<unsigned>(e80) | (negative ? 0x8000u : 0u);
  out[8] = static_cast<Byte>(se);
  out[9] = static_cast<Byte>(se >> 8);
  return out;
}

double ExtendedToDouble(const Byte bytes[10]) {
  UInt64 m = 0;
  for (int i = 0; i < 8; ++i) m |= UInt64{bytes[i]} << (8 * i);
  const unsigned se = bytes[8] | (unsigned{bytes[9]} << 8);
  const UInt64 sign = UInt64{(se >> 15) & 1} << 63;
  const int e80 = static_cast<int>(se & 0x7FFF);

  if (e80 == 0x7FFF) {
    const UInt64 fraction = m & ~kIntegerBit;
    if (fraction == 0) return std::bit_cast<double>(sign | (UInt64{0x7FF} << 52));
    UInt64 payload = fraction >> 11;
    if (payload == 0) payload = UInt64{1} << 51;  // keep it a NaN
    return std::bit_cast<double>(sign | (UInt64{0x7FF} << 52) | payload);
  }
  if (m == 0) return std::bit_cast<double>(sign);

  // value = m * 2^(e - 63), with e the unbiased exponent (denormals and
  // unnormals use the smallest exponent). Normalise m to bit 63 set.
  int e = (e80 == 0 ? 1 : e80) - kExtendedBias;
  const int lead = std::countl_zero(m);
  m <<= lead;
  e -= lead;

  if (e > kDoubleBias) return std::bit_cast<double>(sign | (UInt64{0x7FF} << 52));
  if (e >= 1 - kDoubleBias) {
    UInt64 m53 = RoundShiftRight(m, 11);
    if (m53 >> 53) {  // rounding carried into a new bit
      m53 >>= 1;
      ++e;
      if (e > kDoubleBias) return std::bit_cast<double>(sign | (UInt64{0x7FF} << 52));
    }
    const UInt64 biased = static_cast<UInt64>(e + kDoubleBias);
    return std::bit_cast<double>(sign | (biased << 52) | (m53 & ((UInt64{1} << 52) - 1)));
  }
  // Denormal result: the fraction counts units of 2^-1074. A rounding that
  // reaches 2^52 lands on the smallest normal, which the same bits encode.
  const int shift = 11 + (1 - kDoubleBias - e);
  const UInt64 fraction = RoundShiftRight(m, shift);
  return std::bit_cast<double>(sign | fraction);
}

// ------------------------------------------------------------------ writer

namespace {
constexpr size_t kFlushSize = 1 << 16;
}

TImageWriter::~TImageWriter() noexcept(false) {
  if (stream_ && std::uncaught_exceptions() == 0) Flush();
}

void TImageWriter::Flush() {
  if (!stream_ || length_ == 0) return;
  stream_->WriteBuffer(buffer_.data(), static_cast<Int64>(length_));
  length_ = 0;
}

void TImageWriter::MaybeFlush() {
  if (stream_ && length_ >= kFlushSize) Flush();
}

void TImageWriter::Grow(size_t n) {
  buffer_.resize(std::max({buffer_.size() * 2, length_ + n, size_t{256}}));
}

void TImageWriter::Put32(Cardinal v) {
  char* d = Room(4);
  for (int i = 0; i < 4; ++i) d[i] = static_cast<char>(v >> (8 * i));
  length_ += 4;
}

void TImageWriter::ShortString(std::string_view s, const char* what) {
  if (s.size() > 255)
    throw EWriteError(AnsiString("Stream write error: ") + what + " longer than 255 bytes");
  char* d = Room(1 + s.size());
  d[0] = static_cast<char>(s.size());
  std::memcpy(d + 1, s.data(), s.size());
  length_ += 1 + s.size();
}

void TImageWriter::BeginObject(std::string_view className) {
  MaybeFlush();
  Append(kImageSignature, 4);
  ShortString(className, "class name");
  Put(0);  // component name: always empty
}

void TImageWriter::EndObject() {
  Put(0);  // end of properties
  Put(0);  // end of children
}

void TImageWriter::WriteName(std::string_view name) {
  if (name.empty()) throw EWriteError("Stream write error: empty property name");
  ShortString(name, "property name");
}

void TImageWriter::WriteIntegerValue(Integer v) {
  if (v >= -128 && v <= 127) {
    Put(vaInt8);
    Put(static_cast<Byte>(v));
  } else if (v >= -32768 && v <= 32767) {
    Put(vaInt16);
    Put(static_cast<Byte>(v));
    Put(static_cast<Byte>(v >> 8));
  } else {
    Put(vaInt32);
    Put32(static_cast<Cardinal>(v));
  }
}

void TImageWriter::WriteTextValue(std::string_view text, bool raw) {
  if (!raw && !IsPureAscii(text)) {
    // Converted in place, with room for the longest form (three bytes per
    // byte); the length goes in front once it is known.
    char* start = Room(5 + 3 * text.size());
    start[0] = static_cast<char>(vaUTF8String);
    char* end = Cp949ToUtf8Into(text, start + 5);
    const auto n = static_cast<Cardinal>(end - (start + 5));
    for (int i = 0; i < 4; ++i) start[1 + i] = static_cast<char>(n >> (8 * i));
    length_ += static_cast<size_t>(end - start);
    return;
  }
  if (text.size() <= 255) {
    Put(vaString);
    Put(static_cast<Byte>(text.size()));
  } else {
    Put(vaLString);
    Put32(static_cast<Cardinal>(text.size()));
  }
  Append(text);
}

void TImageWriter::WriteInteger(std::string_view name, Integer v) {
  WriteName(name);
  WriteIntegerValue(v);
}

void TImageWriter::WriteBoolean(std::string_view name, bool v) {
  WriteName(name);
  Put(v ? vaTrue : vaFalse);
}

void TImageWriter::WriteFloat(std::string_view name, double v) {
  WriteName(name);
  Put(vaExtended);
  const auto bytes = DoubleToExtended(v);
  Append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void TImageWriter::WriteText(std::string_view name, std::string_view text, bool raw) {
  WriteName(name);
  WriteTextValue(text, raw);
}

void TImageWriter::WriteIdent(std::string_view name, std::string_view ident) {
  WriteName(name);
  Put(vaIdent);
  ShortString(ident, "identifier");
}

void TImageWriter::WriteBinary(std::string_view name, std::string_view bytes) {
  WriteName(name);
  Put(vaBinary);
  Put32(static_cast<Cardinal>(bytes.size()));
  Append(bytes);
  MaybeFlush();
}

void TImageWriter::WriteSet(std::string_view name, const std::vector<AnsiString>& members) {
  WriteName(name);
  Put(vaSet);
  for (const AnsiString& m : members) {
    if (m.empty()) throw EWriteError("Stream write error: empty set member");
    ShortString(m, "set member");
  }
  Put(0);
}

void TImageWriter::WriteStringList(std::string_view name, const std::vector<AnsiString>& items) {
  WriteName(name);
  Put(vaList);
  for (const AnsiString& s : items) WriteTextValue(s, false);
  Put(vaNull);
}

void TImageWriter::WriteValue(const TImageValue& value, int depth) {
  if (depth > kMaxImageListDepth) throw EWriteError("Stream write error: lists nested too deeply");
  if (value.IsInteger()) return WriteIntegerValue(value.Int);
  if (value.IsText()) return WriteTextValue(value.Text, value.RawText);
  switch (value.Type) {
    case vaNull:
      Put(vaNull);
      break;
    case vaFalse:
    case vaTrue:
      Put(value.Type);
      break;
    case vaExtended: {
      Put(vaExtended);
      const auto bytes = DoubleToExtended(value.Float);
      Append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      break;
    }
    case vaIdent:
      Put(vaIdent);
      ShortString(value.Text, "identifier");
      break;
    case vaBinary:
      Put(vaBinary);
      Put32(static_cast<Cardinal>(value.Text.size()));
      Append(value.Text);
      break;
    case vaSet:
      Put(vaSet);
      for (const AnsiString& m : value.Names) {
        if (m.empty()) throw EWriteError("Stream write error: empty set member");
        ShortString(m, "set member");
      }
      Put(0);
      break;
    case vaList:
      Put(vaList);
      for (const TImageValue& item : value.Items) {
        if (item.Type == vaNull) throw EWriteError("Stream write error: null inside a list");
        WriteValue(item, depth + 1);
      }
      Put(vaNull);
      break;
    default:
      throw EWriteError("Stream write error: unknown value type");
  }
}

void TImageWriter::WriteImage(const TObjectImage& image) {
  BeginObject(image.ClassName);
  for (const TImageProperty& p : image.Properties) {
    WriteName(p.Name);
    WriteValue(p.Value);
  }
  EndObject();
}

std::string ObjectImageBytes(const TObjectImage& image) {
  TImageWriter writer;
  writer.WriteImage(image);
  return writer.Bytes();
}

// ------------------------------------------------------------------ reader

void TImageReader::FailAt(size_t pos, std::string_view what) const {
  throw EReadError("Invalid stream format at byte " + IntToStr(base_ + static_cast<Int64>(pos)) +
                   ": " + AnsiString(what));
}

void TImageReader::Fail(std::string_view what) const { FailAt(pos_, what); }

void TImageReader::FailProperty(std::string_view name, std::string_view what) const {
  FailAt(pos_, "property " + AnsiString(name) + ": " + AnsiString(what));
}

void TImageReader::ExpectTag(Byte expected, std::string_view name, std::string_view what) {
  if (GetByte("value tag") == expected) return;
  --pos_;
  FailProperty(name, what);
}

void TImageReader::UnknownProperty(std::string_view className, std::string_view name) const {
  // The name came from the file: show only its printable ASCII.
  AnsiString shown;
  for (char c : name) shown += (c >= 0x20 && c < 0x7F) ? c : '?';
  throw EReadError("Error reading " + AnsiString(className) + " at byte " +
                   IntToStr(base_ + static_cast<Int64>(pos_)) + ": Property " + shown +
                   " does not exist");
}

void TImageReader::NeedFailed(size_t n, std::string_view what) const {
  FailAt(pos_, AnsiString(what) + " needs " + IntToStr(static_cast<Int64>(n)) + " bytes, " +
                   IntToStr(static_cast<Int64>(size_ - pos_)) + " left");
}

void TImageReader::BeginObject(std::string_view expectedClass) {
  const size_t start = pos_;
  if (AtEnd()) FailAt(start, AnsiString(expectedClass) + " expected, the data ends");
  if (Remaining() < 4 || std::memcmp(data_ + pos_, kImageSignature, 4) != 0)
    FailAt(start, "signature TPF0 of " + AnsiString(expectedClass) + " expected");
  pos_ += 4;
  const std::string_view cls = ShortString("class name");
  if (cls != expectedClass) FailAt(start, AnsiString(expectedClass) + " expected");
  if (GetByte("component name") != 0) FailAt(pos_ - 1, "component name must be empty");
}

bool TImageReader::NextProperty(std::string_view& name) {
  name = ShortString("property name");
  if (!name.empty()) return true;
  if (GetByte("end of children") != 0) FailAt(pos_ - 1, "child components are not allowed");
  return false;
}

TValueType TImageReader::PeekType() const {
  if (AtEnd()) FailAt(pos_, "value expected, the data ends");
  return static_cast<TValueType>(static_cast<Byte>(data_[pos_]));
}

Integer TImageReader::ReadInteger(std::string_view name, Integer minimum, Integer maximum) {
  const size_t start = pos_;
  const Byte tag = GetByte("value tag");
  Integer v = 0;
  switch (tag) {
    case vaInt8:
      v = static_cast<signed char>(GetByte("int8"));
      break;
    case vaInt16: {
      const std::string_view b = Bytes(2, "int16");
      v = static_cast<std::int16_t>(static_cast<unsigned char>(b[0]) |
                                    (static_cast<unsigned char>(b[1]) << 8));
      break;
    }
    case vaInt32:
      v = static_cast<Integer>(Get32("int32"));
      break;
    default:
      --pos_;
      FailProperty(name, "integer expected");
  }
  if (v < minimum || v > maximum) {
    pos_ = start;
    FailProperty(name, "value " + IntToStr(v) + " out of range " + IntToStr(minimum) + ".." +
                           IntToStr(maximum));
  }
  return v;
}

bool TImageReader::ReadBoolean(std::string_view name) {
  const Byte tag = GetByte("value tag");
  if (tag == vaTrue) return true;
  if (tag == vaFalse) return false;
  --pos_;
  FailProperty(name, "True or False expected");
}

double TImageReader::ReadFloat(std::string_view name) {
  const TValueType tag = PeekType();
  if (tag == vaInt8 || tag == vaInt16 || tag == vaInt32)
    return ReadInteger(name, INT32_MIN, INT32_MAX);
  if (tag != vaExtended) FailProperty(name, "floating-point number expected");
  ++pos_;
  const std::string_view b = Bytes(10, "extended");
  return ExtendedToDouble(reinterpret_cast<const Byte*>(b.data()));
}

void TImageReader::ReadTextValue(TValueType type, std::string_view name, AnsiString& out) {
  switch (type) {
    case vaString: {
      out.assign(ShortString("string"));
      return;
    }
    case vaLString: {
      const Cardinal n = Get32("long string length");
      out.assign(Bytes(n, "long string"));
      return;
    }
    case vaUTF8String: {
      const Cardinal n = Get32("UTF-8 string length");
      const std::string_view utf8 = Bytes(n, "UTF-8 string");
      if (IsPureAscii(utf8))
        out.assign(utf8);
      else
        out = Utf8ToCp949(utf8);
      return;
    }
    default:
      pos_ -= 1;
      FailProperty(name, "string expected");
  }
}

void TImageReader::ReadTextView(std::string_view name, std::string_view& bytes, bool& utf8) {
  const TValueType tag = static_cast<TValueType>(GetByte("value tag"));
  utf8 = tag == vaUTF8String;
  switch (tag) {
    case vaString:
      bytes = ShortString("string");
      return;
    case vaLString:
      bytes = Bytes(Get32("long string length"), "long string");
      return;
    case vaUTF8String:
      bytes = Bytes(Get32("UTF-8 string length"), "UTF-8 string");
      return;
    default:
      pos_ -= 1;
      FailProperty(name, "string expected");
  }
}

AnsiString TextFromView(std::string_view bytes, bool utf8) {
  return utf8 ? Utf8ToCp949(bytes) : AnsiString(bytes);
}

void TImageReader::ReadTextInto(std::string_view name, AnsiString& out) {
  const TValueType tag = static_cast<TValueType>(GetByte("value tag"));
  ReadTextValue(tag, name, out);
}

AnsiString TImageReader::ReadText(std::string_view name) {
  AnsiString s;
  ReadTextInto(name, s);
  return s;
}

AnsiString TImageReader::ReadIdent(std::string_view name) {
  ExpectTag(vaIdent, name, "identifier expected");
  const std::string_view id = ShortString("identifier");
  if (id.empty()) FailProperty(name, "empty identifier");
  return AnsiString(id);
}

int TImageReader::ReadEnum(std::string_view name, const std::string_view* names, int count) {
  const size_t start = pos_;
  const AnsiString id = ReadIdent(name);
  for (int i = 0; i < count; ++i)
    if (names[i] == id) return i;
  pos_ = start;
  FailProperty(name, "invalid property value");
}

std::string TImageReader::ReadBinary(std::string_view name) {
  ExpectTag(vaBinary, name, "byte block expected");
  const Cardinal n = Get32("byte block length");
  return std::string(Bytes(n, "byte block"));
}

std::vector<AnsiString> TImageReader::ReadSet(std::string_view name) {
  ExpectTag(vaSet, name, "set expected");
  std::vector<AnsiString> members;
  for (;;) {
    const std::string_view m = ShortString("set member");
    if (m.empty()) return members;
    members.emplace_back(m);
  }
}

std::vector<AnsiString> TImageReader::ReadStringList(std::string_view name) {
  ExpectTag(vaList, name, "list expected");
  std::vector<AnsiString> items;
  for (;;) {
    const Byte t = GetByte("list item");
    if (t == vaNull) return items;
    ReadTextValue(static_cast<TValueType>(t), name, items.emplace_back());
  }
}

TImageValue TImageReader::ReadValue(std::string_view name, int depth) {
  if (depth > kMaxImageListDepth) FailProperty(name, "lists nested too deeply");
  const TValueType tag = PeekType();
  TImageValue v;
  switch (tag) {
    case vaNull:
      ++pos_;
      return v;
    case vaInt8:
    case vaInt16:
    case vaInt32:
      v.Type = tag;
      v.Int = ReadInteger(name, INT32_MIN, INT32_MAX);
      return v;
    case vaExtended:
      v.Type = vaExtended;
      v.Float = ReadFloat(name);
      return v;
    case vaString:
    case vaLString:
    case vaUTF8String:
      v.Type = tag;
      ReadTextInto(name, v.Text);
      return v;
    case vaIdent:
      v.Type = vaIdent;
      v.Text = ReadIdent(name);
      return v;
    case vaFalse:
    case vaTrue:
      ++pos_;
      v.Type = tag;
      return v;
    case vaBinary:
      v.Type = vaBinary;
      v.Text = ReadBinary(name);
      return v;
    case vaSet:
      v.Type = vaSet;
      v.Names = ReadSet(name);
      return v;
    case vaList:
      ++pos_;
      v.Type = vaList;
      while (PeekType() != vaNull) v.Items.push_back(ReadValue(name, depth + 1));
      ++pos_;
      return v;
    default:
      FailProperty(name, "unknown value tag " + IntToStr(tag));
  }
}

TObjectImage TImageReader::ReadImage(std::string_view expectedClass,
                                     const std::vector<std::string_view>& knownNames) {
  TObjectImage image;
  BeginObject(expectedClass);
  image.ClassName = AnsiString(expectedClass);
  std::string_view name;
  for (;;) {
    const size_t start = pos_;
    if (!NextProperty(name)) break;
    if (!knownNames.empty()) {
      bool known = false;
      for (std::string_view k : knownNames) known = known || k == name;
      if (!known) {
        pos_ = start;
        UnknownProperty(expectedClass, name);
      }
    }
    TImageProperty& p = image.Properties.emplace_back();
    p.Name = AnsiString(name);
    p.Value = ReadValue(name);
  }
  return image;
}

// Object images: the byte form in which the grid file and the grid's
// clipboard format store each carrier record.
//
// One image is: the signature "TPF0", the carrier's class name as a short
// string, an empty component name (00), the property list (each property a
// short-string name and a tagged value), 00 ending the properties and 00
// ending the (always empty) list of children. Numbers are little-endian.
//
// Sections:
//   Value tags and TImageValue ... the tags this format uses, one value
//   TObjectImage ................. a whole image as class name + properties
//   TImageWriter ................. appends images to a buffer, flushes to a stream
//   TImageReader ................. walks images in memory, validating every byte
//   Extended floats .............. 80-bit x87 extended <-> double, integer arithmetic
//
// The writer and reader work property by property so that the grid file's
// carriers need not build an image object per cell; TObjectImage sits on top
// of them for anything that wants a whole image at once.
//
// Text: in memory every string is code page 949. The writer stores ASCII as
// tag 6 (up to 255 bytes) or 12, anything else as tag 20 in UTF-8; the reader
// accepts all three and converts tag 20 back. A "raw" text (a Unicode cell,
// whose bytes are UTF-16 pairs and not code page 949) is stored byte for byte
// as tag 6 or 12 so that no conversion can alter it.
#pragma once

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

// ------------------------------------------------------------ value tags

enum TValueType : Byte {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaUTF8String = 20,
};

inline constexpr char kImageSignature[4] = {'T', 'P', 'F', '0'};
// Lists may hold lists; nothing this program writes goes deeper than one.
inline constexpr int kMaxImageListDepth = 16;

// One property value. Integers keep their tag as read; on writing, the
// smallest integer tag and the text tag are chosen again from the value.
struct TImageValue {
  TValueType Type = vaNull;
  Integer Int = 0;                  // vaInt8, vaInt16, vaInt32
  double Float = 0;                 // vaExtended
  AnsiString Text;                  // text (code page 949), identifier, byte block
  bool RawText = false;             // text written byte for byte (tag 6/12)
  std::vector<AnsiString> Names;    // set members
  std::vector<TImageValue> Items;   // list items

  static TImageValue Null() { return {}; }
  static TImageValue Int32(Integer v);  // the tag follows from the range
  static TImageValue Boolean(bool v);
  static TImageValue Extended(double v);
  static TImageValue String(AnsiString v, bool raw = false);
  static TImageValue Ident(AnsiString name);
  static TImageValue Binary(std::string bytes);
  static TImageValue Set(std::vector<AnsiString> names);
  static TImageValue List(std::vector<TImageValue> items);

  bool IsInteger() const { return Type == vaInt8 || Type == vaInt16 || Type == vaInt32; }
  bool IsText() const { return Type == vaString || Type == vaLString || Type == vaUTF8String; }
  bool IsBoolean() const { return Type == vaFalse || Type == vaTrue; }
  // Compares the meaning, not the tag that carried it.
  friend bool operator==(const TImageValue& a, const TImageValue& b);
};

struct TImageProperty {
  AnsiString Name;
  TImageValue Value;
  friend bool operator==(const TImageProperty&, const TImageProperty&) = default;
};

struct TObjectImage {
  AnsiString ClassName;
  std::vector<TImageProperty> Properties;
  // nullptr when the image does not hold the property.
  const TImageValue* Find(std::string_view name) const;
  friend bool operator==(const TObjectImage&, const TObjectImage&) = default;
};

// ------------------------------------------------------------ TImageWriter

// Appends images to an internal buffer and hands it to the stream in large
// pieces; Flush (also run by the destructor when no exception is pending)
// writes the rest. Names must be 1..255 bytes.
class TImageWriter {
 public:
  explicit TImageWriter(TStream& stream) : stream_(&stream) {}
  // A writer that only collects bytes (Bytes() returns them).
  TImageWriter() = default;
  ~TImageWriter() noexcept(false);
  TImageWriter(const TImageWriter&) = delete;
  TImageWriter& operator=(const TImageWriter&) = delete;

  void BeginObject(std::string_view className);
  void EndObject();  // the two 00 bytes

  void WriteName(std::string_view name);
  void WriteInteger(std::string_view name, Integer v);
  void WriteBoolean(std::string_view name, bool v);
  void WriteFloat(std::string_view name, double v);
  void WriteText(std::string_view name, std::string_view text, bool raw = false);
  void WriteIdent(std::string_view name, std::string_view ident);
  void WriteBinary(std::string_view name, std::string_view bytes);
  void WriteSet(std::string_view name, const std::vector<AnsiString>& members);
  void WriteStringList(std::string_view name, const std::vector<AnsiString>& items);
  void WriteValue(const TImageValue& value, int depth = 0);
  // Bare values, after WriteName.
  void WriteIntegerValue(Integer v);
  void WriteTextValue(std::string_view text, bool raw);

  // Bytes of an image laid out by the caller (a fixed header, names), at an
  // image's start: the buffer may go to the stream first.
  void WritePrepared(std::string_view bytes) {
    MaybeFlush();
    Append(bytes);
  }
  // The same in the middle of an image.
  void WritePreparedPart(std::string_view bytes) { Append(bytes); }

  void WriteImage(const TObjectImage& image);
  void Flush();
  const std::string& Bytes() const {
    buffer_.resize(length_);
    return buffer_;
  }

 private:
  void ShortString(std::string_view s, const char* what);
  // buffer_ is sized ahead of the bytes written (length_): every write
  // checks for room once and copies, growth is out of line.
  char* Room(size_t n) {
    if (n > buffer_.size() - length_) [[unlikely]]
      Grow(n);
    return buffer_.data() + length_;
  }
  void Grow(size_t n);
  void Append(const char* p, size_t n) {
    std::memcpy(Room(n), p, n);
    length_ += n;
  }
  void Append(std::string_view s) { Append(s.data(), s.size()); }
  void Put(Byte b) {
    *Room(1) = static_cast<char>(b);
    ++length_;
  }
  void Put32(Cardinal v);
  void MaybeFlush();

  TStream* stream_ = nullptr;
  mutable std::string buffer_;
  size_t length_ = 0;
};

// The bytes of one image, for tests and small carriers.
std::string ObjectImageBytes(const TObjectImage& image);

// ------------------------------------------------------------ TImageReader

// Reads images out of bytes in memory. Every read checks the bytes left
// first and raises EReadError naming the byte offset (counted from base) and
// what was expected; nothing is read past the end and no string is sized
// before its bytes are known to be there.
class TImageReader {
 public:
  TImageReader(const char* data, size_t size, Int64 base = 0)
      : data_(data), size_(size), base_(base) {}

  size_t Position() const { return pos_; }
  // The bytes from the position on, and a step over bytes the caller has
  // checked itself (n at most Remaining()).
  const char* Current() const { return data_ + pos_; }
  void Advance(size_t n) { pos_ += n; }
  size_t Remaining() const { return size_ - pos_; }
  bool AtEnd() const { return pos_ >= size_; }

  // The signature, the class name (must equal expectedClass), the empty
  // component name.
  void BeginObject(std::string_view expectedClass);
  // The next property's name; false at the end of the property list, which
  // also consumes the end of the children list.
  bool NextProperty(std::string_view& name);

  TValueType PeekType() const;
  // The value of property 'name' (used in messages), checked for its kind.
  Integer ReadInteger(std::string_view name, Integer minimum, Integer maximum);
  bool ReadBoolean(std::string_view name);
  double ReadFloat(std::string_view name);
  AnsiString ReadText(std::string_view name);
  void ReadTextInto(std::string_view name, AnsiString& out);
  // The stored bytes of a text value, without converting them: utf8 is set
  // for tag 20, whose bytes are UTF-8 (see TextFromView).
  void ReadTextView(std::string_view name, std::string_view& bytes, bool& utf8);
  AnsiString ReadIdent(std::string_view name);
  std::string ReadBinary(std::string_view name);
  std::vector<AnsiString> ReadSet(std::string_view name);
  std::vector<AnsiString> ReadStringList(std::string_view name);
  TImageValue ReadValue(std::string_view name, int depth = 0);
  // An identifier that must be one of names; returns its index.
  int ReadEnum(std::string_view name, const std::string_view* names, int count);

  // Reads a whole image of expectedClass whose property names must all be in
  // knownNames (empty: any name).
  TObjectImage ReadImage(std::string_view expectedClass,
                         const std::vector<std::string_view>& knownNames);

  [[noreturn]] void Fail(std::string_view what) const;
  [[noreturn]] void FailAt(size_t pos, std::string_view what) const;
  [[noreturn]] void FailProperty(std::string_view name, std::string_view what) const;
  [[noreturn]] void UnknownProperty(std::string_view className, std::string_view name) const;

 private:
  // The checks run for every byte read: inline, the failure out of line.
  void Need(size_t n, std::string_view what) const {
    if (n > size_ - pos_) [[unlikely]]
      NeedFailed(n, what);
  }
  [[noreturn, gnu::noinline, gnu::cold]] void NeedFailed(size_t n, std::string_view what) const;
  Byte GetByte(std::string_view what) {
    Need(1, what);
    return static_cast<Byte>(data_[pos_++]);
  }
  // Reads the value tag of property name; anything but expected fails with
  // the position on the tag.
  void ExpectTag(Byte expected, std::string_view name, std::string_view what);
  Cardinal Get32(std::string_view what) {
    Need(4, what);
    const auto* p = reinterpret_cast<const unsigned char*>(data_ + pos_);
    pos_ += 4;
    return Cardinal{p[0]} | (Cardinal{p[1]} << 8) | (Cardinal{p[2]} << 16) | (Cardinal{p[3]} << 24);
  }
  std::string_view Bytes(size_t n, std::string_view what) {
    Need(n, what);
    std::string_view s(data_ + pos_, n);
    pos_ += n;
    return s;
  }
  std::string_view ShortString(std::string_view what) {
    const Byte n = GetByte(what);
    return Bytes(n, what);
  }
  void ReadTextValue(TValueType type, std::string_view name, AnsiString& out);

  const char* data_;
  size_t size_;
  Int64 base_;
  size_t pos_ = 0;
};

// The code page 949 text of a value read by ReadTextView, sized exactly.
AnsiString TextFromView(std::string_view bytes, bool utf8);

// ------------------------------------------------------------ extended floats

// The ten bytes of an 80-bit x87 extended holding exactly the double
// (every double is representable); NaNs keep their payload's top bits.
std::array<Byte, 10> DoubleToExtended(double value);
// The nearest double (ties to even); overflow gives an infinity, underflow
// a denormal or zero.
double ExtendedToDouble(const Byte bytes[10]);

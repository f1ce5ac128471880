// Streams: the TStream helpers, file descriptors and files, memory and strings.
// Positions and sizes are 64-bit throughout.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/rtl/Classes.h"

namespace {

// Large enough that copying a catalogue goes in a few calls, small enough for the stack of a worker.
constexpr Int64 kCopyBufferSize = 64 * 1024;

}  // namespace

// ------------------------------------------------------------------- TStream

void TStream::ReadBuffer(void* buffer, Int64 count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, Int64 count) {
  if (count == 0) return;
  errno = 0;
  // The reason of a short write (a full disk) stays with the exception.
  if (Write(buffer, count) != count) throw EWriteError("Stream write error", errno);
}

Int64 TStream::CopyFrom(TStream* source, Int64 count) {
  if (count == 0) {
    source->SetPosition(0);
    count = source->Size();
  }
  std::vector<char> buffer(static_cast<std::size_t>(std::min(count, kCopyBufferSize)));
  Int64 left = count;
  while (left > 0) {
    Int64 chunk = std::min(left, kCopyBufferSize);
    source->ReadBuffer(buffer.data(), chunk);
    WriteBuffer(buffer.data(), chunk);
    left -= chunk;
  }
  return count;
}

Int64 TStream::Position() const { return const_cast<TStream*>(this)->Seek(0, soCurrent); }

void TStream::SetPosition(Int64 position) { Seek(position, soBeginning); }

Int64 TStream::Size() const {
  auto* self = const_cast<TStream*>(this);
  Int64 position = self->Seek(0, soCurrent);
  Int64 size = self->Seek(0, soEnd);
  self->Seek(position, soBeginning);
  return size;
}

void TStream::SetSize(Int64 size) {}

// ------------------------------------------------------------- THandleStream

Int64 THandleStream::Read(void* buffer, Int64 count) {
  if (count <= 0) return 0;
  auto* out = static_cast<char*>(buffer);
  Int64 done = 0;
  // A read may return less than asked (signals, pipes); keep going until the
  // end of the data.
  while (done < count) {
    ssize_t n = ::read(handle_, out + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

Int64 THandleStream::Write(const void* buffer, Int64 count) {
  if (count <= 0) return 0;
  auto* in = static_cast<const char*>(buffer);
  Int64 done = 0;
  while (done < count) {
    ssize_t n = ::write(handle_, in + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

Int64 THandleStream::Seek(Int64 offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  return static_cast<Int64>(::lseek(handle_, static_cast<off_t>(offset), whence));
}

void THandleStream::SetSize(Int64 size) {
  Seek(size, soBeginning);
  if (::ftruncate(handle_, static_cast<off_t>(size)) != 0)
    throw EStreamError(SysErrorMessage(errno));
}

// --------------------------------------------------------------- TFileStream

TFileStream::TFileStream(const AnsiString& fileName, Word mode, Cardinal rights)
    : THandleStream(-1), fileName_(fileName) {
  std::string sysName = SysFileName(fileName);
  mode_t permissions = rights != 0 ? static_cast<mode_t>(rights) : 0666;
  if ((mode & fmCreate) == fmCreate) {
    handle_ = ::open(sysName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, permissions);
    if (handle_ < 0) {
      const int error = errno;
      throw EFCreateError(Format("Cannot create file \"%s\". %s", {fileName, SysErrorMessage(error)}), error);
    }
    return;
  }
  int access = mode & 0x03;
  int flags = access == fmOpenWrite ? O_WRONLY : access == fmOpenReadWrite ? O_RDWR : O_RDONLY;
  // Opened without waiting: a named pipe would wait for its other end for
  // ever. Only a regular file is a file here; open() also succeeds on a
  // folder, a pipe or a device, and reading them would fail later and
  // obscurely, or never end.
  handle_ = ::open(sysName.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  AnsiString reason;
  if (handle_ < 0) {
    reason = SysErrorMessage(errno);
  } else {
    struct stat info {};
    if (::fstat(handle_, &info) != 0 || !S_ISREG(info.st_mode)) {
      reason = S_ISDIR(info.st_mode) ? SysErrorMessage(EISDIR) : AnsiString("Not a regular file");
      ::close(handle_);
      handle_ = -1;
    } else {
      ::fcntl(handle_, F_SETFL, ::fcntl(handle_, F_GETFL) & ~O_NONBLOCK);
    }
  }
  if (handle_ < 0) throw EFOpenError(Format("Cannot open file \"%s\". %s", {fileName, reason}));
}

TFileStream::~TFileStream() {
  if (handle_ >= 0) ::close(handle_);
}

// ------------------------------------------------------- TCustomMemoryStream

Int64 TCustomMemoryStream::Read(void* buffer, Int64 count) {
  if (position_ < 0 || count <= 0) return 0;
  Int64 available = size_ - position_;
  if (available <= 0) return 0;
  Int64 n = std::min(available, count);
  std::memcpy(buffer, memory_ + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

Int64 TCustomMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
  switch (origin) {
    case soBeginning: position_ = offset; break;
    case soCurrent: position_ += offset; break;
    case soEnd: position_ = size_ + offset; break;
  }
  return position_;
}

void TCustomMemoryStream::SetPointer(void* memory, Int64 size) {
  memory_ = static_cast<char*>(memory);
  size_ = size;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) const {
  if (size_ != 0) stream.WriteBuffer(memory_, size_);
}

void TCustomMemoryStream::SaveToFile(const AnsiString& fileName) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

// ------------------------------------------------------------- TMemoryStream

TMemoryStream::~TMemoryStream() { std::free(memory_); }

void TMemoryStream::SetCapacity(Int64 capacity) {
  if (capacity == capacity_) return;
  if (capacity == 0) {
    std::free(memory_);
    memory_ = nullptr;
    capacity_ = 0;
    return;
  }
  void* grown = std::realloc(memory_, static_cast<std::size_t>(capacity));
  if (grown == nullptr) throw EStreamError("Out of memory while expanding memory stream");
  memory_ = static_cast<char*>(grown);
  capacity_ = capacity;
}

void TMemoryStream::SetSize(Int64 size) {
  if (size < 0) size = 0;
  if (size > capacity_ || size == 0) SetCapacity(size);
  if (size > size_) std::memset(memory_ + size_, 0, static_cast<std::size_t>(size - size_));
  size_ = size;
  if (position_ > size_) position_ = size_;
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  size_ = 0;
  position_ = 0;
}

Int64 TMemoryStream::Write(const void* buffer, Int64 count) {
  if (position_ < 0 || count <= 0) return 0;
  Int64 end = position_ + count;
  if (end > size_) {
    if (end > capacity_) {
      // Grow by half again so that many small writes stay linear.
      Int64 grown = std::max(end, capacity_ + capacity_ / 2);
      SetCapacity((grown + 0x1FFF) & ~Int64{0x1FFF});
    }
    // A position set past the end leaves a gap; it reads as zeros.
    if (position_ > size_)
      std::memset(memory_ + size_, 0, static_cast<std::size_t>(position_ - size_));
    size_ = end;
  }
  std::memcpy(memory_ + position_, buffer, static_cast<std::size_t>(count));
  position_ = end;
  return count;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  Int64 count = stream.Size();
  // The bytes go straight into the buffer: zero-filling it first would
  // touch every page of a large file twice.
  if (count > capacity_ || count == 0) SetCapacity(count);
  size_ = 0;
  if (count != 0) stream.ReadBuffer(memory_, count);
  size_ = count;
  if (position_ > size_) position_ = size_;
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

// ------------------------------------------------------------- TStringStream

Int64 TStringStream::Read(void* buffer, Int64 count) {
  Int64 size = Size();
  if (position_ < 0 || count <= 0 || position_ >= size) return 0;
  Int64 n = std::min(size - position_, count);
  std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

Int64 TStringStream::Write(const void* buffer, Int64 count) {
  if (position_ < 0 || count <= 0) return 0;
  Int64 end = position_ + count;
  if (end > Size()) data_.resize(static_cast<std::size_t>(end), '\0');
  std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ = end;
  return count;
}

Int64 TStringStream::Seek(Int64 offset, TSeekOrigin origin) {
  switch (origin) {
    case soBeginning: position_ = offset; break;
    case soCurrent: position_ += offset; break;
    case soEnd: position_ = Size() + offset; break;
  }
  return position_;
}

void TStringStream::SetSize(Int64 size) {
  data_.resize(static_cast<std::size_t>(std::max<Int64>(size, 0)), '\0');
  if (position_ > Size()) position_ = Size();
}

AnsiString TStringStream::ReadString(Int64 count) {
  Int64 size = Size();
  if (position_ < 0 || count <= 0 || position_ >= size) return {};
  Int64 n = std::min(size - position_, count);
  AnsiString result = data_.substr(static_cast<std::size_t>(position_), static_cast<std::size_t>(n));
  position_ += n;
  return result;
}

void TStringStream::WriteString(std::string_view s) {
  Write(s.data(), static_cast<Int64>(s.size()));
}

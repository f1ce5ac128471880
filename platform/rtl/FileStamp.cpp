#include "platform/rtl/FileStamp.h"

#include <sys/stat.h>

#include <ctime>

#include "platform/rtl/SysUtils.h"

namespace {

std::int64_t Nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + static_cast<std::int64_t>(t.tv_nsec);
}

}  // namespace

TFileStamp FileStampOf(std::string_view name) {
  TFileStamp stamp;
  struct stat st;
  if (name.empty() || ::stat(SysFileName(name).c_str(), &st) != 0) {
    // A missing file is a state of its own, and stays one until it appears.
    stamp.Settled = true;
    return stamp;
  }
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  stamp.Exists = true;
  stamp.Device = static_cast<std::uint64_t>(st.st_dev);
  stamp.Inode = static_cast<std::uint64_t>(st.st_ino);
  stamp.Size = static_cast<std::int64_t>(st.st_size);
  stamp.ModifiedNs = Nanoseconds(st.st_mtim);
  stamp.ChangedNs = Nanoseconds(st.st_ctim);
  // Every change of a file sets its status-change time to the clock's
  // tick, and nobody can set it back: a stamp taken a tick or more after it
  // tells any later change. Times in whole seconds come from a file system
  // with coarse ticks (FAT keeps two seconds); others tick in milliseconds.
  const std::int64_t margin = st.st_ctim.tv_nsec == 0 ? 3'000'000'000 : 200'000'000;
  stamp.Settled = Nanoseconds(now) - stamp.ChangedNs >= margin;
  return stamp;
}

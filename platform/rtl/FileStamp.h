// TFileStamp: what a file looked like at one moment (identity, size, times),
// so that a program holding what it read from the file can tell, with one
// stat, whether it must read it again.
#pragma once

#include <cstdint>
#include <string_view>

struct TFileStamp {
  bool Exists = false;
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  std::int64_t Size = 0;
  std::int64_t ModifiedNs = 0;  // since the epoch
  std::int64_t ChangedNs = 0;   // status change (a rename or a rewrite in place)
  // True when the file's status-change time lay far enough before the
  // moment the stamp was taken that a later change cannot carry the same
  // time: file systems keep times in ticks (milliseconds, two seconds on
  // FAT), and two writes within one tick look alike.
  bool Settled = false;

  // The same file with the same size and times (Settled not compared).
  bool SameAs(const TFileStamp& other) const {
    return Exists == other.Exists && Device == other.Device && Inode == other.Inode && Size == other.Size &&
           ModifiedNs == other.ModifiedNs && ChangedNs == other.ChangedNs;
  }
  // True when this stamp, taken earlier, proves the file unchanged since:
  // both stamps alike and the earlier one settled.
  bool Unchanged(const TFileStamp& now) const { return Settled && SameAs(now); }
};

// The stamp of a file or folder (code page 949 name, letter case resolved
// as for every file call); Exists false when there is none.
TFileStamp FileStampOf(std::string_view name);

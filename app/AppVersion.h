// The program's version, the one place it is kept: major.minor.release.build,
// as the update check compares it with the version the maker's server names.
#pragma once

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRelease = 0;
inline constexpr int kVersionBuild = 0;

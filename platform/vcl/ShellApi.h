// Opening web addresses with the desktop's programs.
#pragma once

#include <string>
#include <vector>

#include "platform/vcl/Messages.h"

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;
// Results at or below 32 are errors.
inline constexpr int SE_ERR_ACCESSDENIED = 5;
inline constexpr int SE_ERR_NOASSOC = 31;

// Only the "open" verb of http:, https: and mailto: addresses (scheme in any
// letter case) goes to the desktop; anything else (programs, files, other
// schemes from catalogue data) is refused with SE_ERR_ACCESSDENIED. Returns
// a value above 32 on success. file is code page 949.
int ShellExecute(HWND wnd, const AnsiString& operation, const AnsiString& file, const AnsiString& parameters,
                 const AnsiString& directory, int showCmd);

// True for the addresses ShellExecute passes on.
bool IsOpenableAddress(const AnsiString& address);

// Test fake: while enabled nothing opens; the addresses that would have
// opened are recorded (refused ones are not).
class TShellFake {
 public:
  static void Enable();
  static void Disable();
  static const std::vector<AnsiString>& OpenedAddresses();
};

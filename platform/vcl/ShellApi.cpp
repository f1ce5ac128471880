// Opening web addresses through QDesktopServices.
#include "platform/vcl/ShellApi.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Controls_p.h"

namespace {
struct ShellFakeState {
  bool enabled = false;
  std::vector<AnsiString> opened;
};
ShellFakeState& Fake() {
  static ShellFakeState state;
  return state;
}
}  // namespace

void TShellFake::Enable() {
  Fake().enabled = true;
  Fake().opened.clear();
}

void TShellFake::Disable() {
  Fake().enabled = false;
  Fake().opened.clear();
}

const std::vector<AnsiString>& TShellFake::OpenedAddresses() { return Fake().opened; }

bool IsOpenableAddress(const AnsiString& address) {
  AnsiString a = LowerCase(Trim(address));
  auto startsWith = [&](std::string_view p) { return a.compare(0, p.size(), p) == 0 && a.size() > p.size(); };
  // Addresses come from catalogue files and web pages: only these schemes
  // may reach the desktop, never a program or a local file.
  return startsWith("http://") || startsWith("https://") || startsWith("mailto:");
}

int ShellExecute(HWND wnd, const AnsiString& operation, const AnsiString& file, const AnsiString& parameters,
                 const AnsiString& directory, int showCmd) {
  if (!operation.empty() && !SameText(operation, "open")) return SE_ERR_NOASSOC;
  if (!IsOpenableAddress(file)) return SE_ERR_ACCESSDENIED;
  AnsiString address = Trim(file);
  if (Fake().enabled) {
    Fake().opened.push_back(address);
    return 42;
  }
  EnsureQtApplication();
  QUrl url(ToQString(address), QUrl::TolerantMode);
  if (!url.isValid()) return SE_ERR_ACCESSDENIED;
  return QDesktopServices::openUrl(url) ? 42 : SE_ERR_NOASSOC;
}

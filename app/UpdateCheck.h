// The update check of the catalogue window: fetches "update.vd" from the
// maker's server and offers the home page when it names a newer version.
//
// The window owns one TUpdateCheck and calls it from two places:
//
//   // in the window's constructor
//   updateCheck_ = new TUpdateCheck(this);
//   // FormShow, when the setting CheckNewVersion (새버젼확인) is on
//   updateCheck_->StartupCheck();
//   // BtnUpdateClick ("업데이트 확인"), after hiding the menu panel
//   updateCheck_->BtnUpdateClick();
//
// The start-up check is silent unless a newer version exists; the button
// answers every time, also when the server could not be reached. A failed
// request clears the start-up mark, so the next check from the button speaks.
#pragma once

#include "app/HTTPGet.h"
#include "platform/rtl/Classes.h"

// The update file's reply, judged against the own version.
enum class TUpdateVerdict { uvNewer, uvNotNewer, uvUnreadable };

// The own version written as "%d.%d%d%d": 1.2.0.3 gives "1.203".
AnsiString OwnVersionText(int major, int minor, int release, int build);
// The running program's own version text (from AppVersion.h).
AnsiString OwnVersionText();

// The address of "update.vd" at the root of UpdateServerURL().
AnsiString UpdateFileURL();

// The version between "[ver]" and "[/ver]" inside the "[Vidrena]" ...
// "[/Vidrena]" block, compared with own as decimal numbers (the point is the
// decimal separator on both sides, whatever the locale): uvUnreadable when a
// marker is missing or either side is not a number.
TUpdateVerdict JudgeUpdateReply(const AnsiString& reply, const AnsiString& own);

// The messages the check shows.
extern const AnsiString kUpdateNewerPrompt;      // newer version: open the home page?
extern const AnsiString kUpdateNoneMessage;      // nothing newer
extern const AnsiString kUpdateUnreadableMessage;  // the reply could not be read
extern const AnsiString kUpdateFailedMessage;      // the server could not be reached

class TUpdateCheck : public TComponent {
 public:
  explicit TUpdateCheck(TComponent* owner);

  // Starts the request (asynchronous); a click while the start-up check
  // still runs makes that check's answer speak instead.
  void BtnUpdateClick();
  // The start-up check: GetVer's Tag is 1 until its answer was handled.
  void StartupCheck();

  // The component that fetches the file (Tag 1: start-up check).
  THTTPGet* GetVer() const { return getVer_; }

  // GetVer's events, on the GUI thread.
  void GetVerDoneString(TObject* sender, const AnsiString& result);
  void GetVerError(TObject* sender);

 private:
  THTTPGet* getVer_;
};

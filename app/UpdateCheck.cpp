#include "app/UpdateCheck.h"

#include "app/AppVersion.h"
#include "app/StrUnit.h"
#include "app/WebHosts.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ShellApi.h"

const AnsiString kUpdateNewerPrompt = "새로운 버젼이 있습니다. 확인하시겠습니까?"_k;
const AnsiString kUpdateNoneMessage = "새로운 버젼이 없습니다. ^^;"_k;
const AnsiString kUpdateUnreadableMessage = "업데이트 정보를 읽을 수 없습니다."_k;
const AnsiString kUpdateFailedMessage = "업데이트 서버에 연결할 수 없습니다.\r잠시 후에 다시 확인하세요."_k;

AnsiString OwnVersionText(int major, int minor, int release, int build) {
  return Format("%d.%d%d%d", {major, minor, release, build});
}

AnsiString OwnVersionText() {
  return OwnVersionText(kVersionMajor, kVersionMinor, kVersionRelease, kVersionBuild);
}

AnsiString UpdateFileURL() { return IncludeTrailingPathDelimiter(UpdateServerURL()) + "update.vd"; }

TUpdateVerdict JudgeUpdateReply(const AnsiString& reply, const AnsiString& own) {
  AnsiString block = TextBetween(reply, "[Vidrena]", "[/Vidrena]");
  AnsiString published = Trim(TextBetween(block, "[ver]", "[/ver]"));
  // Both sides are written with a point: the own text by its format, the
  // file by the maker; a locale with a decimal comma must not break either.
  TFormatSettings point = FormatSettings;
  point.DecimalSeparator = '.';
  double publishedValue = 0;
  double ownValue = 0;
  if (!TryStrToFloat(published, publishedValue, point) || !TryStrToFloat(Trim(own), ownValue, point))
    return TUpdateVerdict::uvUnreadable;
  return publishedValue > ownValue ? TUpdateVerdict::uvNewer : TUpdateVerdict::uvNotNewer;
}

TUpdateCheck::TUpdateCheck(TComponent* owner) : TComponent(owner), getVer_(new THTTPGet(this)) {
  getVer_->SetName("GetVer");
  getVer_->SetAcceptTypes("*/*");
  getVer_->SetAgent("Webtrove HTTPGet");
  getVer_->SetBinaryData(false);
  getVer_->SetUseCache(false);
  getVer_->SetWaitThread(false);
  getVer_->OnDoneString = [this](TObject* sender, const AnsiString& result) { GetVerDoneString(sender, result); };
  getVer_->OnError = [this](TObject* sender) { GetVerError(sender); };
}

void TUpdateCheck::BtnUpdateClick() {
  // The user asked: the answer of a start-up check still running is theirs.
  if (getVer_->Busy()) {
    getVer_->SetTag(0);
    return;
  }
  getVer_->SetURL(UpdateFileURL());
  getVer_->GetString();
}

void TUpdateCheck::StartupCheck() {
  if (getVer_->Busy()) return;
  getVer_->SetTag(1);
  BtnUpdateClick();
}

void TUpdateCheck::GetVerDoneString(TObject* sender, const AnsiString& result) {
  bool atStart = getVer_->Tag() == 1;
  getVer_->SetTag(0);
  switch (JudgeUpdateReply(result, OwnVersionText())) {
    case TUpdateVerdict::uvNewer:
      if (MessageDlg(kUpdateNewerPrompt, mtConfirmation, mbYesNo) == mrYes)
        ShellExecute(0, "open", HomePageURL(), "", "", SW_SHOWNORMAL);
      break;
    case TUpdateVerdict::uvNotNewer:
      if (!atStart) MessageDlg(kUpdateNoneMessage, mtInformation, mbOKOnly);
      break;
    case TUpdateVerdict::uvUnreadable:
      if (!atStart) MessageDlg(kUpdateUnreadableMessage, mtError, mbOKOnly);
      break;
  }
}

void TUpdateCheck::GetVerError(TObject* sender) {
  // The start-up check stays silent; a user who asked hears that no answer came.
  const bool atStart = getVer_->Tag() == 1;
  getVer_->SetTag(0);
  if (!atStart) MessageDlg(kUpdateFailedMessage, mtError, mbOKOnly);
}

#include "app/FormFarm.h"

#include "platform/rtl/SysUtils.h"
#include "styled/ScLook.h"

namespace {
constexpr int kClientWidth = 340;
constexpr int kMargin = 12;
constexpr int kLabelWidth = 56;
}  // namespace

TFormFarm::TFormFarm(TComponent* owner) : TForm(owner) {
  SetName("FormFarm");
  SetCaption("빌려주기"_k);
  ScApplyLook(this);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(kClientWidth);

  InfoLabel = new TScLabel(this);
  InfoLabel->SetParent(this);
  InfoLabel->SetBounds(kMargin, kMargin, kClientWidth - 2 * kMargin, 16);
  InfoLabel->SetCaption("선택한 영화를 빌려 줍니다."_k);
  int y = kMargin + 28;
  auto field = [&](const char* name, const AnsiString& caption) {
    auto* label = new TScLabel(this);
    label->SetParent(this);
    label->SetBounds(kMargin, y + 3, kLabelWidth, 16);
    label->SetCaption(caption);
    auto* edit = new TScEdit(this);
    edit->SetName(name);
    edit->SetParent(this);
    edit->SetBounds(kMargin + kLabelWidth, y, kClientWidth - 2 * kMargin - kLabelWidth, ScLook::kFieldHeight);
    y += 28;
    return edit;
  };
  Scedit1 = field("Scedit1", "빌린이"_k);
  ScEdit2 = field("ScEdit2", "연락처"_k);

  ScDialogButtons1 = new TScDialogButtons(this);
  ScDialogButtons1->SetName("ScDialogButtons1");
  ScDialogButtons1->SetParent(this);
  ScDialogButtons1->SetAlign(alBottom);
  ScDialogButtons1->OnClickOk = [this](TObject* s) { ScDialogButtons1ClickOk(s); };
  ScDialogButtons1->OnClickCancel = [this](TObject* s) { ScDialogButtons1ClickCancel(s); };
  SetClientHeight(y + 4 + ScDialogButtons1->Height());
  SetActiveControl(Scedit1);
}

TFormFarm::~TFormFarm() {
  // The handlers of the owned controls point into this form.
  DestroyComponents();
}

void TFormFarm::ScDialogButtons1ClickOk(TObject*) {
  ScDialogButtons1->SetTag(1);
  SetModalResult(mrOk);
}

void TFormFarm::ScDialogButtons1ClickCancel(TObject*) {
  ScDialogButtons1->SetTag(0);
  SetModalResult(mrCancel);
}

// TFormFarm: the lend dialog ("빌려주기"): who borrows the selected movies
// and how to reach them. "확인" sets the buttons' Tag to 1, "취소" to 0;
// both close the dialog.
#pragma once

#include "platform/vcl/Forms.h"
#include "styled/ScControls.h"

class TFormFarm : public TForm {
 public:
  explicit TFormFarm(TComponent* owner);
  ~TFormFarm() override;

  TScLabel* InfoLabel;  // 선택한 영화를 빌려 줍니다.
  TScEdit* Scedit1;     // 빌린이
  TScEdit* ScEdit2;     // 연락처
  TScDialogButtons* ScDialogButtons1;

  void ScDialogButtons1ClickOk(TObject* sender);
  void ScDialogButtons1ClickCancel(TObject* sender);
  // Whether the dialog ended with "확인".
  bool Confirmed() const { return ScDialogButtons1->Tag() == 1; }
};

#include "app/FormPoster.h"

#include "platform/rtl/SysUtils.h"

TFormPoster::TFormPoster(TComponent* owner) : TForm(owner) {
  SetCaption("포스터 크게보기"_k);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  Image1 = new TImage(this);
  Image1->SetParent(this);
  Image1->SetAlign(alClient);
  Image1->SetStretch(true);
  Image1->OnClick = [this](TObject*) { SetModalResult(mrOk); };
  // The window holds nothing that takes the focus: its keys come to the
  // form, and Escape closes it as a click on the picture does.
  OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
    if (key != VK_ESCAPE || !shift.empty()) return;
    key = 0;
    SetModalResult(mrOk);
  };
}

void TFormPoster::SetPicture(const TPicture* picture, bool halve) {
  Image1->SetPicture(picture);
  int width = Image1->Picture()->Width(), height = Image1->Picture()->Height();
  if (halve) {
    width /= 2;
    height /= 2;
  }
  SetClientWidth(std::max(width, 16));
  SetClientHeight(std::max(height, 16));
}

bool PosterViewHalves(bool autoSize, int pictureWidth, int pictureHeight, int windowWidth, int windowHeight) {
  return autoSize && (pictureWidth > windowWidth || pictureHeight > windowHeight);
}

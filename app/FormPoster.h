// TFormPoster: the large poster view. The window is the size of the picture
// (halved when asked to and the picture is larger than the catalogue
// window); a click on the picture or Escape closes it.
#pragma once

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"

class TFormPoster : public TForm {
 public:
  explicit TFormPoster(TComponent* owner);
  TImage* Image1;
  // Shows the picture in the window's client area; halve: the picture is
  // shown at half its size in both directions (integer division).
  void SetPicture(const TPicture* picture, bool halve);
};

// Whether the large view halves a picture of this size for a window of that size.
bool PosterViewHalves(bool autoSize, int pictureWidth, int pictureHeight, int windowWidth, int windowHeight);

// Build tool: draws the two stand-in posters of the application folder,
// "noimage.jpg" (a movie without poster) and "badImage.jpg" (a poster file
// that does not read), into the folder named on the command line.
#include <cstdio>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Jpeg.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 280;

// A film frame: dark card, sprocket holes along both edges, a caption.
void DrawPoster(const AnsiString& fileName, TColor card, TColor accent, const AnsiString& caption,
                bool crossed) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(kWidth, kHeight);
  TCanvas* c = bitmap.Canvas();
  c->Brush()->SetColor(card);
  c->FillRect(TRect(0, 0, kWidth, kHeight));
  c->Brush()->SetColor(0x202020);
  c->FillRect(TRect(0, 0, 18, kHeight));
  c->FillRect(TRect(kWidth - 18, 0, kWidth, kHeight));
  c->Brush()->SetColor(0xE8E8E8);
  for (int y = 8; y < kHeight; y += 22) {
    c->FillRect(TRect(5, y, 13, y + 10));
    c->FillRect(TRect(kWidth - 13, y, kWidth - 5, y + 10));
  }
  // A camera lens in the middle of the card.
  c->Pen()->SetColor(accent);
  c->Pen()->SetWidth(4);
  c->Brush()->SetStyle(bsClear);
  c->Ellipse(60, 70, 140, 150);
  c->Ellipse(84, 94, 116, 126);
  if (crossed) {
    c->MoveTo(48, 58);
    c->LineTo(152, 162);
  }
  c->Font()->SetName("NanumGothic");
  c->Font()->SetSize(14);
  c->Font()->SetStyle(TFontStyles{fsBold});
  c->Font()->SetColor(0xF0F0F0);
  int textWidth = c->TextWidth(caption);
  c->TextOut((kWidth - textWidth) / 2, 190, caption);
  c->Font()->SetSize(9);
  c->Font()->SetStyle(TFontStyles{});
  c->Font()->SetColor(0xB0B0B0);
  const AnsiString brand = "VIDRENA";
  c->TextOut((kWidth - c->TextWidth(brand)) / 2, 240, brand);

  TJPEGImage jpeg;
  jpeg.SetCompressionQuality(90);
  jpeg.Assign(&bitmap);
  jpeg.SaveToFile(fileName);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <poster folder>\n", argv[0]);
    return 2;
  }
  Application->Initialize(argc, argv);
  AnsiString dir = IncludeTrailingPathDelimiter(FromSysFileName(argv[1]));
  ForceDirectories(dir);
  try {
    DrawPoster(dir + "noimage.jpg", 0x5A4A3C, 0xC8A060, "포스터 없음"_k, false);
    DrawPoster(dir + "badImage.jpg", 0x2A2A5A, 0x4040D0, "읽을 수 없는 포스터"_k, true);
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", Cp949ToUtf8(e.Message()).c_str());
    return 1;
  }
  return 0;
}

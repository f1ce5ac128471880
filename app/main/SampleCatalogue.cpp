// Build tool: a sample catalogue for looking at the window. Writes, inside
// an application folder, DB/샘플.VDM with N generated movies, a poster for
// each tenth movie (three for some, a missing one for others) and a
// Vidrena.ini that opens the catalogue at start.
//
//   vidrena_samplecat <application folder> [N] [rich]
//
// With "rich" the catalogue also holds what older collections do: a poster
// and a year merged over the three movies of a series, check boxes on
// watched states, movies without a state, and codecs with a blank written
// without quotes.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Catalogue.h"
#include "app/IniSetup.h"
#include "tools/CatalogueGen.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Jpeg.h"

namespace {

void DrawPoster(const AnsiString& fileName, int seed, const AnsiString& title) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(200, 286);
  TCanvas* c = bitmap.Canvas();
  const TColor top = RGB(40 + seed * 37 % 160, 30 + seed * 53 % 120, 60 + seed * 71 % 150);
  c->GradientFill(TRect(0, 0, 200, 286), top, RGB(10, 10, 20), false, 64);
  c->Brush()->SetStyle(bsClear);
  c->Pen()->SetColor(RGB(240, 200, 120));
  c->Pen()->SetWidth(3);
  c->Ellipse(50, 40 + seed % 30, 150, 140 + seed % 30);
  c->Font()->SetName("NanumGothic");
  c->Font()->SetSize(13);
  c->Font()->SetStyle(TFontStyles{fsBold});
  c->Font()->SetColor(clWhite);
  AnsiString shown = title.size() > 16 ? Copy(title, 1, 16) : title;
  if (ByteType(shown, static_cast<int>(shown.size())) == mbLeadByte) shown.pop_back();
  c->TextOut(std::max(4, (200 - c->TextWidth(shown)) / 2), 220, shown);
  TJPEGImage jpeg;
  jpeg.SetCompressionQuality(85);
  jpeg.Assign(&bitmap);
  jpeg.SaveToFile(fileName);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <application folder> [movies]\n", argv[0]);
    return 2;
  }
  Application->Initialize(argc, argv);
  const AnsiString dir = IncludeTrailingPathDelimiter(FromSysFileName(argv[1]));
  const int count = argc > 2 ? std::atoi(argv[2]) : 1000;
  ForceDirectories(dir + "DB");
  ForceDirectories(dir + "Poster");
  auto rows = GenerateCatalogue(count);
  TExColumnGrid grid(nullptr);
  SetupCatalogueGrid(grid);
  grid.SetRowCount(count + 1);
  for (int r = 0; r < count; ++r) {
    auto& movie = rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < kCatalogueColumnCount; ++c)
      grid.SetCells(c, r + 1, movie[static_cast<std::size_t>(c)]);
    // Posters: the first movie has three, every fifth one, a few a missing one.
    std::vector<AnsiString> posters;
    if (r % 5 == 0) {
      const int n = r == 0 ? 3 : 1;
      for (int k = 0; k < n; ++k) {
        AnsiString name = "sample" + IntToStr(r) + "_" + IntToStr(k) + ".jpg";
        DrawPoster(dir + "Poster/" + name, r + k * 7, movie[0]);
        posters.push_back(name);
      }
    } else if (r % 7 == 0) {
      posters.push_back("missing" + IntToStr(r) + ".jpg");
    }
    grid.SetCells(16, r + 1, JoinPosterList(posters));
    grid.SetCells(20, r + 1, r % 3 == 0 ? Cat::WatchedYes : Cat::WatchedNo);
    grid.SetCells(36, r + 1, r % 11 == 0 ? Cat::LentOut : Cat::LentKept);
  }
  if (argc > 3 && std::strcmp(argv[3], "rich") == 0) {
    for (int r = 1; r + 2 <= count; r += 20) {
      grid.MergeCells(4, r, 1, 3);
      grid.MergeCells(16, r, 1, 3);
    }
    for (int r = 1; r <= count; ++r) {
      if (r % 13 == 7) grid.SetCells(20, r, "");
      if (r % 4 == 1) {
        TCellGraphic* box = grid.CreateCellGraphic(20, r);
        box->SetCellType(ctCheckBox);
        box->SetCellBoolean(grid.Cells(20, r) == Cat::WatchedYes);
      }
      if (r % 6 == 2) grid.SetCells(24, r, "DivX 5|XviD");
    }
  }
  const AnsiString file = dir + "DB/샘플.VDM"_k;
  try {
    grid.SaveGridFile(file);
    TIniSetup setup;
    setup.OpenDBAtStart = true;
    setup.DBFile = file;
    setup.CheckNewVersion = false;
    SaveIniSetup(IniSetupFileName(dir), setup, GridLookOf(grid));
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", Cp949ToUtf8(e.Message()).c_str());
    return 1;
  }
  return 0;
}

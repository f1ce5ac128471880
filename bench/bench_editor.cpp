// The movie editor's costs, each against its baseline in the same run:
//   - 20 movie files of 700 MB added by folder through the editor and its
//     file-information dialog (built once per session, before the timing),
//     against probing them directly with GetMediaInfo (target: at most 1.2);
//   - a saved editor written back into a catalogue of 100,000 movies against
//     one of 1,000 (target: at most 1.5): no step of the write walks the
//     catalogue;
//   - the editor opened with value lists of 100,000 lines each against the
//     lists the program ships (target: at most 60): each list goes into its
//     box in one step.
#include <QCoreApplication>
#include <QEvent>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/Catalogue.h"
#include "app/FormME.h"
#include "app/FormMain.h"
#include "app/FormSt.h"
#include "app/vdAviInfo.h"
#include "bench/AppBench.h"
#include "tools/CatalogueGen.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Dialogs.h"
#include "styled/ScFiles.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 20;

AnsiString Folder() {
  static const AnsiString folder = [] {
    AnsiString dir = GetTempDir() + "vidrena-bench-editor-" + IntToStr(getpid());
    for (const char* sub : {"/DB", "/AutoSave", "/Poster", "/Config", "/movies"}) ForceDirectories(dir + sub);
    // The value lists the program ships, which every installation has.
    const fs::path shipped = fs::path(__FILE__).parent_path().parent_path() / "app/folder/Config";
    fs::copy(shipped, SysFileName(dir + "/Config"), fs::copy_options::overwrite_existing);
    SetAppDir(dir);
    return dir;
  }();
  return folder;
}

// kFiles copies of a real movie's headers, each 700 MB long without taking
// the space (sparse), each with its own first bytes so that their IDs differ.
const std::vector<AnsiString>& MovieFiles() {
  static const std::vector<AnsiString> files = [] {
    const fs::path fixture = fs::path(__FILE__).parent_path().parent_path() / "tests/data/avi/xvid_pcm_mono.avi";
    std::vector<AnsiString> names;
    for (int i = 0; i < kFiles; ++i) {
      const AnsiString name = Folder() + "/movies/movie" + IntToStr(100 + i) + ".avi";
      fs::copy_file(fixture, SysFileName(name), fs::copy_options::overwrite_existing);
      std::error_code ignored;
      fs::resize_file(SysFileName(name), 700ull << 20, ignored);
      // A byte of the headers' padding that nothing reads, different per file.
      std::FILE* f = std::fopen(SysFileName(name).c_str(), "r+b");
      std::fseek(f, 8192 + i, SEEK_SET);
      std::fputc('x', f);
      std::fclose(f);
      names.push_back(name);
    }
    return names;
  }();
  return files;
}

void BM_ProbeDirectly(benchmark::State& state) {
  const std::vector<AnsiString>& files = MovieFiles();
  for (auto _ : state)
    for (const AnsiString& file : files) {
      GetMediaInfo(file);
      benchmark::DoNotOptimize(MediaInfo.FileId.data());
    }
}

void BM_AddByFolder(benchmark::State& state) {
  MovieFiles();
  TDialogFakes::Enable();
  TCustomForm::SetShowModalHook([](TCustomForm& form) {
    if (auto* dialog = dynamic_cast<TFormSt*>(&form)) dialog->ScButton1->Click();
  });
  // The program builds its file dialog once, at the first add of a session;
  // every add after it, which is what a user cataloguing a shelf does, is
  // measured here.
  TFormSt::Shared();
  for (auto _ : state) {
    state.PauseTiming();
    auto editor = std::make_unique<TFormME>(nullptr);
    TDialogFakes::QueueFolder(Folder() + "/movies");
    state.ResumeTiming();
    editor->FldADD->Click();
    state.PauseTiming();
    if (editor->FileGrid->RowCount() != kFiles + 1) state.SkipWithError("not every file was added");
    editor.reset();
    // The program's event loop runs between two user actions and frees the
    // closed windows' widgets; without it they pile up and every later
    // window costs more.
    Application->ProcessMessages();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
  TCustomForm::SetShowModalHook(nullptr);
  TDialogFakes::Disable();
}

TFormMain& Window() { return CatalogueWindow(Folder); }

// An edit of the middle movie: every field, three files, two posters.
void BM_WriteBack(benchmark::State& state) {
  const int movies = static_cast<int>(state.range(0));
  TFormMain& w = Window();
  FillCatalogueGrid(*w.movie_Grid, GenerateCatalogue(movies));
  TFormME editor(nullptr);
  for (int n = 0; n < kCatalogueColumnCount; ++n)
    if (TControl* control = editor.View(n); control && n != 16) control->SetText("값 "_k + IntToStr(n));
  editor.View_16->Items()->Add("a.jpg");
  editor.View_16->Items()->Add("b.jpg");
  TExColumnGrid& files = *editor.FileGrid;
  for (int r = 1; r <= 3; ++r) {
    const int row = NextFileTableRow(files);
    for (const TFileColumnPair& pair : FileColumnPairs())
      SetFileTableCell(files, pair.FileTableHeader, row, pair.FileTableHeader + IntToStr(r));
  }
  const int row = movies / 2;
  for (auto _ : state) benchmark::DoNotOptimize(w.WriteMovieBack(editor, row, {}));
}

// The editor opened (and cancelled) with its three value lists of
// state.range(0) lines each; 0 stands for the lists the program ships.
void BM_OpenWithLists(benchmark::State& state) {
  Folder();
  const int lines = static_cast<int>(state.range(0));
  const fs::path shipped = fs::path(__FILE__).parent_path().parent_path() / "app/folder/Config";
  AnsiString list;
  for (int i = 0; i < lines; ++i) list += "값 "_k + IntToStr(i) + "\r\n";
  for (const char* name : {"제작국가.List", "관람등급.List", "영화장르.List"}) {
    const AnsiString file = ValueListFileName(Utf8ToCp949(name));
    if (lines > 0) ScSaveFileSafely(file, list);
    else fs::copy_file(shipped / name, SysFileName(file), fs::copy_options::overwrite_existing);
  }
  TCustomForm::SetShowModalHook([](TCustomForm& form) {
    if (auto* editor = dynamic_cast<TFormME*>(&form)) editor->CnsButton->Click();
  });
  for (auto _ : state) {
    state.PauseTiming();
    auto editor = std::make_unique<TFormME>(nullptr);
    state.ResumeTiming();
    editor->ShowModal();
    state.PauseTiming();
    editor.reset();
    Application->ProcessMessages();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
  TCustomForm::SetShowModalHook(nullptr);
}

// Each a few milliseconds: seven repetitions, so that the fastest of each
// (which the ratio takes) is not one a busy moment of the machine slowed.
BENCHMARK(BM_ProbeDirectly)->Unit(benchmark::kMillisecond)->Repetitions(7);
BENCHMARK(BM_AddByFolder)->Unit(benchmark::kMillisecond)->Repetitions(7);
BENCHMARK(BM_WriteBack)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenWithLists)->Arg(0)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  RunWindowBenchmarks(argc, argv, reporter);
  const RatioReporter& s = reporter;
  PrintRatio(s, "20 files: add by folder / probe directly", "BM_AddByFolder", "BM_ProbeDirectly",
             "target <= 1.2");
  PrintRatio(s, "write back: 100,000 / 1,000 movies", "BM_WriteBack/100000", "BM_WriteBack/1000",
             "target <= 1.5");
  PrintRatio(s, "editor open: lists of 100,000 lines / shipped lists", "BM_OpenWithLists/100000",
             "BM_OpenWithLists/0", "target <= 60");
  std::error_code ignored;
  fs::remove_all(SysFileName(Folder()), ignored);
  benchmark::Shutdown();
  return 0;
}

// A catalogue window over a copy of the application folder, with message
// boxes and file dialogs faked, for the window tests.
#pragma once

#include <memory>

#include "app/Catalogue.h"
#include "app/FormMain.h"
#include "app/WebHosts.h"
#include "platform/vcl/Dialogs.h"
#include "tests/app/AppTestSupport.h"

// While one lives, syncing a save's temporary file fails with this error
// number, as a disk that reports a failed write only then does.
struct TSyncFailure {
  explicit TSyncFailure(int error);
  ~TSyncFailure();
  TSyncFailure(const TSyncFailure&) = delete;
  TSyncFailure& operator=(const TSyncFailure&) = delete;
};

// The application folder the build laid out, copied for one test.
class AppFolderCopy {
 public:
  AppFolderCopy() {
    std::filesystem::copy(VIDRENA_APP_FOLDER, SysFileName(folder_.Path()),
                          std::filesystem::copy_options::recursive);
    SetAppDir(folder_.Path());
  }
  ~AppFolderCopy() { SetAppDir(""); }
  // With a trailing "/".
  AnsiString Path() const { return folder_.Path(); }

 private:
  TempFolder folder_;
};

class CatalogueWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TDialogFakes::Enable();
    // The start-up update check asks a port on this machine where nothing
    // listens: it fails at once and silently.
    SetUpdateServerURL("http://127.0.0.1:9/");
  }
  void TearDown() override {
    windows_.clear();
    TDialogFakes::Disable();
  }

  // A window as the program starts it: created, then shown.
  TFormMain* OpenWindow() {
    auto window = std::make_unique<TFormMain>(nullptr);
    window->DoCreate();
    window->Show();
    windows_.push_back(std::move(window));
    return windows_.back().get();
  }
  void CloseWindow(TFormMain* window) {
    for (auto it = windows_.begin(); it != windows_.end(); ++it)
      if (it->get() == window) {
        windows_.erase(it);
        return;
      }
  }

  // Adds a movie the way the add operation does: the empty row of a new
  // catalogue first, then appended rows. Returns its row.
  static int AddMovie(TFormMain& w, const AnsiString& title, const AnsiString& director = "",
                      const AnsiString& watched = "", const AnsiString& lent = "") {
    TExColumnGrid& g = *w.movie_Grid;
    int row = g.RowCount() - 1;
    if (!CatalogueCell(g, Cat::Title, row).empty()) {
      g.AddRow();
      row = g.RowCount() - 1;
    }
    SetCatalogueCell(g, Cat::Title, row, title);
    SetCatalogueCell(g, Cat::Director, row, director);
    SetCatalogueCell(g, Cat::Watched, row, watched);
    SetCatalogueCell(g, Cat::Lent, row, lent);
    w.DBModified = true;
    return row;
  }

  // A window holding these movies (title, director, watched, lent), unmodified.
  struct TMovieSpec {
    AnsiString Title, Director, Watched, Lent;
  };
  TFormMain* WindowWith(const std::vector<TMovieSpec>& movies) {
    TFormMain* w = OpenWindow();
    for (const TMovieSpec& m : movies) AddMovie(*w, m.Title, m.Director, m.Watched, m.Lent);
    w->DBModified = false;
    return w;
  }

  static std::vector<AnsiString> Titles(TFormMain& w) {
    std::vector<AnsiString> titles;
    for (int r = 1; r < w.movie_Grid->RowCount(); ++r) titles.push_back(CatalogueCell(*w.movie_Grid, Cat::Title, r));
    return titles;
  }

  static std::vector<AnsiString> BoxTexts() {
    std::vector<AnsiString> texts;
    for (const TMessageBoxRecord& r : TDialogFakes::MessageBoxes()) texts.push_back(r.Text);
    return texts;
  }

  AppFolderCopy app_;
  std::vector<std::unique_ptr<TFormMain>> windows_;
};

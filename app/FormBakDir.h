// TFormBakDir ("영화정보 복원"): offers the journal entries of a catalogue
// that was not saved, and puts them back into the catalogue grid.
#pragma once

#include <cstdint>
#include <vector>

#include "grid/ExCGrid.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TFormBakDir : public TForm {
 public:
  TFormBakDir(TComponent* owner, TExColumnGrid* catalogue);

  AnsiString JournalFolder;
  TListBox* ScListBox1;
  TButton* ScButton1;  // 복원
  TButton* ScButton2;  // 취소, 닫기 after a restore
  TProgressBar* ProgressBar1;
  // After a restore: the entries left out, counted and named by reason.
  TLabel* SkippedLabel;

  // Applies every listed entry: ".ADD" files first (appended in list
  // order), then ".EDIT", then ".DEL". The movie of an edit or a delete is
  // found in the catalogue as loaded, before any entry changed it: by the
  // entry's movie key when it has one, else as the only movie of the title
  // the catalogue file knows. An entry never touches the header row and
  // never another movie: one whose movie is not found, or that cannot tell
  // two movies apart, is left out, and so is an older entry of a movie
  // that has a newer one. So is an entry that does not read (gone,
  // damaged: no title block, or an add with no value at all). Every entry
  // left out is counted and named in SkippedLabel. The files stay until
  // the next save.
  void ScButton1Click(TObject* sender);
  void ScButton2Click(TObject* sender);

 private:
  TExColumnGrid* catalogue_;
};

// Markers of the journal entry's extra blocks, written after the columns; a
// reader that only looks for column headers passes over them.
// The title the movie has in the catalogue file, when it has another now.
extern const AnsiString kJournalPreviousTitle;
// Which movie the entry stands for, and how recent it is: "<key> <number>".
// The key of a movie of the catalogue file is the checksum of its values
// there and its place among the movies of exactly those values
// ("0123456789ABCDEF/1"); that of a movie added since is "+" and a number.
// Of two entries with one key the higher number is the newer.
extern const AnsiString kJournalMovieKey;

// The text of a block written after the columns: the last "[marker]" and
// the "[/marker]" after it; false when the text has no such block.
bool JournalBlock(std::string_view text, const AnsiString& marker, AnsiString& value);
// The key and the number of an entry's movie key block; false, and both as
// they were, for an entry without one.
bool JournalMovieKeyOf(std::string_view text, AnsiString& key, Int64& number);
// A movie's cells in the catalogue's column order, and their checksums as
// an entry reads them back (blanks and control characters at both ends
// left out); the movie's checksum is that of its cells'.
std::vector<AnsiString> JournalMovieValues(TExColumnGrid& grid, int row);
std::vector<std::uint64_t> JournalCellSums(const std::vector<AnsiString>& values);
std::uint64_t JournalMovieSum(const std::vector<std::uint64_t>& cells);

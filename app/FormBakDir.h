// TFormBakDir ("영화정보 복원"): offers the journal entries of a catalogue
// that was not saved, and puts them back into the catalogue grid.
#pragma once

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
  // After a restore: how many entries did not read and were left out.
  TLabel* SkippedLabel;

  // Applies every listed entry: ".ADD" files first, then ".EDIT", then
  // ".DEL", each kind in list order, so an edit always finds the movie its
  // add brought back. An entry never touches the header row; an entry
  // whose movie is not found is skipped. An entry that does not read (gone,
  // damaged: no title block, or an add with no value at all) is skipped
  // and counted in SkippedLabel. The files stay until the next save.
  void ScButton1Click(TObject* sender);
  void ScButton2Click(TObject* sender);

 private:
  TExColumnGrid* catalogue_;
};

// Marker of the journal entry's extra block holding the title a movie had
// before an edit; a reader that only looks for column headers passes over it.
extern const AnsiString kJournalPreviousTitle;

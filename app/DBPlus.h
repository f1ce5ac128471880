// TDBPlusForm: copies movies of another catalogue file into the open one
// ("DB 합치기").
//
// The dialog loads the other file into its own grid; the user selects rows
// (Ctrl+A: all) and "합치기" appends them to the catalogue. Columns are
// matched by header, so a file whose columns were moved merges into the
// right columns; a column the catalogue lacks is left out.
//
// Call tree:
//   ScButton3Click -> OpenDB -> LoadGridFile (error shown, merge stays off)
//   ScButton1Click -> confirmation -> MergeCatalogueRows -> report; Tag 1
#pragma once

#include <functional>
#include <vector>

#include "grid/ExCGrid.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "styled/ScControls.h"

// Appends one catalogue row per source row (in the order given) and copies
// every source column into the catalogue's column of the same header.
// progress gets the number copied so far. Returns the number appended.
int MergeCatalogueRows(TExColumnGrid& source, const std::vector<int>& sourceRows, TExColumnGrid& target,
                       const std::function<void(int copied)>& progress = {});

class TDBPlusForm : public TForm {
 public:
  // catalogue: the open catalogue the movies are copied into.
  TDBPlusForm(TComponent* owner, TExColumnGrid* catalogue);
  ~TDBPlusForm() override;

  // The folder the open dialog starts in.
  AnsiString DBDir;

  TExColumnGrid* movie_Grid;
  TOpenDialog* OpenDB;
  TScButton* ScButton3;      // DB 불러오기
  TScButton* ScButton1;      // 합치기; Tag 1 after a merge
  TScButton* ScButton2;      // 닫기
  TScProgressBar* Pbar;

  void ScButton3Click(TObject* sender);
  void ScButton1Click(TObject* sender);
  void ScButton2Click(TObject* sender);
  void movie_GridKeyDown(TObject* sender, Word& key, TShiftState shift);

 private:
  TExColumnGrid* catalogue_;
  bool working_ = false;
};

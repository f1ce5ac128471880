// TMultiEditForm: batch edit of the selected movies ("여러목록편집").
//
// One input per column that many movies share; an empty input leaves its
// column as it is. Whole-cell inputs replace the cell; per-file inputs write
// a "|" list with one element per file of the movie, each that text.
// "저장" writes the rows the catalogue window passed and reports
// "변경했습니다." in the status caption; "닫기" closes.
#pragma once

#include <vector>

#include "grid/ExCGrid.h"
#include "platform/vcl/Forms.h"
#include "styled/ScControls.h"

class TMultiEditForm : public TForm {
 public:
  // rows: the display rows of grid to change (node rows are skipped).
  TMultiEditForm(TComponent* owner, TExColumnGrid& grid, std::vector<int> rows);
  ~TMultiEditForm() override;

  TScComboBox* ScComboBox2;       // 보관위치
  TScDateTimeEdit* ScDateTimeEdit2;  // 추가날짜
  TScComboBox* ScComboBox8;       // 저장매체 ("변경안함" changes nothing)
  TScComboBox* ScComboBox5;       // 관람등급
  TScComboBox* ScComboBox4;       // 영화장르
  TScComboBox* ScComboBox3;       // 비디오포맷 (per file)
  TScComboBox* ScComboBox1;       // 오디오포맷 (per file)
  TScEdit* ScEdit1;               // Ch (per file)
  TScComboBox* ScComboBox9;       // 언어 (per file)
  TScComboBox* ScComboBox6;       // 화질정보 (per file)
  TScComboBox* ScComboBox10;      // 릴정보 (per file)
  TScPanel* ScPanel12;            // status caption
  TScButton* ScButton1;           // 저장
  TScButton* ScButton2;           // 닫기

  void ScButton1Click(TObject* sender);
  // Whether "저장" has written the rows.
  bool Changed() const;

 private:
  TExColumnGrid& grid_;
  std::vector<int> rows_;
};

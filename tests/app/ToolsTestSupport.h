// Catalogues made by hand for the statistics, export, poster and merge
// tests: a catalogue grid, a movie added cell by cell, a search.
#pragma once

#include <initializer_list>
#include <memory>
#include <utility>

#include "app/Catalogue.h"
#include "tests/app/AppTestSupport.h"

using TMovieCells = std::initializer_list<std::pair<const AnsiString*, AnsiString>>;

inline std::unique_ptr<TExColumnGrid> NewCatalogue() {
  auto grid = std::make_unique<TExColumnGrid>(nullptr);
  SetupCatalogueGrid(*grid);
  return grid;
}

// Fills the empty row of a new catalogue first, then appends; returns the row.
inline int AddMovie(TExColumnGrid& grid, TMovieCells cells) {
  int row = grid.RowCount() - 1;
  if (!CatalogueCell(grid, Cat::Title, row).empty()) {
    grid.AddRow();
    row = grid.RowCount() - 1;
  }
  for (const auto& [header, value] : cells) SetCatalogueCell(grid, *header, row, value);
  return row;
}

// The catalogue window's search: rows whose cell holds the value stay.
inline void SearchCatalogue(TExColumnGrid& grid, const AnsiString& header, const AnsiString& value) {
  TFilterData* f = grid.Filter()->Add();
  f->SetCondition("*" + UpperCase(value) + "*");
  f->SetColumn(static_cast<SmallInt>(CatalogueColumnIndex(grid, header)));
  grid.SetFilterActive(true);
}

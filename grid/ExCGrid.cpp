// Sections:
//   TGridColumnItem ........ defaults, setters, Assign, Rows, Width
//   TGridColumnCollection .. Add with the previous column's settings, Update
//   TDropList
//   TExColumnGrid
//     construction ......... items, drop list, stash, the grid file hook
//     keeping items in step  SyncColumns, MatchColumnsToHeaders, SizeChanged
//     rows and columns ..... insert, remove, move, group, ungroup
//     per-cell queries ..... each fills from the item, then the inherited query
//     filter list .......... MouseDown, SelectFilterItem, column pop-ups
//
// Call tree of a grid file load:
//   LoadGridFile -> ApplyGridFile -> SetColCount -> SizeChanged (items added)
//     -> cells -> GridFileHooks().AfterLoad -> MatchColumnsToHeaders
//        (items back on the columns their headers name, count trimmed,
//         headers read from row 0)
#include "grid/ExCGrid.h"
#include "grid/ExGridEditors.h"

#include <algorithm>

#include "grid/GridFile.h"

namespace {

TExColumnGrid* GridOf(const TCollection* collection) {
  auto* columns = dynamic_cast<const TGridColumnCollection*>(collection);
  return columns ? columns->Grid() : nullptr;
}

// Items are moved and freed in batches while the grid adjusts them; the
// collection's Update must not resize the grid meanwhile.
class TItemSyncScope {
 public:
  TItemSyncScope(TGridColumnCollection* columns, bool& syncing)
      : columns_(columns), syncing_(syncing), oldUpdating_(columns->Updating()), oldSyncing_(syncing) {
    columns_->SetUpdating(true);
    syncing_ = true;
  }
  ~TItemSyncScope() {
    columns_->SetUpdating(oldUpdating_);
    syncing_ = oldSyncing_;
  }
  TItemSyncScope(const TItemSyncScope&) = delete;
  TItemSyncScope& operator=(const TItemSyncScope&) = delete;

 private:
  TGridColumnCollection* columns_;
  bool& syncing_;
  bool oldUpdating_;
  bool oldSyncing_;
};

}  // namespace

// ------------------------------------------------------------- TGridColumnItem

TGridColumnItem::TGridColumnItem(TCollection* collection)
    : TCollectionItem(collection),
      borderPen_(std::make_unique<TPen>()),
      comboItems_(std::make_unique<TStringList>()),
      filter_(std::make_unique<TStringList>()),
      font_(std::make_unique<TFont>()),
      headerFont_(std::make_unique<TFont>()),
      printBorderPen_(std::make_unique<TPen>()),
      printFont_(std::make_unique<TFont>()) {
  borderPen_->SetWidth(1);
  borderPen_->SetColor(0xC0C0C0);
  printBorderPen_->SetWidth(1);
  printBorderPen_->SetColor(0);
  if (TExColumnGrid* grid = GridOf(collection)) {
    color_ = grid->Color();
    font_->Assign(*grid->Font());
    headerFont_->Assign(*grid->Font());
    printFont_->Assign(*grid->Font());
  }
  font_->OnChange = [this](TObject*) { ChangedItem(); };
  headerFont_->OnChange = [this](TObject*) { ChangedItem(); };
  borderPen_->OnChange = [this](TObject*) { ChangedItem(); };
  filter_->OnChange = [this](TObject*) { RepaintGrid(); };
}

TGridColumnItem::~TGridColumnItem() {
  font_->OnChange = nullptr;
  headerFont_->OnChange = nullptr;
  borderPen_->OnChange = nullptr;
  filter_->OnChange = nullptr;
}

TExColumnGrid* TGridColumnItem::Grid() const { return GridOf(Collection()); }

void TGridColumnItem::RepaintGrid() const {
  if (TExColumnGrid* grid = Grid()) grid->Invalidate();
}

AnsiString TGridColumnItem::DisplayName() const {
  if (!name_.empty()) return "Col " + IntToStr(Index()) + ": " + name_;
  return "Column " + IntToStr(Index());
}

AnsiString TGridColumnItem::Rows(int row) const {
  TExColumnGrid* grid = Grid();
  return grid ? grid->Cells(Index(), row) : AnsiString();
}

void TGridColumnItem::SetRows(int row, const AnsiString& value) {
  if (TExColumnGrid* grid = Grid()) grid->SetCells(Index(), row, value);
}

void TGridColumnItem::SetAlignment(TAlignment v) {
  alignment_ = v;
  ChangedItem();
}

void TGridColumnItem::SetBorders(TCellBorders v) {
  borders_ = v;
  ChangedItem();
}

void TGridColumnItem::SetBorderPen(const TPen* v) { borderPen_->Assign(*v); }

void TGridColumnItem::SetColor(TColor v) {
  color_ = v;
  ChangedItem();
}

void TGridColumnItem::SetColumnPopup(TPopupMenu* v) {
  columnPopup_ = v;
  // The grid hears of the menu's end and lets go of it.
  if (v)
    if (TExColumnGrid* grid = Grid()) v->FreeNotification(grid);
}

void TGridColumnItem::SetEditLink(TComponent* v) {
  editLink_ = v;
  if (v)
    if (TExColumnGrid* grid = Grid()) v->FreeNotification(grid);
}

void TGridColumnItem::SetEditor(TEditorType v) {
  const bool repaint = editor_ == edDataCheckBox || v == edDataCheckBox;
  editor_ = v;
  if (repaint) RepaintGrid();
}

void TGridColumnItem::SetFixed(bool v) {
  fixed_ = v;
  ChangedItem();
}

void TGridColumnItem::SetFloatFormat(const AnsiString& v) {
  floatFormat_ = v;
  RepaintGrid();
}

void TGridColumnItem::SetFont(const TFont* v) { font_->Assign(*v); }

void TGridColumnItem::SetHeader(const AnsiString& v) {
  header_ = v;
  TExColumnGrid* grid = Grid();
  if (!grid) return;
  if (grid->TBaseGrid::FixedRows() > 0 && !grid->MovingColumn()) {
    grid->SetCells(Index(), 0, v);
    ChangedItem();
  }
  grid->RebuildColumnHeaders();
}

void TGridColumnItem::SetHeaderAlignment(TAlignment v) {
  headerAlignment_ = v;
  RepaintGrid();
}

void TGridColumnItem::SetHeaderFont(const TFont* v) {
  headerFont_->Assign(*v);
  RepaintGrid();
}

void TGridColumnItem::SetPassword(bool v) {
  password_ = v;
  ChangedItem();
}

void TGridColumnItem::SetShowBands(bool v) {
  showBands_ = v;
  ChangedItem();
}

int TGridColumnItem::Width() const {
  TExColumnGrid* grid = Grid();
  if (!grid) return width_;
  const int col = Index();
  // A hidden column has no width in the grid; its item keeps the last one.
  if (col >= grid->RealColCount() || grid->IsColumnHidden(col)) return width_;
  return grid->ColWidths(grid->DisplColIndex(col));
}

void TGridColumnItem::SetWidth(int v) {
  width_ = v;
  TExColumnGrid* grid = Grid();
  if (!grid) return;
  const int col = Index();
  if (col < grid->RealColCount() && !grid->IsColumnHidden(col)) grid->SetColWidths(grid->DisplColIndex(col), v);
}

void TGridColumnItem::CopySettings(const TGridColumnItem& s, bool withColorAndFont, bool withIdentity) {
  autoMinSize_ = s.autoMinSize_;
  autoMaxSize_ = s.autoMaxSize_;
  alignment_ = s.alignment_;
  borders_ = s.borders_;
  borderPen_->Assign(*s.borderPen_);
  checkFalse_ = s.checkFalse_;
  checkTrue_ = s.checkTrue_;
  if (withColorAndFont) {
    color_ = s.color_;
    font_->Assign(*s.font_);
  }
  SetColumnPopup(s.columnPopup_);
  comboItems_->Assign(s.comboItems_.get());
  editLength_ = s.editLength_;
  SetEditLink(s.editLink_);
  editMask_ = s.editMask_;
  editor_ = s.editor_;
  filter_->Assign(s.filter_.get());
  filterCaseSensitive_ = s.filterCaseSensitive_;
  fixed_ = s.fixed_;
  floatFormat_ = s.floatFormat_;
  headerAlignment_ = s.headerAlignment_;
  minSize_ = s.minSize_;
  maxSize_ = s.maxSize_;
  password_ = s.password_;
  printBorders_ = s.printBorders_;
  printBorderPen_->Assign(*s.printBorderPen_);
  printColor_ = s.printColor_;
  printFont_->Assign(*s.printFont_);
  readOnly_ = s.readOnly_;
  showBands_ = s.showBands_;
  sortStyle_ = s.sortStyle_;
  sortPrefix_ = s.sortPrefix_;
  sortSuffix_ = s.sortSuffix_;
  spinMax_ = s.spinMax_;
  spinMin_ = s.spinMin_;
  spinStep_ = s.spinStep_;
  if (withIdentity) {
    name_ = s.name_;
    tag_ = s.tag_;
    SetHeader(s.header_);
  }
}

void TGridColumnItem::Assign(const TPersistent* source) {
  const auto* s = dynamic_cast<const TGridColumnItem*>(source);
  if (!s) {
    TCollectionItem::Assign(source);
    return;
  }
  CopySettings(*s, true, true);
  SetWidth(s->Width());
  ChangedItem();
}

void TGridColumnItem::AssignAll(const TGridColumnItem& source) {
  Assign(&source);
  headerFont_->Assign(*source.headerFont_);
  columnPopupType_ = source.columnPopupType_;
}

// ------------------------------------------------------------- TGridColumnCollection

TGridColumnCollection::TGridColumnCollection(TExColumnGrid* grid)
    : TCollection(TCollection::ItemClassOf<TGridColumnItem>(), grid), grid_(grid) {}

TGridColumnItem* TGridColumnCollection::Add() {
  auto* item = static_cast<TGridColumnItem*>(TCollection::Add());
  if (Count() >= 2) {
    const TGridColumnItem* previous = Items(Count() - 2);
    item->CopySettings(*previous, false, false);
    item->SetWidth(previous->Width());
  }
  return item;
}

void TGridColumnCollection::Update(TCollectionItem* item) {
  if (!grid_) return;
  if (!updating_) {
    const int shown = Count() - grid_->HiddenColumnCount();
    if (shown != grid_->ColCount() && shown > grid_->FixedCols()) grid_->SetColCount(shown);
  }
  grid_->Invalidate();
}

// ------------------------------------------------------------- filter list

TFilterDropDown::TFilterDropDown() = default;

void TDropList::KeyDown(Word& key, TShiftState shift) {
  TListBox::KeyDown(key, shift);
  if (key == VK_RETURN) Select();
}

void TDropList::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TListBox::MouseUp(button, shift, x, y);
  Select();
}

void TDropList::Select() {
  Hide();
  if (OnSelect) OnSelect(this, ItemIndex());
}

// ------------------------------------------------------------- construction

namespace {

void InstallColumnGridFileHook() {
  static const bool installed = [] {
    TGridFileHooks& hooks = GridFileHooks();
    // Other units may have hooked in already: theirs run first.
    auto afterLoad = hooks.AfterLoad;
    hooks.AfterLoad = [afterLoad](TExStringGrid& grid) {
      if (afterLoad) afterLoad(grid);
      if (auto* columnGrid = dynamic_cast<TExColumnGrid*>(&grid)) columnGrid->MatchColumnsToHeaders();
    };
    return true;
  }();
  (void)installed;
}

}  // namespace

TExColumnGrid::TExColumnGrid(TComponent* owner) : TExStringGrid(owner) {
  columns_.reset(CreateColumns());
  SyncColumns();
  virtualCheck_ = std::make_unique<TCellGraphic>();
  virtualCheck_->SetCellType(ctVirtCheckBox);
  dropList_ = new TDropList(this);
  dropList_->SetName("droplist");
  dropList_->SetVisible(false);
  dropList_->SetParent(this);
  dropList_->SetBounds(0, 0, 0, 0);
  dropList_->OnSelect = [this](TObject*, int itemIndex) { SelectFilterItem(itemIndex); };
  groupStash_ = std::make_unique<TGridColumnItem>(nullptr);
  filterDropDown_ = std::make_unique<TFilterDropDown>();
  InstallColumnGridFileHook();
}

TExColumnGrid::~TExColumnGrid() {
  // The drop list calls back into the grid; it goes while the grid is whole.
  delete dropList_;
  dropList_ = nullptr;
  columns_.reset();
}

void TExColumnGrid::Loaded() {
  TExStringGrid::Loaded();
  SyncColumns();
}

void TExColumnGrid::Notification(TComponent* component, TOperation operation) {
  TExStringGrid::Notification(component, operation);
  if (operation != opRemove || !columns_) return;
  if (component == dropList_) dropList_ = nullptr;
  for (int i = 0; i < columns_->Count(); ++i) {
    TGridColumnItem* item = columns_->Items(i);
    if (item->EditLink() == component) item->SetEditLink(nullptr);
    if (item->ColumnPopup() == component) item->SetColumnPopup(nullptr);
  }
  if (groupStash_) {
    if (groupStash_->EditLink() == component) groupStash_->SetEditLink(nullptr);
    if (groupStash_->ColumnPopup() == component) groupStash_->SetColumnPopup(nullptr);
  }
}

// ------------------------------------------------------------- keeping items in step

TGridColumnItem* TExColumnGrid::ItemAt(int col) const {
  if (!columns_ || col < 0 || col >= columns_->Count()) return nullptr;
  return columns_->Items(col);
}

TGridColumnCollection* TExColumnGrid::Columns() {
  if (columns_ && !syncing_ && columns_->Count() != RealColCount()) SyncColumns();
  return columns_.get();
}

void TExColumnGrid::SetColumns(const TGridColumnCollection* value) {
  if (!value || value == columns_.get()) return;
  // The grid takes as many columns as there are items; the headers and
  // widths of columns it did not have yet are written once they exist.
  std::vector<std::pair<AnsiString, int>> looks;
  for (int i = 0; i < value->Count(); ++i) looks.emplace_back(value->Items(i)->Header(), value->Items(i)->Width());
  {
    TItemSyncScope scope(columns_.get(), syncing_);
    columns_->Assign(value);
  }
  const int shown = columns_->Count() - HiddenColumnCount();
  if (shown != ColCount() && shown > FixedCols()) SetColCount(shown);
  {
    TItemSyncScope scope(columns_.get(), syncing_);
    for (int i = 0; i < columns_->Count() && i < static_cast<int>(looks.size()); ++i) {
      columns_->Items(i)->SetHeader(looks[static_cast<std::size_t>(i)].first);
      columns_->Items(i)->SetWidth(looks[static_cast<std::size_t>(i)].second);
    }
  }
  SyncColumns();
}

TGridColumnItem* TExColumnGrid::ColumnByName(const AnsiString& name) {
  TGridColumnCollection* columns = Columns();
  for (int i = 0; i < columns->Count(); ++i)
    if (columns->Items(i)->Name() == name) return columns->Items(i);
  return nullptr;
}

void TExColumnGrid::SyncColumns() {
  if (!columns_ || syncing_) return;
  {
    TItemSyncScope scope(columns_.get(), syncing_);
    const int want = RealColCount();
    while (columns_->Count() < want) columns_->Add();
    while (columns_->Count() > want) delete columns_->Items(columns_->Count() - 1);
    if (HasState(csDesigning) && TBaseGrid::FixedRows() < RowCount())
      for (int c = 0; c < ColCount(); ++c) SetCells(c, TBaseGrid::FixedRows(), "Column " + IntToStr(c));
    // Every real column, hidden ones too: a hidden column's item keeps the
    // header that its column holds.
    if (TBaseGrid::FixedRows() > 0)
      for (int c = 0; c < want; ++c) columns_->Items(c)->SetHeaderField(RawCells(c, 0));
  }
  RebuildColumnHeaders();
}

void TExColumnGrid::MatchColumnsToHeaders() {
  if (!columns_) return;
  CloseFilterList();
  {
    TItemSyncScope scope(columns_.get(), syncing_);
    const int want = RealColCount();
    const int count = columns_->Count();
    std::vector<TGridColumnItem*> items;
    items.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) items.push_back(columns_->Items(i));
    std::vector<char> taken(items.size(), 0);
    std::vector<TGridColumnItem*> order(static_cast<std::size_t>(want), nullptr);
    if (TBaseGrid::FixedRows() > 0) {
      auto claim = [&](int col, auto matches) {
        for (std::size_t i = 0; i < items.size(); ++i) {
          if (taken[i] || !matches(*items[i])) continue;
          taken[i] = 1;
          order[static_cast<std::size_t>(col)] = items[i];
          return true;
        }
        return false;
      };
      for (int c = 0; c < want; ++c) {
        const AnsiString& header = RawCells(c, 0);
        if (header.empty()) continue;
        if (!claim(c, [&](const TGridColumnItem& it) { return it.Header() == header; }))
          claim(c, [&](const TGridColumnItem& it) { return it.Name() == header; });
      }
    }
    // Columns whose header names no item take the other items in order.
    std::size_t next = 0;
    for (auto& slot : order) {
      if (slot) continue;
      while (next < items.size() && taken[next]) ++next;
      if (next == items.size()) break;
      taken[next] = 1;
      slot = items[next];
    }
    int placed = 0;
    for (TGridColumnItem* item : order) {
      if (!item) break;
      item->SetIndex(placed++);
    }
    // Items left over (the file has fewer columns) go; missing ones come.
    while (columns_->Count() > want) delete columns_->Items(columns_->Count() - 1);
    // New items copy the widths of the previous ones: the file's widths stay.
    std::vector<int> widths;
    for (int c = 0; c < ColCount(); ++c) widths.push_back(ColWidths(c));
    while (columns_->Count() < want) columns_->Add();
    for (int c = 0; c < ColCount(); ++c) SetColWidths(c, widths[static_cast<std::size_t>(c)]);
    if (TBaseGrid::FixedRows() > 0) {
      for (int c = 0; c < want; ++c) {
        TGridColumnItem* item = columns_->Items(c);
        const AnsiString& header = RawCells(c, 0);
        // A file loaded while grouped brings the grouped column back: its
        // settings wait in the stash, not in any item.
        const bool stashed = groupStashed_ && !header.empty() && item->Name().empty() &&
                             item->Header() != header &&
                             (groupStash_->Header() == header || groupStash_->Name() == header);
        if (stashed) {
          const int width = item->Width();  // the file's
          item->AssignAll(*groupStash_);
          item->SetWidth(width);
        }
        item->SetHeaderField(header);
      }
    }
  }
  RebuildColumnHeaders();
}

void TExColumnGrid::ApplyColumnHeaders() {
  TExStringGrid::ApplyColumnHeaders();
  if (!columns_) return;
  // The header as its cell holds it, line breaks written out.
  const int count = std::min(ColumnHeaders()->Count(), columns_->Count());
  for (int i = 0; i < count; ++i) {
    const AnsiString& entry = ColumnHeaders()->Strings(i);
    columns_->Items(i)->SetHeaderField(BackslashNToBreaks(entry));
  }
}

void TExColumnGrid::ReSync() {
  TExStringGrid::ReSync();
  SyncColumns();
}

void TExColumnGrid::RebuildColumnHeaders() {
  auto* headers = dynamic_cast<TStringList*>(ColumnHeaders());
  if (!headers || !columns_) return;
  // The list mirrors the items here; applying it again would only rewrite row 0.
  TNotifyEvent onChange = std::move(headers->OnChange);
  headers->OnChange = nullptr;
  headers->Clear();
  for (int i = 0; i < columns_->Count(); ++i) headers->Add(columns_->Items(i)->Header());
  headers->OnChange = std::move(onChange);
}

void TExColumnGrid::SetColCount(int value) {
  {
    TItemSyncScope scope(columns_.get(), syncing_);
    TExStringGrid::SetColCount(value);
  }
  SyncColumns();
}

void TExColumnGrid::SizeChanged(int oldColCount, int oldRowCount) {
  TExStringGrid::SizeChanged(oldColCount, oldRowCount);
  // Columns added behind the grid's back (a file load, the advance) get
  // their items at once; removals are settled by the operations that remove.
  if (columns_ && !syncing_ && columns_->Count() < RealColCount()) {
    TItemSyncScope scope(columns_.get(), syncing_);
    while (columns_->Count() < RealColCount()) columns_->Add();
  }
}

void TExColumnGrid::ColWidthsChanged() {
  TExStringGrid::ColWidthsChanged();
  if (!columns_ || movingColumn_) return;
  for (int c = 0; c < ColCount(); ++c)
    if (TGridColumnItem* item = ItemAt(RealColIndex(c))) item->width_ = ColWidths(c);
}

// ------------------------------------------------------------- rows and columns

void TExColumnGrid::InsertColumns(int col, int count) {
  CloseFilterList();  // its column index would point elsewhere
  const int before = RealColCount();
  {
    TItemSyncScope scope(columns_.get(), syncing_);
    TExStringGrid::InsertColumns(col, count);
    const int inserted = RealColCount() - before;
    const int at = std::clamp(col, 0, columns_->Count());
    for (int i = 0; i < inserted; ++i) columns_->Insert(at);
  }
  SyncColumns();
}

void TExColumnGrid::RemoveColumns(int col, int count) {
  CloseFilterList();
  const int before = RealColCount();
  {
    TItemSyncScope scope(columns_.get(), syncing_);
    TExStringGrid::RemoveColumns(col, count);
    const int removed = before - RealColCount();
    for (int i = 0; i < removed && col >= 0 && col < columns_->Count(); ++i) delete columns_->Items(col);
  }
  SyncColumns();
}

void TExColumnGrid::MoveRealColumn(int realFrom, int realTo) {
  std::vector<int> hidden;
  for (int c = 0; c < RealColCount(); ++c)
    if (IsColumnHidden(c)) hidden.push_back(c);
  ShowAllColumns();
  TExStringGrid::MoveColumn(realFrom, realTo);
  for (int& h : hidden) {
    if (realFrom < realTo && h > realFrom && h <= realTo) --h;
    else if (realFrom > realTo && h >= realTo && h < realFrom) ++h;
  }
  for (int h : hidden) HideColumn(h);
}

void TExColumnGrid::MoveColumn(int fromIndex, int toIndex) {
  if (fromIndex == toIndex || fromIndex < 0 || toIndex < 0 || fromIndex >= ColCount() ||
      toIndex >= ColCount()) {
    TExStringGrid::MoveColumn(fromIndex, toIndex);  // the class library's answer
    return;
  }
  CloseFilterList();
  // Headers written straight into row 0 reach the items before they move.
  SyncColumns();
  const int realFrom = RealColIndex(fromIndex);
  const int realTo = RealColIndex(toIndex);
  const int top = TopRow();
  BeginUpdate();
  {
    TItemSyncScope scope(columns_.get(), syncing_);
    movingColumn_ = true;
    try {
      if (HiddenColumnCount() == 0) TExStringGrid::MoveColumn(fromIndex, toIndex);
      else MoveRealColumn(realFrom, realTo);
      // The item itself moves: every property goes with it.
      if (TGridColumnItem* item = ItemAt(realFrom)) item->SetIndex(realTo);
    } catch (...) {
      movingColumn_ = false;
      EndUpdate();
      throw;
    }
    if (top < RowCount()) SetTopRow(top);
    movingColumn_ = false;
  }
  EndUpdate();
  ColWidthsChanged();
  RebuildColumnHeaders();
}

void TExColumnGrid::GroupByColumn(int col) {
  // Ungrouping first puts the previous column's settings back before the
  // stash takes the new one's.
  if (GroupColumn() >= 0) Ungroup();
  // Headers written straight into row 0 reach the items before the stash
  // takes one, as before a column move.
  SyncColumns();
  TGridColumnItem* item = ItemAt(col);
  if (item) groupStash_->AssignAll(*item);
  TExStringGrid::GroupByColumn(col);
  groupStashed_ = item && GroupColumn() >= 0;
}

void TExColumnGrid::Ungroup() {
  const int col = GroupColumn();
  TExStringGrid::Ungroup();
  if (col >= 0 && groupStashed_)
    if (TGridColumnItem* item = ItemAt(col)) {
      TItemSyncScope scope(columns_.get(), syncing_);
      item->AssignAll(*groupStash_);
    }
  groupStashed_ = false;
  RebuildColumnHeaders();
}

// The items follow the grouped column to the front and back, as they follow
// the insertion and removal those two stand for.
void TExColumnGrid::GroupWithNodeColumn(int col) {
  CloseFilterList();
  SyncColumns();  // headers written into row 0, as above
  // The item's settings as they are before the columns move (its width
  // is read from the grid).
  TGridColumnItem* item = ItemAt(col);
  TGridColumnItem settings(nullptr);
  if (item) settings.AssignAll(*item);
  bool moved = false;
  {
    TItemSyncScope scope(columns_.get(), syncing_);
    moved = GroupIntoNodeColumn(col);
    if (moved && item) {
      groupStash_->AssignAll(settings);
      delete item;
      columns_->Insert(0);
    }
  }
  if (!moved) {
    TExStringGrid::GroupWithNodeColumn(col);
    return;
  }
  groupStashed_ = item != nullptr;
  SyncColumns();
}

void TExColumnGrid::UngroupWithNodeColumn() {
  const int col = GroupColumn() - 1;
  if (col < 0) return;
  CloseFilterList();
  bool moved = false;
  {
    TItemSyncScope scope(columns_.get(), syncing_);
    moved = UngroupFromNodeColumn();
    if (moved && columns_->Count() > 0) {
      delete columns_->Items(0);
      TGridColumnItem* item = columns_->Insert(std::min(col, columns_->Count()));
      if (groupStashed_) item->AssignAll(*groupStash_);
    }
  }
  if (!moved) {
    TExStringGrid::UngroupWithNodeColumn();
    return;
  }
  groupStashed_ = false;
  SyncColumns();
}

// ------------------------------------------------------------- per-cell queries

bool TExColumnGrid::InNormalArea(int col, int row) const {
  return col >= FixedCols() && row >= FixedRows() &&
         col < ColCount() - FixedRightCols() + HiddenColumnCount() && row < RowCount() - FixedFooters();
}

void TExColumnGrid::GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font) {
  const TGridColumnItem* item = ItemAt(col);
  if (item && col >= FixedCols() && col < ColCount() - FixedRightCols() + HiddenColumnCount() &&
      row < RowCount() - FixedFooters()) {
    // A column that shows the bands keeps the band colour the grid chose.
    if (item->Fixed()) brush->SetColor(FixedColor());
    else if (row >= FixedRows() && !(item->ShowBands() && Bands()->Active())) brush->SetColor(item->Color());
    font->Assign(row >= FixedRows() ? *item->Font() : *item->HeaderFont());
  }
  TExStringGrid::GetCellColor(col, row, state, brush, font);
}

void TExColumnGrid::GetCellPrintColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font) {
  if (const TGridColumnItem* item = ItemAt(col); item && InNormalArea(col, row)) {
    if (item->Fixed()) brush->SetColor(FixedColor());
    else if (!(item->ShowBands() && Bands()->Active() && Bands()->Print())) brush->SetColor(item->PrintColor());
    font->Assign(*item->PrintFont());
  } else if (item) {
    // Headers, footers and fixed cells of a column print in the printout's header font.
    font->Assign(*PrintSettings()->HeaderFont());
  }
  TExStringGrid::GetCellPrintColor(col, row, state, brush, font);
}

void TExColumnGrid::GetCellBorder(int col, int row, TPen* pen, TCellBorders& borders) {
  if (const TGridColumnItem* item = ItemAt(col); item && col >= FixedCols() && row >= FixedRows()) {
    borders = item->Borders();
    pen->Assign(*item->BorderPen());
  }
  TExStringGrid::GetCellBorder(col, row, pen, borders);
}

void TExColumnGrid::GetCellPrintBorder(int col, int row, TPen* pen, TCellBorders& borders) {
  if (const TGridColumnItem* item = ItemAt(col); item && col >= FixedCols() && row >= FixedRows()) {
    borders = item->PrintBorders();
    pen->Assign(*item->PrintBorderPen());
  }
  TExStringGrid::GetCellPrintBorder(col, row, pen, borders);
}

void TExColumnGrid::GetCellAlignment(int col, int row, TAlignment& horizontal, TVAlignment& vertical) {
  if (const TGridColumnItem* item = ItemAt(col))
    horizontal = row < FixedRows() ? item->HeaderAlignment() : item->Alignment();
  TExStringGrid::GetCellAlignment(col, row, horizontal, vertical);
}

void TExColumnGrid::GetCellFormat(int col, TSortStyle& style, AnsiString& prefix, AnsiString& suffix) {
  if (const TGridColumnItem* item = ItemAt(col)) {
    style = item->SortStyle();
    prefix = item->SortPrefix();
    suffix = item->SortSuffix();
  }
  TExStringGrid::GetCellFormat(col, style, prefix, suffix);
}

void TExColumnGrid::GetCellEditor(int col, int row, TEditorType& editor) {
  if (const TGridColumnItem* item = ItemAt(col); item && col >= FixedCols() && row >= FixedRows()) {
    editor = item->Editor();
    // The column's editor settings go to the editor control the cell opens.
    switch (editor) {
      case edComboEdit: case edComboList: Combobox()->Items()->Assign(item->ComboItems()); break;
      case edUniComboEdit: case edUniComboList: UniCombobox()->Items()->Assign(item->ComboItems()); break;
      case edSpinEdit: case edFloatSpinEdit: case edTimeSpinEdit: case edDateSpinEdit:
        SpinEdit()->SetMinValue(item->SpinMin());
        SpinEdit()->SetMaxValue(item->SpinMax());
        SpinEdit()->SetIncrement(item->SpinStep());
        break;
      case edCustom: SetCurrentEditLink(dynamic_cast<TEditLink*>(item->EditLink())); break;
      default: break;
    }
  }
  TExStringGrid::GetCellEditor(col, row, editor);
}

void TExColumnGrid::IsFixedCellQuery(int col, int row, bool& fixed) {
  if (const TGridColumnItem* item = ItemAt(col); item && col >= FixedCols() && row >= FixedRows())
    fixed = item->Fixed();
  TExStringGrid::IsFixedCellQuery(col, row, fixed);
}

void TExColumnGrid::CanEditCell(int col, int row, bool& canEdit) {
  const TGridColumnItem* item = ItemAt(col);
  if (!item) {
    TExStringGrid::CanEditCell(col, row, canEdit);
    return;
  }
  canEdit = false;
  if (!HasState(csLoading) && col >= FixedCols() && row >= FixedRows())
    canEdit = !item->ReadOnly() && !item->Fixed();
  const TPoint base = BaseCellOf(col, row);
  if (const TCellProperties* props = FindCellProperties(base.X, base.Y); props && props->ReadOnly())
    canEdit = false;
  if (OnCanEditCell) OnCanEditCell(this, base.Y, base.X, canEdit);
}

void TExColumnGrid::IsPasswordCell(int col, int row, bool& password) {
  if (const TGridColumnItem* item = ItemAt(col)) password = item->Password();
  TExStringGrid::IsPasswordCell(col, row, password);
}

bool TExColumnGrid::HasComboBox(int col, int row) {
  const TGridColumnItem* item = ItemAt(col);
  if (!item) return TExStringGrid::HasComboBox(col, row);
  bool hasComboBox = col >= FixedCols() && row >= FixedRows() &&
                     (item->Editor() == edComboEdit || item->Editor() == edComboList);
  if (OnHasComboBox) OnHasComboBox(this, col, row, hasComboBox);
  return hasComboBox;
}

void TExColumnGrid::GetCheckTrue(int col, int row, AnsiString& text) {
  TExStringGrid::GetCheckTrue(col, row, text);
  if (const TGridColumnItem* item = ItemAt(col); item && InNormalArea(col, row)) text = item->CheckTrue();
}

void TExColumnGrid::GetCheckFalse(int col, int row, AnsiString& text) {
  TExStringGrid::GetCheckFalse(col, row, text);
  if (const TGridColumnItem* item = ItemAt(col); item && InNormalArea(col, row)) text = item->CheckFalse();
}

bool TExColumnGrid::HasColumnFilter(int col) {
  const TGridColumnItem* item = ItemAt(col);
  return item && item->Filter()->Count() > 0;
}

TCellType TExColumnGrid::GetCellType(int col, int row) const {
  const TCellType type = TExStringGrid::GetCellType(col, row);
  if (type != ctEmpty) return type;
  const TGridColumnItem* item = ItemAt(col);
  if (item && item->Editor() == edDataCheckBox && InNormalArea(col, row)) return ctDataCheckBox;
  return type;
}

TCellGraphic* TExColumnGrid::GetCellGraphic(int col, int row) const {
  if (TCellGraphic* own = TExStringGrid::GetCellGraphic(col, row)) return own;
  const TGridColumnItem* item = ItemAt(col);
  if (!item || item->Editor() != edDataCheckBox || !InNormalArea(col, row) || Destroying()) return nullptr;
  virtualCheck_->SetCellType(ctVirtCheckBox);
  virtualCheck_->SetCellTransparent(ControlLook()->ControlStyle() == csFlat);
  return virtualCheck_.get();
}

bool TExColumnGrid::FloatFormatOf(int col, int row, const AnsiString& text, AnsiString& format) {
  const TGridColumnItem* item = ItemAt(col);
  if (!item) return false;
  format = item->FloatFormat();
  // Nothing to format and no one to ask: the common case reads no number.
  if (format.empty() && !OnGetFloatFormat) return false;
  bool isFloat = NumberTextKind(text) <= 1;
  if (OnGetFloatFormat) OnGetFloatFormat(this, col, row, isFloat, format);
  return isFloat && !format.empty();
}

void TExColumnGrid::GetDisplayText(int col, int row, AnsiString& text) {
  text = GetCellText(col, row);
  AnsiString format;
  if (!FloatFormatOf(col, row, text, format)) return;
  try {
    text = Format(format, {Floats(col, row)});
  } catch (const Exception&) {
    // A text that only looked numeric, or a format that does not fit: the text as it is.
  }
}

bool TExColumnGrid::FloatFormatNotANumber(int col, int row) {
  if (!ItemAt(col)) return TExStringGrid::FloatFormatNotANumber(col, row);
  const AnsiString text = GetCellText(col, row);
  if (text.empty() || NumberTextKind(text) <= 1) return false;
  AnsiString format;
  return FloatFormatOf(col, row, text, format);
}

void TExColumnGrid::UpdateColumnSize(int col, int& width, bool automatic) {
  if (const TGridColumnItem* item = ItemAt(RealColIndex(col))) {
    const int low = automatic ? item->AutoMinSize() : item->MinSize();
    const int high = automatic ? item->AutoMaxSize() : item->MaxSize();
    if (low > 0 && width < low) width = low;
    if (high > 0 && width > high) width = high;
  }
  TExStringGrid::UpdateColumnSize(col, width, automatic);
}

int TExColumnGrid::GetEditLimit() {
  if (const TGridColumnItem* item = ItemAt(RealColIndex(Col()))) return item->EditLength();
  return TExStringGrid::GetEditLimit();
}

AnsiString TExColumnGrid::GetEditMask(int col, int row) {
  AnsiString mask = TExStringGrid::GetEditMask(col, row);
  if (!mask.empty()) return mask;
  if (const TGridColumnItem* item = ItemAt(RealColIndex(col))) return item->EditMask();
  return mask;
}

// ------------------------------------------------------------- filter list and pop-ups

void TExColumnGrid::OpenFilterList(int col, const TRect& headerRect) {
  const TGridColumnItem* item = ItemAt(col);
  if (!dropList_ || !item) return;
  filterListColumn_ = col;
  dropList_->SetColor(filterDropDown_->Color());
  dropList_->Font()->Assign(*filterDropDown_->Font());
  const int width = filterDropDown_->ColumnWidth() ? headerRect.Width() : filterDropDown_->Width();
  dropList_->SetBounds(headerRect.Left, headerRect.Top + 16, width, filterDropDown_->Height());
  dropList_->Clear();
  const TStringList* filter = item->Filter();
  for (int i = 0; i < filter->Count(); ++i) {
    const AnsiString& entry = filter->Strings(i);
    const std::size_t eq = entry.find('=');
    dropList_->Items()->Add(eq == AnsiString::npos ? entry : entry.substr(0, eq));
  }
  dropList_->SetItemIndex(0);
  dropList_->Show();
  if (dropList_->CanFocus()) dropList_->SetFocus();
}

void TExColumnGrid::CloseFilterList() {
  if (dropList_ && dropList_->Visible()) dropList_->Hide();
  filterListColumn_ = -1;
}

void TExColumnGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const bool wasEditing = Editing();
  TExStringGrid::MouseDown(button, shift, x, y);
  // A press that left an edit open was refused by its validation (or
  // fell beside the editor on its own cell): no filter list, no popup.
  if (wasEditing && Editing()) return;
  int col = -1;
  int row = -1;
  MouseToCell(x, y, col, row);
  if (col < 0 || row < 0) {
    CloseFilterList();
    return;
  }
  const int realCol = RealColIndex(col);
  const TRect header = MergedCellRect(col, 0);
  const bool onGlyph = row == 0 && realCol != filterListColumn_ && x > header.Right - 16 &&
                       x < header.Right - 3 && y < header.Top + 19;
  const TGridColumnItem* item = ItemAt(realCol);
  if (onGlyph && item && item->Filter()->Count() > 0) OpenFilterList(realCol, header);
  else CloseFilterList();

  if (!item || !item->ColumnPopup()) return;
  const TColumnPopupType type = item->ColumnPopupType();
  const bool leftType = type == cpFixedCellsLClick || type == cpNormalCellsLClick || type == cpAllCellsLClick;
  const bool rightType = type == cpFixedCellsRClick || type == cpNormalCellsRClick || type == cpAllCellsRClick;
  if (!((button == mbLeft && leftType) || (button == mbRight && rightType))) return;
  TPopupMenu* menu = item->ColumnPopup();
  if (OnColumnPopup) OnColumnPopup(this, col, row, menu);
  const bool fixedType = type == cpFixedCellsRClick || type == cpFixedCellsLClick;
  const bool normalType = type == cpNormalCellsRClick || type == cpNormalCellsLClick;
  const bool allType = !fixedType && !normalType;
  const bool headerRow = row < FixedRows();
  if ((headerRow && (fixedType || allType)) || (!headerRow && (normalType || allType))) {
    const TRect cell = CellRect(col, row);
    const TPoint at = ClientToScreen(Point(cell.Left, cell.Bottom));
    menu->SetPopupComponent(this);
    menu->Popup(at.X, at.Y);
  }
}

void TExColumnGrid::SelectFilterItem(int itemIndex) {
  const int col = filterListColumn_;
  TGridColumnItem* item = col >= 0 ? ItemAt(col) : nullptr;
  if (!item || itemIndex < 0 || itemIndex >= item->Filter()->Count()) {
    filterListColumn_ = -1;
    return;
  }
  const AnsiString entry = item->Filter()->Strings(itemIndex);
  const std::size_t eq = entry.find('=');
  const AnsiString friendlyName = eq == AnsiString::npos ? entry : entry.substr(0, eq);
  AnsiString condition = eq == AnsiString::npos ? entry : entry.substr(eq + 1);
  if (autoFilterDisplay_) item->SetHeader(friendlyName);
  if (autoFilterUpdate_) SetFilterActive(false);
  if (OnFilterSelect) OnFilterSelect(this, col, itemIndex, friendlyName, condition);
  TFilterData* data = Filter()->ColumnFilter(col);
  data->SetCondition(condition);
  data->SetCaseSensitive(item->FilterCaseSensitive());
  if (autoFilterUpdate_) {
    SetFilterActive(true);
    const bool noDataRows = RowCount() == FixedRows() || (RowCount() == 1 && FixedRowAlways());
    if (!noDataRows && FixedRows() < RowCount()) SetRow(FixedRows());
    if (OnFilterDone) OnFilterDone(this);
  }
  filterListColumn_ = -1;
}

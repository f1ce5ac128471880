// TExColumnGrid: the string grid with one column object per grid column.
// Every grid on the windows is one; the catalogue finds its columns by name
// (ColumnByName) and reads and writes them through the column's Rows.
//
// Sections:
//   TGridColumnItem ........ the settings of one column, by real column index
//   TGridColumnCollection .. the items; Add takes the previous column's settings
//   TFilterDropDown, TDropList  the header filter list
//   TExColumnGrid .......... items kept in step with the grid, the per-cell
//                            queries answered from the items, column moves,
//                            the grouping stash, filter list and column pop-ups
//
// The item at index i describes real column i (hidden columns counted), so
// Columns()->Count() = ColCount() + HiddenColumnCount(). The items follow
// every change of the columns: ColCount, InsertColumns / RemoveColumns,
// column moves (the item travels with its column), grouping, and loading a
// grid file, after which each item is put back on the column whose header
// it names: a catalogue saved after the user moved columns reads the same
// data by name in the next session.
#pragma once

#include <functional>
#include <memory>

#include "grid/ExGrid.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

class TExColumnGrid;

enum TColumnPopupType {
  cpFixedCellsRClick, cpFixedCellsLClick, cpNormalCellsRClick, cpNormalCellsLClick,
  cpAllCellsRClick, cpAllCellsLClick
};

// ------------------------------------------------------------- TGridColumnItem

class TGridColumnItem : public TCollectionItem {
 public:
  // Inside a collection the fonts and the colour come from the grid; a
  // free-standing item keeps default fonts.
  explicit TGridColumnItem(TCollection* collection);
  ~TGridColumnItem() override;

  // Every published property but HeaderFont and ColumnPopupType; Width
  // through the source's live width.
  void Assign(const TPersistent* source) override;
  // Everything, HeaderFont and ColumnPopupType included (moves, the stash).
  void AssignAll(const TGridColumnItem& source);
  AnsiString DisplayName() const override;

  TExColumnGrid* Grid() const;

  // The cell text of (Index, row), read and write.
  AnsiString Rows(int row) const;
  void SetRows(int row, const AnsiString& value);

  int AutoMinSize() const { return autoMinSize_; }
  void SetAutoMinSize(int v) { autoMinSize_ = v; }
  int AutoMaxSize() const { return autoMaxSize_; }
  void SetAutoMaxSize(int v) { autoMaxSize_ = v; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TCellBorders Borders() const { return borders_; }
  void SetBorders(TCellBorders v);
  TPen* BorderPen() const { return borderPen_.get(); }
  void SetBorderPen(const TPen* v);
  const AnsiString& CheckFalse() const { return checkFalse_; }
  void SetCheckFalse(const AnsiString& v) { checkFalse_ = v; }
  const AnsiString& CheckTrue() const { return checkTrue_; }
  void SetCheckTrue(const AnsiString& v) { checkTrue_ = v; }
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TPopupMenu* ColumnPopup() const { return columnPopup_; }
  void SetColumnPopup(TPopupMenu* v);
  TColumnPopupType ColumnPopupType() const { return columnPopupType_; }
  void SetColumnPopupType(TColumnPopupType v) { columnPopupType_ = v; }
  TStringList* ComboItems() const { return comboItems_.get(); }
  void SetComboItems(const TStrings* v) { comboItems_->Assign(v); }
  int EditLength() const { return editLength_; }
  void SetEditLength(int v) { editLength_ = v; }
  // The external editor link; the link protocol lives with the cell editors.
  TComponent* EditLink() const { return editLink_; }
  void SetEditLink(TComponent* v);
  const AnsiString& EditMask() const { return editMask_; }
  void SetEditMask(const AnsiString& v) { editMask_ = v; }
  TEditorType Editor() const { return editor_; }
  void SetEditor(TEditorType v);
  TStringList* Filter() const { return filter_.get(); }
  void SetFilter(const TStrings* v) { filter_->Assign(v); }
  bool FilterCaseSensitive() const { return filterCaseSensitive_; }
  void SetFilterCaseSensitive(bool v) { filterCaseSensitive_ = v; }
  bool Fixed() const { return fixed_; }
  void SetFixed(bool v);
  const AnsiString& FloatFormat() const { return floatFormat_; }
  void SetFloatFormat(const AnsiString& v);
  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont* v);
  const AnsiString& Header() const { return header_; }
  void SetHeader(const AnsiString& v);
  TAlignment HeaderAlignment() const { return headerAlignment_; }
  void SetHeaderAlignment(TAlignment v);
  TFont* HeaderFont() const { return headerFont_.get(); }
  void SetHeaderFont(const TFont* v);
  int MinSize() const { return minSize_; }
  void SetMinSize(int v) { minSize_ = v; }
  int MaxSize() const { return maxSize_; }
  void SetMaxSize(int v) { maxSize_ = v; }
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& v) { name_ = v; }
  bool Password() const { return password_; }
  void SetPassword(bool v);
  TCellBorders PrintBorders() const { return printBorders_; }
  void SetPrintBorders(TCellBorders v) { printBorders_ = v; }
  TPen* PrintBorderPen() const { return printBorderPen_.get(); }
  void SetPrintBorderPen(const TPen* v) { printBorderPen_->Assign(*v); }
  TColor PrintColor() const { return printColor_; }
  void SetPrintColor(TColor v) { printColor_ = v; }
  TFont* PrintFont() const { return printFont_.get(); }
  void SetPrintFont(const TFont* v) { printFont_->Assign(*v); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  bool ShowBands() const { return showBands_; }
  void SetShowBands(bool v);
  TSortStyle SortStyle() const { return sortStyle_; }
  void SetSortStyle(TSortStyle v) { sortStyle_ = v; }
  const AnsiString& SortPrefix() const { return sortPrefix_; }
  void SetSortPrefix(const AnsiString& v) { sortPrefix_ = v; }
  const AnsiString& SortSuffix() const { return sortSuffix_; }
  void SetSortSuffix(const AnsiString& v) { sortSuffix_ = v; }
  int SpinMax() const { return spinMax_; }
  void SetSpinMax(int v) { spinMax_ = v; }
  int SpinMin() const { return spinMin_; }
  void SetSpinMin(int v) { spinMin_ = v; }
  int SpinStep() const { return spinStep_; }
  void SetSpinStep(int v) { spinStep_ = v; }
  int Tag() const { return tag_; }
  void SetTag(int v) { tag_ = v; }
  // The grid's ColWidths at the item's column (the kept copy while the item
  // has no grid).
  int Width() const;
  void SetWidth(int v);

  // Header without writing the cell (the grid re-reads row 0).
  void SetHeaderField(const AnsiString& v) { header_ = v; }

 private:
  friend class TExColumnGrid;
  friend class TGridColumnCollection;
  // Every setting but the ones listed as left out; used by Assign and Add.
  void CopySettings(const TGridColumnItem& source, bool withColorAndFont, bool withIdentity);
  void ChangedItem() { Changed(false); }
  void RepaintGrid() const;

  int autoMinSize_ = 0;
  int autoMaxSize_ = 0;
  TAlignment alignment_ = taLeftJustify;
  TCellBorders borders_;
  std::unique_ptr<TPen> borderPen_;
  AnsiString checkFalse_ = "N";
  AnsiString checkTrue_ = "Y";
  TColor color_ = clWindow;
  TPopupMenu* columnPopup_ = nullptr;
  TColumnPopupType columnPopupType_ = cpFixedCellsRClick;
  std::unique_ptr<TStringList> comboItems_;
  int editLength_ = 0;
  TComponent* editLink_ = nullptr;
  AnsiString editMask_;
  TEditorType editor_ = edNormal;
  std::unique_ptr<TStringList> filter_;
  bool filterCaseSensitive_ = false;
  bool fixed_ = false;
  AnsiString floatFormat_;
  std::unique_ptr<TFont> font_;
  AnsiString header_;
  TAlignment headerAlignment_ = taLeftJustify;
  std::unique_ptr<TFont> headerFont_;
  int minSize_ = 0;
  int maxSize_ = 0;
  AnsiString name_;
  bool password_ = false;
  TCellBorders printBorders_{cbTop, cbLeft, cbRight, cbBottom};
  std::unique_ptr<TPen> printBorderPen_;
  TColor printColor_ = 0xFFFFFF;
  std::unique_ptr<TFont> printFont_;
  bool readOnly_ = false;
  bool showBands_ = false;
  TSortStyle sortStyle_ = ssAutomatic;
  AnsiString sortPrefix_;
  AnsiString sortSuffix_;
  int spinMax_ = 0;
  int spinMin_ = 0;
  int spinStep_ = 1;
  int tag_ = 0;
  int width_ = 50;
};

// ------------------------------------------------------------- TGridColumnCollection

class TGridColumnCollection : public TCollection {
 public:
  explicit TGridColumnCollection(TExColumnGrid* grid);

  TExColumnGrid* Grid() const { return grid_; }
  TGridColumnItem* Items(int index) const { return static_cast<TGridColumnItem*>(TCollection::Items(index)); }
  // Appends an item; from the second one on it takes the settings of the
  // item before it, except Color and Font (the grid's), Header, Name, Tag,
  // HeaderFont and ColumnPopupType.
  TGridColumnItem* Add();
  TGridColumnItem* Insert(int index) { return static_cast<TGridColumnItem*>(TCollection::Insert(index)); }
  // Set while the grid re-synchronises the items: Update leaves ColCount alone.
  bool Updating() const { return updating_; }
  void SetUpdating(bool v) { updating_ = v; }

 protected:
  // After an item changed: ColCount follows the item count (unless the grid
  // itself is re-synchronising), then the grid repaints.
  void Update(TCollectionItem* item) override;

 private:
  TExColumnGrid* grid_;
  bool updating_ = false;
};

// ------------------------------------------------------------- filter list

class TFilterDropDown : public TPersistent {
 public:
  TFilterDropDown();
  int Height() const { return height_; }
  void SetHeight(int v) { height_ = v; }
  int Width() const { return width_; }
  void SetWidth(int v) { width_ = v; }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  TFont* Font() { return &font_; }
  // True: the list takes the width of the header cell.
  bool ColumnWidth() const { return columnWidth_; }
  void SetColumnWidth(bool v) { columnWidth_ = v; }

 private:
  int height_ = 200;
  int width_ = 200;
  TColor color_ = clWindow;
  TFont font_;
  bool columnWidth_ = false;
};

using TDropListSelectEvent = std::function<void(TObject* sender, int itemIndex)>;

// The list under a header cell: Enter or a released mouse button hides it
// and reports the current item.
class TDropList : public TListBox {
 public:
  explicit TDropList(TComponent* owner) : TListBox(owner) {}
  TDropListSelectEvent OnSelect;

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  void Select();
};

// ------------------------------------------------------------- TExColumnGrid

using TFilterSelectEvent = std::function<void(TObject* sender, int column, int itemIndex,
                                              const AnsiString& friendlyName, AnsiString& condition)>;
using TColumnPopupEvent =
    std::function<void(TObject* sender, int col, int row, TPopupMenu* popupMenu)>;

class TExColumnGrid : public TExStringGrid {
 public:
  explicit TExColumnGrid(TComponent* owner);
  ~TExColumnGrid() override;

  // ---- the items
  // Brings the item count in step first, should the columns have changed
  // behind the grid's back.
  TGridColumnCollection* Columns();
  void SetColumns(const TGridColumnCollection* value);
  // The first item, in index order, whose Name equals name byte for byte; nullptr if none.
  TGridColumnItem* ColumnByName(const AnsiString& name);
  // Items added or freed to match ColCount + hidden columns, headers read
  // from row 0.
  void SyncColumns();
  // Puts each item on the real column whose row-0 text is its Header (or
  // its Name): after a file saved with moved columns, the names follow the
  // data. Items that name no column fill the remaining columns in order.
  void MatchColumnsToHeaders();

  // ---- re-published dimensions
  int ColCount() const { return TExStringGrid::ColCount(); }
  void SetColCount(int value);

  // ---- rows and columns: the items follow
  void InsertColumns(int col, int count) override;
  void RemoveColumns(int col, int count) override;
  // Moves display column from to to; the item travels with its column, every
  // property kept. Hidden columns stay hidden and keep their data.
  void MoveColumn(int fromIndex, int toIndex) override;
  void GroupByColumn(int col) override;
  void Ungroup() override;
  void GroupWithNodeColumn(int col) override;
  void UngroupWithNodeColumn() override;

  // ---- per-cell queries: the column's settings, then the inherited query
  void GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font) override;
  void GetCellPrintColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font) override;
  void GetCellBorder(int col, int row, TPen* pen, TCellBorders& borders) override;
  void GetCellPrintBorder(int col, int row, TPen* pen, TCellBorders& borders) override;
  void GetCellAlignment(int col, int row, TAlignment& horizontal, TVAlignment& vertical) override;
  void GetCellFormat(int col, TSortStyle& style, AnsiString& prefix, AnsiString& suffix) override;
  void GetCellEditor(int col, int row, TEditorType& editor) override;
  void IsFixedCellQuery(int col, int row, bool& fixed) override;
  void CanEditCell(int col, int row, bool& canEdit) override;
  void IsPasswordCell(int col, int row, bool& password) override;
  bool HasComboBox(int col, int row) override;
  void GetCheckTrue(int col, int row, AnsiString& text) override;
  void GetCheckFalse(int col, int row, AnsiString& text) override;
  bool HasColumnFilter(int col) override;
  TCellType GetCellType(int col, int row) const override;
  // The cell's own graphic, or in the normal area of an edDataCheckBox
  // column the shared virtual check box: painting, clicks, Space, the
  // check box calls and sorting see its "Y" / "N" texts as a check box.
  TCellGraphic* GetCellGraphic(int col, int row) const override;
  // The text as shown, painted, measured and exported: the column's
  // FloatFormat applied to numeric texts (OnGetFloatFormat may change
  // both). Cells keep the raw text, so files and copies hold what was typed.
  void GetDisplayText(int col, int row, AnsiString& text) override;
  // Each column takes its header from the list as well as its cell.
  void ApplyColumnHeaders() override;
  // The items follow the cells: an imported header row gives the headers.
  void ReSync() override;

  // ---- filter list and column pop-ups
  TFilterDropDown* FilterDropDown() { return filterDropDown_.get(); }
  TDropList* DropList() const { return dropList_; }
  // The real column whose filter list is open, -1 when none.
  int FilterListColumn() const { return filterListColumn_; }
  bool AutoFilterUpdate() const { return autoFilterUpdate_; }
  void SetAutoFilterUpdate(bool v) { autoFilterUpdate_ = v; }
  bool AutoFilterDisplay() const { return autoFilterDisplay_; }
  void SetAutoFilterDisplay(bool v) { autoFilterDisplay_ = v; }
  // Applies entry itemIndex of the open column's Filter list as the column's
  // filter condition; closes the list in every case.
  void SelectFilterItem(int itemIndex);
  TFilterSelectEvent OnFilterSelect;
  TColumnPopupEvent OnColumnPopup;
  TNotifyEvent OnFilterDone;

  // ---- version
  static constexpr unsigned kVersionNr = (2u << 24) | (8u << 16) | (8u << 8) | 1u;
  unsigned GetVersionNr() const override { return kVersionNr; }
  AnsiString GetVersionString() const override { return "2.8.8.1 April, 2005"; }

  bool MovingColumn() const { return movingColumn_; }

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void SizeChanged(int oldColCount, int oldRowCount) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void ColWidthsChanged() override;
  int GetEditLimit() override;
  AnsiString GetEditMask(int col, int row) override;
  // A width within the column's MinSize / MaxSize (by the mouse) or
  // AutoMinSize / AutoMaxSize (fitted); 0 means no bound. Then the event.
  void UpdateColumnSize(int col, int& width, bool automatic) override;
  bool FloatFormatNotANumber(int col, int row) override;
  virtual TGridColumnCollection* CreateColumns() { return new TGridColumnCollection(this); }

 private:
  friend class TGridColumnItem;
  friend class TGridColumnCollection;
  // The item of a real column, nullptr past the items; never re-synchronises.
  TGridColumnItem* ItemAt(int col) const;
  bool InNormalArea(int col, int row) const;
  // Whether (col, row) shows its float value, and by which format: the
  // column's FloatFormat for a numeric text, as OnGetFloatFormat leaves them.
  bool FloatFormatOf(int col, int row, const AnsiString& text, AnsiString& format);
  // Rebuilds the string grid's ColumnHeaders list from the items' headers
  // without writing row 0 again.
  void RebuildColumnHeaders();
  void OpenFilterList(int col, const TRect& headerRect);
  void CloseFilterList();
  // The real columns are moved with every column shown; the hidden ones
  // are hidden again at their new places.
  void MoveRealColumn(int realFrom, int realTo);

  std::unique_ptr<TGridColumnCollection> columns_;
  std::unique_ptr<TFilterDropDown> filterDropDown_;
  TDropList* dropList_ = nullptr;  // owned as a component
  std::unique_ptr<TCellGraphic> virtualCheck_;
  std::unique_ptr<TGridColumnItem> groupStash_;
  bool groupStashed_ = false;
  int filterListColumn_ = -1;
  bool movingColumn_ = false;
  bool syncing_ = false;
  bool autoFilterUpdate_ = false;
  bool autoFilterDisplay_ = false;
};

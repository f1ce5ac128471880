// Outline rows of the string grid: the grouping options. The node and
// grouping operations are members of TExStringGrid (ExGridNodes.cpp).
//
// A node is a row whose column-0 cell carries a ctNode graphic: CellIndex is
// its span (the node row included; 0 = up to the next node row) and
// CellBoolean is set while it is collapsed. A summary row carries a
// ctSummary graphic in column 0. The row's level, the number of nodes it
// lies in, is kept with the row itself (the store's row tag), so that
// grouping a large grid gives its rows no property objects of their own.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/vcl/Graphics.h"

class TExStringGrid;

enum TNodeType : Byte { cnFlat, cn3D, cnGlyph, cnLeaf, cnXP };

// The looks and behaviour of node rows. A change of the looks repaints the
// grid when the value differs.
class TCellNode : public TPersistent {
 public:
  explicit TCellNode(TExStringGrid* grid) : grid_(grid) {}

  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  TColor NodeColor() const { return nodeColor_; }
  void SetNodeColor(TColor v) { nodeColor_ = v; }
  TColor TreeColor() const { return treeColor_; }
  void SetTreeColor(TColor v) { SetAndRepaint(treeColor_, v); }
  // Expanding a node first collapses every other expanded node.
  bool ExpandOne() const { return expandOne_; }
  void SetExpandOne(bool v) { expandOne_ = v; }
  TNodeType NodeType() const { return nodeType_; }
  void SetNodeType(TNodeType v) { SetAndRepaint(nodeType_, v); }
  // Pixels per nesting level.
  int NodeIndent() const { return nodeIndent_; }
  void SetNodeIndent(int v) { SetAndRepaint(nodeIndent_, v); }
  bool ShowTree() const { return showTree_; }
  void SetShowTree(bool v) { SetAndRepaint(showTree_, v); }
  bool ShowTreeFull() const { return showTreeFull_; }
  void SetShowTreeFull(bool v) { SetAndRepaint(showTreeFull_, v); }
  // cnGlyph pictures; either one empty draws the box instead.
  TBitmap* ExpandGlyph() { return &expandGlyph_; }
  TBitmap* ContractGlyph() { return &contractGlyph_; }

  void Assign(const TPersistent* source) override;

 private:
  template <class T>
  void SetAndRepaint(T& field, T value) {
    if (field == value) return;
    field = value;
    Repaint();
  }
  void Repaint();

  TExStringGrid* grid_;
  TColor color_ = 0xC0C0C0;
  TColor nodeColor_ = clBlack;
  TColor treeColor_ = 0xC0C0C0;
  bool expandOne_ = false;
  TNodeType nodeType_ = cnXP;
  int nodeIndent_ = 12;
  TBitmap expandGlyph_;
  TBitmap contractGlyph_;
  bool showTree_ = true;
  bool showTreeFull_ = true;
};

// How GroupByColumn marks its header and summary rows. A colour of clNone
// is not set.
class TGrouping : public TPersistent {
 public:
  bool MergeHeader() const { return mergeHeader_; }
  void SetMergeHeader(bool v) { mergeHeader_ = v; }
  bool MergeSummary() const { return mergeSummary_; }
  void SetMergeSummary(bool v) { mergeSummary_ = v; }
  // A summary row after each group.
  bool Summary() const { return summary_; }
  void SetSummary(bool v) { summary_ = v; }
  TColor HeaderColor() const { return headerColor_; }
  void SetHeaderColor(TColor v) { headerColor_ = v; }
  TColor HeaderColorTo() const { return headerColorTo_; }
  void SetHeaderColorTo(TColor v) { headerColorTo_ = v; }
  TColor HeaderTextColor() const { return headerTextColor_; }
  void SetHeaderTextColor(TColor v) { headerTextColor_ = v; }
  TColor SummaryColor() const { return summaryColor_; }
  void SetSummaryColor(TColor v) { summaryColor_ = v; }
  TColor SummaryColorTo() const { return summaryColorTo_; }
  void SetSummaryColorTo(TColor v) { summaryColorTo_ = v; }
  TColor SummaryTextColor() const { return summaryTextColor_; }
  void SetSummaryTextColor(TColor v) { summaryTextColor_ = v; }

  void Assign(const TPersistent* source) override;

 private:
  bool mergeHeader_ = false;
  bool mergeSummary_ = false;
  bool summary_ = false;
  TColor headerColor_ = clNone;
  TColor headerColorTo_ = clNone;
  TColor headerTextColor_ = clNone;
  TColor summaryColor_ = clNone;
  TColor summaryColorTo_ = clNone;
  TColor summaryTextColor_ = clNone;
};

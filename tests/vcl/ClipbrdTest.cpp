// The clipboard keeps bytes per format, text in code page 949 and file lists;
// drop targets hear drags with the Ctrl state.
#include <gtest/gtest.h>

#include "VclTestSupport.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/DragDrop.h"

namespace {

struct MemoryClipboard {
  MemoryClipboard() { UseMemoryClipboard(true); }
  ~MemoryClipboard() { UseMemoryClipboard(false); }
};

TEST(Clipbrd, PrivateFormatKeepsItsBytesExactly) {
  MemoryClipboard memory;
  UINT grid = RegisterClipboardFormat("VidrenaGridCells");
  EXPECT_EQ(RegisterClipboardFormat("vidrenagridcells"), grid) << "names ignore ASCII case";
  EXPECT_GE(grid, 0xC000u);
  std::string bytes("\x00\x01\xFF\r\n\xB1\xE8", 7);
  Clipboard()->Open();
  Clipboard()->SetAsBytes(grid, bytes);
  Clipboard()->SetAsText("영화\t제목"_k);
  Clipboard()->Close();
  EXPECT_TRUE(Clipboard()->HasFormat(grid));
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard()->AsBytes(grid), bytes);
  EXPECT_EQ(Clipboard()->AsText(), "영화\t제목"_k);
}

TEST(Clipbrd, SettingOutsideOpenReplacesEverything) {
  MemoryClipboard memory;
  UINT f = RegisterClipboardFormat("VidrenaTest");
  Clipboard()->SetAsBytes(f, "abc");
  Clipboard()->SetAsText("text");
  EXPECT_FALSE(Clipboard()->HasFormat(f));
  EXPECT_EQ(Clipboard()->AsText(), "text");
  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard()->AsText(), "");
}

TEST(Clipbrd, FileListsRoundTrip) {
  MemoryClipboard memory;
  std::vector<AnsiString> files{AnsiString("/movies/") + "괴물"_k + ".avi", "/movies/a b.smi"};
  Clipboard()->SetFileNames(files);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_HDROP));
  EXPECT_EQ(Clipboard()->FileNames(), files);
}

TEST(Clipbrd, DesktopClipboardCarriesHangulAndPrivateBytes) {
  UseMemoryClipboard(false);
  Application->Initialize();
  UINT f = RegisterClipboardFormat("VidrenaDesktopTest");
  Clipboard()->Open();
  Clipboard()->SetAsText("포스터"_k);
  Clipboard()->SetAsBytes(f, std::string("\x01\x00\x02", 3));
  Clipboard()->Close();
  EXPECT_EQ(Clipboard()->AsText(), "포스터"_k);
  EXPECT_EQ(Clipboard()->AsBytes(f), std::string("\x01\x00\x02", 3));
}

class TRecordingTarget : public TDropTarget {
 public:
  std::vector<std::string> calls;
  TDragData dropped;
  int answer = DROPEFFECT_COPY;
  bool moveWithoutCtrl = true;
  void DragEnter(const TDragData& data, TShiftState shift, TPoint pt, int& effect) override {
    calls.push_back("enter");
    effect = Choose(shift, effect);
  }
  void DragOver(TShiftState shift, TPoint pt, int& effect) override {
    calls.push_back("over " + std::to_string(pt.X) + "," + std::to_string(pt.Y));
    effect = Choose(shift, effect);
  }
  void DragLeave() override { calls.push_back("leave"); }
  void Drop(const TDragData& data, TShiftState shift, TPoint pt, int& effect) override {
    calls.push_back("drop");
    dropped = data;
    effect = Choose(shift, effect);
  }
  int Choose(TShiftState shift, int proposed) {
    if (answer == DROPEFFECT_NONE) return DROPEFFECT_NONE;
    return shift.contains(ssCtrl) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
  }
};

TEST(Clipbrd, DropTargetHearsEnterOverDropWithCtrlChoosingCopy) {
  ShownForm form;
  TRecordingTarget target;
  RegisterDragDrop(form.form, &target);
  UINT cells = RegisterClipboardFormat("VidrenaGridCells");
  TDragData data;
  data.HasText = true;
  data.Text = "괴물"_k;
  data.Formats[cells] = "row\x01";
  data.Files = {"/tmp/a.jpg"};
  int all = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(SimulateDrag(form.form, dpEnter, data, {10, 10}, {}, all), DROPEFFECT_MOVE);
  EXPECT_EQ(SimulateDrag(form.form, dpOver, data, {20, 30}, {ssCtrl}, all), DROPEFFECT_COPY);
  EXPECT_EQ(SimulateDrag(form.form, dpDrop, data, {20, 30}, {ssCtrl}, all), DROPEFFECT_COPY);
  EXPECT_EQ(target.calls, (std::vector<std::string>{"enter", "over 20,30", "drop"}));
  EXPECT_TRUE(target.dropped.HasText);
  EXPECT_EQ(target.dropped.Text, "괴물"_k);
  EXPECT_EQ(target.dropped.Formats.at(cells), "row\x01");
  EXPECT_EQ(target.dropped.Files, std::vector<AnsiString>{"/tmp/a.jpg"});
  RevokeDragDrop(form.form);
}

TEST(Clipbrd, RefusingTargetTakesNoDropAndLeaveIsHeard) {
  ShownForm form;
  TRecordingTarget target;
  target.answer = DROPEFFECT_NONE;
  RegisterDragDrop(form.form, &target);
  TDragData data;
  data.HasText = true;
  data.Text = "x";
  SimulateDrag(form.form, dpEnter, data, {1, 1}, {}, DROPEFFECT_COPY);
  EXPECT_EQ(SimulateDrag(form.form, dpOver, data, {2, 2}, {}, DROPEFFECT_COPY), DROPEFFECT_NONE);
  SimulateDrag(form.form, dpLeave, data, {2, 2}, {}, DROPEFFECT_COPY);
  EXPECT_EQ(target.calls.back(), "leave");
  RevokeDragDrop(form.form);
}

TEST(Clipbrd, DragSourceHookSeesTheData) {
  ShownForm form;
  TDragData seen;
  SetDragDropHook([&](const TDragData& d, int allowed) {
    seen = d;
    return allowed & DROPEFFECT_MOVE;
  });
  TDragData data;
  data.HasText = true;
  data.Text = "abc";
  EXPECT_EQ(DoDragDrop(form.form, data, DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_MOVE);
  EXPECT_EQ(seen.Text, "abc");
  SetDragDropHook(nullptr);
}

}  // namespace

// The floating menu panel's shape and layout, and the folder-browse dialog
// through the platform's dialog fake.
#include <gtest/gtest.h>

#include "platform/rtl/Cp949.h"
#include "platform/vcl/ExtCtrls.h"
#include "shaped/SpPanelShape.h"
#include "shaped/SpShellBrowseDialog.h"
#include "tests/vcl/VclTestSupport.h"

namespace {

TEST(SpPanelShape, TheOutlineIsRoundedWithAShadowAlongTheRightAndBottom) {
  ShownForm form;
  auto* panel = new TSpPanelShape(form.form);
  panel->SetParent(form.form);
  panel->SetBounds(20, 20, 200, 150);
  panel->SetShadowSize(6);
  panel->SetCornerRadius(10);
  TRegion outline = panel->Outline();
  EXPECT_TRUE(outline.Contains({100, 70}));       // the body
  EXPECT_FALSE(outline.Contains({0, 0}));         // a rounded corner
  EXPECT_FALSE(outline.Contains({197, 1}));       // above the shadow's start
  EXPECT_TRUE(outline.Contains({197, 75}));       // the shadow on the right
  EXPECT_TRUE(outline.Contains({100, 147}));      // the shadow below
  EXPECT_FALSE(outline.Contains({199, 149}));     // the shadow's own corner
  EXPECT_EQ(panel->BodyRect(), Rect(0, 0, 194, 144));
}

TEST(SpPanelShape, ChildrenFillTheBodyClearOfCornersAndShadow) {
  ShownForm form;
  auto* panel = new TSpPanelShape(form.form);
  panel->SetParent(form.form);
  panel->SetBounds(20, 20, 200, 150);
  auto* page = new TPanel(form.form);
  page->SetParent(panel);
  page->SetAlign(alClient);
  TRect body = panel->BodyRect();
  EXPECT_GT(page->Left(), body.Left);
  EXPECT_GT(page->Top(), body.Top);
  EXPECT_LT(page->Left() + page->Width(), body.Right);
  EXPECT_LT(page->Top() + page->Height(), body.Bottom);
  // The window moves its panel when resized; the children follow its size.
  panel->SetBounds(20, 60, 240, 180);
  EXPECT_LT(page->Top() + page->Height(), panel->BodyRect().Bottom);
  EXPECT_GT(page->Width(), 200);
  panel->Hide();
  EXPECT_FALSE(panel->Showing());
  panel->Show();
  EXPECT_TRUE(panel->Showing());
}

TEST(SpShellBrowseDialog, TheChosenFolderComesBackWithoutATrailingSeparator) {
  TDialogFakesGuard fakes;
  TSpShellBrowseDialog dialog(nullptr);
  dialog.SetCaption("포스터 폴더"_k);
  dialog.SetInstructionText("포스터가 있는 폴더를 선택하세요."_k);
  dialog.SetSelectedPath("/home/영화");
  TDialogFakes::QueueFolder(AnsiString("/media/영화/액션/"_k));
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.SelectedPath(), "/media/영화/액션"_k);
  EXPECT_EQ(dialog.SelectedPath() + "/*.avi", "/media/영화/액션/*.avi"_k);
  ASSERT_FALSE(TDialogFakes::Prompts().empty());
  EXPECT_EQ(TDialogFakes::Prompts().back(), "포스터가 있는 폴더를 선택하세요."_k);

  // Cancelled: the folder stays as it was.
  TDialogFakes::QueueFolder(std::nullopt);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.SelectedPath(), "/media/영화/액션"_k);

  // The root keeps its separator.
  TDialogFakes::QueueFolder(AnsiString("/"));
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.SelectedPath(), "/");
}

}  // namespace

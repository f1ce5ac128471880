// The check list's own file format, as the column chooser keeps it: read and
// written byte for byte, hostile lines, a failed save, and the change event
// of a user's click.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

#include "styled/ScCheckList.h"
#include "tests/app/AppTestSupport.h"
#include "tests/vcl/VclTestSupport.h"

namespace {

const AnsiString kFixture = FromSysFileName(std::string(VIDRENA_TEST_DATA) + "/styled/목록.View");

TEST(ScCheckList, AChooserFileIsReadWithStatesAndWrittenBackByteForByte) {
  TScCheckList list(nullptr);
  list.LoadFromFile(kFixture);
  ASSERT_EQ(list.Items()->Count(), 6);
  EXPECT_EQ(list.Items()->Strings(0), "제목"_k);
  EXPECT_TRUE(list.Checked(0));
  EXPECT_TRUE(list.ItemEnabled(0));
  EXPECT_FALSE(list.ItemEnabled(1));
  EXPECT_EQ(list.Items()->Strings(2), "감독 "_k);
  EXPECT_EQ(list.State(2), cbUnchecked);
  EXPECT_EQ(list.State(3), cbGrayed);
  EXPECT_EQ(list.Items()->Strings(4), "100% 확인"_k);
  EXPECT_EQ(list.Items()->Strings(5), "");

  TempFolder dir;
  const AnsiString saved = dir.Path() + "목록.View"_k;
  list.SaveToFile(saved);
  EXPECT_EQ(ReadTextFile(saved), ReadTextFile(kFixture));
}

TEST(ScCheckList, EachLineIsAmpersandStateEnabledTextAndABlankBeforeTheBreak) {
  TScCheckList list(nullptr);
  list.Items()->Add("포스터"_k);
  list.Items()->Add("IMDB");
  list.SetChecked(0, true);
  list.SetItemEnabled(1, false);
  EXPECT_EQ(list.ItemsText(), "&1 1 포스터 \r\n&0 0 IMDB \r\n"_k);
}

TEST(ScCheckList, HostileLinesNeverCrashAndNothingChangesWhenTheFileCannotBeRead) {
  TScCheckList list(nullptr);
  list.Items()->Add("그대로"_k);
  EXPECT_THROW(list.LoadFromFile("/nonexistent/목록.View"_k), EFOpenError);
  ASSERT_EQ(list.Items()->Count(), 1);

  // LF-only breaks, blank lines, a missing final break, numbers out of
  // range or missing, a line without the format.
  list.SetItemsText("&1 1 a \n\n&7 1 b \r\n&x 1 c\r\n&1\r\nplain line\r\n&0 99999999999999 d ");
  ASSERT_EQ(list.Items()->Count(), 6);
  EXPECT_EQ(list.Items()->Strings(0), "a");
  EXPECT_EQ(list.State(1), cbUnchecked);
  EXPECT_EQ(list.Items()->Strings(2), "&x 1 c");
  EXPECT_EQ(list.Items()->Strings(3), "&1");
  EXPECT_EQ(list.Items()->Strings(4), "plain line");
  EXPECT_TRUE(list.Checked(4));
  EXPECT_EQ(list.Items()->Strings(5), "&0 99999999999999 d ");
}

TEST(ScCheckList, ASaveThatCannotBeWrittenRaisesAndKeepsTheOldFile) {
  TempFolder dir;
  TScCheckList list(nullptr);
  list.Items()->Add("제목"_k);
  EXPECT_THROW(list.SaveToFile(dir.Path() + "없는폴더/목록.View"_k), EFCreateError);

  const AnsiString target = dir.Path() + "목록.View"_k;
  WriteTextFile(target, "&1 1 old \r\n");
  ::mkdir(SysFileName(target + ".tmp~").c_str(), 0755);  // the temporary name is taken by a folder
  try {
    list.SaveToFile(target);
    FAIL() << "the save should have failed";
  } catch (const EFCreateError& e) {
    EXPECT_NE(e.Message().find(target), AnsiString::npos);
  }
  EXPECT_EQ(ReadTextFile(target), "&1 1 old \r\n");
}

TEST(ScCheckList, TheUsersClickReportsTheItemAndItsNewState) {
  // Filled before its window exists, as a window fills its chooser at start.
  TForm* form = new TForm(nullptr);
  std::unique_ptr<TForm> owner(form);
  form->SetBounds(10, 10, 400, 300);
  auto* list = new TScCheckList(form);
  list->SetParent(form);
  list->SetBounds(10, 10, 200, 150);
  list->LoadFromFile(kFixture);
  form->Show();
  std::vector<std::pair<int, TCheckBoxState>> changes;
  list->OnChange = [&](TObject*, int index, TCheckBoxState state) { changes.emplace_back(index, state); };
  list->SetFocus();
  list->SetItemIndex(2);
  SimulateKey(list, VK_SPACE);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].first, 2);
  EXPECT_EQ(changes[0].second, cbChecked);
  EXPECT_TRUE(list->Checked(2));
  // A change from code is not reported.
  list->SetChecked(0, false);
  EXPECT_EQ(changes.size(), 1u);
  list->SetItemIndex(0);
  SimulateKey(list, VK_SPACE);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[1].first, 0);
  EXPECT_EQ(changes[1].second, cbChecked);
}

}  // namespace

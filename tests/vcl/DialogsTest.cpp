// Message boxes, input boxes, file and folder dialogs and the shell, through
// their fakes: queued answers, recorded Korean texts, refused addresses.
#include <gtest/gtest.h>

#include "VclTestSupport.h"
#include "platform/vcl/ShellApi.h"

namespace {

TEST(Dialogs, QueuedAnswersComeBackInOrderAndTheKoreanTextIsRecorded) {
  TDialogFakesGuard fakes;
  TDialogFakes::QueueAnswer(mrYes);
  TDialogFakes::QueueAnswer(mrCancel);
  const AnsiString question = "DB가 변경 되었습니다\r변경된 내용을 저장 하시겠습니까?"_k;
  EXPECT_EQ(MessageDlg(question, mtConfirmation, mbYesNoCancel), mrYes);
  EXPECT_EQ(MessageDlg(question, mtConfirmation, mbYesNoCancel), mrCancel);
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 2u);
  const TMessageBoxRecord& r = TDialogFakes::MessageBoxes()[0];
  EXPECT_EQ(r.Text, question);
  EXPECT_EQ(r.Flags & 0xF, MB_YESNOCANCEL);
  EXPECT_EQ(r.Flags & 0xF0, MB_ICONQUESTION);
}

TEST(Dialogs, EmptyQueueAnswersTheEscapeButton) {
  TDialogFakesGuard fakes;
  EXPECT_EQ(MessageDlg("q", mtConfirmation, mbYesNoCancel), mrCancel);
  EXPECT_EQ(MessageDlg("q", mtConfirmation, mbYesNo), mrNo);
  EXPECT_EQ(ShowMessageBox("x", "t", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(ShowMessageBox("x", "t", MB_OK), IDOK);
}

TEST(Dialogs, AnOkOnlyBoxLeavesTheQueuedAnswerForTheQuestion) {
  TDialogFakesGuard fakes;
  TDialogFakes::QueueAnswer(mrYes);
  ShowMessage("작업을 완료 했습니다."_k);
  EXPECT_EQ(MessageDlg("새로운 버젼이 있습니다. 확인하시겠습니까?"_k, mtConfirmation, mbYesNo), mrYes);
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 2u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Answer, IDOK);
}

TEST(Dialogs, MessageDlgCaptionsFollowTheType) {
  TDialogFakesGuard fakes;
  MessageDlg("a", mtWarning, mbOKOnly);
  MessageDlg("b", mtError, mbOKOnly);
  MessageDlg("c", mtInformation, mbOKOnly);
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 3u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Caption, "경고"_k);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[1].Caption, "오류"_k);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[2].Caption, "정보"_k);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[1].Flags & 0xF0, MB_ICONERROR);
}

TEST(Dialogs, ApplicationMessageBoxGoesThroughTheSameLayer) {
  TDialogFakesGuard fakes;
  TDialogFakes::QueueAnswer(IDNO);
  EXPECT_EQ(Application->MessageBox("선택한 항목을 복사하시겠습니까.?"_k, "Vidrena", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(TDialogFakes::MessageBoxes().back().Text, "선택한 항목을 복사하시겠습니까.?"_k);
}

TEST(Dialogs, InputQueryTakesTheQueuedTextOrKeepsTheValueWhenCancelled) {
  TDialogFakesGuard fakes;
  TDialogFakes::QueueInput("홍길동"_k);
  TDialogFakes::QueueInput(std::nullopt);
  AnsiString value = "old";
  EXPECT_TRUE(InputQuery("빌려주기"_k, "빌린이"_k, value));
  EXPECT_EQ(value, "홍길동"_k);
  EXPECT_FALSE(InputQuery("빌려주기"_k, "빌린이"_k, value));
  EXPECT_EQ(value, "홍길동"_k);
  EXPECT_EQ(InputBox("c", "p", "default"), "default");
  EXPECT_EQ(TDialogFakes::Prompts().front(), "빌린이"_k);
}

TEST(Dialogs, SaveDialogAddsTheDefaultExtensionAndRecordsItsSetup) {
  TDialogFakesGuard fakes;
  TDialogFakes::QueueFileName("/data/DB/movies");
  TDialogFakes::QueueFileName("/data/DB/old.vdm");
  TDialogFakes::QueueFileNames(std::nullopt);
  TSaveDialog save(nullptr);
  save.DefaultExt = ".VDM";
  save.Filter = "VIDRENA 영화 정보 파일|*.VDM"_k;
  save.InitialDir = "/data/DB";
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName, "/data/DB/movies.VDM");
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName, "/data/DB/old.vdm") << "a name with an extension keeps it";
  EXPECT_FALSE(save.Execute()) << "cancelled";
  EXPECT_EQ(save.FileName, "/data/DB/old.vdm");
  ASSERT_EQ(TDialogFakes::FileDialogs().size(), 3u);
  EXPECT_TRUE(TDialogFakes::FileDialogs()[0].Save);
  EXPECT_EQ(TDialogFakes::FileDialogs()[0].Filter, "VIDRENA 영화 정보 파일|*.VDM"_k);
  EXPECT_EQ(TDialogFakes::FileDialogs()[0].InitialDir, "/data/DB");
}

TEST(Dialogs, OpenDialogCanReturnSeveralFiles) {
  TDialogFakesGuard fakes;
  TDialogFakes::QueueFileNames(std::vector<AnsiString>{"/a/1.jpg", "/a/2.jpg"});
  TOpenDialog open(nullptr);
  open.Options << ofAllowMultiSelect;
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.Files.size(), 2u);
  EXPECT_EQ(open.FileName, "/a/1.jpg");
}

TEST(Dialogs, FolderAndColourChoices) {
  TDialogFakesGuard fakes;
  TDialogFakes::QueueFolder(AnsiString("/posters/"));
  TDialogFakes::QueueColor(TColor(0x0000FF));
  AnsiString dir = "/start";
  EXPECT_TRUE(SelectDirectory("폴더 선택"_k, "복사 / 이동할 포스터를 선택 하세요."_k, dir));
  EXPECT_EQ(dir, "/posters");
  EXPECT_EQ(TDialogFakes::Prompts().back(), "복사 / 이동할 포스터를 선택 하세요."_k);
  TColorDialog colour(nullptr);
  ASSERT_TRUE(colour.Execute());
  EXPECT_EQ(colour.Color, TColor(0x0000FF));
  EXPECT_FALSE(colour.Execute()) << "nothing queued: cancelled";
}

TEST(Dialogs, ShellOpensOnlyWebAndMailAddresses) {
  TShellFake::Enable();
  EXPECT_GT(ShellExecute(nullptr, "open", "http://www.example.com/movie?id=1", "", "", SW_SHOWNORMAL), 32);
  EXPECT_GT(ShellExecute(nullptr, "open", "HTTPS://example.com", "", "", SW_SHOWNORMAL), 32);
  EXPECT_GT(ShellExecute(nullptr, "open", "mailto:someone@example.com", "", "", SW_SHOWNORMAL), 32);
  // Addresses come from catalogue data: none of these may start anything.
  for (const char* hostile : {"/bin/sh", "file:///etc/passwd", "C:\\Windows\\system32\\cmd.exe", "javascript:alert(1)",
                              "", "http://", "  ftp://example.com"}) {
    EXPECT_EQ(ShellExecute(nullptr, "open", hostile, "", "", SW_SHOWNORMAL), SE_ERR_ACCESSDENIED) << hostile;
  }
  EXPECT_LE(ShellExecute(nullptr, "print", "http://example.com", "", "", SW_SHOWNORMAL), 32) << "only the open verb";
  EXPECT_EQ(TShellFake::OpenedAddresses(),
            (std::vector<AnsiString>{"http://www.example.com/movie?id=1", "HTTPS://example.com", "mailto:someone@example.com"}));
  TShellFake::Disable();
}

}  // namespace

// The chat log and keyword features of the main window: the switches and
// the shared Timer2 rule, the capture on Timer2's tick, the keyword add.
#include <filesystem>

#include "form_fixture.h"
#include "platform/fake/fake_desktop.h"
#include "platform/files_testing.h"

namespace tamiru::testing_support {
namespace {

const std::string kPad13(13, ' ');

class FormChatlog : public FormTest {
 protected:
  // The log files lie in the current directory: the test's folder.
  FormChatlog() : previous_dir_(std::filesystem::current_path()) {
    std::filesystem::current_path(std::filesystem::path(folder.File("")));
  }
  ~FormChatlog() override { std::filesystem::current_path(previous_dir_); }

 private:
  std::filesystem::path previous_dir_;
};

TEST_F(FormChatlog, SwitchesToggleTheirSettingAndShareTheTimer2Rule) {
  Start();
  form->Label6->SetCaption("残り3分");
  ASSERT_TRUE(host.Click("Button3"));
  EXPECT_EQ(form->Settings.SaveChatLog, 1);
  EXPECT_EQ(form->Button3->Caption(), "ON");
  EXPECT_TRUE(form->Timer2->IsEnabled());
  ASSERT_TRUE(host.Click("Button18"));
  EXPECT_EQ(form->Settings.Keyword, 1);
  EXPECT_EQ(form->Button18->Caption(), "ON");

  // One switch still on keeps Timer2 and the countdown.
  host.Click("Button3");
  EXPECT_EQ(form->Button3->Caption(), "OFF");
  EXPECT_TRUE(form->Timer2->IsEnabled());
  EXPECT_EQ(form->Label6->Caption(), "残り3分");
  // The last one off stops it and empties the countdown.
  host.Click("Button18");
  EXPECT_EQ(form->Settings.Keyword, 0);
  EXPECT_FALSE(form->Timer2->IsEnabled());
  EXPECT_EQ(form->Label6->Caption(), "");
}

TEST_F(FormChatlog, AValueOtherThanOneCountsAsOnAndTurnsOff) {
  Start("SaveChatLog=5\r\nAutoWatch=1\r\n");
  host.Click("Button3");
  EXPECT_EQ(form->Settings.SaveChatLog, 0);
  EXPECT_TRUE(form->Timer2->IsEnabled());  // the keep-alive still needs it
}

TEST_F(FormChatlog, Timer2CapturesTheChatIntoTheMonthsLogAndSounds) {
  WriteIni("SaveChatLog=1\r\nKeyword=1\r\nSaveChatLogTimeInterval=3\r\nChatLogFormat=2\r\n");
  WriteLists({}, {}, "ron\r\n");
  Build();
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "a>hi\r\nb>ron!");
  loop.Advance(3000);
  EXPECT_EQ(folder.Read("LOG0112.txt"), "2001/12/08(土)13:05 a" + kPad13 + ">hi\r\n" +
                                            "2001/12/08(土)13:05 b" + kPad13 + ">ron!\r\n");
  ASSERT_EQ(sound.played.size(), 1u);
  EXPECT_EQ(sound.played[0], form->paths().AlertSound());
  EXPECT_TRUE(form->paths().AlertSound().ends_with("call.wav"));
  EXPECT_EQ(form->Capture.NextChatLine, 2);
  EXPECT_EQ(form->Capture.LastChatSource, 1);

  // Ticks without new lines change nothing; the next line is logged once.
  loop.Advance(6000);
  desktop.AppendLine(main.chat_view, "c>ron ron");
  loop.Advance(3000);
  const std::string log = folder.Read("LOG0112.txt");
  EXPECT_TRUE(log.ends_with(">ron!\r\n2001/12/08(土)13:05 c" + kPad13 + ">ron ron\r\n"));
  EXPECT_EQ(sound.played.size(), 2u);
}

TEST_F(FormChatlog, BothSwitchesOffTheTickCapturesNothing) {
  Start("AutoWatch=1\r\nSaveChatLogTimeInterval=3\r\n");
  const auto room = desktop.CreateWaitingRoom();
  desktop.SetText(room.chat_view, "a\thi\r\nb\tho");
  loop.Advance(3000);
  EXPECT_FALSE(std::filesystem::exists(folder.File("LOG0112.txt")));
  EXPECT_EQ(form->Capture.NextChatLine, 1);
}

TEST_F(FormChatlog, KeywordAddOpensRefusesADuplicateOrWritesTheWholeFile) {
  WriteIni();
  WriteLists({}, {}, "ron\nツモ");
  Build();
  // Empty Edit2: the keyword file opens in its program; nothing else changes.
  host.Click("Button25");
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].verb, "open");
  EXPECT_EQ(shell.calls[0].file, form->Settings.File5);
  EXPECT_EQ(shell.calls[0].directory, "c:\\Windows");
  EXPECT_EQ(shell.calls[0].show, platform::kSwShow);

  form->Edit2->SetText("ツモ");
  host.Click("Button25");
  EXPECT_EQ(form->Edit2->Text(), "");
  EXPECT_EQ(folder.Read("keyword.txt"), "ron\nツモ");  // not rewritten

  form->Edit2->SetText("Ron");  // case counts
  host.Click("Button25");
  EXPECT_EQ(form->KeywordList, (std::vector<std::string>{"ron", "ツモ", "Ron"}));
  EXPECT_EQ(folder.Read("keyword.txt"), "ron\r\nツモ\r\nRon\r\n");
  EXPECT_EQ(shell.calls.size(), 1u);
}

// As the friend and phrase lists keep their change, the keyword counts for
// this run; the file keeps its old content.
TEST_F(FormChatlog, AKeywordThatCannotBeSavedIsReportedAndStillAlertsThisRun) {
  WriteIni();
  WriteLists({}, {}, "ron\r\n");
  Build();
  platform::InjectWriteFailureAfter(0);
  form->Edit2->SetText("pon");
  host.Click("Button25");
  platform::InjectWriteFailureAfter(-1);
  EXPECT_EQ(form->KeywordList, (std::vector<std::string>{"ron", "pon"}));
  EXPECT_EQ(folder.Read("keyword.txt"), "ron\r\n");
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].message.find("keyword.txt"), std::string::npos);
}

}  // namespace
}  // namespace tamiru::testing_support

#include "app/main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/general_error.h"
#include "game/chat_send.h"
#include "platform/files_testing.h"
#include "tests/app/form_fixture.h"
#include "text/error.h"
#include "text/list_file.h"

namespace tamiru::app {
namespace {

using platform::ControlEvent;
using platform::fake::RecordedMessage;
using testing_support::FormTest;
namespace msg = platform::msg;

std::vector<std::string> TypedInto(const platform::fake::FakeDesktop& desktop, platform::WindowHandle input) {
  std::vector<std::string> lines;
  for (const RecordedMessage& m : desktop.MessagesTo(input, msg::kSetText)) lines.push_back(m.text);
  return lines;
}

// ---- Construction ----

TEST_F(FormTest, ControlsStandAtTheirPlacesWithTheirCaptionsFontsAndLimits) {
  Start();
  EXPECT_EQ(host.layouts().size(), 39u);  // 7 labels, 26 buttons, 2 edits, 2 list boxes, combo, check box
  const auto* send = host.Spec("Button19");
  ASSERT_NE(send, nullptr);
  EXPECT_EQ(send->caption, "送信");
  EXPECT_EQ(std::tie(send->left, send->top, send->width, send->height), std::make_tuple(426, 248, 40, 25));
  // Enter in the window presses the send button, and no other.
  for (const auto& layout : host.layouts()) EXPECT_EQ(layout.default_button, layout.name == "Button19") << layout.name;

  for (const char* name : {"ListBox1", "ListBox2"}) {
    const auto* list = host.Spec(name);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->font.face, "ＭＳ ゴシック");
    EXPECT_EQ(list->font.height, 15);
    EXPECT_EQ(list->item_height, 15);
    EXPECT_EQ(std::make_pair(list->width, list->height), std::make_pair(114, 155));
  }
  for (const char* name : {"Edit1", "Edit2"}) {
    EXPECT_EQ(host.Spec(name)->max_length, 12) << name;
    EXPECT_EQ(host.Spec(name)->font.height, 15) << name;
  }
  EXPECT_EQ(host.Spec("ComboBox1")->font.height, 12);
  EXPECT_EQ(form->ComboBox1->MaxLength(), 64);
  EXPECT_EQ(form->Edit1->MaxLength(), 12);
  EXPECT_EQ(form->Button21->Caption(), "対/w,/r");
  EXPECT_EQ(form->Button25->Caption(), "↓追加");
  EXPECT_EQ(form->Label8->Caption(), "キーワード");
  EXPECT_EQ(form->CheckBox1->Caption(), "");
  EXPECT_FALSE(form->CheckBox1->IsChecked());
}

TEST_F(FormTest, HandlersOfThisWindowAreWiredToTheirControls) {
  Start();
  for (const char* name : {"Button5", "Button6", "Button7", "Button8", "Button19", "Button24", "CheckBox1"}) {
    EXPECT_TRUE(host.HasHandler(name, ControlEvent::kClick)) << name;
  }
  desktop.CreateGameMainWindow();
  form->ComboBox1->SetText("x");
  ASSERT_TRUE(host.Click("Button19"));
  EXPECT_EQ(form->ComboBox1->Text(), "");
}

TEST_F(FormTest, EmptyListFilesGiveEmptyListsAndTheStateMembersStartAsDefined) {
  Start();
  EXPECT_EQ(form->ListBox1->Count(), 0);
  EXPECT_EQ(form->ComboBox1->Count(), 0);
  EXPECT_TRUE(form->KeywordList.empty());
  EXPECT_TRUE(form->Macros.MacroList.empty());
  EXPECT_EQ(form->AutoConnect.AutoConnectOn, 0);
  EXPECT_EQ(form->Capture.NextChatLine, 1);
  EXPECT_EQ(form->Lists.PhraseInsertIndex, -1);
  EXPECT_EQ(form->Capture.ChatEndIndex, 0);
  EXPECT_EQ(form->KeepAlive.KeepAliveStartSec, 0);
  for (const auto& player : form->TablePlayers) EXPECT_TRUE(player.empty());
}

TEST_F(FormTest, ListFilesFillTheFriendListPhrasesKeywordsAndMacros) {
  WriteIni();
  WriteLists("bob\r\nalice\r\nbob", "こんにちは\nよろしく\n", "ron\r\n", "line1\rline2\r");
  Build();
  EXPECT_EQ(form->ListBox1->Items(), (std::vector<std::string>{"bob", "alice", "bob"}));
  EXPECT_EQ(form->ComboBox1->Items(), (std::vector<std::string>{"こんにちは", "よろしく"}));
  EXPECT_EQ(form->KeywordList, std::vector<std::string>{"ron"});
  EXPECT_EQ(form->Macros.MacroList, (std::vector<std::string>{"line1", "line2"}));
  EXPECT_EQ(form->ListBox2->Count(), 0);
}

TEST_F(FormTest, MissingListFileStopsTheConstructionNamingItsPath) {
  for (const char* missing : {"friendlist.txt", "chatlist.txt", "keyword.txt", "macro.txt"}) {
    WriteIni();
    WriteLists();
    std::filesystem::remove(folder.File(missing));
    try {
      Build();
      ADD_FAILURE() << "no error for " << missing;
    } catch (const TamiruError& error) {
      EXPECT_EQ(std::string(error.what()), "ファイル " + folder.File(missing) + " は開けません");
    }
  }
}

TEST_F(FormTest, WithoutAnIniTheDefaultFriendListPathIsNamed) {
  WriteLists();
  const std::string expected = settings::LoadSettings(folder.File("tamiru.INI"),
                                                      settings::ProgramFolder(folder.File("tamiru.exe")))
                                   .File1;
  try {
    Build();
    FAIL() << "the default friend list does not exist";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + expected + " は開けません");
  }
}

TEST_F(FormTest, SettingsAreAppliedToTheSwitchesAndTimers) {
  Start("AutoWatch=2\r\nSaveChatLog=0\r\nKeyword=1\r\nMacro=1\r\nSaveChatLogTimeInterval=7\r\n");
  EXPECT_EQ(form->Button1->Caption(), "OFF");
  EXPECT_EQ(form->Button2->Caption(), "ON");  // not 0 shows ON
  EXPECT_EQ(form->Button3->Caption(), "OFF");
  EXPECT_EQ(form->Button18->Caption(), "ON");
  EXPECT_TRUE(form->Timer2->IsEnabled());
  EXPECT_EQ(form->Timer2->Interval(), 7000u);
  EXPECT_TRUE(form->Timer4->IsEnabled());
  EXPECT_EQ(form->Timer4->Interval(), 80u);
  EXPECT_FALSE(form->Timer1->IsEnabled());
  EXPECT_EQ(form->Timer1->Interval(), 450u);
  EXPECT_FALSE(form->Timer3->IsEnabled());
  EXPECT_EQ(form->Timer3->Interval(), 50u);
}

TEST_F(FormTest, Timer2StartsOnlyForASwitchThatIsExactlyOne) {
  Start("AutoWatch=2\r\nSaveChatLog=3\r\nKeyword=-1\r\nMacro=0\r\n");
  EXPECT_EQ(form->Button3->Caption(), "ON");
  EXPECT_FALSE(form->Timer2->IsEnabled());
  EXPECT_FALSE(form->Timer4->IsEnabled());
  form.reset();
  Start("SaveChatLog=1\r\nSaveChatLogTimeInterval=0\r\n");
  EXPECT_TRUE(form->Timer2->IsEnabled());
  EXPECT_EQ(form->Timer2->Interval(), 0u);  // a period of 0 never fires
}

// ---- Close ----

TEST_F(FormTest, CloseRightAfterStartWritesAll21KeysAndReleasesTheLists) {
  WriteIni();
  WriteLists("", "", "k1\r\n", "m1\r\n");
  Build();
  EXPECT_TRUE(host.Close());
  const std::string ini = folder.Read("tamiru.INI");
  for (const char* key : {"UserName1=", "UserName2=", "UserName3=", "File1=", "File2=", "File3=", "File4=",
                          "File5=", "File6=", "AutoConnectTimeInterval=15", "AutoWatch=0",
                          "AutoWatchTimeInterval=15", "SaveChatLog=0", "SaveChatLogTimeInterval=10",
                          "ChatLogFormat=0", "AutoNameImageFile=0", "ImageFileFormat=0", "TonpuImageNumber=1",
                          "TableType=0", "Keyword=0", "Macro=0"}) {
    EXPECT_NE(ini.find(key), std::string::npos) << key;
  }
  EXPECT_TRUE(form->KeywordList.empty());
  EXPECT_TRUE(form->Macros.MacroList.empty());
  EXPECT_TRUE(dialogs.errors.empty());
  // No list file is written at close.
  EXPECT_EQ(folder.Read("keyword.txt"), "k1\r\n");
}

TEST_F(FormTest, ChangedSwitchReachesTheFileAtClose) {
  Start();
  form->Settings.AutoWatch = 1;
  form->Settings.UserName1 = "自分";
  ASSERT_TRUE(host.Close());
  const auto saved = settings::LoadSettings(form->paths().ini, form->paths().folder);
  EXPECT_EQ(saved.AutoWatch, 1);
  EXPECT_EQ(saved.UserName1, "自分");
}

TEST_F(FormTest, RefusedSettingsWriteAtCloseIsShownAndTheWindowStillCloses) {
  Start();
  platform::InjectWriteFailureAfter(0);
  const bool closed = host.Close();
  platform::InjectWriteFailureAfter(-1);
  EXPECT_TRUE(closed);
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].message, form->paths().ini + " に書き込めません.");
  EXPECT_EQ(dialogs.errors[0].title, "Tamiru");
}

// ---- Window events ----

TEST_F(FormTest, DoubleClickOnTheFreeAreaClearsBothSelectionsAndTheInsertionPoint) {
  WriteIni();
  WriteLists("a\r\nb\r\n");
  Build();
  form->ListBox2->SetItems({"x", "y"});
  form->ListBox1->SetSelectedIndex(1);
  form->ListBox2->SetSelectedIndex(0);
  form->Lists.PhraseInsertIndex = 3;
  ASSERT_TRUE(host.DblClickForm());
  EXPECT_EQ(form->ListBox1->SelectedIndex(), -1);
  EXPECT_EQ(form->ListBox2->SelectedIndex(), -1);
  EXPECT_EQ(form->Lists.PhraseInsertIndex, -1);
  EXPECT_EQ(form->ListBox1->Items(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(form->ListBox2->Items(), (std::vector<std::string>{"x", "y"}));
}

TEST_F(FormTest, HelpOpensTheShippedPageWithTheDefaultAction) {
  Start();
  ASSERT_TRUE(host.Click("Button24"));
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].owner, platform::kNoWindow);
  EXPECT_FALSE(shell.calls[0].verb.has_value());
  EXPECT_FALSE(shell.calls[0].directory.has_value());
  EXPECT_EQ(shell.calls[0].file, form->paths().HelpPage());
  EXPECT_NE(shell.calls[0].file.find("TamiruHelp.html"), std::string::npos);
  EXPECT_NE(shell.calls[0].show, platform::kSwHide);
}

TEST_F(FormTest, ErrorEscapingAHandlerIsShownOnceAndTheProgramGoesOn) {
  Start();
  desktop.CreateGameMainWindow();
  form->Settings.File2 = folder.File("missing_ignore.txt");
  form->boundary().Run([&] { form->SendNameCommand(game::chat_command::kIgnoreFile); });
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].owner, host.Handle());
  EXPECT_EQ(dialogs.errors[0].title, "Tamiru");
  EXPECT_EQ(dialogs.errors[0].message, "ファイル " + folder.File("missing_ignore.txt") + " は開けません.");
  // What the handler changed before the error stays; the next handler runs.
  form->ComboBox1->SetText("hi");
  host.Click("Button19");
  EXPECT_EQ(form->ComboBox1->Text(), "");
}

// ---- Chat sending from the main window ----

TEST_F(FormTest, CommandButtonsSendAtATableAndNothingFromTheWaitingRoom) {
  Start();
  const auto room = desktop.CreateWaitingRoom();
  for (const char* name : {"Button5", "Button6", "Button7", "Button8"}) host.Click(name);
  EXPECT_TRUE(desktop.Messages().empty());

  const auto game = desktop.CreateGameMainWindow();
  for (const char* name : {"Button5", "Button6", "Button7", "Button8"}) host.Click(name);
  EXPECT_EQ(TypedInto(desktop, game.chat_input), (std::vector<std::string>{"/chaton", "/chatoff", "/l", "/h"}));
  EXPECT_TRUE(desktop.MessagesTo(room.chat_input).empty());
}

TEST_F(FormTest, SendButtonSendsTheChatLineAndEmptiesIt) {
  Start();
  const auto room = desktop.CreateWaitingRoom();
  form->ComboBox1->SetText("よろしく");
  host.Click("Button19");
  EXPECT_EQ(TypedInto(desktop, room.chat_input), std::vector<std::string>{"よろしく"});
  ASSERT_EQ(desktop.CountOf(room.send_button, msg::kButtonClick), 1u);
  EXPECT_EQ(desktop.MessagesTo(room.send_button)[0].kind, RecordedMessage::Kind::kPosted);
  EXPECT_EQ(form->ComboBox1->Text(), "");
}

TEST_F(FormTest, SendButtonWithAnEmptyLineDoesNothing) {
  Start();
  desktop.CreateGameMainWindow();
  form->ListBox2->SetItems({"a"});
  form->CheckBox1->SetChecked(true);
  host.Click("Button19");
  EXPECT_TRUE(desktop.Messages().empty());
}

TEST_F(FormTest, SendButtonWithoutAClientStillEmptiesTheLine) {
  Start();
  form->ComboBox1->SetText("hello");
  host.Click("Button19");
  EXPECT_EQ(form->ComboBox1->Text(), "");
}

TEST_F(FormTest, TellModeSendsToEverySelectedName5500MsApart) {
  Start();
  const auto game = desktop.CreateGameMainWindow();
  form->ListBox2->SetItems({"aaa", "bbb"});
  host.Click("CheckBox1");
  form->ComboBox1->SetText("hello");
  // A command button pressed during the pause runs inside the send.
  loop.ScheduleAfter(2000, [&] { host.Click("Button7"); });

  host.Click("Button19");

  EXPECT_EQ(TypedInto(desktop, game.chat_input),
            (std::vector<std::string>{"/t aaa hello", "/l", "/t bbb hello"}));
  const auto typed = desktop.MessagesTo(game.chat_input, msg::kSetText);
  EXPECT_EQ(typed[2].tick - typed[0].tick, game::kCommandPauseMs);
  EXPECT_EQ(form->ComboBox1->Text(), "");
}

TEST_F(FormTest, TellModeCutsTheLineTo48BytesWithoutSplittingACharacter) {
  Start();
  form->ComboBox1->SetText(std::string(60, 'x'));
  host.Click("CheckBox1");
  EXPECT_TRUE(form->CheckBox1->IsChecked());
  EXPECT_EQ(form->ComboBox1->Text(), std::string(48, 'x'));
  EXPECT_EQ(form->ComboBox1->MaxLength(), 48);

  host.Click("CheckBox1");  // off again: the 48 bytes stay
  EXPECT_EQ(form->ComboBox1->Text(), std::string(48, 'x'));
  EXPECT_EQ(form->ComboBox1->MaxLength(), 64);

  // A double-byte character across byte 48 goes whole.
  form->ComboBox1->SetText(std::string(47, 'x') + "あいう");
  host.Click("CheckBox1");
  EXPECT_EQ(form->ComboBox1->Text(), std::string(47, 'x'));
  host.Click("CheckBox1");
  form->ComboBox1->SetText(std::string(46, 'x') + "あいう");
  host.Click("CheckBox1");
  EXPECT_EQ(form->ComboBox1->Text(), std::string(46, 'x') + "あ");
}

TEST_F(FormTest, SharedSendOperationsUseTheWindowsLists) {
  Start();
  const auto game = desktop.CreateGameMainWindow();
  form->ListBox1->SetItems({"f"});
  form->Edit2->SetText("z");
  form->SendNameCommand(game::chat_command::kWhereFriends);
  form->SendNameCommand(game::chat_command::kIgnoreEdit);
  EXPECT_EQ(TypedInto(desktop, game.chat_input), (std::vector<std::string>{"/w f", "/i z"}));
}

TEST(GeneralErrorTest, FullStopIsAddedOnce) {
  EXPECT_EQ(WithFullStop("ファイル a は開けません"), "ファイル a は開けません.");
  EXPECT_EQ(WithFullStop("done."), "done.");
  EXPECT_EQ(WithFullStop(""), ".");
}

}  // namespace
}  // namespace tamiru::app

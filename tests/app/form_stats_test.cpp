// The statistics buttons on the main window: "対戦成績" reports from the score
// file named in the settings into the chat line, "対/w,/r" asks about the
// players at the user's table on the simulated desktop.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "tests/app/form_fixture.h"
#include "tests/stats/score_test_util.h"

namespace tamiru::app {
namespace {

using testing_support::FormTest;
namespace msg = platform::msg;
namespace score = stats::testing;

using Lines = std::vector<std::string>;

class FormStatsTest : public FormTest {
 protected:
  // The user plays as "me", the second of three handles.
  void StartAs(const std::string& extra_ini = {}) { Start("UserName1=alt\r\nUserName2=me\r\n" + extra_ini); }
};

// Two "東南戦" games with aaa and ccc, and one "東風戦" game that the
// setting TableType=1 leaves out.
std::string ScoreFileWithTwoKinds() {
  const std::vector<std::string> seats{"aaa", "me", "ccc", "ddd"};
  return score::WithCrLf(
      score::Game(seats, {{1, "me", 40}, {2, "aaa", 10}, {3, "ccc", -15}, {4, "ddd", -35}}, "東南戦") +
      score::Game(seats, {{1, "aaa", 30}, {2, "ccc", 0}, {3, "me", -10}, {4, "ddd", -20}}, "東南戦") +
      score::Game(seats, {{1, "me", 50}, {2, "ddd", 0}, {3, "ccc", -20}, {4, "aaa", -30}}, "東風戦"));
}

// ---- 対戦成績 ----

TEST_F(FormStatsTest, ScoreButtonReportsOnTheChosenPlayerWithTheSettingsKindAndHandles) {
  StartAs("TableType=1\r\n");
  folder.Write("mjscore.txt", ScoreFileWithTwoKinds());
  form->ListBox2->SetItems({"ccc", "aaa", "me"});
  form->ComboBox1->SetText("old line");

  // The selected item is the target.
  form->ListBox2->SetSelectedIndex(1);
  ASSERT_TRUE(host.Click("Button22"));
  EXPECT_EQ(form->ComboBox1->Text(), "1勝1敗 平均順位2：1.5 平均得点15：20");

  // Without a selection, the first item.
  form->ListBox2->SetSelectedIndex(-1);
  ASSERT_TRUE(host.Click("Button22"));
  EXPECT_EQ(form->ComboBox1->Text(), "1勝1敗 平均順位2：2.5 平均得点15：-7.5");

  // The user's own second handle: the own averages.
  form->ListBox2->SetSelectedIndex(2);
  ASSERT_TRUE(host.Click("Button22"));
  EXPECT_EQ(form->ComboBox1->Text(), "試合数 2 平均順位 2 平均得点 15");

  // The phrase list of the chat line stays as it was.
  EXPECT_TRUE(form->ComboBox1->Items().empty());
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(FormStatsTest, ScoreButtonLeavesTheChatLineWhenThereIsNothingToReportOn) {
  // No handle of the user's own: nothing, even with a target and a file.
  Start();
  folder.Write("mjscore.txt", ScoreFileWithTwoKinds());
  form->ListBox2->SetItems({"aaa"});
  form->ComboBox1->SetText("kept");
  ASSERT_TRUE(host.Click("Button22"));
  EXPECT_EQ(form->ComboBox1->Text(), "kept");

  // Handles, but an empty selection list, or an empty first item unselected.
  form->Settings.UserName3 = "me";
  form->ListBox2->SetItems({});
  ASSERT_TRUE(host.Click("Button22"));
  form->ListBox2->SetItems({"", "aaa"});
  ASSERT_TRUE(host.Click("Button22"));
  EXPECT_EQ(form->ComboBox1->Text(), "kept");

  // A score file that cannot be opened: no message either.
  form->ListBox2->SetSelectedIndex(1);
  form->Settings.File4 = folder.File("missing.txt");
  ASSERT_TRUE(host.Click("Button22"));
  EXPECT_EQ(form->ComboBox1->Text(), "kept");
  EXPECT_TRUE(dialogs.errors.empty());

  // A file without any game of the kind: the report says so.
  form->Settings.File4 = folder.File("mjscore.txt");
  form->Settings.TableType = 2;
  ASSERT_TRUE(host.Click("Button22"));
  EXPECT_EQ(form->ComboBox1->Text(), "試合の記録がありません");
}

// ---- 対/w,/r ----

TEST_F(FormStatsTest, LookupButtonAsksAboutEveryOtherSeatAtTheTable) {
  StartAs();
  folder.Write("mjscore.txt", score::WithCrLf(score::Game({"old", "me", "x", "y"}, {}) + score::Header() +
                                              score::PlayersLine({"aaa", "me", "ccc", "ddd"}) +
                                              "  東1局 0本場(リーチ0) aaa 1000点 ロン\n"));
  // The waiting room is open too: the table's chat gets the commands.
  const auto room = desktop.CreateWaitingRoom();
  const auto game = desktop.CreateGameMainWindow();
  form->TablePlayers = {"stale", "", "", ""};
  ASSERT_TRUE(host.Click("Button21"));
  EXPECT_EQ(desktop.Submitted(game.chat_input),
            (Lines{"/w aaa", "/r aaa", "/w ccc", "/r ccc", "/w ddd", "/r ddd"}));
  // Each command: the text, Enter down and up (lParam 0), then the length
  // asked, all sent and awaited.
  const auto to_input = desktop.MessagesTo(game.chat_input);
  ASSERT_GE(to_input.size(), 4U);
  EXPECT_EQ(to_input[0].message, msg::kSetText);
  EXPECT_EQ(to_input[1].message, msg::kKeyDown);
  EXPECT_EQ(to_input[1].wparam, platform::kVkReturn);
  EXPECT_EQ(to_input[1].lparam, 0);
  EXPECT_EQ(to_input[2].message, msg::kKeyUp);
  EXPECT_EQ(to_input[2].wparam, platform::kVkReturn);
  EXPECT_EQ(to_input[3].message, msg::kEditLineLength);
  for (const auto& m : to_input) EXPECT_EQ(m.kind, platform::fake::RecordedMessage::Kind::kSent);
  EXPECT_EQ(desktop.CountOf(room.chat_input, msg::kSetText), 0U);
  EXPECT_EQ(form->TablePlayers, (std::array<std::string, 4>{}));
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(FormStatsTest, LookupButtonSendsNothingWithoutATableOrAGameInProgress) {
  StartAs();
  folder.Write("mjscore.txt", score::WithCrLf(score::Header() + score::PlayersLine({"aaa", "me", "ccc", "ddd"})));
  const auto room = desktop.CreateWaitingRoom();
  form->TablePlayers = {"x", "", "", ""};
  ASSERT_TRUE(host.Click("Button21"));
  EXPECT_EQ(desktop.CountOf(room.chat_input, msg::kSetText), 0U);
  EXPECT_TRUE(desktop.Submitted(room.chat_input).empty());
  EXPECT_EQ(form->TablePlayers, (std::array<std::string, 4>{"x", "", "", ""}));

  // At a table, but the last game in the file has ended, the file is gone,
  // or its only game start line is the first line, which is never tested.
  const auto game = desktop.CreateGameMainWindow();
  folder.Write("mjscore.txt", score::WithCrLf(score::Game({"aaa", "me", "ccc", "ddd"}, {{1, "me", 10}})));
  ASSERT_TRUE(host.Click("Button21"));
  form->Settings.File4 = folder.File("missing.txt");
  ASSERT_TRUE(host.Click("Button21"));
  form->Settings.File4 = folder.File("mjscore.txt");
  folder.Write("mjscore.txt", score::WithCrLf(score::PlayersLine({"aaa", "me", "ccc", "ddd"})));
  ASSERT_TRUE(host.Click("Button21"));
  EXPECT_EQ(desktop.CountOf(game.chat_input, msg::kSetText), 0U);
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(FormStatsTest, LookupSkipsTheUsersOwnAndEmptySeats) {
  Start("UserName1=me1\r\nUserName2=me2\r\nUserName3=me3\r\n");
  folder.Write("mjscore.txt", score::Header() + "  持点27000 [1]me1 R1500 [2]me2 R1500 [4]me3 R1500\n");
  const auto game = desktop.CreateGameMainWindow();
  ASSERT_TRUE(host.Click("Button21"));
  EXPECT_TRUE(desktop.Submitted(game.chat_input).empty());
  EXPECT_EQ(form->TablePlayers, (std::array<std::string, 4>{}));
  // Byte for byte: a handle differing in case is somebody else.
  form->Settings.UserName1 = "ME1";
  ASSERT_TRUE(host.Click("Button21"));
  EXPECT_EQ(desktop.Submitted(game.chat_input), (Lines{"/w me1", "/r me1"}));
}

TEST_F(FormStatsTest, LookupWaitsForTheClientToTakeEachLine) {
  StartAs();
  folder.Write("mjscore.txt", score::Header() + score::PlayersLine({"aaa", "me", "ccc", "ddd"}));
  const auto game = desktop.CreateGameMainWindow("東風荘", false);
  // The client takes a line 300 ms after Enter; a timer runs meanwhile.
  desktop.OnMessage(game.chat_input, msg::kKeyUp, [&](const platform::fake::RecordedMessage&) {
    loop.ScheduleAfter(300, [&] { desktop.SetText(game.chat_input, ""); });
  });
  const std::uint32_t start = loop.TickCount();
  ASSERT_TRUE(host.Click("Button21"));
  const auto typed = desktop.MessagesTo(game.chat_input, msg::kSetText);
  EXPECT_EQ(typed.size(), 6U);
  EXPECT_GE(loop.TickCount() - start, 6U * 300U);
  EXPECT_LT(loop.TickCount() - start, 6U * 400U);
  // Never a new line while the last one is still in the input.
  for (std::size_t i = 1; i < typed.size(); ++i) EXPECT_GE(typed[i].tick - typed[i - 1].tick, 300U);
}

TEST_F(FormStatsTest, LookupEndsWhenTheClientNeverTakesALine) {
  StartAs();
  folder.Write("mjscore.txt", score::Header() + score::PlayersLine({"aaa", "me", "ccc", "ddd"}));
  const auto game = desktop.CreateGameMainWindow("東風荘", false);
  const std::uint32_t start = loop.TickCount();
  ASSERT_TRUE(host.Click("Button21"));
  const auto typed = desktop.MessagesTo(game.chat_input, msg::kSetText);
  ASSERT_EQ(typed.size(), 1U);
  EXPECT_EQ(typed[0].text, "/w aaa");
  EXPECT_GE(loop.TickCount() - start, game::kEmptyInputBoundMs);
  EXPECT_LT(loop.TickCount() - start, game::kEmptyInputBoundMs + 100);
  EXPECT_EQ(form->TablePlayers, (std::array<std::string, 4>{}));
  // A hung client does not take the first line: the lookup ends there, as
  // every send does, rather than typing the other five into it.
  desktop.SetText(game.chat_input, "");
  desktop.SetHung(game.chat_input, true);
  desktop.ClearMessages();
  ASSERT_TRUE(host.Click("Button21"));
  EXPECT_EQ(desktop.CountOf(game.chat_input, msg::kSetText), 1U);
  EXPECT_EQ(desktop.CountOf(game.chat_input, msg::kKeyDown), 0U);
}

// Where the score file is looked for, in order: the setting (or its
// VirtualStore copy), the same path under Program Files (x86), beside a
// running client's program; the setting when none is found.
TEST_F(FormStatsTest, ScoreFileIsLookedForWhereTheClientKeepsIt) {
  const std::string set = "C:\\Program Files\\MjTonpu\\mjscore.txt";
  const std::string x86 = "C:\\Program Files (x86)\\MjTonpu\\mjscore.txt";
  const std::string beside = "D:\\ゲーム\\ソ\\mjscore.txt";  // ソ ends in a 0x5C byte
  const auto table = desktop.CreateGameMainWindow();
  desktop.program_paths[table.window] = "D:\\ゲーム\\ソ\\MJ.exe";
  struct Case {
    const char* what;
    std::set<std::string> existing;
    std::string found;
  };
  const Case cases[] = {
      {"the setting's file", {set, x86, beside}, set},
      {"under Program Files (x86)", {x86, beside}, x86},
      {"beside the running client", {beside}, beside},
      {"nowhere: the setting", {}, set},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto exists = [&](const std::string& path) { return c.existing.count(path) != 0; };
    // As the system's shell answers: the twin only when the set path is missing.
    shell.installed[set] = !exists(set) && exists(x86) ? x86 : set;
    EXPECT_EQ(app::ClientScoreFile(services, set, exists), c.found);
  }
}

}  // namespace
}  // namespace tamiru::app

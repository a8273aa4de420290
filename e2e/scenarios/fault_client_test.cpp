// tamiru.exe beside a stand-in client that is killed, or whose
// user-interface thread stops answering, in the middle of an operation:
// Tamiru stays responsive, ends the operation quietly at its bound, shows
// nothing, and works with the client once it is back (a new one, or the
// same one thawed).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;

constexpr const char* kMainClass = "TForm1";
constexpr const char* kMainCaption = "Tamiru Ver1.52";
// Tamiru's window must take a message again within this after a fault.
constexpr unsigned kAnswerBoundMs = 20000;

void PrepareTamiru(const Session& s, const std::string& settings) {
  ASSERT_TRUE(s.WriteFile("friendlist.txt", "aaa\r\nbbb\r\n"));
  ASSERT_TRUE(s.WriteFile("chatlist.txt", ""));
  ASSERT_TRUE(s.WriteFile("keyword.txt", "ロン\r\n"));
  ASSERT_TRUE(s.WriteFile("macro.txt", ""));
  ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\nFile4=" + s.PathOf("mjscore.txt") + "\r\nUserName1=user1\r\n" +
                                            settings));
}

HWND Control(HWND main, const char* text) {
  HWND control = e2e::FindDescendantByText(main, text, "Button");
  EXPECT_NE(control, nullptr) << text;
  return control;
}

HWND AutoConnectButton(HWND main) { return e2e::FindDescendantByClass(main, "Button", 0); }
HWND FriendEdit(HWND main) { return e2e::FindDescendantByClass(main, "Edit", 1); }

// Both kinds of message reach Tamiru within the bound: one sent (answered
// by any wait that takes sent messages) and one posted (taken only when the
// message loop turns): a character typed into the friend name box.
void ExpectResponsive(HWND main, const char* when) {
  EXPECT_TRUE(e2e::Answers(main, kAnswerBoundMs)) << when;
  HWND edit = FriendEdit(main);
  e2e::SetTextOf(edit, "");
  PostMessageA(edit, WM_CHAR, 'z', 0);
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(edit) == "z"; }, kAnswerBoundMs)) << when;
  e2e::SetTextOf(edit, "");
}

// Any box is named with its texts.
void ExpectNoErrorBox() {
  HWND box = e2e::FindTop("#32770", "Tamiru");
  if (box == nullptr) return;
  std::string texts;
  for (HWND child : e2e::Descendants(box)) texts += e2e::TextOf(child) + " | ";
  ADD_FAILURE() << "a box: " << texts;
}

// Tamiru's main window beside a stand-in started with `scenario`.
HWND Start(Session& s, const std::string& settings, const std::string& scenario) {
  PrepareTamiru(s, settings);
  EXPECT_TRUE(s.StartStandin(scenario));
  EXPECT_TRUE(s.StartTamiru());
  return e2e::WaitForTop(kMainClass, kMainCaption, 15000);
}

class FaultClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  }
};

// ---- the client killed ----

TEST_F(FaultClientTest, KilledDuringATellPauseTheSendEndsAndANewClientTakesTheNextLine) {
  Session s("fault_kill_tell");
  // Killed once it has taken the first of the two lines.
  HWND main = Start(s, "", "show table\non send exit\n");
  ASSERT_NE(main, nullptr);
  HWND selection = e2e::FindDescendantByClass(main, "ListBox", 1);
  e2e::SendBounded(selection, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("aaa"));
  e2e::SendBounded(selection, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("bbb"));
  HWND tell = nullptr;
  for (HWND window : e2e::Descendants(main)) {
    if (e2e::ClassOf(window) == "Button" && (GetWindowLongA(window, GWL_STYLE) & 0x0F) == BS_AUTOCHECKBOX) tell = window;
  }
  ASSERT_NE(tell, nullptr);
  ASSERT_TRUE(e2e::Click(tell));
  HWND line = e2e::FindDescendantByClass(main, "ComboBox");
  ASSERT_TRUE(e2e::SetTextOf(line, "hello"));
  ASSERT_TRUE(e2e::PostClick(Control(main, "送信")));
  ASSERT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/t aaa hello"), 10000));
  ASSERT_TRUE(e2e::WaitForNoTop("KatuGameMjMain", "", 5000));
  ExpectResponsive(main, "inside the pause");
  Sleep(6000);  // past the 5.5 s pause: the second line has nowhere to go
  ExpectNoErrorBox();
  EXPECT_EQ(s.SentLines("table"), std::vector<std::string>{"/t aaa hello"});

  ASSERT_TRUE(s.KillStandin());
  ASSERT_TRUE(s.StartStandin("show table\n"));
  ASSERT_TRUE(e2e::Click(tell));  // tell mode off: one line
  ASSERT_TRUE(e2e::SetTextOf(line, "again"));
  ASSERT_TRUE(e2e::PostClick(Control(main, "送信")));
  EXPECT_TRUE(s.WaitForEntry("table", -1, "send", std::string("again"), 10000));
  ExpectNoErrorBox();
}

TEST_F(FaultClientTest, KilledDuringASpectateOrALookupTheOperationEndsAndANewClientServesTheNext) {
  Session s("fault_kill_spectate");
  const std::string room = "rooms ランキング卓\ntables 0 64卓 東風戦 プレイ中 aaa\nshow room\nspectate auto 2000\n";
  HWND main = Start(s, "", room + "on click exit\n");
  ASSERT_NE(main, nullptr);
  // Killed at the press of its spectate button, before the table opens.
  ASSERT_TRUE(e2e::PostClick(Control(main, "瞬間観戦")));
  ASSERT_TRUE(s.WaitForEntry("room", 10, "click", std::nullopt, 10000));
  ASSERT_TRUE(e2e::WaitForNoTop("MjStandinControl", "", 5000));
  ExpectResponsive(main, "after the kill in a spectate");
  ASSERT_TRUE(s.KillStandin());

  ASSERT_TRUE(s.StartStandin(room));
  // The first spectate ends at its next look at the client; a press before
  // that is ignored, as every press while a spectate runs is.
  const std::size_t presses = s.Entries("room", 10, "click").size();
  const auto pressed = [&] { return s.Entries("room", 10, "click").size() > presses; };
  for (int i = 0; i < 10 && !pressed(); ++i) {
    e2e::PostClick(Control(main, "瞬間観戦"));
    e2e::WaitFor(pressed, 1000);
  }
  EXPECT_TRUE(pressed()) << "the new client is spectated";
  EXPECT_TRUE(s.WaitForEntryWhere([](const e2e::RecordEntry& e) { return e.window == "table" && e.event == "open"; },
                                  5000));
  EXPECT_TRUE(s.WaitForEntry("table", -1, "keyup", std::string("0x73"), 5000));
  ExpectNoErrorBox();

  // The opponent lookup at a table in play, killed after its first line.
  ASSERT_TRUE(s.KillStandin());
  ASSERT_TRUE(s.StartStandin("game start 東風戦 64 aaa user1 ccc ddd\nsit 64\non send exit\n"));
  ASSERT_TRUE(e2e::PostClick(Control(main, "対/w,/r")));
  ASSERT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/w aaa"), 10000));
  ASSERT_TRUE(e2e::WaitForNoTop("KatuGameMjMain", "", 5000));
  ExpectResponsive(main, "after the kill in a lookup");
  ASSERT_TRUE(s.KillStandin());
  ASSERT_TRUE(s.StartStandin("sit 64\n"));
  ASSERT_TRUE(e2e::PostClick(Control(main, "対/w,/r")));
  EXPECT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/r ddd"), 15000)) << "the new client's lookup";
  ExpectNoErrorBox();
}

TEST_F(FaultClientTest, KilledDuringAConnectAttemptAutoConnectSwitchesOffAndConnectsANewClient) {
  Session s("fault_kill_connect");
  HWND main = Start(s, "AutoConnectTimeInterval=5\r\n", "connect none\non click exit\n");
  ASSERT_NE(main, nullptr);
  HWND button1 = AutoConnectButton(main);
  ASSERT_TRUE(e2e::Click(button1));
  ASSERT_TRUE(s.WaitForEntry("connect", 8, "click", std::nullopt, 5000));
  ASSERT_TRUE(e2e::WaitForNoTop("MjStandinControl", "", 5000));
  // The next step finds no connect dialog: auto-connect ends.
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(button1) == "OFF"; }, 3000));
  ExpectResponsive(main, "after the kill in an attempt");
  ASSERT_TRUE(s.KillStandin());

  ASSERT_TRUE(s.StartStandin("connect ok 300\n"));
  ASSERT_TRUE(e2e::Click(button1));
  EXPECT_TRUE(s.WaitForEntry("room", -1, "open", std::nullopt, 8000));
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(button1) == "OFF"; }, 3000));
  ExpectNoErrorBox();
}

// ---- the client frozen ----

// The stand-in's user-interface thread stops at the first `event` and
// stays stopped for `freeze_ms` unless thawed.
std::string FreezeAt(const char* event, unsigned freeze_ms) {
  return std::string("on ") + event + " freeze " + std::to_string(freeze_ms) + "\n";
}

TEST_F(FaultClientTest, FrozenDuringASendTheSendEndsAtItsBoundsAndTheThawedClientTakesTheNextCommand) {
  Session s("fault_freeze_send");
  // The input is emptied 300 ms after Enter: the freeze comes first.
  HWND main = Start(s, "", "show table\ninput-delay 300\n" + FreezeAt("send", 60000));
  ASSERT_NE(main, nullptr);
  HWND selection = e2e::FindDescendantByClass(main, "ListBox", 1);
  e2e::SendBounded(selection, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("aaa"));
  e2e::SendBounded(selection, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("bbb"));
  ASSERT_TRUE(e2e::PostClick(Control(main, "/w")));
  ASSERT_TRUE(s.WaitForEntry("standin", -1, "frozen", std::nullopt, 10000));
  // The wait for the emptied input and the typing of the second name each
  // end at their bound; the posted character is taken once the send is over.
  ExpectResponsive(main, "frozen in a send");
  ASSERT_TRUE(e2e::PostClick(Control(main, "/h")));
  ExpectResponsive(main, "frozen, a second send");
  ASSERT_TRUE(s.SideCommand("thaw"));
  ASSERT_TRUE(s.WaitForEntry("standin", -1, "thawed", std::nullopt, 5000));
  ASSERT_TRUE(e2e::PostClick(Control(main, "/chaton")));
  ASSERT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/chaton"), 15000));
  // Neither the line the client never took nor an old one sent again.
  EXPECT_EQ(s.SentLines("table"), (std::vector<std::string>{"/w aaa", "/chaton"}));
  ExpectNoErrorBox();
}

TEST_F(FaultClientTest, FrozenDuringASpectateItEndsAtItsBoundAndTheThawedClientIsSpectated) {
  Session s("fault_freeze_spectate");
  HWND main = Start(s, "", "rooms ランキング卓\ntables 0 64卓 東風戦 プレイ中 aaa\nshow room\nspectate auto 500\n" +
                               FreezeAt("click", 34000));
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(e2e::PostClick(Control(main, "瞬間観戦")));
  ASSERT_TRUE(s.WaitForEntry("standin", -1, "frozen", std::nullopt, 10000));
  for (int i = 0; i < 3; ++i) ExpectResponsive(main, "frozen in a spectate");
  // The freeze outlasts the 30 s bound of the wait for the outcome.
  ASSERT_TRUE(s.WaitForEntry("standin", -1, "thawed", std::nullopt, 40000));
  // The press taken late opens the table; it is the user's now.
  ASSERT_TRUE(s.WaitForEntry("table", -1, "open", std::nullopt, 5000));
  ASSERT_TRUE(s.Command("close table"));
  ASSERT_TRUE(e2e::PostClick(Control(main, "瞬間観戦")));
  EXPECT_TRUE(e2e::WaitFor([&] { return s.Entries("table", -1, "open").size() == 2; }, 10000));
  EXPECT_TRUE(s.WaitForEntry("table", -1, "keyup", std::string("0x73"), 5000));
  ExpectNoErrorBox();
}

TEST_F(FaultClientTest, FrozenDuringAChatCaptureTamiruAnswersAndLogsTheNewLinesOnceAfterTheThaw) {
  Session s("fault_freeze_capture");
  HWND main = Start(s, "SaveChatLog=1\r\nKeyword=1\r\nSaveChatLogTimeInterval=3\r\nChatLogFormat=0\r\n",
                    "show room\n");
  ASSERT_NE(main, nullptr);
  // Two lines: a view's only line is read once a second one follows.
  ASSERT_TRUE(s.Command("notice room welcome"));
  ASSERT_TRUE(s.Command("say room aaa before"));
  const std::string log = e2e::MonthLogName();
  ASSERT_TRUE(e2e::WaitFor([&] { return s.ReadFile(log).value_or("").find("before") != std::string::npos; }, 10000));
  ASSERT_TRUE(s.Command("say room bbb ロン frozen"));
  ASSERT_TRUE(s.Command("freeze 25000"));
  ASSERT_TRUE(s.WaitForEntry("standin", -1, "frozen", std::nullopt, 5000));
  // Frozen over three Timer2 periods.
  const DWORD frozen = GetTickCount();
  while (GetTickCount() - frozen < 9000) {
    ExpectResponsive(main, "frozen during captures");
    Sleep(500);
  }
  ASSERT_TRUE(s.SideCommand("thaw"));
  ASSERT_TRUE(s.WaitForEntry("standin", -1, "thawed", std::nullopt, 5000));
  ASSERT_TRUE(s.Command("say room ccc after"));
  const std::string expected = "welcome\r\naaa>" + std::string(10, ' ') + "before\r\n" + "bbb>" + std::string(10, ' ') +
                               "ロン frozen\r\n" + "ccc>" + std::string(10, ' ') + "after\r\n";
  e2e::WaitFor([&] { return s.ReadFile(log).value_or("") == expected; }, 10000);
  EXPECT_EQ(s.ReadFile(log).value_or(""), expected);
  ExpectNoErrorBox();
}

TEST_F(FaultClientTest, FrozenDuringAConnectAttemptTheStepsGoOnAndTheThawedClientConnects) {
  Session s("fault_freeze_connect");
  HWND main = Start(s, "AutoConnectTimeInterval=5\r\n", "connect none\n" + FreezeAt("click", 9000));
  ASSERT_NE(main, nullptr);
  HWND button1 = AutoConnectButton(main);
  ASSERT_TRUE(e2e::Click(button1));
  ASSERT_TRUE(s.WaitForEntry("standin", -1, "frozen", std::nullopt, 5000));
  // The countdown goes on while the client is frozen.
  HWND label5 = e2e::FindDescendantByClass(main, "Static", 1);
  const std::string shown = e2e::TextOf(label5);
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(label5) != shown; }, 3000)) << shown;
  ExpectResponsive(main, "frozen in an attempt");
  ASSERT_TRUE(s.WaitForEntry("standin", -1, "thawed", std::nullopt, 12000));
  ASSERT_TRUE(s.Command("connect ok 300"));
  EXPECT_TRUE(s.WaitForEntry("room", -1, "open", std::nullopt, 12000));
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(button1) == "OFF"; }, 3000));
  ExpectNoErrorBox();
}

}  // namespace

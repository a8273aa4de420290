// Auto-connect and keep-alive spectating of tamiru.exe beside the stand-in
// client: connections that succeed late, fail first or hang, the client
// started from the score file's folder, spectates driven by Timer2 and by
// "瞬間観戦", refused ones, and a reservation that forbids them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"

namespace {

namespace e2e = tamiru::e2e;
using e2e::RecordEntry;
using e2e::Session;

constexpr const char* kMainClass = "TForm1";
constexpr const char* kMainCaption = "Tamiru Ver1.52";

// The list files the start-up needs, and an INI with `settings` lines.
void PrepareTamiru(const Session& s, const std::string& settings) {
  ASSERT_TRUE(s.WriteFile("friendlist.txt", ""));
  ASSERT_TRUE(s.WriteFile("chatlist.txt", ""));
  ASSERT_TRUE(s.WriteFile("keyword.txt", ""));
  ASSERT_TRUE(s.WriteFile("macro.txt", ""));
  ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\n" + settings));
}

HWND MainWindow() { return e2e::WaitForTop(kMainClass, kMainCaption, 15000); }

// The buttons are made in the window's order: Button1 (auto-connect) is its
// first button and Button2 (keep-alive) its second; labels come between.
HWND AutoConnectButton(HWND main) { return e2e::FindDescendantByClass(main, "Button", 0); }
HWND KeepAliveButton(HWND main) { return e2e::FindDescendantByClass(main, "Button", 1); }
HWND CountdownLabel(HWND main) { return e2e::FindDescendantByClass(main, "Static", 1); }  // Label5
HWND SpectateButton(HWND main) { return e2e::FindDescendantByText(main, "瞬間観戦", "Button"); }

bool Before(const RecordEntry& first, const RecordEntry& second) { return first.tick <= second.tick; }

class ConnectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  }
};

// ---- Auto-connect ----

TEST_F(ConnectTest, ConnectionThatSucceedsAfterADelayIsPressedOnceAndSwitchesOff) {
  Session s("connect_late");
  PrepareTamiru(s, "AutoConnectTimeInterval=5\r\n");
  ASSERT_TRUE(s.StartStandin("connect ok 2000\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  HWND button1 = AutoConnectButton(main);
  ASSERT_EQ(e2e::TextOf(button1), "OFF");

  ASSERT_TRUE(e2e::Click(button1));
  EXPECT_EQ(e2e::TextOf(button1), "ON");
  ASSERT_TRUE(s.WaitForEntry("connect", 8, "click", std::nullopt, 3000));
  // The countdown shows while the attempt runs.
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(CountdownLabel(main)).rfind("残り", 0) == 0; }, 2000))
      << e2e::TextOf(CountdownLabel(main));
  ASSERT_TRUE(s.WaitForEntry("room", -1, "open", std::nullopt, 5000));
  // The next step finds the connect dialog gone and switches off.
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(button1) == "OFF"; }, 3000));
  EXPECT_EQ(e2e::TextOf(CountdownLabel(main)), "");
  EXPECT_EQ(s.Entries("connect", 8, "click").size(), 1u);
  EXPECT_TRUE(s.Entries("connect", 9, "click").empty());
}

TEST_F(ConnectTest, ErrorDialogIsDismissedAndTheNextAttemptConnects) {
  Session s("connect_error");
  PrepareTamiru(s, "AutoConnectTimeInterval=5\r\n");
  ASSERT_TRUE(s.StartStandin("connect error 300\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(e2e::Click(AutoConnectButton(main)));

  ASSERT_TRUE(s.WaitForEntry("error", -1, "open", std::nullopt, 4000));
  ASSERT_TRUE(s.Command("connect ok 500"));
  const auto dismissed = s.WaitForEntry("error", 0, "click", std::nullopt, 3000);
  ASSERT_TRUE(dismissed.has_value());
  ASSERT_TRUE(s.WaitForEntry("room", -1, "open", std::nullopt, 5000));
  const auto presses = s.Entries("connect", 8, "click");
  ASSERT_EQ(presses.size(), 2u);
  EXPECT_TRUE(Before(presses[0], *dismissed));
  EXPECT_TRUE(Before(*dismissed, presses[1]));
  // Well inside the 5 s of an attempt: the dismissal ended the first one.
  EXPECT_LT(presses[1].tick - presses[0].tick, 3000u);
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(AutoConnectButton(main)) == "OFF"; }, 3000));
}

TEST_F(ConnectTest, AttemptThatHangsIsPressedOutAfterItsSecondsAndStartedAgain) {
  Session s("connect_timeout");
  PrepareTamiru(s, "AutoConnectTimeInterval=3\r\n");
  ASSERT_TRUE(s.StartStandin("connect none\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(e2e::Click(AutoConnectButton(main)));

  const auto expired = s.WaitForEntry("connect", 9, "click", std::nullopt, 8000);
  ASSERT_TRUE(expired.has_value());
  ASSERT_TRUE(e2e::WaitFor([&] { return s.Entries("connect", 8, "click").size() >= 2; }, 2000));
  const auto presses = s.Entries("connect", 8, "click");
  // 9 and then 8 in the same step, about 3 s (3 to 3.45 s) after the first 8.
  EXPECT_TRUE(Before(presses[0], *expired));
  EXPECT_TRUE(Before(*expired, presses[1]));
  EXPECT_GE(expired->tick - presses[0].tick, 2900u);
  EXPECT_LT(expired->tick - presses[0].tick, 4500u);
  EXPECT_LT(presses[1].tick - expired->tick, 300u);

  // Switched off by hand: no further press.
  ASSERT_TRUE(e2e::Click(AutoConnectButton(main)));
  EXPECT_EQ(e2e::TextOf(AutoConnectButton(main)), "OFF");
  EXPECT_EQ(e2e::TextOf(CountdownLabel(main)), "");
  const std::size_t pressed = s.Entries("connect", 8, "click").size();
  Sleep(3600);
  EXPECT_EQ(s.Entries("connect", 8, "click").size(), pressed);
  EXPECT_EQ(s.Entries("connect", 9, "click").size(), 1u);
}

TEST_F(ConnectTest, NoClientRunningStartsTheOneInTheScoreFilesFolderAndConnectsIt) {
  Session s("connect_start");
  ASSERT_TRUE(s.PlaceStandin());
  ASSERT_TRUE(s.WriteFile("standin.txt", "connect ok 500\n"));
  PrepareTamiru(s, "File4=" + s.PathOf("mjscore.txt") + "\r\nAutoConnectTimeInterval=5\r\n");
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_FALSE(s.StandinRunning());

  ASSERT_TRUE(e2e::Click(AutoConnectButton(main)));
  ASSERT_TRUE(e2e::WaitFor([&] { return s.StandinRunning(); }, 15000)) << "MJ.exe was not started";
  EXPECT_TRUE(s.WaitForEntry("connect", 8, "click", std::nullopt, 5000));
  EXPECT_TRUE(s.WaitForEntry("room", -1, "open", std::nullopt, 5000));
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(AutoConnectButton(main)) == "OFF"; }, 3000));
  s.Command("quit");
}

// ---- Keep-alive ----

// Room 0 holds no table in play; room 1 does, in its second row.
constexpr const char* kPlayInRoomOne =
    "tables 0 1卓 東風戦 待機中 aaa|2卓 東風戦 待機中 bbb\n"
    "tables 1 12卓 東風戦 待機中 jjj|13卓 東風戦 プレイ中 lll mmm nnn ooo\n"
    "show room\n"
    "spectate auto 500\n";

TEST_F(ConnectTest, Timer2SpectatesATableInPlayInAnotherRoomSendsF4AndButton2StopsIt) {
  Session s("keepalive_timer");
  // An interval of 0 minutes: every Timer2 tick in the waiting room spectates.
  PrepareTamiru(s, "AutoWatch=1\r\nAutoWatchTimeInterval=0\r\nSaveChatLogTimeInterval=2\r\n");
  ASSERT_TRUE(s.StartStandin(kPlayInRoomOne));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_EQ(e2e::TextOf(KeepAliveButton(main)), "ON");

  const auto opened = s.WaitForEntry("table", -1, "open", std::nullopt, 8000);
  ASSERT_TRUE(opened.has_value());
  EXPECT_EQ(opened->detail, "13");
  EXPECT_TRUE(s.WaitForEntry("room", 1, "cb_setcursel", std::string("1"), 0));
  EXPECT_TRUE(s.WaitForEntry("room", 1, "syskeydown", std::string("0x36"), 0));
  EXPECT_TRUE(s.WaitForEntry("room", 2, "lb_setcursel", std::string("1"), 0));
  EXPECT_TRUE(s.WaitForEntry("table", -1, "keydown", std::string("0x73"), 3000));
  EXPECT_TRUE(s.WaitForEntry("table", -1, "keyup", std::string("0x73"), 3000));
  EXPECT_TRUE(s.WaitForEntry("table", -1, "close", std::nullopt, 3000)) << "F4 ends the spectate";
  // One row was picked before the table opened: room 0 held nothing to try.
  const auto picks = s.Entries("room", 2, "lb_setcursel");
  EXPECT_EQ(std::count_if(picks.begin(), picks.end(), [&](const RecordEntry& e) { return Before(e, *opened); }), 1);

  ASSERT_TRUE(e2e::Click(KeepAliveButton(main)));
  EXPECT_EQ(e2e::TextOf(KeepAliveButton(main)), "OFF");
  const std::size_t presses = s.Entries("room", 10, "click").size();
  Sleep(4500);  // two periods of Timer2
  EXPECT_EQ(s.Entries("room", 10, "click").size(), presses);
}

TEST_F(ConnectTest, RefusedSpectatesAreDismissedAndTheNextRowIsTried) {
  Session s("keepalive_refused");
  PrepareTamiru(s, "");
  ASSERT_TRUE(s.StartStandin(
      "rooms ランキング卓\n"
      "tables 0 64卓 東風戦 プレイ中 aaa|65卓 東風戦 プレイ中 eee\n"
      "show room\n"
      "spectate fail 300\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);

  ASSERT_TRUE(e2e::PostClick(SpectateButton(main)));
  ASSERT_TRUE(e2e::WaitFor([&] { return s.Entries("spectatefail", 0, "click").size() >= 2; }, 8000));
  EXPECT_TRUE(e2e::WaitFor([&] { return s.Entries("spectatefail", -1, "close").size() >= 2; }, 3000));
  const auto rows = s.Entries("room", 2, "lb_setcursel");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].detail, "0");
  EXPECT_EQ(rows[1].detail, "1");
  Sleep(1500);
  EXPECT_EQ(s.Entries("room", 10, "click").size(), 2u) << "the one room was scanned once";
  EXPECT_TRUE(s.Entries("table", -1, "open").empty());
}

TEST_F(ConnectTest, ReservationForbidsTheSpectateUntilItIsWithdrawn) {
  Session s("keepalive_reserved");
  PrepareTamiru(s, "");
  ASSERT_TRUE(s.StartStandin("reserve on\nshow room\nspectate auto 300\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);

  ASSERT_TRUE(e2e::Click(SpectateButton(main)));
  Sleep(1000);
  EXPECT_TRUE(s.Entries("room", -2, "cb_setcursel").empty());
  EXPECT_TRUE(s.Entries("room", -2, "lb_setcursel").empty());
  EXPECT_TRUE(s.Entries("room", 10, "click").empty());

  ASSERT_TRUE(s.Command("reserve off"));
  ASSERT_TRUE(e2e::PostClick(SpectateButton(main)));
  const auto opened = s.WaitForEntry("table", -1, "open", std::nullopt, 5000);
  ASSERT_TRUE(opened.has_value());
  EXPECT_EQ(opened->detail, "64");  // the first row in play of the current room
  EXPECT_TRUE(s.WaitForEntry("room", 2, "lb_setcursel", std::string("0"), 0));
  EXPECT_TRUE(s.WaitForEntry("table", -1, "keyup", std::string("0x73"), 3000));
}

}  // namespace

// The stand-in client driven with the product's own discovery code: every
// window and control at its child number, chat typed and submitted in both
// chats, dialogs dismissed, rooms loaded, spectating, the score file, and the
// record of it all.
#include <gtest/gtest.h>

#include "e2e/scenarios/harness.h"
#include "game/discovery.h"
#include "platform/win32/window_system_win32.h"

namespace {

using tamiru::e2e::ClassOf;
using tamiru::e2e::Session;
using tamiru::e2e::TextOf;
namespace e2e = tamiru::e2e;
namespace game = tamiru::game;
namespace child = tamiru::game::child;
using tamiru::platform::kNoWindow;
using tamiru::platform::WindowHandle;

HWND H(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class StandinTest : public ::testing::Test {
 protected:
  tamiru::platform::win32::Win32WindowSystem windows_;

  HWND Child(WindowHandle parent, int n) { return H(game::FindChildWindow(windows_, parent, n)); }
  std::string Class(WindowHandle parent, int n) { return ClassOf(Child(parent, n)); }
  // The view's whole text once it ends with `tail`; what it holds otherwise.
  std::string WaitForViewEnding(HWND view, const std::string& tail) {
    std::string text;
    if (!e2e::WaitFor([&] { return EndsWith(text = TextOf(view), tail); })) {
      ADD_FAILURE() << "the chat view does not end with " << tail << "; it holds " << text;
    }
    return text;
  }
};

TEST_F(StandinTest, ConnectDialogConnectsAndOpensTheWaitingRoom) {
  Session s("standin_connect");
  ASSERT_TRUE(s.StartStandin("connect ok 300\n"));
  const WindowHandle dialog = game::FindConnectDialog(windows_);
  ASSERT_NE(dialog, kNoWindow);
  EXPECT_EQ(ClassOf(H(dialog)), "#32770");
  EXPECT_EQ(TextOf(Child(dialog, child::kConnectButton)), "接続");
  EXPECT_EQ(TextOf(Child(dialog, child::kConnectExpireButton)), "中止");
  EXPECT_EQ(game::FindWaitingRoom(windows_), kNoWindow);

  game::AttemptTick tick = 0;
  game::StartConnectAttempt(windows_, tick, 12345);
  EXPECT_EQ(tick, 12345u);
  ASSERT_TRUE(e2e::WaitForNoTop("#32770", "東風荘－接続"));
  ASSERT_TRUE(e2e::WaitFor([&] { return game::FindWaitingRoom(windows_) != kNoWindow; }));
  const WindowHandle room = game::FindWaitingRoom(windows_);
  const std::string view = WaitForViewEnding(Child(room, child::kRoomChatView), "東風荘へようこそ");
  EXPECT_NE(view.find("user1：<<接続>>\r\n"), std::string::npos) << view;
  EXPECT_TRUE(s.WaitForEntry("connect", 8, "click"));
}

TEST_F(StandinTest, FailedAttemptShowsTheErrorDialogAndAHungOneIsEnded) {
  Session s("standin_connect_error");
  ASSERT_TRUE(s.StartStandin("connect error 100\n"));
  game::AttemptTick tick = 0;
  game::StartConnectAttempt(windows_, tick, 500);
  const HWND error = e2e::WaitForTop("#32770", "エラー");
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(ClassOf(Child(reinterpret_cast<WindowHandle>(error), child::kDialogCloseButton)), "Button");
  game::DismissDialog(windows_, game::kErrorDialogTitle, tick);
  EXPECT_EQ(tick, 0u);
  EXPECT_TRUE(e2e::WaitForNoTop("#32770", "エラー"));
  EXPECT_NE(game::FindConnectDialog(windows_), kNoWindow) << "an error leaves the connect dialog open";

  // An attempt that never ends: the connect button is ignored while it runs,
  // child 9 ends it, and the next press starts a new one.
  ASSERT_TRUE(s.Command("connect none"));
  game::StartConnectAttempt(windows_, tick, 600);
  game::StartConnectAttempt(windows_, tick, 700);
  game::ExpireConnectAttempt(windows_);
  ASSERT_TRUE(s.WaitForEntry("connect", 9, "click"));
  const HWND status = Child(game::FindConnectDialog(windows_), 7);
  EXPECT_TRUE(e2e::WaitFor([&] { return TextOf(status) == "中止しました"; })) << TextOf(status);
  ASSERT_TRUE(s.Command("connect ok 0"));
  game::StartConnectAttempt(windows_, tick, 800);
  EXPECT_TRUE(e2e::WaitFor([&] { return game::FindWaitingRoom(windows_) != kNoWindow; }));
  EXPECT_EQ(s.Entries("connect", 8, "click").size(), 4u);
}

TEST_F(StandinTest, WaitingRoomControlsStandAtTheirChildNumbers) {
  Session s("standin_room");
  ASSERT_TRUE(s.StartStandin("show room\nreserve on\n"));
  const WindowHandle room = game::FindWaitingRoom(windows_);
  ASSERT_NE(room, kNoWindow);
  EXPECT_EQ(ClassOf(H(room)), "#32770");
  EXPECT_EQ(Class(room, child::kRoomSelector), "ComboBox");
  EXPECT_EQ(Class(room, child::kTableList), "ListBox");
  EXPECT_EQ(Class(room, child::kRoomChatView), "Edit");
  EXPECT_TRUE(GetWindowLongA(Child(room, child::kRoomChatView), GWL_STYLE) & ES_MULTILINE);
  EXPECT_EQ(Class(room, child::kRoomChatInput), "Edit");
  EXPECT_EQ(TextOf(Child(room, child::kRoomSendButton)), "送信");
  EXPECT_EQ(TextOf(Child(room, child::kSpectateButton)), "観戦");
  EXPECT_EQ(TextOf(Child(room, child::kReservationText)), "予約中");
  ASSERT_TRUE(s.Command("reserve off"));
  EXPECT_EQ(TextOf(Child(room, child::kReservationText)), "");

  const game::ChatTarget target = game::FindChatControls(windows_);
  EXPECT_EQ(target.kind, game::ChatTargetKind::kWaitingRoom);
  EXPECT_EQ(H(target.input), Child(room, child::kRoomChatInput));
  EXPECT_EQ(H(target.send_button), Child(room, child::kRoomSendButton));
}

TEST_F(StandinTest, RoomChatIsSentWithTheButtonAndAnswered) {
  Session s("standin_room_chat");
  ASSERT_TRUE(s.StartStandin("show room\nplayer zzz 1720 一般卓 12卓\n"));
  const game::ChatTarget target = game::FindChatControls(windows_);
  ASSERT_EQ(target.kind, game::ChatTargetKind::kWaitingRoom);
  const HWND view = Child(game::FindWaitingRoom(windows_), child::kRoomChatView);

  windows_.SendSetText(target.input, "こんにちは");
  windows_.SendMessage(target.send_button, tamiru::platform::msg::kButtonClick, 0, 0);
  EXPECT_EQ(windows_.SendMessage(target.input, tamiru::platform::msg::kEditLineLength, 0, 0), 0);
  WaitForViewEnding(view, "user1>\tこんにちは");

  windows_.SendSetText(target.input, "/w zzz");
  windows_.PostMessage(target.send_button, tamiru::platform::msg::kButtonClick, 0, 0);
  WaitForViewEnding(view, "\r\nzzz さんは 一般卓 12卓 にいます");
  windows_.SendSetText(target.input, "/r nobody");
  windows_.SendMessage(target.send_button, tamiru::platform::msg::kButtonClick, 0, 0);
  const std::string text = WaitForViewEnding(view, "\r\nnobody さんはログインしていません");
  EXPECT_EQ(text.substr(text.rfind('\n') + 1).find('>'), std::string::npos) << "a reply holds no '>'";

  EXPECT_EQ(s.SentLines("room"), (std::vector<std::string>{"こんにちは", "/w zzz", "/r nobody"}));
  EXPECT_EQ(s.Entries("room", child::kRoomChatInput, "settext").size(), 3u);
  EXPECT_EQ(s.Entries("room", child::kRoomSendButton, "click").size(), 3u);
}

TEST_F(StandinTest, RoomIsLoadedOnlyAfterTheSelectorKey) {
  Session s("standin_rooms");
  ASSERT_TRUE(s.StartStandin("show room\nrooms 甲|乙|丙\ntables 0 1卓 待機中\ntables 1 7卓 プレイ中 a b c d|8卓 待機中\n"));
  const WindowHandle room = game::FindWaitingRoom(windows_);
  const HWND selector = Child(room, child::kRoomSelector);
  const HWND list = Child(room, child::kTableList);
  auto rows = [&] { return windows_.SendMessage(reinterpret_cast<WindowHandle>(list), tamiru::platform::msg::kListGetCount, 0, 0); };
  EXPECT_EQ(windows_.SendMessage(reinterpret_cast<WindowHandle>(selector), tamiru::platform::msg::kComboGetCount, 0, 0), 3);
  EXPECT_EQ(rows(), 1);

  windows_.SendMessage(reinterpret_cast<WindowHandle>(selector), tamiru::platform::msg::kComboSetCurSel, 1, 0);
  EXPECT_EQ(rows(), 1) << "the selection alone loads nothing";
  EXPECT_EQ(windows_.SendMessage(reinterpret_cast<WindowHandle>(selector), tamiru::platform::msg::kComboGetCurSel, 0, 0), 1);
  windows_.SendMessage(reinterpret_cast<WindowHandle>(selector), tamiru::platform::msg::kSysKeyDown, 0x36, 0);
  EXPECT_EQ(rows(), 2);
  // Rows read from another process come back as Shift_JIS on Windows and on
  // Wine alike (Wine hands them over in UTF-16; the layer converts them).
  EXPECT_EQ(windows_.SendGetListText(reinterpret_cast<WindowHandle>(list), 0), "7卓 プレイ中 a b c d");
  EXPECT_EQ(windows_.SendGetListText(reinterpret_cast<WindowHandle>(list), 1), "8卓 待機中");
  EXPECT_EQ(windows_.SendGetListText(reinterpret_cast<WindowHandle>(list), 2), "");
  windows_.SendMessage(reinterpret_cast<WindowHandle>(selector), tamiru::platform::msg::kComboSetCurSel, 2, 0);
  windows_.SendMessage(reinterpret_cast<WindowHandle>(selector), tamiru::platform::msg::kSysKeyDown, 0x36, 0);
  EXPECT_EQ(rows(), 0) << "a room without tables";

  EXPECT_EQ(s.Entries("room", child::kRoomSelector, "cb_setcursel").size(), 2u);
  EXPECT_EQ(s.Entries("room", child::kRoomSelector, "syskeydown", "0x36").size(), 2u);
}

TEST_F(StandinTest, SpectatingOpensTheTableWindowAndF4LeavesIt) {
  Session s("standin_spectate");
  ASSERT_TRUE(s.StartStandin("show room\nspectate auto 300\n"));
  const WindowHandle room = game::FindWaitingRoom(windows_);
  const WindowHandle list = game::FindChildWindow(windows_, room, child::kTableList);
  const WindowHandle spectate = game::FindChildWindow(windows_, room, child::kSpectateButton);

  // Row 1 is a table waiting for players: the client refuses to spectate it.
  windows_.SendMessage(list, tamiru::platform::msg::kListSetCurSel, 1, 0);
  windows_.SendMessage(spectate, tamiru::platform::msg::kButtonClick, 0, 0);
  ASSERT_NE(e2e::WaitForTop("#32770", "観戦失敗"), nullptr);
  EXPECT_EQ(game::FindGameMainWindow(windows_), kNoWindow);
  game::AttemptTick tick = 77;
  game::DismissDialog(windows_, game::kSpectateFailureTitle, tick);
  EXPECT_TRUE(e2e::WaitForNoTop("#32770", "観戦失敗"));

  windows_.SendMessage(list, tamiru::platform::msg::kListSetCurSel, 0, 0);
  const DWORD clicked = GetTickCount();
  windows_.SendMessage(spectate, tamiru::platform::msg::kButtonClick, 0, 0);
  ASSERT_TRUE(e2e::WaitFor([&] { return game::FindGameMainWindow(windows_) != kNoWindow; }));
  EXPECT_GE(GetTickCount() - clicked, 250u) << "the table opens after the scripted delay";
  const WindowHandle table = game::FindGameMainWindow(windows_);
  EXPECT_EQ(TextOf(H(table)), "東風荘 64卓 (観戦)");
  EXPECT_EQ(Class(table, child::kGameChatView), "Edit");
  EXPECT_EQ(Class(table, child::kGameChatInput), "Edit");
  EXPECT_EQ(game::FindChatControls(windows_).kind, game::ChatTargetKind::kGameMain) << "the table is preferred to the open waiting room";

  windows_.PostMessage(table, tamiru::platform::msg::kKeyDown, tamiru::platform::kVkF4, 0);
  windows_.PostMessage(table, tamiru::platform::msg::kKeyUp, tamiru::platform::kVkF4, 0);
  EXPECT_TRUE(e2e::WaitFor([&] { return game::FindGameMainWindow(windows_) == kNoWindow; }));
  EXPECT_EQ(s.Entries("table", -1, "keydown", "0x73").size(), 1u);
  EXPECT_EQ(s.Entries("table", -1, "keyup", "0x73").size(), 1u);
  EXPECT_EQ(s.Entries("room", child::kTableList, "lb_setcursel").size(), 2u);
  EXPECT_EQ(s.Entries("room", child::kSpectateButton, "click").size(), 2u);
}

TEST_F(StandinTest, TableChatIsSentWithEnterAndEmptiesTheInput) {
  Session s("standin_table_chat");
  ASSERT_TRUE(s.StartStandin("show room\nshow table 5\n"));
  const game::ChatTarget target = game::FindChatControls(windows_);
  ASSERT_EQ(target.kind, game::ChatTargetKind::kGameMain);
  const HWND view = Child(game::FindGameMainWindow(windows_), child::kGameChatView);
  auto submit = [&](std::string_view line) {
    windows_.SendSetText(target.input, line);
    windows_.SendMessage(target.input, tamiru::platform::msg::kKeyDown, tamiru::platform::kVkReturn, 0);
    windows_.SendMessage(target.input, tamiru::platform::msg::kKeyUp, tamiru::platform::kVkReturn, 0);
  };
  submit("よろしく");
  EXPECT_EQ(windows_.SendMessage(target.input, tamiru::platform::msg::kEditLineLength, 0, 0), 0);
  WaitForViewEnding(view, "\r\nuser1>よろしく");
  submit("/chaton");
  WaitForViewEnding(view, "\r\nチャットを表示します");

  // Other players: "name>text", sometimes with a TAB before the '>'; and a
  // long line in one piece.
  ASSERT_TRUE(s.Command("saytab table bbb ロン"));
  WaitForViewEnding(view, "\r\nbbb\t>ロン");
  const std::string long_text(300, 'x');
  ASSERT_TRUE(s.Command("say table ccc " + long_text));
  WaitForViewEnding(view, "\r\nccc>" + long_text);

  // A client that never takes the line keeps it in its input.
  ASSERT_TRUE(s.Command("input-delay never"));
  submit("stuck");
  EXPECT_EQ(windows_.SendMessage(target.input, tamiru::platform::msg::kEditLineLength, 0, 0), 5);
  ASSERT_TRUE(s.Command("input-delay 200"));
  submit("slow");
  EXPECT_EQ(windows_.SendMessage(target.input, tamiru::platform::msg::kEditLineLength, 0, 0), 4);
  EXPECT_TRUE(e2e::WaitFor(
      [&] { return windows_.SendMessage(target.input, tamiru::platform::msg::kEditLineLength, 0, 0) == 0; }));

  EXPECT_EQ(s.SentLines("table"), (std::vector<std::string>{"よろしく", "/chaton", "stuck", "slow"}));
  EXPECT_EQ(s.Entries("table", child::kGameChatInput, "keydown", "0x0D").size(), 4u);
  EXPECT_EQ(s.Entries("table", child::kGameChatInput, "keyup", "0x0D").size(), 4u);
}

TEST_F(StandinTest, ScoreFileRecordsHaveTheClientsFormat) {
  Session s("standin_score");
  ASSERT_TRUE(s.StartStandin("show room\n"));
  ASSERT_TRUE(s.Command("game start 東風戦 64 aaa bbb ccc ddd"));
  ASSERT_TRUE(s.Command("game end 64 ddd 54 aaa 12 ccc -20 bbb -46"));
  ASSERT_TRUE(s.Command("game start 2 9 xx yy zz"));
  const std::string file = s.ReadFile("mjscore.txt").value_or("");
  std::vector<std::string> lines;
  for (size_t start = 0; start < file.size();) {
    const size_t end = file.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
    lines.push_back(file.substr(start, end - start));
    start = end + 2;
  }
  ASSERT_EQ(lines.size(), 10u) << file;
  EXPECT_EQ(lines[0].rfind("===== 東風戦：ランキング卓 64卓 開始 ", 0), 0u) << lines[0];
  EXPECT_TRUE(EndsWith(lines[0], " =====")) << lines[0];
  EXPECT_EQ(lines[1].rfind("  持点27000 [1]aaa R", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find(" [4]ddd R"), std::string::npos);
  EXPECT_EQ(lines[2], "  ---- 試合結果 ----");
  // The rank, handle and padding fill exactly 20 bytes; the sign follows.
  EXPECT_EQ(lines[3], "  1位 ddd           +54");
  EXPECT_EQ(lines[6], "  4位 bbb           -46");
  EXPECT_EQ(lines[6].substr(20), "-46");
  EXPECT_EQ(lines[7].rfind("----- 64卓 終了 ", 0), 0u) << lines[7];
  EXPECT_TRUE(EndsWith(lines[7], " -----"));
  EXPECT_EQ(lines[8].rfind("===== 三人打ち：ランキング卓 9卓 開始 ", 0), 0u) << lines[8];
  EXPECT_EQ(lines[9].rfind("  持点35000 [1]xx R1500 [2]yy R1500 [3]zz R1500", 0), 0u) << lines[9];
  EXPECT_FALSE(s.Command("game end 9 xx"));
}

TEST_F(StandinTest, RecordHoldsEveryCommandWithItsTick) {
  Session s("standin_record");
  const DWORD before = GetTickCount();
  ASSERT_TRUE(s.StartStandin("show room\n"));
  EXPECT_FALSE(s.Command("no such command"));
  ASSERT_TRUE(s.Command("notice room tab\\there and back\\\\slash"));
  const std::vector<e2e::RecordEntry> record = s.Record();
  ASSERT_GE(record.size(), 4u);
  EXPECT_EQ(record.front().event, "command");
  EXPECT_EQ(record.front().detail, "show room");
  std::uint32_t last = before;
  for (const e2e::RecordEntry& entry : record) {
    EXPECT_GE(entry.tick, last);
    last = entry.tick;
  }
  EXPECT_EQ(s.Entries("standin", -1, "refused", "no such command").size(), 1u);
  EXPECT_EQ(s.Entries("room", child::kRoomChatView, "line", "tab\there and back\\slash").size(), 1u);
  const HWND view = Child(game::FindWaitingRoom(windows_), child::kRoomChatView);
  EXPECT_TRUE(EndsWith(TextOf(view), "tab\there and back\\slash"));
}

}  // namespace

#include "platform/fake/fake_desktop.h"

#include <gtest/gtest.h>

#include <vector>

namespace tamiru::platform::fake {
namespace {

class FakeDesktopTest : public ::testing::Test {
 protected:
  FakeEventLoop loop{0};
  FakeDesktop desktop{loop};

  std::vector<WindowHandle> Children(WindowHandle parent) {
    std::vector<WindowHandle> seen;
    desktop.EnumChildWindows(parent, [&](WindowHandle w) {
      seen.push_back(w);
      return true;
    });
    return seen;
  }
  MsgResult Send(WindowHandle w, unsigned message, WParam wparam = 0) { return desktop.SendMessage(w, message, wparam, 0); }
};

// ---- Windows, order and look-up

TEST_F(FakeDesktopTest, DescendantsComeDepthFirstAndTopLevelsFrontToBack) {
  const WindowHandle a = desktop.CreateTopLevel("A", "a");
  const WindowHandle c1 = desktop.CreateChild(a, ControlKind::kStatic);
  const WindowHandle c2 = desktop.CreateChild(a, ControlKind::kStatic);
  const WindowHandle g1 = desktop.CreateChild(c1, ControlKind::kButton);
  const WindowHandle gg = desktop.CreateChild(g1, ControlKind::kButton);
  const WindowHandle g2 = desktop.CreateChild(c1, ControlKind::kButton);
  EXPECT_EQ(Children(a), (std::vector<WindowHandle>{c1, g1, gg, g2, c2}));
  EXPECT_EQ(Children(c1), (std::vector<WindowHandle>{g1, gg, g2}));

  const WindowHandle b = desktop.CreateTopLevel("B", "b");
  EXPECT_EQ(desktop.TopLevelOrder(), (std::vector<WindowHandle>{b, a}));
  // Like the system's, enumerating the children of no window lists the top-level windows.
  EXPECT_EQ(Children(kNoWindow), (std::vector<WindowHandle>{b, a}));
}

TEST_F(FakeDesktopTest, EnumerationSkipsWindowsDestroyedByTheVisitor) {
  const WindowHandle a = desktop.CreateTopLevel("A", "a");
  const WindowHandle c1 = desktop.CreateChild(a, ControlKind::kStatic);
  const WindowHandle c2 = desktop.CreateChild(a, ControlKind::kStatic);
  const WindowHandle c3 = desktop.CreateChild(a, ControlKind::kStatic);
  std::vector<WindowHandle> seen;
  desktop.EnumChildWindows(a, [&](WindowHandle w) {
    seen.push_back(w);
    if (w == c1) desktop.Destroy(c2);
    return true;
  });
  EXPECT_EQ(seen, (std::vector<WindowHandle>{c1, c3}));
}

TEST_F(FakeDesktopTest, DestroyTakesDescendantsAndHandlesAreNeverReused) {
  const WindowHandle a = desktop.CreateTopLevel("A", "a");
  const WindowHandle c = desktop.CreateChild(a, ControlKind::kStatic);
  const WindowHandle g = desktop.CreateChild(c, ControlKind::kStatic);
  desktop.Destroy(c);
  EXPECT_FALSE(desktop.Exists(c));
  EXPECT_FALSE(desktop.Exists(g));
  EXPECT_TRUE(Children(a).empty());
  const WindowHandle again = desktop.CreateChild(a, ControlKind::kStatic);
  EXPECT_NE(again, c);
  EXPECT_NE(again, g);
  EXPECT_EQ(desktop.SendSetText(c, "x"), 0);  // a destroyed window answers nothing
}

TEST_F(FakeDesktopTest, FindWindowIgnoresLetterCaseButNotDoubleByteCharacters) {
  const WindowHandle game = desktop.CreateTopLevel("KatuGameMjMain", "東風荘");
  EXPECT_EQ(desktop.FindWindow("katugamemjmain", std::nullopt), game);
  EXPECT_EQ(desktop.FindWindow(std::nullopt, "東風荘"), game);
  EXPECT_EQ(desktop.FindWindow("KatuGameMjMain", "東風"), kNoWindow);  // whole title only
  EXPECT_EQ(desktop.FindWindow("KatuGame", std::nullopt), kNoWindow);   // whole class only
  // ッ is 83 62 and ィ is 83 42: their trail bytes are 'b' and 'B'.
  desktop.CreateTopLevel("#32770", "ッ");
  EXPECT_EQ(desktop.FindWindow("#32770", "ィ"), kNoWindow);
  EXPECT_NE(desktop.FindWindow("#32770", "ッ"), kNoWindow);
}

TEST_F(FakeDesktopTest, ForegroundGoesToTheTopLevelAndMovesOnWhenItIsDestroyed) {
  const WindowHandle room = desktop.CreateTopLevel("#32770", "待合室");
  const WindowHandle button = desktop.CreateChild(room, ControlKind::kButton);
  const WindowHandle game = desktop.CreateTopLevel("KatuGameMjMain", "");
  EXPECT_TRUE(desktop.SetForegroundWindow(button));
  EXPECT_EQ(desktop.GetForegroundWindow(), room);
  EXPECT_EQ(desktop.TopLevelOrder().front(), room);
  EXPECT_TRUE(desktop.SetForegroundWindow(game));
  desktop.Destroy(game);
  EXPECT_EQ(desktop.GetForegroundWindow(), room);
  EXPECT_FALSE(desktop.SetForegroundWindow(game));
  const auto& last = desktop.Messages().back();
  EXPECT_EQ(last.kind, RecordedMessage::Kind::kForeground);
  EXPECT_FALSE(last.reached);
}

// ---- Text and buffers

TEST_F(FakeDesktopTest, GetTextFillsAtMostTheBufferLessOneAndNeverHalfACharacter) {
  const WindowHandle w = desktop.CreateTopLevel("#32770", "");
  desktop.SendSetText(w, "ab待合室");
  EXPECT_EQ(desktop.SendGetText(w, 100), "ab待合室");
  EXPECT_EQ(desktop.SendGetText(w, 9), "ab待合室");  // 8 bytes and the zero
  EXPECT_EQ(desktop.SendGetText(w, 8), "ab待合");    // 7 bytes would split 室
  EXPECT_EQ(desktop.SendGetText(w, 4), "ab");
  EXPECT_EQ(desktop.SendGetText(w, 1), "");
  EXPECT_EQ(desktop.SendGetText(w, 0), "");
  EXPECT_EQ(desktop.GetWindowText(w, 5), "ab待");
  EXPECT_EQ(desktop.GetClassName(w, 4), "#32");
  EXPECT_EQ(Send(w, msg::kGetTextLength), 8);
  // Through the plain SendMessage the buffer is the caller's, as with the system.
  char buffer[6] = "zzzzz";
  EXPECT_EQ(desktop.SendMessage(w, msg::kGetText, 5, reinterpret_cast<LParam>(buffer)), 4);
  EXPECT_STREQ(buffer, "ab待");
}

// ---- Edit controls

TEST_F(FakeDesktopTest, MultiLineEditCountsLinesAndByteIndices) {
  const WindowHandle view = desktop.CreateTopLevel("Edit", "", ControlKind::kMultiLineEdit);
  EXPECT_EQ(Send(view, msg::kEditGetLineCount), 1);  // an empty edit has one line
  EXPECT_EQ(Send(view, msg::kEditLineIndex, 0), 0);
  desktop.SetText(view, "あa>x\r\nb>y");
  EXPECT_EQ(Send(view, msg::kEditGetLineCount), 2);
  EXPECT_EQ(Send(view, msg::kEditLineIndex, 1), 7);
  EXPECT_EQ(Send(view, msg::kEditLineIndex, 2), -1);  // the line after the last does not exist
  EXPECT_EQ(Send(view, msg::kEditLineLength, 0), 5);
  EXPECT_EQ(Send(view, msg::kEditLineLength, 7), 3);
  EXPECT_EQ(Send(view, msg::kEditLineLength, 99), 0);
  desktop.AppendLine(view, "c>z");
  EXPECT_EQ(desktop.Text(view), "あa>x\r\nb>y\r\nc>z");
  desktop.SetText(view, "a\r\n");  // a final line break opens an empty last line
  EXPECT_EQ(Send(view, msg::kEditGetLineCount), 2);
  EXPECT_EQ(Send(view, msg::kEditLineIndex, 1), 3);
}

TEST_F(FakeDesktopTest, CharacterCountingEditAsUnderWine) {
  const WindowHandle view = desktop.CreateTopLevel("Edit", "", ControlKind::kMultiLineEdit);
  desktop.SetEditIndexUnit(EditIndexUnit::kCharacters);
  desktop.SetText(view, "あa>x\r\n東風>y\r\nz");
  EXPECT_EQ(Send(view, msg::kEditLineIndex, 1), 6);
  EXPECT_EQ(Send(view, msg::kEditLineIndex, 2), 12);
  EXPECT_EQ(Send(view, msg::kEditLineLength, 6), 4);  // 東風>y: four characters
  EXPECT_EQ(Send(view, msg::kGetTextLength), 16);     // bytes, whatever the unit
}

// ---- List and combo boxes

TEST_F(FakeDesktopTest, ListBoxAnswersAndRefusesRowsOutOfRange) {
  const WindowHandle list = desktop.CreateTopLevel("ListBox", "", ControlKind::kListBox);
  desktop.SetItems(list, {"卓1 プレイ中", "卓2"});
  EXPECT_EQ(Send(list, msg::kListGetCount), 2);
  EXPECT_EQ(Send(list, msg::kListGetTextLen, 0), 12);
  EXPECT_EQ(Send(list, msg::kListGetTextLen, 2), -1);
  EXPECT_EQ(desktop.SendGetListText(list, 0), "卓1 プレイ中");
  EXPECT_EQ(desktop.SendGetListText(list, 2), "");
  EXPECT_EQ(desktop.SendGetListText(list, -1), "");
  EXPECT_EQ(Send(list, msg::kListSetCurSel, 1), 1);
  EXPECT_EQ(Send(list, msg::kListSetCurSel, 5), -1);
  EXPECT_EQ(desktop.Selection(list), 1);  // kept
  EXPECT_EQ(Send(list, msg::kListSetCurSel, static_cast<WParam>(-1)), -1);
  EXPECT_EQ(desktop.Selection(list), -1);
}

TEST_F(FakeDesktopTest, ListRowThatGrowsBetweenLengthAndTextIsNotOverrun) {
  const WindowHandle list = desktop.CreateTopLevel("ListBox", "", ControlKind::kListBox);
  desktop.SetItems(list, {"ab"});
  desktop.OnMessage(list, msg::kListGetTextLen, [&](const RecordedMessage&) {
    desktop.SetItems(list, {std::string(500, 'x')});
  });
  EXPECT_EQ(desktop.SendGetListText(list, 0), "");
}

TEST_F(FakeDesktopTest, ComboBoxSelectionOutOfRangeIsCleared) {
  const WindowHandle rooms = desktop.CreateTopLevel("ComboBox", "", ControlKind::kComboBox);
  EXPECT_EQ(Send(rooms, msg::kComboGetCurSel), -1);
  desktop.SetItems(rooms, {"一般", "上級", "特上"});
  EXPECT_EQ(Send(rooms, msg::kComboGetCount), 3);
  EXPECT_EQ(Send(rooms, msg::kComboSetCurSel, 2), 2);
  EXPECT_EQ(Send(rooms, msg::kComboGetCurSel), 2);
  EXPECT_EQ(desktop.SendGetText(rooms, 100), "特上");
  EXPECT_EQ(Send(rooms, msg::kComboSetCurSel, 3), -1);
  EXPECT_EQ(Send(rooms, msg::kComboGetCurSel), -1);
}

// ---- Sent and posted messages, reactions, hung windows

TEST_F(FakeDesktopTest, PostedMessagesAreHandledWhenTheLoopTurns) {
  const auto game = desktop.CreateGameMainWindow();
  desktop.SendSetText(game.chat_input, "/l");
  EXPECT_TRUE(desktop.PostMessage(game.chat_input, msg::kKeyDown, kVkReturn, 0));
  EXPECT_TRUE(desktop.PostMessage(game.chat_input, msg::kKeyUp, kVkReturn, 0));
  EXPECT_EQ(desktop.Text(game.chat_input), "/l");  // not yet
  loop.ProcessPendingMessages();
  EXPECT_EQ(desktop.Text(game.chat_input), "");
  EXPECT_EQ(desktop.Submitted(game.chat_input), std::vector<std::string>{"/l"});
  EXPECT_EQ(desktop.Text(game.chat_view), "me>/l");
  const auto posted = desktop.MessagesTo(game.chat_input, msg::kKeyUp);
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].kind, RecordedMessage::Kind::kPosted);
}

TEST_F(FakeDesktopTest, PostToADestroyedWindowFailsAndPendingPostsAreDropped) {
  const auto dialog = desktop.CreateMessageDialog("エラー");
  int clicks = 0;
  desktop.OnMessage(dialog.child[0], msg::kButtonClick, [&](const RecordedMessage&) { ++clicks; });
  desktop.PostMessage(dialog.child[0], msg::kButtonClick, 0, 0);
  desktop.PostMessage(dialog.child[0], msg::kButtonClick, 0, 0);  // the first click closes the dialog
  loop.ProcessPendingMessages();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(desktop.Exists(dialog.window));
  EXPECT_FALSE(desktop.PostMessage(dialog.child[0], msg::kButtonClick, 0, 0));
  EXPECT_EQ(desktop.CountOf(dialog.child[0], msg::kButtonClick), 3u);
}

TEST_F(FakeDesktopTest, HungWindowAnswersNothingButIsRecorded) {
  const auto room = desktop.CreateWaitingRoom();
  desktop.SetItems(room.table_list, {"a"});
  desktop.SetHung(room.table_list, true);
  EXPECT_EQ(Send(room.table_list, msg::kListGetCount), 0);
  EXPECT_EQ(desktop.SendGetListText(room.table_list, 0), "");
  desktop.SendSetText(room.chat_input, "hi");
  desktop.SetHung(room.chat_input, true);
  EXPECT_EQ(desktop.SendGetText(room.chat_input, 256), "");
  EXPECT_EQ(desktop.CountOf(room.table_list, msg::kListGetCount), 1u);
}

TEST_F(FakeDesktopTest, AnswerReplacesTheControlsOwnHandling) {
  const auto game = desktop.CreateGameMainWindow(std::string("東風荘"), false);
  desktop.AnswerMessage(game.chat_input, msg::kEditLineLength, [](const RecordedMessage&) { return 7; });
  desktop.SendSetText(game.chat_input, "x");
  EXPECT_EQ(Send(game.chat_input, msg::kEditLineLength), 7);
  // Without the behaviours nothing empties the input.
  desktop.SendMessage(game.chat_input, msg::kKeyUp, kVkReturn, 0);
  EXPECT_EQ(desktop.Text(game.chat_input), "x");
}

TEST_F(FakeDesktopTest, ScriptedSpectateOpensTheTableLaterAndRecordsTicks) {
  const auto room = desktop.CreateWaitingRoom();
  desktop.OnMessage(room.spectate_button, msg::kButtonClick, [&](const RecordedMessage&) {
    loop.ScheduleAfter(1200, [&] { desktop.CreateGameMainWindow(); });
  });
  loop.Advance(300);
  desktop.SendMessage(room.spectate_button, msg::kButtonClick, 0, 0);
  EXPECT_EQ(desktop.Messages().back().tick, 300u);
  loop.WaitWithMessages(1000);
  EXPECT_EQ(desktop.FindWindow("KatuGameMjMain", std::nullopt), kNoWindow);
  loop.WaitWithMessages(500);
  EXPECT_NE(desktop.FindWindow("KatuGameMjMain", std::nullopt), kNoWindow);
}

TEST_F(FakeDesktopTest, ReactionMayDestroyItsOwnWindow) {
  const auto dialog = desktop.CreateMessageDialog("観戦失敗");
  int after = 0;
  desktop.OnMessage(dialog.child[0], msg::kButtonClick, [&](const RecordedMessage&) { ++after; });
  desktop.SendMessage(dialog.child[0], msg::kButtonClick, 0, 0);
  EXPECT_FALSE(desktop.Exists(dialog.window));
  EXPECT_EQ(after, 1);  // reactions installed before the click still ran
}

TEST_F(FakeDesktopTest, ClientWindowsStandAtTheirChildNumbers) {
  const auto room = desktop.CreateWaitingRoom();
  const auto children = Children(room.window);
  ASSERT_EQ(children.size(), 13u);
  EXPECT_EQ(children[1], room.room_selector);
  EXPECT_EQ(children[2], room.table_list);
  EXPECT_EQ(children[3], room.chat_view);
  EXPECT_EQ(children[5], room.chat_input);
  EXPECT_EQ(children[6], room.send_button);
  EXPECT_EQ(children[10], room.spectate_button);
  EXPECT_EQ(children[12], room.reservation);
  EXPECT_EQ(desktop.ClassName(room.table_list), "ListBox");
  // The waiting room's send button submits its input.
  desktop.SendSetText(room.chat_input, "こんにちは");
  desktop.SendMessage(room.send_button, msg::kButtonClick, 0, 0);
  EXPECT_EQ(desktop.Text(room.chat_input), "");
  EXPECT_EQ(desktop.Text(room.chat_view), "me\t>こんにちは");

  const auto connect = desktop.CreateConnectDialog();
  EXPECT_EQ(Children(connect.window).size(), 10u);
  EXPECT_EQ(desktop.FindWindow("#32770", "東風荘－接続"), connect.window);
}

}  // namespace
}  // namespace tamiru::platform::fake

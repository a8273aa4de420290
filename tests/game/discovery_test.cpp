#include "game/discovery.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/fake/fake_desktop.h"

namespace tamiru::game {
namespace {

using platform::kNoWindow;
using platform::fake::ControlKind;
using platform::fake::FakeDesktop;
using platform::fake::FakeEventLoop;
using platform::fake::RecordedMessage;
namespace msg = platform::msg;

// Counts the enumerations that the code under test asks for.
class CountingDesktop : public FakeDesktop {
 public:
  using FakeDesktop::FakeDesktop;
  void EnumChildWindows(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) override {
    ++child_enumerations;
    FakeDesktop::EnumChildWindows(parent, visit);
  }
  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override {
    FakeDesktop::EnumWindows([&](WindowHandle window) {
      ++windows_visited;
      return visit(window);
    });
  }
  int child_enumerations = 0;
  int windows_visited = 0;
};

class Discovery : public ::testing::Test {
 protected:
  FakeEventLoop loop{5000};
  CountingDesktop desktop{loop};

  std::vector<RecordedMessage> Posted() const {
    std::vector<RecordedMessage> out;
    for (const auto& entry : desktop.Messages()) {
      if (entry.kind == RecordedMessage::Kind::kPosted) out.push_back(entry);
    }
    return out;
  }
};

// ---- FindChildWindow

TEST_F(Discovery, ChildNumbersCountGrandchildrenInEnumerationOrder) {
  const WindowHandle w = desktop.CreateTopLevel("#32770", "w");
  const WindowHandle first = desktop.CreateChild(w, ControlKind::kStatic);
  const WindowHandle grand1 = desktop.CreateChild(first, ControlKind::kButton);
  const WindowHandle grand2 = desktop.CreateChild(first, ControlKind::kButton);
  const WindowHandle second = desktop.CreateChild(w, ControlKind::kSingleLineEdit);
  EXPECT_EQ(FindChildWindow(desktop, w, 0), first);
  EXPECT_EQ(FindChildWindow(desktop, w, 1), grand1);
  EXPECT_EQ(FindChildWindow(desktop, w, 2), grand2);
  EXPECT_EQ(FindChildWindow(desktop, w, 3), second);
}

TEST_F(Discovery, ChildNumberBeyondTheDescendantsIsNone) {
  const WindowHandle w = desktop.CreateTopLevel("#32770", "w");
  EXPECT_EQ(FindChildWindow(desktop, w, 0), kNoWindow);  // no descendants at all
  desktop.CreateChild(w, ControlKind::kStatic);
  desktop.CreateChild(w, ControlKind::kStatic);
  EXPECT_NE(FindChildWindow(desktop, w, 1), kNoWindow);
  EXPECT_EQ(FindChildWindow(desktop, w, 2), kNoWindow);  // exactly n descendants
  EXPECT_EQ(FindChildWindow(desktop, w, 50), kNoWindow);
}

TEST_F(Discovery, NoParentOrANegativeNumberEnumeratesNothing) {
  const WindowHandle w = desktop.CreateTopLevel("#32770", "w");
  desktop.CreateChild(w, ControlKind::kStatic);
  EXPECT_EQ(FindChildWindow(desktop, kNoWindow, 0), kNoWindow);
  EXPECT_EQ(FindChildWindow(desktop, w, -1), kNoWindow);
  EXPECT_EQ(desktop.child_enumerations, 0);
}

TEST_F(Discovery, ChildOfADestroyedWindowIsNone) {
  const WindowHandle w = desktop.CreateTopLevel("#32770", "w");
  desktop.CreateChild(w, ControlKind::kStatic);
  desktop.Destroy(w);
  EXPECT_EQ(FindChildWindow(desktop, w, 0), kNoWindow);
}

// ---- FindWaitingRoom

TEST_F(Discovery, WaitingRoomIsTheFirstMatchInEnumerationOrder) {
  const auto back = desktop.CreateWaitingRoom("待合室 1");
  const auto front = desktop.CreateWaitingRoom("東風荘 待合室 2");  // created last: in front
  EXPECT_EQ(FindWaitingRoom(desktop), front.window);
  desktop.SendToBack(front.window);
  EXPECT_EQ(FindWaitingRoom(desktop), back.window);
}

TEST_F(Discovery, WaitingRoomNeedsBothTitleAndClass) {
  desktop.CreateTopLevel("TMainForm", "待合室");         // class lacks "#32770": skipped
  desktop.CreateTopLevel("#32770", "待合");              // title lacks the word
  EXPECT_EQ(FindWaitingRoom(desktop), kNoWindow);
  // The class search is a plain substring search.
  const WindowHandle room = desktop.CreateTopLevel("x#32770y", "待合室");
  desktop.SendToBack(room);
  EXPECT_EQ(FindWaitingRoom(desktop), room);
}

TEST_F(Discovery, WaitingRoomTitleMatchNeverStartsOnATrailByte) {
  // "待合室" is 91 D2 8D 87 8E BA; "苑ﾒ合室" is 89 91 D2 8D 87 8E BA, which
  // holds those bytes only from the trail byte of 苑 on.
  const std::string across = "苑ﾒ合室";
  ASSERT_EQ(across.find(kWaitingRoomTitle), 1u);
  desktop.CreateTopLevel("#32770", across);
  EXPECT_EQ(FindWaitingRoom(desktop), kNoWindow);
}

TEST_F(Discovery, WaitingRoomTitleBeyondTheBufferIsNotSeen) {
  // Only the first 255 bytes of a title are read.
  desktop.CreateTopLevel("#32770", std::string(250, 'a') + "待合室");
  EXPECT_EQ(FindWaitingRoom(desktop), kNoWindow);
  const WindowHandle room = desktop.CreateTopLevel("#32770", std::string(249, 'a') + "待合室");
  EXPECT_EQ(FindWaitingRoom(desktop), room);
}

TEST_F(Discovery, WaitingRoomSearchStopsAtTheFirstMatch) {
  desktop.CreateTopLevel("a", "a");
  const auto room = desktop.CreateWaitingRoom();
  desktop.CreateTopLevel("b", "b");  // in front of the room
  EXPECT_EQ(FindWaitingRoom(desktop), room.window);
  EXPECT_EQ(desktop.windows_visited, 2);
}

// ---- FindChatControls

TEST_F(Discovery, GameMainWindowIsPreferredToTheWaitingRoom) {
  const auto room = desktop.CreateWaitingRoom();
  const auto game = desktop.CreateGameMainWindow();
  desktop.SendToBack(game.window);
  const ChatTarget target = FindChatControls(desktop);
  EXPECT_EQ(target.kind, ChatTargetKind::kGameMain);
  EXPECT_EQ(target.input, game.chat_input);
  EXPECT_EQ(target.send_button, kNoWindow);
  (void)room;
}

TEST_F(Discovery, GameMainWindowWithOneDescendantFallsBackToTheWaitingRoom) {
  const auto room = desktop.CreateWaitingRoom();
  const WindowHandle game = desktop.CreateTopLevel("KatuGameMjMain", "");
  desktop.CreateChild(game, ControlKind::kMultiLineEdit);
  const ChatTarget target = FindChatControls(desktop);
  EXPECT_EQ(target.kind, ChatTargetKind::kWaitingRoom);
  EXPECT_EQ(target.input, room.chat_input);
  EXPECT_EQ(target.send_button, room.send_button);
}

TEST_F(Discovery, WaitingRoomWithoutChild6HasNoSendButton) {
  const WindowHandle room = desktop.CreateTopLevel("#32770", "待合室");
  WindowHandle last = kNoWindow;
  for (int n = 0; n <= 5; ++n) last = desktop.CreateChild(room, ControlKind::kSingleLineEdit);
  const ChatTarget target = FindChatControls(desktop);
  EXPECT_EQ(target.kind, ChatTargetKind::kWaitingRoom);
  EXPECT_EQ(target.input, last);
  EXPECT_EQ(target.send_button, kNoWindow);
}

TEST_F(Discovery, NoChatInputAnywhereIsKindZeroWithNoHandles) {
  EXPECT_EQ(FindChatControls(desktop).kind, ChatTargetKind::kNone);
  // A waiting room with five descendants has no child 5: kind 0, and the
  // result carries no stray send button either.
  const WindowHandle room = desktop.CreateTopLevel("#32770", "待合室");
  for (int n = 0; n < 5; ++n) desktop.CreateChild(room, ControlKind::kStatic);
  const ChatTarget target = FindChatControls(desktop);
  EXPECT_EQ(target.kind, ChatTargetKind::kNone);
  EXPECT_EQ(target.input, kNoWindow);
  EXPECT_EQ(target.send_button, kNoWindow);
}

// ---- Dialog button presses

TEST_F(Discovery, DismissDialogPostsToChild0AndClearsTheAttemptTime) {
  const auto dialog = desktop.CreateMessageDialog("エラー", "接続できません");
  AttemptTick attempt = 1234;
  DismissDialog(desktop, kErrorDialogTitle, attempt);
  EXPECT_EQ(attempt, 0u);
  const auto posted = Posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].window, dialog.child[0]);
  EXPECT_EQ(posted[0].message, msg::kButtonClick);
  EXPECT_EQ(posted[0].wparam, 0u);
  EXPECT_EQ(posted[0].lparam, 0);
  // Posted, not awaited: the dialog closes only when the loop turns.
  EXPECT_TRUE(desktop.Exists(dialog.window));
  loop.ProcessPendingMessages();
  EXPECT_FALSE(desktop.Exists(dialog.window));
}

TEST_F(Discovery, DismissDialogWithNoDialogOrNoChildChangesNothing) {
  desktop.CreateMessageDialog("観戦失敗");  // another caption
  AttemptTick attempt = 1234;
  DismissDialog(desktop, kErrorDialogTitle, attempt);
  EXPECT_EQ(attempt, 1234u);
  desktop.CreateTopLevel("#32770", "エラー");  // the dialog, but without children
  DismissDialog(desktop, kErrorDialogTitle, attempt);
  EXPECT_EQ(attempt, 1234u);
  EXPECT_TRUE(Posted().empty());
}

TEST_F(Discovery, DialogCaptionMustMatchWholly) {
  desktop.CreateMessageDialog("エラー発生");
  desktop.CreateTopLevel("TForm", "エラー");  // right caption, wrong class
  AttemptTick attempt = 7;
  DismissDialog(desktop, kErrorDialogTitle, attempt);
  EXPECT_EQ(attempt, 7u);
  EXPECT_TRUE(Posted().empty());
}

TEST_F(Discovery, ConnectAttemptPressesChild8AndNotesTheTime) {
  const auto dialog = desktop.CreateConnectDialog();
  AttemptTick attempt = 0;
  StartConnectAttempt(desktop, attempt, loop.TickCount());
  EXPECT_EQ(attempt, 5000u);
  ExpireConnectAttempt(desktop);
  const auto posted = Posted();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].window, dialog.child[8]);
  EXPECT_EQ(posted[1].window, dialog.child[9]);
  EXPECT_EQ(posted[1].message, msg::kButtonClick);
}

TEST_F(Discovery, ConnectAttemptWithoutTheDialogKeepsTheOldTime) {
  AttemptTick attempt = 42;
  StartConnectAttempt(desktop, attempt, 9999);
  ExpireConnectAttempt(desktop);
  EXPECT_EQ(attempt, 42u);
  // A connect dialog with only eight controls has no child 8 or 9.
  const WindowHandle dialog = desktop.CreateTopLevel("#32770", "東風荘－接続");
  for (int n = 0; n < 8; ++n) desktop.CreateChild(dialog, ControlKind::kButton);
  StartConnectAttempt(desktop, attempt, 9999);
  ExpireConnectAttempt(desktop);
  EXPECT_EQ(attempt, 42u);
  EXPECT_TRUE(Posted().empty());
}

}  // namespace
}  // namespace tamiru::game

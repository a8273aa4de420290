#include "game/chat_send.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_event_loop.h"
#include "text/error.h"
#include "text/sjis.h"

namespace tamiru::game {
namespace {

using platform::WindowHandle;
using platform::fake::FakeComboBox;
using platform::fake::FakeDesktop;
using platform::fake::FakeEdit;
using platform::fake::FakeEventLoop;
using platform::fake::FakeListBox;
using platform::fake::RecordedMessage;
namespace msg = platform::msg;

// One message to a control, as the test expects to see it.
struct Seen {
  unsigned message;
  std::string text;
  bool operator==(const Seen&) const = default;
};

class ChatSendTest : public ::testing::Test {
 protected:
  ~ChatSendTest() override {
    if (!ignore_path.empty()) std::filesystem::remove(ignore_path);
  }

  NameSources Sources() { return {left, right, edit2, chat_line, ignore_path}; }
  ChatSendContext Context() { return {desktop, loop}; }
  void Send(const ChatCommand& command) { SendNameCommand(Context(), Sources(), command); }

  void WriteIgnoreFile(const std::string& bytes) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    ignore_path = (std::filesystem::temp_directory_path() / ("tamiru_ignore_" + std::string(info->name()))).string();
    std::ofstream(ignore_path, std::ios::binary) << bytes;
  }

  // The lines typed into `input`, in order.
  std::vector<std::string> Typed(WindowHandle input) const {
    std::vector<std::string> lines;
    for (const RecordedMessage& m : desktop.MessagesTo(input, msg::kSetText)) lines.push_back(m.text);
    return lines;
  }
  std::vector<std::uint32_t> TypedTicks(WindowHandle input) const {
    std::vector<std::uint32_t> ticks;
    for (const RecordedMessage& m : desktop.MessagesTo(input, msg::kSetText)) ticks.push_back(m.tick);
    return ticks;
  }
  // Every message to `window` except the polls of its length.
  std::vector<Seen> Sequence(WindowHandle window) const {
    std::vector<Seen> seen;
    for (const RecordedMessage& m : desktop.MessagesTo(window)) {
      if (m.message != msg::kEditLineLength) seen.push_back({m.message, m.text});
    }
    return seen;
  }

  FakeEventLoop loop;
  FakeDesktop desktop{loop};
  FakeListBox left{15, 155};
  FakeListBox right{15, 155};
  FakeEdit edit2;
  FakeComboBox chat_line;
  std::string ignore_path;
};

// ---- SendNameCommand at a table ----

TEST_F(ChatSendTest, WhereForEachSelectedNameWaitsForTheEmptiedInputAndNeverPauses) {
  const auto game = desktop.CreateGameMainWindow();
  right.SetItems({"aaa", "bbb"});
  const std::uint32_t start = loop.TickCount();

  Send(chat_command::kWhereSelected);

  const std::vector<Seen> expected = {{msg::kSetText, "/w aaa"}, {msg::kKeyDown, ""}, {msg::kKeyUp, ""},
                                      {msg::kSetText, "/w bbb"}, {msg::kKeyDown, ""}, {msg::kKeyUp, ""}};
  EXPECT_EQ(Sequence(game.chat_input), expected);
  for (const RecordedMessage& m : desktop.MessagesTo(game.chat_input)) {
    EXPECT_EQ(m.kind, RecordedMessage::Kind::kSent);  // the submit is awaited
    if (m.message == msg::kKeyDown || m.message == msg::kKeyUp) {
      EXPECT_EQ(m.wparam, platform::kVkReturn);
      EXPECT_EQ(m.lparam, 0);
    }
  }
  // The length is asked after each line, and the second line follows the
  // emptied input at once.
  EXPECT_EQ(desktop.CountOf(game.chat_input, msg::kEditLineLength), 2u);
  EXPECT_LT(loop.TickCount() - start, kCommandPauseMs);
}

TEST_F(ChatSendTest, RankFriendsAndWhereFriendsReadTheLeftList) {
  const auto game = desktop.CreateGameMainWindow();
  left.SetItems({"f1", "f2"});
  right.SetItems({"s1"});
  Send(chat_command::kRankFriends);
  Send(chat_command::kWhereFriends);
  Send(chat_command::kRankSelected);
  EXPECT_EQ(Typed(game.chat_input), (std::vector<std::string>{"/r f1", "/r f2", "/w f1", "/w f2", "/r s1"}));
}

TEST_F(ChatSendTest, TellAddsOneSpaceAndTheChatLineAsItIsWhenEachLineIsBuilt) {
  const auto game = desktop.CreateGameMainWindow();
  right.SetItems({"aaa"});
  chat_line.SetText("hello");
  Send(chat_command::kTellSelected);
  EXPECT_EQ(Typed(game.chat_input), std::vector<std::string>{"/t aaa hello"});

  // Kind 8 takes the friends; the user changes the chat line in the pause.
  desktop.ClearMessages();
  left.SetItems({"f1", "f2"});
  loop.ScheduleAfter(1000, [&] { chat_line.SetText("bye"); });
  Send(chat_command::kTellFriends);
  EXPECT_EQ(Typed(game.chat_input), (std::vector<std::string>{"/t f1 hello", "/t f2 bye"}));
  const auto ticks = TypedTicks(game.chat_input);
  EXPECT_EQ(ticks[1] - ticks[0], kCommandPauseMs);
}

TEST_F(ChatSendTest, IgnoreFromEditSendsOneLine) {
  const auto game = desktop.CreateGameMainWindow();
  edit2.SetText("xyz");
  Send(chat_command::kIgnoreEdit);
  EXPECT_EQ(Typed(game.chat_input), std::vector<std::string>{"/i xyz"});
}

TEST_F(ChatSendTest, NothingIsSentForAnEmptyListOrACommandWithoutNames) {
  const auto game = desktop.CreateGameMainWindow();
  Send(chat_command::kWhereSelected);
  Send(chat_command::kChatOn);
  Send(chat_command::kChatLine);
  EXPECT_TRUE(desktop.MessagesTo(game.chat_input).empty());
}

// ---- Kind 3: the ignore list file ----

TEST_F(ChatSendTest, IgnoreFileLinesArePaused5500MsApartAndAnEmptyLineIsSentToo) {
  const auto game = desktop.CreateGameMainWindow();
  WriteIgnoreFile("x\r\n\r\nz");
  const std::uint32_t start = loop.TickCount();

  Send(chat_command::kIgnoreFile);

  EXPECT_EQ(Typed(game.chat_input), (std::vector<std::string>{"/i x", "/i ", "/i z"}));
  const auto ticks = TypedTicks(game.chat_input);
  ASSERT_EQ(ticks.size(), 3u);
  EXPECT_EQ(ticks[0], start);
  EXPECT_EQ(ticks[1] - ticks[0], kCommandPauseMs);
  EXPECT_EQ(ticks[2] - ticks[1], kCommandPauseMs);
  // No pause after the last line: the send ends as soon as it is taken.
  EXPECT_EQ(loop.TickCount(), ticks[2]);
}

TEST_F(ChatSendTest, IgnoreFileThatCannotBeOpenedStopsBeforeAnythingIsSent) {
  const auto game = desktop.CreateGameMainWindow();
  ignore_path = (std::filesystem::temp_directory_path() / "tamiru_no_such_dir" / "ignorelist.txt").string();
  try {
    Send(chat_command::kIgnoreFile);
    FAIL() << "expected the file-open error";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + ignore_path + " は開けません");
  }
  EXPECT_TRUE(desktop.MessagesTo(game.chat_input).empty());
  ignore_path.clear();
}

TEST_F(ChatSendTest, WithoutAChatTargetNothingIsSentAndNoFileIsRead) {
  ignore_path = "/nonexistent/ignorelist.txt";
  right.SetItems({"aaa"});
  EXPECT_NO_THROW(Send(chat_command::kIgnoreFile));
  Send(chat_command::kWhereSelected);
  EXPECT_TRUE(desktop.Messages().empty());
  ignore_path.clear();
}

// ---- The target and the lists change during a pause ----

TEST_F(ChatSendTest, ClientClosedDuringThePauseEndsTheSend) {
  const auto game = desktop.CreateGameMainWindow();
  right.SetItems({"a", "b", "c"});
  chat_line.SetText("hi");
  loop.ScheduleAfter(1000, [&] { desktop.Destroy(game.window); });
  Send(chat_command::kTellSelected);
  EXPECT_EQ(Typed(game.chat_input), std::vector<std::string>{"/t a hi"});
}

TEST_F(ChatSendTest, TableLeftForTheWaitingRoomDuringThePauseSendsTheRestThere) {
  const auto game = desktop.CreateGameMainWindow();
  const auto room = desktop.CreateWaitingRoom();
  WriteIgnoreFile("p\r\nq\r\n");
  loop.ScheduleAfter(2000, [&] { desktop.Destroy(game.window); });

  Send(chat_command::kIgnoreFile);

  EXPECT_EQ(Typed(game.chat_input), std::vector<std::string>{"/i p"});
  EXPECT_EQ(Typed(room.chat_input), std::vector<std::string>{"/i q"});
  const auto clicks = desktop.MessagesTo(room.send_button, msg::kButtonClick);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].kind, RecordedMessage::Kind::kSent);
}

TEST_F(ChatSendTest, ListThatLosesItemsDuringAPauseIsNeverReadPastItsEnd) {
  const auto game = desktop.CreateGameMainWindow();
  right.SetItems({"a", "b", "c"});
  chat_line.SetText("hi");
  // The user removes two names while the first pause runs.
  loop.ScheduleAfter(100, [&] {
    right.Delete(2);
    right.Delete(0);
  });
  Send(chat_command::kTellSelected);
  // Count 3 was fixed at the start; position 1 no longer exists.
  EXPECT_EQ(Typed(game.chat_input), std::vector<std::string>{"/t a hi"});
}

TEST_F(ChatSendTest, ItemsAreReadByPositionWhenEachLineIsBuilt) {
  const auto game = desktop.CreateGameMainWindow();
  right.SetItems({"a", "b"});
  chat_line.SetText("hi");
  loop.ScheduleAfter(100, [&] {
    right.Insert(0, "new");  // positions shift; the count stays 2
  });
  Send(chat_command::kTellSelected);
  EXPECT_EQ(Typed(game.chat_input), (std::vector<std::string>{"/t a hi", "/t a hi"}));
}

TEST_F(ChatSendTest, SecondSendStartedInAPauseRunsToItsEndInsideTheFirst) {
  const auto game = desktop.CreateGameMainWindow();
  right.SetItems({"a", "b"});
  left.SetItems({"f1", "f2"});
  chat_line.SetText("hi");
  loop.ScheduleAfter(1000, [&] { Send(chat_command::kWhereFriends); });
  Send(chat_command::kTellSelected);
  EXPECT_EQ(Typed(game.chat_input), (std::vector<std::string>{"/t a hi", "/w f1", "/w f2", "/t b hi"}));
  const auto ticks = TypedTicks(game.chat_input);
  EXPECT_EQ(ticks[3] - ticks[0], kCommandPauseMs);
}

// ---- Bounds ----

TEST_F(ChatSendTest, ClientThatNeverEmptiesItsInputEndsTheSendAtTheBound) {
  const auto game = desktop.CreateGameMainWindow();
  desktop.AnswerMessage(game.chat_input, msg::kEditLineLength, [](const RecordedMessage&) { return 7; });
  right.SetItems({"a", "b"});
  const std::uint32_t start = loop.TickCount();

  Send(chat_command::kWhereSelected);

  EXPECT_EQ(Typed(game.chat_input), std::vector<std::string>{"/w a"});
  const std::uint32_t waited = loop.TickCount() - start;
  EXPECT_GE(waited, kEmptyInputBoundMs);
  EXPECT_LE(waited, kEmptyInputBoundMs + 2 * FakeEventLoop::kSliceMs);
}

// A client that does not answer keeps its old input: Enter would send that
// line again, so neither a name command nor a simple command presses it.
TEST_F(ChatSendTest, HungClientThatDidNotTakeTheLineGetsNoEnter) {
  const auto game = desktop.CreateGameMainWindow();
  desktop.SetHung(game.chat_input, true);
  right.SetItems({"a", "b"});
  Send(chat_command::kWhereSelected);
  SendSimpleCommand(desktop, chat_command::kHide, "");
  EXPECT_EQ(Typed(game.chat_input), (std::vector<std::string>{"/w a", "/h"}));
  EXPECT_EQ(desktop.CountOf(game.chat_input, msg::kKeyDown), 0u);
  EXPECT_EQ(desktop.CountOf(game.chat_input, msg::kKeyUp), 0u);
}

TEST_F(ChatSendTest, InputEmptiedLateIsWaitedFor) {
  const auto game = desktop.CreateGameMainWindow(std::string("東風荘"), false);
  right.SetItems({"a", "b"});
  // The client takes 300 ms to empty its input after each line.
  desktop.OnMessage(game.chat_input, msg::kKeyUp, [&](const RecordedMessage&) {
    loop.ScheduleAfter(300, [&] { desktop.SetText(game.chat_input, ""); });
  });
  Send(chat_command::kWhereSelected);
  const auto ticks = TypedTicks(game.chat_input);
  ASSERT_EQ(ticks.size(), 2u);
  EXPECT_GE(ticks[1] - ticks[0], 300u);
  EXPECT_LT(ticks[1] - ticks[0], 300u + 2 * FakeEventLoop::kSliceMs);
}

TEST_F(ChatSendTest, LinesLongerThan255BytesAreCutAtACharacterBoundary) {
  const auto game = desktop.CreateGameMainWindow();
  std::string name = "a";
  for (int i = 0; i < 200; ++i) name += "あ";  // 401 bytes
  right.SetItems({name});
  Send(chat_command::kWhereSelected);
  const auto typed = Typed(game.chat_input);
  ASSERT_EQ(typed.size(), 1u);
  // "/w a" is 4 bytes; 125 double-byte characters fill 254, the 126th would
  // end at byte 256.
  EXPECT_EQ(typed[0].size(), 254u);
  EXPECT_EQ(typed[0], ("/w " + name).substr(0, 254));
}

// Every line comes from one composer, held to its command's limit: a name a
// macro gives is held to a player's name length, a name from a list or the
// score file only to the client's buffer.
TEST(ComposeLineTest, EachCommandsLimit) {
  const std::string n16(16, 'n');
  std::string dbcs;
  for (int i = 0; i < 49; ++i) dbcs += "あ";  // 98 bytes
  struct Case {
    const ChatCommand& command;
    std::string name;
    std::string text;
    std::optional<std::string> line;
  };
  const std::optional<std::string> refused;
  for (const Case& c : std::vector<Case>{
           {chat_command::kWhereName, n16, "", "/w " + n16},
           {chat_command::kWhereName, n16 + "n", "", refused},
           {chat_command::kRankName, n16 + "n", "", refused},
           {chat_command::kIgnoreName, n16 + "n", "", refused},
           {chat_command::kTellName, n16 + "n", "hi", "/t " + n16 + "n hi"},
           // 99 bytes would end inside a double-byte character: 98.
           {chat_command::kTellName, "taro", dbcs + "x", "/t taro " + dbcs.substr(0, 90)},
           {chat_command::kWhereSelected, n16 + n16, "", "/w " + n16 + n16},
           {chat_command::kRankFriends, n16 + "n", "", "/r " + n16 + "n"},
           {chat_command::kIgnoreFile, "", "", "/i "},
           {chat_command::kTellSelected, n16, dbcs + dbcs, "/t " + n16 + " " + dbcs + dbcs},
           {chat_command::kWhereSeat, std::string(300, 's'), "", "/w " + std::string(252, 's')},
           {chat_command::kRankSeat, "aaa", "", "/r aaa"},
           {chat_command::kChatOn, "", "", "/chaton"},
           {chat_command::kChatLine, "hello", "", "hello"},
       }) {
    EXPECT_EQ(ComposeLine(c.command, c.name, c.text), c.line) << c.command.prefix << c.name.size();
  }
}

TEST(FitLineBufferTest, KeepsShortLinesAndStopsAtANulByte) {
  EXPECT_EQ(FitLineBuffer("/w abc"), "/w abc");
  EXPECT_EQ(FitLineBuffer(std::string_view("/w ab\0cd", 8)), "/w ab");
  EXPECT_EQ(FitLineBuffer(std::string(255, 'x')).size(), 255u);
  EXPECT_EQ(FitLineBuffer(std::string(256, 'x')).size(), 255u);
}

// ---- SendSimpleCommand and SendChatText ----

TEST_F(ChatSendTest, SimpleCommandsAtATableTypeAndPostTheSubmit) {
  const auto game = desktop.CreateGameMainWindow();
  SendSimpleCommand(desktop, chat_command::kChatOn, "");
  SendSimpleCommand(desktop, chat_command::kChatOff, "");
  SendSimpleCommand(desktop, chat_command::kList, "");
  SendSimpleCommand(desktop, chat_command::kHide, "");
  SendSimpleCommand(desktop, chat_command::kChatLine, "hello");
  EXPECT_EQ(Typed(game.chat_input),
            (std::vector<std::string>{"/chaton", "/chatoff", "/l", "/h", "hello"}));
  const auto downs = desktop.MessagesTo(game.chat_input, msg::kKeyDown);
  const auto ups = desktop.MessagesTo(game.chat_input, msg::kKeyUp);
  ASSERT_EQ(downs.size(), 5u);
  ASSERT_EQ(ups.size(), 5u);
  for (const auto& m : downs) EXPECT_EQ(m.kind, RecordedMessage::Kind::kPosted);
  for (const auto& m : ups) EXPECT_EQ(m.kind, RecordedMessage::Kind::kPosted);
  // Posted: nothing is awaited, the length is never asked.
  EXPECT_EQ(desktop.CountOf(game.chat_input, msg::kEditLineLength), 0u);
}

TEST_F(ChatSendTest, InTheWaitingRoomOnlyTheChatLineIsSent) {
  const auto room = desktop.CreateWaitingRoom();
  for (const ChatCommand& command : {chat_command::kChatOn, chat_command::kChatOff, chat_command::kList,
                                     chat_command::kHide}) {
    SendSimpleCommand(desktop, command, "x");
  }
  EXPECT_TRUE(desktop.Messages().empty());

  SendSimpleCommand(desktop, chat_command::kChatLine, "hello");
  EXPECT_EQ(Typed(room.chat_input), std::vector<std::string>{"hello"});
  const auto clicks = desktop.MessagesTo(room.send_button, msg::kButtonClick);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].kind, RecordedMessage::Kind::kPosted);
  EXPECT_EQ(room.chat_input, room.child[5]);
  EXPECT_EQ(room.send_button, room.child[6]);
}

TEST_F(ChatSendTest, WaitingRoomWithoutASendButtonGetsTheTextAndNoStrayClick) {
  const auto room = desktop.CreateWaitingRoom();
  for (int n = 12; n >= 6; --n) desktop.Destroy(room.child[n]);
  SendChatText(desktop, "/w abc");
  EXPECT_EQ(Typed(room.chat_input), std::vector<std::string>{"/w abc"});
  for (const RecordedMessage& m : desktop.Messages()) {
    EXPECT_NE(m.window, platform::kNoWindow);
    EXPECT_NE(m.message, msg::kButtonClick);
  }
}

TEST_F(ChatSendTest, ChatTextGoesToTheGameWindowBeforeTheWaitingRoom) {
  const auto room = desktop.CreateWaitingRoom();
  const auto game = desktop.CreateGameMainWindow();
  SendChatText(desktop, "/r abc");
  EXPECT_EQ(Typed(game.chat_input), std::vector<std::string>{"/r abc"});
  EXPECT_TRUE(desktop.MessagesTo(room.chat_input).empty());
  // Without any client window nothing happens.
  desktop.Destroy(game.window);
  desktop.Destroy(room.window);
  desktop.ClearMessages();
  SendChatText(desktop, "/r abc");
  SendSimpleCommand(desktop, chat_command::kChatLine, "x");
  EXPECT_TRUE(desktop.Messages().empty());
}

}  // namespace
}  // namespace tamiru::game

#include "chatlog/capture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_event_loop.h"

namespace tamiru::chatlog {
namespace {

using platform::fake::EditIndexUnit;
const std::string kPad11(11, ' ');

class RecordingSound : public platform::Sound {
 public:
  void PlayAsync(const std::string& path) override { played.push_back(path); }
  std::vector<std::string> played;
};

class Capture : public ::testing::Test {
 protected:
  Capture() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() / ("tamiru_capture_" + std::string(info->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    log_folder = folder_.string() + "/";
  }
  ~Capture() override { std::filesystem::remove_all(folder_); }

  CaptureOutcome Run() {
    const CaptureContext context{desktop,    loop,     sound, keywords, "C:\\Tamiru\\call.wav",
                                 log_folder, &friends, [this](const ChatNotice& notice) { notices.push_back(notice); }};
    return CaptureChat(state, settings, context);
  }
  std::string Log(const std::string& name = "LOG0112.txt") const {
    std::ifstream in(folder_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  bool LogExists(const std::string& name = "LOG0112.txt") const { return std::filesystem::exists(folder_ / name); }

  platform::fake::FakeEventLoop loop;  // 2001-12-08 (Saturday) 13:05
  platform::fake::FakeDesktop desktop{loop};
  RecordingSound sound;
  std::vector<std::string> keywords;
  std::vector<std::string> friends;
  std::vector<ChatNotice> notices;
  CaptureSettings settings{1, 0, 0};
  CaptureState state;
  std::int32_t& LastChatSource = state.LastChatSource;
  std::int32_t& NextChatLine = state.NextChatLine;
  std::int32_t& ChatEndIndex = state.ChatEndIndex;
  std::string log_folder;

 private:
  std::filesystem::path folder_;
};

// ---- which lines a capture handles

TEST_F(Capture, FirstCaptureTakesEveryLineThenOnlyTheNewOnes) {
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "a>x\r\nb>y");
  EXPECT_EQ(Run().lines_handled, 2u);
  EXPECT_EQ(NextChatLine, 2);
  EXPECT_NE(ChatEndIndex, 0);
  EXPECT_EQ(LastChatSource, kSourceGameMain);

  desktop.SetText(main.chat_view, "a>x\r\nb>y\r\nc>z");
  EXPECT_EQ(Run().lines_handled, 1u);
  const std::string a = "a" + std::string(13, ' ');
  EXPECT_EQ(Log(), a + ">x\r\n" + "b" + std::string(13, ' ') + ">y\r\n" + "c" + std::string(13, ' ') + ">z\r\n");
  EXPECT_EQ(NextChatLine, 3);

  // Nothing new: the file is not even opened.
  std::filesystem::remove(log_folder + "LOG0112.txt");
  EXPECT_EQ(Run().lines_handled, 0u);
  EXPECT_FALSE(LogExists());
}

TEST_F(Capture, SingleLineWaitsForASecondThenLogsFromTheFirstByte) {
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "a>x");
  EXPECT_FALSE(Run().read);
  EXPECT_FALSE(LogExists());
  desktop.AppendLine(main.chat_view, "b>y");
  Run();
  EXPECT_EQ(Log(), "a" + std::string(13, ' ') + ">x\r\n" + "b" + std::string(13, ' ') + ">y\r\n");
}

TEST_F(Capture, TheTextEndsAtItsFirstZeroByte) {
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, std::string("a>x\r\nb>y\0junk\r\nc>z", 18));
  EXPECT_EQ(Run().lines_handled, 2u);
  EXPECT_EQ(Log(), "a" + std::string(13, ' ') + ">x\r\n" + "b" + std::string(13, ' ') + ">y\r\n");
}

TEST_F(Capture, SourceChangeAndShortenedViewRestartFromTheTop) {
  const auto room = desktop.CreateWaitingRoom();
  desktop.SetText(room.chat_view, "r1>\tone\r\nr2>\ttwo");
  Run();
  EXPECT_EQ(LastChatSource, kSourceWaitingRoom);
  // A table opens: its whole chat is new.
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "t1>a\r\nt2>b\r\nt3>c");
  EXPECT_EQ(Run().lines_handled, 3u);
  EXPECT_EQ(LastChatSource, kSourceGameMain);
  // The view is cleared and refilled with fewer lines.
  desktop.SetText(main.chat_view, "n1>d\r\nn2>e");
  EXPECT_EQ(Run().lines_handled, 2u);
  EXPECT_EQ(NextChatLine, 2);
  const std::string log = Log();
  EXPECT_EQ(log.find("n1"), log.rfind("n1"));
  EXPECT_NE(log.find("t3"), std::string::npos);
  EXPECT_NE(log.find("r2>" + std::string(11, ' ') + "two\r\n"), std::string::npos);
}

TEST_F(Capture, AViewClearedToEmptyLogsItsNextFirstLineToo) {
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "a>1\r\nb>2");
  Run();
  desktop.SetText(main.chat_view, "");
  EXPECT_EQ(Run().lines_logged, 0u);
  desktop.SetText(main.chat_view, "c>3");
  EXPECT_EQ(Run().lines_logged, 0u);  // a single line waits for a second
  desktop.AppendLine(main.chat_view, "d>4");
  EXPECT_EQ(Run().lines_logged, 2u);
  const std::string pad(13, ' ');
  EXPECT_EQ(Log(), "a" + pad + ">1\r\nb" + pad + ">2\r\nc" + pad + ">3\r\nd" + pad + ">4\r\n");
}

// A tick on an unchanged view of any length sends one message to it: the
// text, into the buffer kept from the tick before.
TEST_F(Capture, ATickAsksTheViewForItsTextOnly) {
  const auto main = desktop.CreateGameMainWindow();
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "p" + std::to_string(i) + ">" + std::string(30, 'm') + "\r\n";
  desktop.SetText(main.chat_view, text + "last>x");
  ASSERT_EQ(Run().lines_handled, 3001u);
  for (const char* line : {"n1>a", "n2>b"}) {
    desktop.AppendLine(main.chat_view, line);
    desktop.ClearMessages();
    EXPECT_EQ(Run().lines_handled, 1u);
    EXPECT_EQ(desktop.MessagesTo(main.chat_view).size(), 1u);
    EXPECT_EQ(desktop.CountOf(main.chat_view, platform::msg::kGetText), 1u);
  }
  EXPECT_TRUE(Log().ends_with(">x\r\nn1" + std::string(12, ' ') + ">a\r\nn2" + std::string(12, ' ') + ">b\r\n"));
}

TEST_F(Capture, NoClientWindowOrNoChatControlChangesNothing) {
  LastChatSource = 1;
  NextChatLine = 7;
  ChatEndIndex = 99;
  EXPECT_FALSE(Run().read);
  EXPECT_EQ(NextChatLine, 7);
  EXPECT_EQ(LastChatSource, 1);

  // A game main window without children: nothing is read.
  desktop.CreateTopLevel("KatuGameMjMain", "東風荘");
  EXPECT_FALSE(Run().read);
  EXPECT_FALSE(LogExists());
}

TEST_F(Capture, AHungViewKeepsTheStateSoNoLineIsLoggedTwice) {
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "a>1\r\nb>2");
  Run();
  desktop.SetHung(main.chat_view, true);
  desktop.AppendLine(main.chat_view, "c>3");
  EXPECT_FALSE(Run().read);
  EXPECT_EQ(NextChatLine, 2);
  desktop.SetHung(main.chat_view, false);
  Run();
  const std::string log = Log();
  EXPECT_EQ(log.find("a "), log.rfind("a "));
  EXPECT_NE(log.find("c"), std::string::npos);
}

// ---- name alignment and the log decision

TEST_F(Capture, BothLayoutsAlignTheNameToByte15) {
  const auto room = desktop.CreateWaitingRoom();
  desktop.SetText(room.chat_view,
                  "abc>\thello\r\n"
                  "nick>no tab\r\n"  // ">" but no TAB: left as it is
                  "14bytesname12>\tx");
  Run();
  const std::string room_log = "abc>" + std::string(10, ' ') + "hello\r\n" + "nick>no tab\r\n" + "14bytesname12>x\r\n";
  EXPECT_EQ(Log(), room_log);

  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "abc>hello\r\nabc\t>hi\r\nname_of_14byte>x");
  Run();
  EXPECT_EQ(Log(), room_log + "abc" + kPad11 + ">hello\r\n" + "abc" + kPad11 + ">hi\r\n" + "name_of_14byte>x\r\n");
}

TEST_F(Capture, OmittedReplyBlankLineAndConnectionNotice) {
  settings = {1, kOmitLinesWithoutMessage, 1};
  keywords = {"接続"};
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "x>start\r\nfoo は 待合室 にいます\r\n\r\nbar：<<接続>>\r\n");
  const CaptureOutcome outcome = Run();
  EXPECT_EQ(outcome.lines_handled, 5u);
  EXPECT_EQ(Log(), "x" + std::string(13, ' ') + ">start\r\n" + "bar：<<接続>>\r\n");
  EXPECT_TRUE(sound.played.empty());  // the notice is never searched
}

// A friend's connection notice, once, only when its line is new: not for
// the lines there at the first read, nor for those read again from the top
// after the view was cleared; a keyword hit gives its balloon with the
// switch. The log is written only with its own switch.
TEST_F(Capture, FriendsArrivingAndKeywordBalloons) {
  settings = {0, 0, 1, 1, 1};
  keywords = {"ロン"};
  friends = {"表", "bbb"};
  const auto room = desktop.CreateWaitingRoom();
  desktop.SetText(room.chat_view, "aaa\t>hi\r\n表：<<接続>>");
  EXPECT_TRUE(Run().read);
  EXPECT_TRUE(notices.empty()) << "there before the first read";
  const std::string lines = "aaa\t>hi\r\n表：<<接続>>\r\nbb：<<接続>>\r\nzzz：<<接続>>\r\nccc\t見て bbb：<<接続>>\r\nbbb：<<接続>>";
  desktop.SetText(room.chat_view, lines);
  EXPECT_EQ(Run().arrivals, 1u);
  desktop.SetText(room.chat_view, lines + "\r\nddd\t>ロンです");
  EXPECT_EQ(Run().alerts, 1u);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].kind, NoticeKind::kFriend);
  EXPECT_EQ(notices[0].text, "bbb さんが接続しました");
  EXPECT_EQ(notices[1].kind, NoticeKind::kKeyword);
  EXPECT_EQ(notices[1].text, "ddd >ロンです");
  EXPECT_EQ(sound.played.size(), 2u);
  desktop.SetText(room.chat_view, "bbb：<<接続>>");  // cleared and read from the top
  Run();
  EXPECT_EQ(notices.size(), 2u);
  EXPECT_FALSE(LogExists());
  settings.Notify = 0;
  desktop.SetText(room.chat_view, "bbb：<<接続>>\r\nddd\t>ロン");
  Run();
  EXPECT_EQ(notices.size(), 2u) << "no balloon without its switch";
  EXPECT_EQ(sound.played.size(), 3u) << "the alert still sounds";
  // A view seen empty: the lines that come are new, the first one too.
  desktop.SetText(room.chat_view, "");
  Run();
  desktop.SetText(room.chat_view, "bbb：<<接続>>\r\n");
  EXPECT_EQ(Run().arrivals, 1u);
}

TEST_F(Capture, KeywordsWithoutTheLogTouchNoFile) {
  settings = {0, 0, 1};
  keywords = {"hello", "", "ell"};
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "abc>hello\r\nhello>nothing\r\nz>say hello");
  const CaptureOutcome outcome = Run();
  EXPECT_EQ(outcome.lines_logged, 0u);
  EXPECT_FALSE(LogExists());
  // Two messages with hits, two sounds; the name "hello" is not searched.
  EXPECT_EQ(sound.played, (std::vector<std::string>{"C:\\Tamiru\\call.wav", "C:\\Tamiru\\call.wav"}));
  EXPECT_EQ(NextChatLine, 3);
}

TEST_F(Capture, KeywordSwitchOffNeverSounds) {
  settings = {1, 0, 0};
  keywords = {"hello"};
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "abc>hello\r\nb>hello");
  Run();
  EXPECT_TRUE(sound.played.empty());
}

// ---- records and files

TEST_F(Capture, DatedRecordsGoToTheMonthOfTheCapture) {
  settings = {1, kPrefixDateTime, 0};
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "x>1\r\nabc>hello");
  Run();
  EXPECT_EQ(Log().substr(Log().find("\r\n") + 2), "2001/12/08(土)13:05 abc" + kPad11 + ">hello\r\n");

  loop.SetNow({2002, 1, 1, 2, 0, 7});
  desktop.AppendLine(main.chat_view, "n>new year");
  Run();
  EXPECT_EQ(Log("LOG0201.txt"), "2002/01/01(火)00:07 n" + std::string(13, ' ') + ">new year\r\n");
  EXPECT_EQ(Log().find("new year"), std::string::npos);
}

TEST_F(Capture, ALogThatCannotBeOpenedLosesOnlyItsRecords) {
  settings = {1, 0, 1};
  keywords = {"help"};
  log_folder += "missing/folder/";
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "a>x\r\nb>help me");
  const CaptureOutcome outcome = Run();
  EXPECT_TRUE(outcome.log_failed);
  EXPECT_EQ(sound.played.size(), 1u);
  EXPECT_EQ(NextChatLine, 2);
  desktop.AppendLine(main.chat_view, "c>y");
  EXPECT_EQ(Run().lines_handled, 1u);  // the capture goes on as usual
}

// ---- views beyond the old limits

TEST_F(Capture, AViewOfMoreThan64000BytesLosesNoLineAtItsEnd) {
  const auto main = desktop.CreateGameMainWindow();
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "player" + std::to_string(i) + ">" + std::string(30, 'm') + "\r\n";
  text += "last>before";
  ASSERT_GT(text.size(), 70000u);
  desktop.SetText(main.chat_view, text);
  EXPECT_EQ(Run().lines_handled, 2001u);
  desktop.AppendLine(main.chat_view, "tail>after");
  EXPECT_EQ(Run().lines_handled, 1u);
  const std::string log = Log();
  EXPECT_TRUE(log.ends_with("\nlast" + std::string(10, ' ') + ">before\r\ntail" + std::string(10, ' ') + ">after\r\n"));
}

// A double-byte character that does not fit in the last byte of the buffer
// ends the copy one byte early, which looked like a text that fitted: the
// rest of the view was never read, on every capture after. An odd and an
// even offset, so that the character meets the end of a buffer of either size.
TEST_F(Capture, ATextCutBeforeADoubleByteCharacterAtTheBufferEndIsReadWhole) {
  const auto main = desktop.CreateGameMainWindow();
  for (const std::size_t offset : {0u, 1u}) {
    std::string text = std::string(offset, 'x') + ">";
    while (text.size() < 200000) text += "あ";
    text += "\r\nlast>line";
    desktop.SetText(main.chat_view, text);
    std::string buffer;
    EXPECT_EQ(ReadChatText(desktop, main.chat_view, buffer), text.size()) << offset;
  }
}

TEST_F(Capture, LongLinesAreHandledWhole) {
  settings = {1, 0, 1};
  const std::string long_text(600, 'w');
  keywords = {long_text.substr(400) + "END"};  // a keyword beyond byte 255
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "a>x\r\nlong>" + long_text + "END");
  Run();
  EXPECT_NE(Log().find(long_text + "END\r\n"), std::string::npos);
  EXPECT_EQ(sound.played.size(), 1u);
}

TEST_F(Capture, LinePositionsDoNotDependOnTheViewsIndexUnit) {
  // A view that reports line positions in characters (as on Wine) with
  // double-byte chat above the new lines.
  desktop.SetEditIndexUnit(EditIndexUnit::kCharacters);
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "太郎>こんにちは、よろしく\r\n花子>おはようございます");
  Run();
  desktop.AppendLine(main.chat_view, "c>new1");
  desktop.AppendLine(main.chat_view, "d>new2");
  EXPECT_EQ(Run().lines_handled, 2u);
  const std::string log = Log();
  EXPECT_EQ(log.find("こんにちは"), log.rfind("こんにちは"));
  EXPECT_EQ(log.substr(log.find("c ")), "c" + std::string(13, ' ') + ">new1\r\nd" + std::string(13, ' ') + ">new2\r\n");
}

TEST_F(Capture, AStartBeyondTheTextReadRestarts) {
  const auto main = desktop.CreateGameMainWindow();
  desktop.SetText(main.chat_view, "a>x\r\nb>y");
  LastChatSource = kSourceGameMain;
  NextChatLine = 40;
  ChatEndIndex = 5000;
  EXPECT_EQ(Run().lines_handled, 2u);
  NextChatLine = -3;  // a corrupted state reads from the top too
  EXPECT_EQ(Run().lines_handled, 2u);
}

}  // namespace
}  // namespace tamiru::chatlog

#include "chatlog/chat_lines.h"

#include <gtest/gtest.h>

namespace tamiru::chatlog {
namespace {

using Lines = std::vector<std::string_view>;
const std::string kPad11(11, ' ');

TEST(WalkChatLines, TheControlsLastLineBecomesWholeAndTheEmptyRestIsNoLine) {
  const std::string text = TerminateChatText("a>x\r\nb>y");
  EXPECT_EQ(text, "a>x\r\nb>y\r\n");
  EXPECT_EQ(WalkChatLines(text, 0), (Lines{"a>x\r\n", "b>y\r\n"}));
  EXPECT_EQ(WalkChatLines(text, 5), (Lines{"b>y\r\n"}));
  EXPECT_EQ(WalkChatLines("a\r\nb", 0), (Lines{"a\r\n", "b"}));
  EXPECT_EQ(TerminateChatText(std::string_view("a>x\0junk", 8)), "a>x\r\n");  // the text ends at its NUL
}

TEST(WalkChatLines, AnyStartStaysInsideAndLongLinesStayWhole) {
  const std::string text = TerminateChatText("a>x");
  EXPECT_TRUE(WalkChatLines(text, text.size()).empty());
  EXPECT_TRUE(WalkChatLines(text, text.size() + 1000).empty());
  const std::string long_line = "name>" + std::string(5000, 'x') + "\r\n";
  EXPECT_EQ(WalkChatLines(long_line + "b>y\r\n", 0), (Lines{long_line, "b>y\r\n"}));
}

TEST(LineStartByte, CountsBytesAndRefusesLinesThatDoNotExist) {
  const std::string_view text = "a>x\r\nいろは>y\r\nc>z";
  EXPECT_EQ(LineStartByte(text, 0), 0u);
  EXPECT_EQ(LineStartByte(text, 1), 5u);
  EXPECT_EQ(LineStartByte(text, 2), 15u);
  EXPECT_EQ(LineStartByte(text, 3), std::nullopt);
  EXPECT_EQ(LineStartByte("a\r\n", 1), 3u);  // the empty line behind a final break
}

TEST(CharIndexToByteIndex, DoubleByteCharactersCountOnce) {
  const std::string_view text = "aいろ\r\nｱb";  // ｱ is a single-byte katakana
  const std::size_t bytes_of_char[] = {0, 1, 3, 5, 6, 7, 8, 9};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(CharIndexToByteIndex(text, i), bytes_of_char[i]) << i;
  EXPECT_EQ(CharIndexToByteIndex(text, 100), text.size());
  EXPECT_EQ(CharIndexToByteIndex("a\x82", 2), 2u);  // a lead byte cut off at the end stays inside
}

TEST(IsChatMessage, HoldsGreaterThanAndIsNoConnectionNotice) {
  EXPECT_TRUE(IsChatMessage("abc>hello\r\n"));
  EXPECT_FALSE(IsChatMessage("taro is in room 3\r\n"));  // a reply to "/w "
  EXPECT_FALSE(IsChatMessage("taro：<<接続>>\r\n"));
  // Here the notice's first byte 81 is the trail byte of the character 88 81.
  EXPECT_TRUE(IsChatMessage("\x88\x81" + std::string(kConnectionNotice).substr(1) + "\r\n"));
}

TEST(AlignChatName, GameMainWindowPutsTheGreaterThanAtByte15) {
  const auto main = ChatLayout::kGameMain;
  EXPECT_EQ(AlignChatName("abc>hello\r\n", main), "abc" + kPad11 + ">hello\r\n");
  EXPECT_EQ(AlignChatName("abc\t>hi\r\n", main), "abc" + kPad11 + ">hi\r\n");
  EXPECT_EQ(AlignChatName(">x\r\n", main), std::string(14, ' ') + ">x\r\n");
  EXPECT_EQ(AlignChatName("たろう>a>b\r\n", main), "たろう" + std::string(8, ' ') + ">a>b\r\n");
  const std::string name13(13, 'n'), name14(14, 'n'), name300(300, 'n');
  EXPECT_EQ(AlignChatName(name13 + ">x\r\n", main), name13 + " >x\r\n");
  EXPECT_EQ(AlignChatName(name14 + "\t>x\r\n", main), name14 + ">x\r\n");
  EXPECT_EQ(AlignChatName(name300 + ">x\r\n", main), name300 + ">x\r\n");
  EXPECT_EQ(AlignChatName("ab\tcd\r\n", main), "ab\tcd\r\n");  // no name end: unchanged
}

TEST(AlignChatName, WaitingRoomDeletesTheFirstTab) {
  const auto room = ChatLayout::kWaitingRoom;
  EXPECT_EQ(AlignChatName("abc\thi>\r\n", room), "abc" + kPad11 + "hi>\r\n");
  EXPECT_EQ(AlignChatName("a\tb\tc>\r\n", room), "a" + std::string(13, ' ') + "b\tc>\r\n");
  EXPECT_EQ(AlignChatName(std::string(14, 'n') + "\tx\r\n", room), std::string(14, 'n') + "x\r\n");
  // ">" without a TAB: there is no name column to find; left as it is.
  EXPECT_EQ(AlignChatName("abc>hi\r\n", room), "abc>hi\r\n");
}

TEST(ShouldLogLine, FormatBitOneLeavesOutRepliesButKeepsTheConnectionNotice) {
  EXPECT_TRUE(ShouldLogLine("taro is in room 3\r\n", 0, 1));
  EXPECT_TRUE(ShouldLogLine("taro is in room 3\r\n", 2, 1));
  EXPECT_FALSE(ShouldLogLine("taro is in room 3\r\n", 1, 1));
  EXPECT_FALSE(ShouldLogLine("taro is in room 3\r\n", 3, 1));
  EXPECT_TRUE(ShouldLogLine("taro：<<接続>>\r\n", 1, 1));
  EXPECT_TRUE(ShouldLogLine(">\r\n", 1, 1));
}

TEST(ShouldLogLine, LineEndsAloneAndASwitchedOffLogAreNeverWritten) {
  EXPECT_FALSE(ShouldLogLine("\r\n", 0, 1));
  EXPECT_FALSE(ShouldLogLine("\n", 0, 1));
  EXPECT_TRUE(ShouldLogLine("x\n", 0, 1));  // one byte before a bare LF is still a line
  EXPECT_FALSE(ShouldLogLine("abc>hello\r\n", 0, 0));
  EXPECT_TRUE(ShouldLogLine("abc>hello\r\n", 0, 5));
}

TEST(LogRecord, DatedRecordIntoTheMonthsFile) {
  const platform::LocalTime saturday{2001, 12, 8, 6, 13, 5};
  const std::string aligned = AlignChatName("abc>hello\r\n", ChatLayout::kGameMain);
  EXPECT_EQ(ComposeLogRecord(aligned, 2, saturday, DateFormat{}), "2001/12/08(土)13:05 abc" + kPad11 + ">hello\r\n");
  EXPECT_EQ(ComposeLogRecord(aligned, 3, saturday, DateFormat{}).substr(0, 20), "2001/12/08(土)13:05 ");
  EXPECT_EQ(ComposeLogRecord(aligned, 1, saturday, DateFormat{}), aligned);
  // A hand-edited value above 3 still asks for the date ("2 or more").
  EXPECT_EQ(ComposeLogRecord(aligned, 4, saturday, DateFormat{}).substr(0, 20), "2001/12/08(土)13:05 ");
  EXPECT_EQ(ChatLogFileName(saturday), "LOG0112.txt");
  EXPECT_EQ(ChatLogFileName({2000, 1, 1, 6, 0, 0}), "LOG0001.txt");
}

TEST(LogRecord, TimestampPadsAndTakesTheSystemsSeparatorsAndNames) {
  EXPECT_EQ(FormatLogTimestamp({2009, 1, 4, 0, 0, 7}, DateFormat{}), "2009/01/04(日)00:07 ");
  DateFormat other;
  other.date_separator = "-";
  other.time_separator = ".";
  other.weekday_names = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  EXPECT_EQ(FormatLogTimestamp({2001, 12, 8, 6, 23, 59}, other), "2001-12-08(Sat)23.59 ");
}

}  // namespace
}  // namespace tamiru::chatlog

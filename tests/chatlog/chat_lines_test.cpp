#include "chatlog/chat_lines.h"

#include <gtest/gtest.h>

namespace tamiru::chatlog {
namespace {

using Lines = std::vector<std::string_view>;

TEST(TerminateChatText, AppendsCrLfBehindTheTextUpToItsNul) {
  EXPECT_EQ(TerminateChatText("a>x\r\nb>y"), "a>x\r\nb>y\r\n");
  EXPECT_EQ(TerminateChatText(""), "\r\n");
  EXPECT_EQ(TerminateChatText(std::string_view("a>x\0junk", 8)), "a>x\r\n");
}

TEST(WalkChatLines, LinesRunToTheirLineFeedAndTheLastEmptyPieceIsNone) {
  const std::string text = TerminateChatText("a>x\r\nb>y");
  EXPECT_EQ(WalkChatLines(text, 0), (Lines{"a>x\r\n", "b>y\r\n"}));
  EXPECT_EQ(WalkChatLines(text, 5), (Lines{"b>y\r\n"}));
  // Starting inside a line takes the rest of that line.
  EXPECT_EQ(WalkChatLines(text, 7), (Lines{"y\r\n"}));
  // A run without a line feed at the end is still a line.
  EXPECT_EQ(WalkChatLines("a\r\nb", 0), (Lines{"a\r\n", "b"}));
  EXPECT_EQ(WalkChatLines("\r\n\r\n", 0), (Lines{"\r\n", "\r\n"}));
}

TEST(WalkChatLines, StartAtOrBeyondTheEndReadsNothing) {
  const std::string text = TerminateChatText("a>x");
  EXPECT_TRUE(WalkChatLines(text, text.size()).empty());
  EXPECT_TRUE(WalkChatLines(text, text.size() + 1000).empty());
  EXPECT_TRUE(WalkChatLines("", 0).empty());
}

TEST(WalkChatLines, LongLinesAreHandledWhole) {
  const std::string long_line = "name>" + std::string(5000, 'x') + "\r\n";
  const std::string text = long_line + "b>y\r\n";
  const auto lines = WalkChatLines(text, 0);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], long_line);
  EXPECT_EQ(lines[1], "b>y\r\n");
}

TEST(LineStartByte, WalksLineBreaksAndRefusesMissingLines) {
  const std::string_view text = "a>x\r\nいろは>y\r\nc>z";
  EXPECT_EQ(LineStartByte(text, 0), 0u);
  EXPECT_EQ(LineStartByte(text, 1), 5u);
  EXPECT_EQ(LineStartByte(text, 2), 15u);
  EXPECT_EQ(LineStartByte(text, 3), std::nullopt);
  // A text that ends with a line break has an empty last line.
  EXPECT_EQ(LineStartByte("a\r\n", 1), 3u);
  EXPECT_EQ(LineStartByte("", 0), 0u);
  EXPECT_EQ(LineStartByte("", 1), std::nullopt);
}

TEST(CharIndexToByteIndex, DoubleByteCharactersCountOnce) {
  const std::string_view text = "aいろ\r\nｱb";  // ｱ is a single-byte katakana
  EXPECT_EQ(CharIndexToByteIndex(text, 0), 0u);
  EXPECT_EQ(CharIndexToByteIndex(text, 1), 1u);
  EXPECT_EQ(CharIndexToByteIndex(text, 2), 3u);
  EXPECT_EQ(CharIndexToByteIndex(text, 3), 5u);
  EXPECT_EQ(CharIndexToByteIndex(text, 5), 7u);
  EXPECT_EQ(CharIndexToByteIndex(text, 6), 8u);
  EXPECT_EQ(CharIndexToByteIndex(text, 7), text.size());
  EXPECT_EQ(CharIndexToByteIndex(text, 100), text.size());
  // A lead byte cut off at the end counts as one character and stays inside.
  EXPECT_EQ(CharIndexToByteIndex("a\x82", 2), 2u);
  EXPECT_EQ(CharIndexToByteIndex("a\x82", 1), 1u);
}

TEST(IsChatMessage, HoldsGreaterThanAndIsNoConnectionNotice) {
  EXPECT_TRUE(IsChatMessage("abc>hello\r\n"));
  EXPECT_TRUE(IsChatMessage("abc\t>hi\r\n"));
  EXPECT_FALSE(IsChatMessage("taro is in room 3\r\n"));  // a reply to "/w "
  EXPECT_FALSE(IsChatMessage("\r\n"));
  EXPECT_FALSE(IsChatMessage("taro：<<接続>>\r\n"));
  // The notice is searched character by character: here its first byte 81
  // is the trail byte of the character 88 81, so the notice is not there.
  const std::string lookalike = std::string("\x88\x81") + std::string(kConnectionNotice).substr(1) + "\r\n";
  EXPECT_TRUE(IsChatMessage(lookalike));
}

TEST(AlignChatName, GameMainWindowPutsTheGreaterThanAtByte15) {
  EXPECT_EQ(AlignChatName("abc>hello\r\n", ChatLayout::kGameMain), "abc" + std::string(11, ' ') + ">hello\r\n");
  EXPECT_EQ(AlignChatName("abc\t>hi\r\n", ChatLayout::kGameMain), "abc" + std::string(11, ' ') + ">hi\r\n");
  EXPECT_EQ(AlignChatName(">x\r\n", ChatLayout::kGameMain), std::string(14, ' ') + ">x\r\n");
  EXPECT_EQ(AlignChatName("たろう>やあ\r\n", ChatLayout::kGameMain),
            "たろう" + std::string(8, ' ') + ">やあ\r\n");
  // Only the first ">" ends the name; later ones belong to the text.
  EXPECT_EQ(AlignChatName("a>b>c\r\n", ChatLayout::kGameMain), "a" + std::string(13, ' ') + ">b>c\r\n");
}

TEST(AlignChatName, NamesOf13And14BytesAndLonger) {
  const std::string name13(13, 'n');
  const std::string name14(14, 'n');
  EXPECT_EQ(AlignChatName(name13 + ">x\r\n", ChatLayout::kGameMain), name13 + " >x\r\n");
  EXPECT_EQ(AlignChatName(name14 + ">x\r\n", ChatLayout::kGameMain), name14 + ">x\r\n");
  EXPECT_EQ(AlignChatName(name14 + "\t>x\r\n", ChatLayout::kGameMain), name14 + ">x\r\n");
  const std::string name300(300, 'n');
  EXPECT_EQ(AlignChatName(name300 + ">x\r\n", ChatLayout::kGameMain), name300 + ">x\r\n");
  EXPECT_EQ(AlignChatName(name14 + "\tx\r\n", ChatLayout::kWaitingRoom), name14 + "x\r\n");
}

TEST(AlignChatName, WaitingRoomDeletesTheFirstTab) {
  EXPECT_EQ(AlignChatName("abc\thi>\r\n", ChatLayout::kWaitingRoom), "abc" + std::string(11, ' ') + "hi>\r\n");
  EXPECT_EQ(AlignChatName("abc\t>hi\r\n", ChatLayout::kWaitingRoom), "abc" + std::string(11, ' ') + ">hi\r\n");
  EXPECT_EQ(AlignChatName("a\tb\tc>\r\n", ChatLayout::kWaitingRoom), "a" + std::string(13, ' ') + "b\tc>\r\n");
  // ">" without a TAB: there is no name column to find; left as it is.
  EXPECT_EQ(AlignChatName("abc>hi\r\n", ChatLayout::kWaitingRoom), "abc>hi\r\n");
}

TEST(AlignChatName, LinesWithoutANameEndAreLeftAlone) {
  EXPECT_EQ(AlignChatName("no name here\r\n", ChatLayout::kGameMain), "no name here\r\n");
  EXPECT_EQ(AlignChatName("ab\tcd\r\n", ChatLayout::kGameMain), "ab\tcd\r\n");
  EXPECT_EQ(AlignChatName("", ChatLayout::kGameMain), "");
  EXPECT_EQ(AlignChatName("", ChatLayout::kWaitingRoom), "");
}

TEST(ShouldLogLine, FormatBitOneLeavesOutRepliesButKeepsTheConnectionNotice) {
  EXPECT_TRUE(ShouldLogLine("taro is in room 3\r\n", 0, 1));
  EXPECT_FALSE(ShouldLogLine("taro is in room 3\r\n", 1, 1));
  EXPECT_FALSE(ShouldLogLine("taro is in room 3\r\n", 3, 1));
  EXPECT_TRUE(ShouldLogLine("taro is in room 3\r\n", 2, 1));
  EXPECT_TRUE(ShouldLogLine("taro：<<接続>>\r\n", 1, 1));
  EXPECT_TRUE(ShouldLogLine("abc>hello\r\n", 1, 1));
}

TEST(ShouldLogLine, LineEndsAloneAndALogSwitchedOffAreNeverWritten) {
  EXPECT_FALSE(ShouldLogLine("\r\n", 0, 1));
  EXPECT_FALSE(ShouldLogLine("\n", 0, 1));
  EXPECT_FALSE(ShouldLogLine("", 0, 1));
  EXPECT_TRUE(ShouldLogLine(">\r\n", 1, 1));
  EXPECT_TRUE(ShouldLogLine("x\n", 0, 1));  // a one-byte line with a bare LF is still a line
  EXPECT_FALSE(ShouldLogLine("abc>hello\r\n", 0, 0));
  EXPECT_TRUE(ShouldLogLine("abc>hello\r\n", 0, 5));
}

TEST(LogRecord, DatedRecordIntoTheMonthsFile) {
  const platform::LocalTime saturday{2001, 12, 8, 6, 13, 5};
  const std::string aligned = AlignChatName("abc>hello\r\n", ChatLayout::kGameMain);
  EXPECT_EQ(ComposeLogRecord(aligned, 2, saturday, DateFormat{}),
            "2001/12/08(土)13:05 abc" + std::string(11, ' ') + ">hello\r\n");
  EXPECT_EQ(ComposeLogRecord(aligned, 3, saturday, DateFormat{}).substr(0, 20), "2001/12/08(土)13:05 ");
  EXPECT_EQ(ComposeLogRecord(aligned, 0, saturday, DateFormat{}), aligned);
  EXPECT_EQ(ComposeLogRecord(aligned, 1, saturday, DateFormat{}), aligned);
  EXPECT_EQ(ChatLogFileName(saturday), "LOG0112.txt");
}

TEST(LogRecord, TimestampPadsAndTakesTheSystemsSeparatorsAndNames) {
  EXPECT_EQ(FormatLogTimestamp({2009, 1, 4, 0, 0, 7}, DateFormat{}), "2009/01/04(日)00:07 ");
  EXPECT_EQ(FormatLogTimestamp({2010, 3, 31, 3, 23, 59}, DateFormat{}), "2010/03/31(水)23:59 ");
  DateFormat other;
  other.date_separator = "-";
  other.time_separator = ".";
  other.weekday_names = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  EXPECT_EQ(FormatLogTimestamp({2001, 12, 8, 6, 13, 5}, other), "2001-12-08(Sat)13.05 ");
  EXPECT_EQ(ChatLogFileName({2000, 1, 1, 6, 0, 0}), "LOG0001.txt");
  EXPECT_EQ(ChatLogFileName({2123, 10, 1, 6, 0, 0}), "LOG2310.txt");
}

}  // namespace
}  // namespace tamiru::chatlog

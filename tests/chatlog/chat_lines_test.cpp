#include "chatlog/chat_lines.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tamiru::chatlog {
namespace {

using Lines = std::vector<std::string_view>;
const std::string kPad11(11, ' ');

std::string Aligned(std::string_view line, ChatLayout layout) {
  std::string aligned = "left over from the line before";
  AlignChatName(line, layout, aligned);
  return aligned;
}

Lines Walk(std::string_view text, std::size_t start) {
  Lines lines;
  ForEachChatLine(text, start, [&](std::string_view line) { lines.push_back(line); });
  return lines;
}

TEST(ForEachChatLine, TheViewsLastLineBecomesWholeAndTheEmptyRestIsNoLine) {
  std::string buffer = "a>x\r\nb>y??junk";
  const std::string_view text = TerminateChatText(buffer, 8);
  EXPECT_EQ(text, "a>x\r\nb>y\r\n");
  EXPECT_EQ(text.data(), buffer.data());  // written in place, not copied
  EXPECT_EQ(Walk(text, 0), (Lines{"a>x\r\n", "b>y\r\n"}));
  EXPECT_EQ(Walk(text, 5), (Lines{"b>y\r\n"}));
  EXPECT_EQ(Walk("a\r\nb", 0), (Lines{"a\r\n", "b"}));
}

TEST(ForEachChatLine, AnyStartStaysInsideAndLongLinesStayWhole) {
  const std::string_view text = "a>x\r\n";
  EXPECT_TRUE(Walk(text, text.size()).empty());
  EXPECT_TRUE(Walk(text, text.size() + 1000).empty());
  const std::string long_line = "name>" + std::string(5000, 'x') + "\r\n";
  EXPECT_EQ(Walk(long_line + "b>y\r\n", 0), (Lines{long_line, "b>y\r\n"}));
}

TEST(ScanChatLines, CountsBytesAndStartsMissingLinesAtTheTop) {
  const std::string_view text = "a>x\r\nいろは>y\r\nc>z";
  struct Case {
    std::string_view text;
    std::size_t line, count, start;
  };
  for (const Case& c : {Case{text, 0, 3, 0}, Case{text, 1, 3, 5}, Case{text, 2, 3, 15}, Case{text, 3, 3, 0},
                        Case{"a\r\n", 1, 2, 3},  // the empty line behind a final break
                        Case{"", 1, 1, 0}}) {
    const LineScan scan = ScanChatLines(c.text, c.line);
    EXPECT_EQ(scan.count, c.count) << c.text << " " << c.line;
    EXPECT_EQ(scan.line_start, c.start) << c.text << " " << c.line;
  }
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
  EXPECT_EQ(Aligned("abc>hello\r\n", main), "abc" + kPad11 + ">hello\r\n");
  EXPECT_EQ(Aligned("abc\t>hi\r\n", main), "abc" + kPad11 + ">hi\r\n");
  EXPECT_EQ(Aligned(">x\r\n", main), std::string(14, ' ') + ">x\r\n");
  EXPECT_EQ(Aligned("たろう>a>b\r\n", main), "たろう" + std::string(8, ' ') + ">a>b\r\n");
  const std::string name13(13, 'n'), name14(14, 'n'), name300(300, 'n');
  EXPECT_EQ(Aligned(name13 + ">x\r\n", main), name13 + " >x\r\n");
  EXPECT_EQ(Aligned(name14 + "\t>x\r\n", main), name14 + ">x\r\n");
  EXPECT_EQ(Aligned(name300 + ">x\r\n", main), name300 + ">x\r\n");
  EXPECT_EQ(Aligned("ab\tcd\r\n", main), "ab\tcd\r\n");  // no name end: unchanged
}

TEST(AlignChatName, WaitingRoomDeletesTheFirstTab) {
  const auto room = ChatLayout::kWaitingRoom;
  EXPECT_EQ(Aligned("abc\thi>\r\n", room), "abc" + kPad11 + "hi>\r\n");
  EXPECT_EQ(Aligned("a\tb\tc>\r\n", room), "a" + std::string(13, ' ') + "b\tc>\r\n");
  EXPECT_EQ(Aligned(std::string(14, 'n') + "\tx\r\n", room), std::string(14, 'n') + "x\r\n");
  // ">" without a TAB: there is no name column to find; left as it is.
  EXPECT_EQ(Aligned("abc>hi\r\n", room), "abc>hi\r\n");
}

TEST(ShouldLogLine, FormatBitOneLeavesOutRepliesButKeepsTheConnectionNotice) {
  EXPECT_TRUE(ShouldLogLine("taro is in room 3\r\n", DecodeLogFormat(0), 1));
  EXPECT_TRUE(ShouldLogLine("taro is in room 3\r\n", DecodeLogFormat(2), 1));
  EXPECT_FALSE(ShouldLogLine("taro is in room 3\r\n", DecodeLogFormat(1), 1));
  EXPECT_FALSE(ShouldLogLine("taro is in room 3\r\n", DecodeLogFormat(3), 1));
  EXPECT_TRUE(ShouldLogLine("taro：<<接続>>\r\n", DecodeLogFormat(1), 1));
  EXPECT_TRUE(ShouldLogLine(">\r\n", DecodeLogFormat(1), 1));
}

TEST(ShouldLogLine, LineEndsAloneAndASwitchedOffLogAreNeverWritten) {
  EXPECT_FALSE(ShouldLogLine("\r\n", DecodeLogFormat(0), 1));
  EXPECT_FALSE(ShouldLogLine("\n", DecodeLogFormat(0), 1));
  EXPECT_TRUE(ShouldLogLine("x\n", DecodeLogFormat(0), 1));  // one byte before a bare LF is still a line
  EXPECT_FALSE(ShouldLogLine("abc>hello\r\n", DecodeLogFormat(0), 0));
  EXPECT_TRUE(ShouldLogLine("abc>hello\r\n", DecodeLogFormat(0), 5));
}

// What each ChatLogFormat value asks of the log and shows in the dialog:
// 0 to 3 as the dialog writes them, any other value by its two low bits,
// a negative one as neither. The dialog writes back what it showed.
TEST(LogFormat, EveryValueByItsTwoLowBits) {
  struct Case {
    std::int32_t value;
    bool omit_replies, stamp;
    std::int32_t written_back;
  };
  const Case cases[] = {{0, false, false, 0},  {1, true, false, 1},   {2, false, true, 2},
                        {3, true, true, 3},    {4, false, false, 0},  {5, true, false, 1},
                        {6, false, true, 2},   {7, true, true, 3},    {12, false, false, 0},
                        {-1, false, false, 0}, {-2, false, false, 0}, {-3, false, false, 0},
                        {INT32_MIN, false, false, 0}, {INT32_MAX, true, true, 3}};
  for (const Case& c : cases) {
    const LogFormat format = DecodeLogFormat(c.value);
    EXPECT_EQ(format, (LogFormat{c.omit_replies, c.stamp})) << c.value;
    EXPECT_EQ(EncodeLogFormat(format), c.written_back) << c.value;
  }
}

// The records of one capture of `lines`, with the log format `format`.
std::string Records(int format, const std::vector<std::string_view>& lines) {
  const platform::LocalTime saturday{2001, 12, 8, 6, 13, 5};
  const LogFormat decoded = DecodeLogFormat(format);
  LogRecords records(1, decoded, decoded.stamp ? FormatLogTimestamp(saturday, DateFormat{}) : "");
  for (const auto line : lines) records.Add(line, Aligned(line, ChatLayout::kGameMain));
  return records.text();
}

TEST(LogRecord, DatedRecordIntoTheMonthsFile) {
  const std::string aligned = "abc" + kPad11 + ">hello\r\n";
  EXPECT_EQ(Records(2, {"abc>hello\r\n"}), "2001/12/08(土)13:05 " + aligned);
  EXPECT_EQ(Records(3, {"abc>hello\r\n"}).substr(0, 20), "2001/12/08(土)13:05 ");
  EXPECT_EQ(Records(1, {"abc>hello\r\n"}), aligned);
  // A hand-edited value above 3 counts by its two low bits: 4 asks for no date.
  EXPECT_EQ(Records(4, {"abc>hello\r\n"}), aligned);
  // Every record has its stamp; a line the log leaves out adds nothing.
  EXPECT_EQ(Records(3, {"abc>hello\r\n", "a reply\r\n", "\r\n", "abc>hello\r\n"}),
            "2001/12/08(土)13:05 " + aligned + "2001/12/08(土)13:05 " + aligned);
  LogRecords off(0, DecodeLogFormat(2), "stamp ");
  EXPECT_FALSE(off.Add("abc>hello\r\n", "abc>hello\r\n"));
  EXPECT_EQ(off.text(), "");
  EXPECT_EQ(ChatLogFileName({2001, 12, 8, 6, 13, 5}), "LOG0112.txt");
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

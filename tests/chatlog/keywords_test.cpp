#include "chatlog/keywords.h"

#include <gtest/gtest.h>

#include "chatlog/chat_lines.h"

namespace tamiru::chatlog {
namespace {

std::string Aligned(std::string_view line, ChatLayout layout = ChatLayout::kGameMain) {
  std::string aligned;
  AlignChatName(line, layout, aligned);
  return aligned;
}

TEST(CountKeywordHits, OnlyTheMessageTextIsSearchedAndEachEntryCountsOnce) {
  const std::string message = Aligned("abc>hello la la\r\n");
  EXPECT_EQ(CountKeywordHits(message, {"hello"}), 1);
  EXPECT_EQ(CountKeywordHits(message, {"hello", "ell"}), 2);
  EXPECT_EQ(CountKeywordHits(message, {"abc", ">", "hello\r"}), 0);
  EXPECT_EQ(CountKeywordHits(message, {"", "la", ""}), 1);
  EXPECT_EQ(CountKeywordHits(Aligned("abc>\r\n"), {"\r", "\n", " "}), 0);
}

TEST(CountKeywordHits, NoMatchStartsOnATrailByte) {
  // "ポ" is 83 7C and "ア" is 83 41: "A" (41) is there only as a trail byte,
  // and 7C 83 only across the two characters.
  const std::string message = Aligned("abc>ポア\r\n");
  EXPECT_EQ(CountKeywordHits(message, {"A", "|\x83"}), 0);
  EXPECT_EQ(CountKeywordHits(message, {"ア", "ポア"}), 2);
}

TEST(CountKeywordHits, NoCaseOrWidthFolding) {
  const std::string message = Aligned("abc>Hello ＡＢＣ ｶﾅ\r\n");
  EXPECT_EQ(CountKeywordHits(message, {"hello", "HELLO", "ABC", "ａｂｃ", "カナ"}), 0);
  EXPECT_EQ(CountKeywordHits(message, {"Hello", "ＡＢＣ", "ｶﾅ"}), 3);
}

TEST(CountKeywordHits, CharacterAcrossTheNameColumnLendsNoTrailByte) {
  // Waiting room: the message's first character stands at bytes 15-16, so
  // the search begins with the second character.
  const std::string room = Aligned("abc\tポアX\r\n", ChatLayout::kWaitingRoom);
  EXPECT_EQ(CountKeywordHits(room, {"|", "ポ"}), 0);
  EXPECT_EQ(CountKeywordHits(room, {"ア", "X"}), 2);
  // A 16-byte name gets no padding and puts its "ポ" at bytes 15-16.
  const std::string long_name = Aligned("abななななななポ>アX\r\n");
  EXPECT_EQ(CountKeywordHits(long_name, {"|"}), 0);
  EXPECT_EQ(CountKeywordHits(long_name, {"ア"}), 1);
}

TEST(CountKeywordHits, LongMessagesAndKeywordsAreHandledWhole) {
  const std::string tail(300, 'z');
  const std::string message = Aligned("abc>" + std::string(400, 'y') + tail + "\r\n");
  EXPECT_EQ(CountKeywordHits(message, {tail, "yz"}), 2);
  EXPECT_EQ(CountKeywordHits(message, {tail + "z"}), 0);
}

}  // namespace
}  // namespace tamiru::chatlog

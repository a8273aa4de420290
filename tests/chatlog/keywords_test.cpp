#include "chatlog/keywords.h"

#include <gtest/gtest.h>

#include "chatlog/chat_lines.h"

namespace tamiru::chatlog {
namespace {

using Keywords = std::vector<std::string>;

std::string Aligned(std::string_view line, ChatLayout layout = ChatLayout::kGameMain) {
  return AlignChatName(line, layout);
}

TEST(CountKeywordHits, OnlyTheMessageTextIsSearched) {
  const std::string message = Aligned("abc>hello\r\n");
  EXPECT_EQ(CountKeywordHits(message, {"hello"}), 1);
  EXPECT_EQ(CountKeywordHits(message, {"hello", "ell"}), 2);
  EXPECT_EQ(CountKeywordHits(message, {"abc"}), 0);
  EXPECT_EQ(CountKeywordHits(message, {">"}), 0);  // the ">" is byte 15
  EXPECT_EQ(CountKeywordHits(message, {"o"}), 1);
  EXPECT_EQ(CountKeywordHits(message, {"hello\r"}), 0);
}

TEST(CountKeywordHits, EmptyEntriesNeverHitAndEachEntryCountsOnce) {
  const std::string message = Aligned("abc>la la la\r\n");
  EXPECT_EQ(CountKeywordHits(message, {"", "la", ""}), 1);
  EXPECT_EQ(CountKeywordHits(message, {"la", "la"}), 2);  // duplicate entries each count
  EXPECT_EQ(CountKeywordHits(message, {}), 0);
  EXPECT_EQ(CountKeywordHits(message, {""}), 0);
}

TEST(CountKeywordHits, ShortMessagesHaveNoText) {
  EXPECT_EQ(CountKeywordHits(Aligned("abc>\r\n"), {"\r", "\n", " "}), 0);
  EXPECT_EQ(CountKeywordHits("", {"a"}), 0);
  EXPECT_EQ(CountKeywordHits("a>b", {"b"}), 0);
}

TEST(CountKeywordHits, NoMatchStartsOnATrailByte) {
  // "ポ" is 83 7C and "ア" is 83 41: the message holds the byte pair 7C 83
  // across the two characters, and "A" (41) only as a trail byte.
  const std::string message = Aligned("abc>ポア\r\n");
  EXPECT_EQ(CountKeywordHits(message, {"A"}), 0);
  EXPECT_EQ(CountKeywordHits(message, {"|\x83"}), 0);
  EXPECT_EQ(CountKeywordHits(message, {"ア"}), 1);
  EXPECT_EQ(CountKeywordHits(message, {"ポア"}), 1);
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
  EXPECT_EQ(CountKeywordHits(room, {"|"}), 0);
  EXPECT_EQ(CountKeywordHits(room, {"ポ"}), 0);
  EXPECT_EQ(CountKeywordHits(room, {"ア", "X"}), 2);
  // A 16-byte name gets no padding and puts its "ポ" at bytes 15-16.
  const std::string long_name = Aligned("abななななななポ>アX\r\n");
  ASSERT_EQ(long_name, "abななななななポ>アX\r\n");
  EXPECT_EQ(CountKeywordHits(long_name, {"|"}), 0);
  EXPECT_EQ(CountKeywordHits(long_name, {"ア"}), 1);
}

TEST(CountKeywordHits, LongMessagesAndKeywordsAreHandledWhole) {
  const std::string tail(300, 'z');
  const std::string message = Aligned("abc>" + std::string(400, 'y') + tail + "\r\n");
  EXPECT_EQ(CountKeywordHits(message, {tail}), 1);
  EXPECT_EQ(CountKeywordHits(message, {"yz"}), 1);
  EXPECT_EQ(CountKeywordHits(message, {tail + "z"}), 0);
}

}  // namespace
}  // namespace tamiru::chatlog

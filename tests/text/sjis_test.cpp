#include "text/sjis.h"

#include <gtest/gtest.h>

namespace tamiru::text {
namespace {

TEST(SjisLiterals, AreCompiledAsShiftJis) {
  // "ソ" and "表" end in 0x5C, the backslash byte: the classic trap.
  EXPECT_EQ(std::string("ソ"), "\x83\x5C");
  EXPECT_EQ(std::string("表"), "\x95\x5C");
  EXPECT_EQ(std::string("待合室"), "\x91\xD2\x8D\x87\x8E\xBA");
}

TEST(FindSjis, NeverStartsOnATrailByte) {
  // 0x83 0x41 is one character ("ア"); 0x41 alone is "A".
  const std::string text = "\x83\x41" "B";
  EXPECT_EQ(FindSjis(text, "A"), npos);
  EXPECT_EQ(FindBytes(text, "A"), 1u);
  EXPECT_EQ(FindSjis(text, "B"), 2u);
  // The bytes of "待合室" appear shifted by one behind a lead byte: no match.
  const std::string shifted = std::string("\x88") + "\x91\xD2\x8D\x87\x8E\xBA";
  // 0x88 0x91 is one character, so the next start is at byte 2 (0xD2).
  EXPECT_FALSE(ContainsSjis(shifted, "待合室"));
  EXPECT_TRUE(ContainsBytes(shifted, "待合室"));
  EXPECT_TRUE(ContainsSjis("a待合室", "待合室"));
}

TEST(FindSjis, EdgeSizes) {
  EXPECT_EQ(FindSjis("", ""), 0u);
  EXPECT_EQ(FindSjis("abc", ""), 0u);
  EXPECT_EQ(FindSjis("ab", "abc"), npos);
  EXPECT_EQ(FindSjis("abc", "abc"), 0u);
  // A lone lead byte at the end never reads past the text.
  EXPECT_EQ(FindSjis("a\x83", "b"), npos);
  EXPECT_EQ(FindSjis("a\x83", "\x83"), 1u);
  EXPECT_EQ(FindSjis(std::string_view("x\0y", 3), std::string_view("\0y", 2)), 1u);
}

TEST(CutAtCharBoundary, KeepsWholeCharacters) {
  EXPECT_EQ(CutAtCharBoundary("abcdef", 4), "abcd");
  EXPECT_EQ(CutAtCharBoundary("ab", 4), "ab");
  // "aソ" is 3 bytes; a cut at 2 would split ソ.
  EXPECT_EQ(CutAtCharBoundary("aソ", 2), "a");
  EXPECT_EQ(CutAtCharBoundary("aソ", 3), "aソ");
  EXPECT_EQ(CutAtCharBoundary("表表", 3), "表");
  EXPECT_EQ(CutAtCharBoundary("abc", 0), "");
}

TEST(AsBuffered, CutsAtNulAndBuffer) {
  EXPECT_EQ(AsBuffered("abcdef", 4), "abc");
  EXPECT_EQ(AsBuffered(std::string_view("ab\0cd", 5), 10), "ab");
  EXPECT_EQ(AsBuffered("abc", 0), "");
  EXPECT_EQ(AsBuffered("abc", 1), "");
}

}  // namespace
}  // namespace tamiru::text

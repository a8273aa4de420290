#include "text/list_file.h"

#include <gtest/gtest.h>


namespace tamiru::text {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitLines, EveryLineEndAndTheLastLine) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), (Lines{"a"}));
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("\r\n\r\n"), (Lines{"", ""}));
  // CR CR LF is an empty line ended by CR, then a line ended by... nothing:
  // the lone CR ends "a", the CR LF ends the empty line.
  EXPECT_EQ(SplitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines(std::string_view("a\nb\0c\nd", 7)), (Lines{"a", "b"}));
  // Shift_JIS trail bytes are never line ends (0x0A/0x0D cannot be trail bytes).
  EXPECT_EQ(SplitLines("表\r\nソ"), (Lines{"表", "ソ"}));
}

TEST(JoinLines, CrLfAfterEveryLine) {
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinLines({}), "");
  EXPECT_EQ(SplitLines(JoinLines({"x", "", "y"})), (Lines{"x", "", "y"}));
}

}  // namespace
}  // namespace tamiru::text

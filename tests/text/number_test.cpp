#include "text/number.h"

#include <gtest/gtest.h>

namespace tamiru::text {
namespace {

TEST(ParseIniInteger, DecimalHexAndFallback) {
  EXPECT_EQ(ParseIniInteger("15", 0), 15);
  EXPECT_EQ(ParseIniInteger("-3", 0), -3);
  EXPECT_EQ(ParseIniInteger("+7", 0), 7);
  EXPECT_EQ(ParseIniInteger("0x1E", 15), 30);
  EXPECT_EQ(ParseIniInteger("0X1e", 15), 30);
  EXPECT_EQ(ParseIniInteger("$1E", 15), 30);
  EXPECT_EQ(ParseIniInteger("0xFFFFFFFF", 1), -1);
  EXPECT_EQ(ParseIniInteger("abc", 15), 15);
  EXPECT_EQ(ParseIniInteger("", 1), 1);
  EXPECT_EQ(ParseIniInteger("0x", 5), 5);   // two characters: not hexadecimal, not decimal
  EXPECT_EQ(ParseIniInteger("$", 5), 5);
  EXPECT_EQ(ParseIniInteger("-", 5), 5);
  EXPECT_EQ(ParseIniInteger("12a", 5), 5);
  EXPECT_EQ(ParseIniInteger(" 12", 5), 5);
  EXPECT_EQ(ParseIniInteger("0x1G", 5), 5);
}

TEST(ParseIniInteger, ThirtyTwoBitLimits) {
  EXPECT_EQ(ParseIniInteger("2147483647", 0), 2147483647);
  EXPECT_EQ(ParseIniInteger("-2147483648", 0), INT32_MIN);
  EXPECT_EQ(ParseIniInteger("2147483648", 9), 9);
  EXPECT_EQ(ParseIniInteger("-2147483649", 9), 9);
  EXPECT_EQ(ParseIniInteger("99999999999999999999999", 9), 9);
  EXPECT_EQ(ParseIniInteger("0x100000000", 9), 9);
  EXPECT_EQ(ParseIniInteger("0x000000000000001", 9), 1);
}

}  // namespace
}  // namespace tamiru::text

#include "macro/key_names.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace tamiru::macro {
namespace {

std::string Code(int value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

TEST(KeyCodeToName, RuleRows) {
  EXPECT_EQ(KeyCodeToName("30"), "0");
  EXPECT_EQ(KeyCodeToName("39"), "9");
  EXPECT_EQ(KeyCodeToName("41"), "A");
  EXPECT_EQ(KeyCodeToName("5A"), "Z");
  EXPECT_EQ(KeyCodeToName("60"), "NumPad0");
  EXPECT_EQ(KeyCodeToName("69"), "NumPad9");
  EXPECT_EQ(KeyCodeToName("70"), "F1");
  EXPECT_EQ(KeyCodeToName("79"), "F10");
  EXPECT_EQ(KeyCodeToName("7A"), "F11");
  EXPECT_EQ(KeyCodeToName("80"), "F17");
  EXPECT_EQ(KeyCodeToName("87"), "F24");
}

TEST(KeyCodeToName, ListedRows) {
  const std::map<std::string, std::string> listed{
      {"08", "BackSpace"}, {"09", "Tab"},       {"0C", "Clear"},    {"0D", "Enter"},       {"13", "Pause"},
      {"14", "CapsLock"},  {"15", "Kana"},      {"1B", "ESC"},      {"20", "Space"},       {"21", "PageUp"},
      {"22", "PageDown"},  {"23", "End"},       {"24", "Home"},     {"29", "Select"},      {"2B", "Execute"},
      {"2C", "PrintScreen"}, {"2D", "Insert"},  {"2E", "Delete"},   {"2F", "Help"},        {"6A", "NumPad*"},
      {"6B", "NumPad+"},   {"6C", "Separator"}, {"6D", "NumPad-"},  {"6E", "NumPad."},     {"6F", "NumPad/"},
      {"BA", ":"},         {"BB", ";"},         {"BC", ","},        {"BD", "-"},           {"BE", "."},
      {"BF", "/"},         {"C0", "@"},         {"DB", "["},        {"DC", "\\"},          {"DD", "]"},
      {"DE", "^"},         {"E2", "\\"},
  };
  for (const auto& [code, name] : listed) EXPECT_EQ(KeyCodeToName(code), name) << code;
}

TEST(KeyCodeToName, ArrowsAreDoubleByteCharacters) {
  EXPECT_EQ(KeyCodeToName("25"), "\x81\xA9");
  EXPECT_EQ(KeyCodeToName("26"), "\x81\xAA");
  EXPECT_EQ(KeyCodeToName("27"), "\x81\xA8");
  EXPECT_EQ(KeyCodeToName("28"), "\x81\xAB");
  EXPECT_EQ(KeyCodeToName("25"), "←");  // the literal is Shift_JIS too
}

TEST(KeyCodeToName, BothBackslashKeysAreByte5C) {
  EXPECT_EQ(KeyCodeToName("DC"), std::string(1, '\x5C'));
  EXPECT_EQ(KeyCodeToName("E2"), std::string(1, '\x5C'));
}

// Every two-digit code: exactly 111 have a row, every other comes back as is.
TEST(KeyCodeToName, TableHas111RowsAndEveryOtherCodeIsUnchanged) {
  int rows = 0;
  for (int value = 0; value <= 0xFF; ++value) {
    const std::string code = Code(value);
    if (KeyCodeToName(code) != code) ++rows;
  }
  EXPECT_EQ(rows, 111);
  for (const char* unlisted : {"10", "11", "12", "1C", "1F", "2A", "5B", "5F", "88", "90", "91", "A0", "B9",
                               "C1", "DA", "DF", "E1", "E3", "FE", "FF", "00"}) {
    EXPECT_EQ(KeyCodeToName(unlisted), unlisted);
  }
}

TEST(KeyCodeToName, ExactCaseSensitiveWholeTextMatch) {
  EXPECT_EQ(KeyCodeToName("0d"), "0d");
  EXPECT_EQ(KeyCodeToName("6a"), "6a");
  EXPECT_EQ(KeyCodeToName("ba"), "ba");
  EXPECT_EQ(KeyCodeToName("10D"), "10D");
  EXPECT_EQ(KeyCodeToName("070"), "070");
  EXPECT_EQ(KeyCodeToName("D"), "D");
  EXPECT_EQ(KeyCodeToName("0D "), "0D ");
  EXPECT_EQ(KeyCodeToName(std::string_view("0D\0", 3)), std::string("0D\0", 3));
  EXPECT_EQ(KeyCodeToName(""), "");
}

}  // namespace
}  // namespace tamiru::macro

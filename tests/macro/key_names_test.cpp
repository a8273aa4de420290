#include "macro/key_names.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tamiru::macro {
namespace {

TEST(KeyCodeToName, RuleRowsAtTheirEdges) {
  for (const auto& [code, name] : {std::pair{"30", "0"}, {"39", "9"}, {"41", "A"}, {"5A", "Z"},
                                   {"60", "NumPad0"}, {"69", "NumPad9"}, {"70", "F1"}, {"79", "F10"},
                                   {"80", "F17"}, {"87", "F24"}}) {
    EXPECT_EQ(KeyCodeToName(code), name) << code;
  }
}

TEST(KeyCodeToName, ListedRows) {
  const char* const listed[][2] = {
      {"08", "BackSpace"}, {"09", "Tab"},      {"0C", "Clear"},     {"0D", "Enter"},   {"13", "Pause"},
      {"14", "CapsLock"},  {"15", "Kana"},     {"1B", "ESC"},       {"20", "Space"},   {"21", "PageUp"},
      {"22", "PageDown"},  {"23", "End"},      {"24", "Home"},      {"25", "\x81\xA9"}, {"26", "\x81\xAA"},
      {"27", "\x81\xA8"},  {"28", "\x81\xAB"}, {"29", "Select"},    {"2B", "Execute"}, {"2C", "PrintScreen"},
      {"2D", "Insert"},    {"2E", "Delete"},   {"2F", "Help"},      {"6A", "NumPad*"}, {"6B", "NumPad+"},
      {"6C", "Separator"}, {"6D", "NumPad-"},  {"6E", "NumPad."},   {"6F", "NumPad/"}, {"BA", ":"},
      {"BB", ";"},         {"BC", ","},        {"BD", "-"},         {"BE", "."},       {"BF", "/"},
      {"C0", "@"},         {"DB", "["},        {"DC", "\x5C"},      {"DD", "]"},       {"DE", "^"},
      {"E2", "\x5C"},
  };
  for (const auto& row : listed) EXPECT_EQ(KeyCodeToName(row[0]), row[1]) << row[0];
  EXPECT_EQ(KeyCodeToName("25"), "←");  // the arrows are Shift_JIS double-byte characters
}

// Over every two-digit code exactly 111 have a row; every other comes back as is.
TEST(KeyCodeToName, TableHas111RowsAndOtherCodesComeBackUnchanged) {
  int rows = 0;
  for (int value = 0; value <= 0xFF; ++value) {
    char code[3];
    std::snprintf(code, sizeof code, "%02X", value);
    if (KeyCodeToName(code) != code) ++rows;
  }
  EXPECT_EQ(rows, 111);
  for (const char* unchanged : {"10", "11", "12", "1C", "2A", "5B", "5F", "88", "90", "A0", "FE", "0d", "6a",
                                "ba", "10D", "070", "D", "0D ", ""}) {
    EXPECT_EQ(KeyCodeToName(unchanged), unchanged) << unchanged;
  }
}

}  // namespace
}  // namespace tamiru::macro

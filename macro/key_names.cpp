#include "macro/key_names.h"

#include <array>
#include <utility>

namespace tamiru::macro {
namespace {

// Keys whose names follow no rule. The punctuation keys follow the Japanese
// keyboard layout, which has two different backslash keys (DC and E2).
constexpr std::array<std::pair<std::string_view, std::string_view>, 41> kListedKeys{{
    {"08", "BackSpace"}, {"09", "Tab"},         {"0C", "Clear"},    {"0D", "Enter"},
    {"13", "Pause"},     {"14", "CapsLock"},    {"15", "Kana"},     {"1B", "ESC"},
    {"20", "Space"},     {"21", "PageUp"},      {"22", "PageDown"}, {"23", "End"},
    {"24", "Home"},      {"25", "←"},           {"26", "↑"},        {"27", "→"},
    {"28", "↓"},         {"29", "Select"},      {"2B", "Execute"},  {"2C", "PrintScreen"},
    {"2D", "Insert"},    {"2E", "Delete"},      {"2F", "Help"},     {"6A", "NumPad*"},
    {"6B", "NumPad+"},   {"6C", "Separator"},   {"6D", "NumPad-"},  {"6E", "NumPad."},
    {"6F", "NumPad/"},   {"BA", ":"},           {"BB", ";"},        {"BC", ","},
    {"BD", "-"},         {"BE", "."},           {"BF", "/"},        {"C0", "@"},
    {"DB", "["},         {"DC", "\\"},          {"DD", "]"},        {"DE", "^"},
    {"E2", "\\"},
}};

// The value of an uppercase hexadecimal digit, or -1.
int UpperHexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string KeyCodeToName(std::string_view key_code_text) {
  for (const auto& [code, name] : kListedKeys) {
    if (code == key_code_text) return std::string(name);
  }
  if (key_code_text.size() == 2) {
    const int high = UpperHexDigit(key_code_text[0]);
    const int low = UpperHexDigit(key_code_text[1]);
    if (high >= 0 && low >= 0) {
      const int code = high * 16 + low;
      if ((code >= 0x30 && code <= 0x39) || (code >= 0x41 && code <= 0x5A)) {
        return std::string(1, static_cast<char>(code));  // the digit or letter itself
      }
      if (code >= 0x60 && code <= 0x69) return std::string("NumPad").append(std::to_string(code - 0x60));
      if (code >= 0x70 && code <= 0x87) return std::string("F").append(std::to_string(code - 0x70 + 1));
    }
  }
  return std::string(key_code_text);
}

}  // namespace tamiru::macro

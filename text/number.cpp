#include "text/number.h"

#include <optional>

namespace tamiru::text {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::uint32_t> ParseHexDigits(std::string_view digits, std::uint32_t max) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(digit);
    if (value > max) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

namespace {

// Up to 32 bits, read as a signed value.
std::optional<std::int32_t> ParseHex(std::string_view digits) {
  const std::optional<std::uint32_t> value = ParseHexDigits(digits, 0xFFFFFFFFu);
  if (!value) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

std::optional<std::int32_t> ParseDecimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t ParseIniInteger(std::string_view text, std::int32_t fallback) {
  std::optional<std::int32_t> value;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    value = ParseHex(text.substr(2));
  } else if (!text.empty() && text[0] == '$') {
    value = ParseHex(text.substr(1));
  } else {
    value = ParseDecimal(text);
  }
  return value.value_or(fallback);
}

std::string DecimalText(long long value) { return std::to_string(value); }

}  // namespace tamiru::text

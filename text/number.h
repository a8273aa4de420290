#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tamiru::text {

// Converts the text of an integer setting: hexadecimal after "0x" or "0X"
// when the text is longer than two characters, or after "$"; otherwise
// decimal with an optional sign. Anything else, empty text included, and a
// number that does not fit 32 bits gives `fallback`. Hexadecimal takes up to
// 32 bits and reads them as a signed value (0xFFFFFFFF is -1).
std::int32_t ParseIniInteger(std::string_view text, std::int32_t fallback);

// The value of one hexadecimal digit (either case), or -1 for another byte.
int HexDigitValue(char c);

// The value of a run of hexadecimal digits; nullopt when it is empty, holds
// any other byte, or exceeds `max`.
std::optional<std::uint32_t> ParseHexDigits(std::string_view digits, std::uint32_t max);

// Decimal text of a signed integer, with "-" when negative.
std::string DecimalText(long long value);

}  // namespace tamiru::text

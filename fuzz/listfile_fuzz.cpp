// Fuzzes the list-file reader and writer (the bytes that ReadListFile splits
// and WriteListFile joins) and the Shift_JIS search on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/list_file.h"
#include "text/sjis.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto lines = tamiru::text::SplitLines(bytes);
  const auto joined = tamiru::text::JoinLines(lines);
  // Lines never hold line ends, so splitting the joined text gives them back.
  if (tamiru::text::SplitLines(joined) != lines) __builtin_trap();

  // First byte: needle length; the rest splits into needle and haystack.
  if (size < 1) return 0;
  const std::size_t needle_size = std::min<std::size_t>(data[0] % 8, size - 1);
  const auto needle = bytes.substr(1, needle_size);
  const auto haystack = bytes.substr(1 + needle_size);
  const std::size_t sjis = tamiru::text::FindSjis(haystack, needle);
  if (sjis != tamiru::text::npos) {
    if (haystack.substr(sjis, needle.size()) != needle) __builtin_trap();
    if (haystack.find(needle) > sjis) __builtin_trap();
  }
  const auto cut = tamiru::text::CutAtCharBoundary(haystack, data[0]);
  if (cut.size() > data[0] || haystack.substr(0, cut.size()) != cut) __builtin_trap();
  return 0;
}

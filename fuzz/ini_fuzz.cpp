// Fuzzes the profile reader and writer on arbitrary bytes. The first byte
// gives the length of a value to write; the rest is the INI file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/profile.h"
#include "settings/settings.h"

namespace {

using tamiru::settings::ReadProfileValue;
using tamiru::settings::ReadProfileValues;
using tamiru::settings::WriteProfileValue;

// The value as the writer stores it: no leading blanks or line ends, and
// nothing from its first line end or NUL on.
std::string Stored(std::string_view value) {
  while (!value.empty() && std::string_view(" \t\v\f\x1A\r\n").find(value.front()) != std::string_view::npos) {
    value.remove_prefix(1);
  }
  return std::string(value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3))));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t value_size = std::min<std::size_t>(data[0] % 64, input.size());
  const std::string_view value = input.substr(0, value_size);
  const std::string_view file = input.substr(value_size);

  const auto values = ReadProfileValues(file, "Setting", {"UserName1", "Macro", "Key", "A", ""});
  for (const auto& read : values) {
    if (read && read->size() > tamiru::settings::kProfileValueBuffer - 1) __builtin_trap();
  }
  const auto small = ReadProfileValue(file, "Setting", "Key", 5);
  if (small && small->size() > 4) __builtin_trap();

  const auto other_before = ReadProfileValue(file, "Setting", "A");
  const auto elsewhere_before = ReadProfileValue(file, "Other", "Key");
  const auto written = WriteProfileValue(file, "Setting", "Key", value);
  const std::string after = written ? *written : std::string(file);
  // The key reads back as the value, as if the file held only that line.
  const std::string alone = "[Setting]\r\nKey=" + Stored(value) + "\r\n";
  if (ReadProfileValue(after, "Setting", "Key") != ReadProfileValue(alone, "Setting", "Key")) __builtin_trap();
  // Nothing else changes.
  if (ReadProfileValue(after, "Setting", "A") != other_before) __builtin_trap();
  if (ReadProfileValue(after, "Other", "Key") != elsewhere_before) __builtin_trap();
  return 0;
}

// Fuzzes the macro line parser: any bytes parse without reading past the
// line, every parsed field keeps its limit, and a parsed entry composed back
// into a line parses to the same entry.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

#include "macro/key_names.h"
#include "macro/macro_file.h"
#include "text/sjis.h"

namespace macro = tamiru::macro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  macro::KeyCodeToName(line);
  const auto key_code = macro::ParseMacroKeyCode(line);
  const auto entry = macro::ParseMacroLine(line);
  if (!entry) return 0;
  if (key_code != entry->key_code) __builtin_trap();  // the poll's shortcut reads the same key
  if (entry->action.empty() || entry->action.size() > macro::kMaxActionBytes) __builtin_trap();
  if (entry->argument.size() > macro::kMaxArgumentBytes) __builtin_trap();
  if (entry->text.size() > macro::kMaxTextBytes) __builtin_trap();

  // ARG is never empty when read, so "given" means "not empty"; TEXT, which
  // may be empty, is read exactly for the actions that hold "/Talk" or "発言".
  char key[8];
  std::snprintf(key, sizeof key, "%02X", static_cast<unsigned>(entry->key_code));
  std::optional<std::string_view> argument;
  std::optional<std::string_view> text;
  if (!entry->argument.empty()) argument = entry->argument;
  const bool has_text = entry->action.find("/Talk") != std::string::npos ||
                        tamiru::text::ContainsSjis(entry->action, "発言");
  if (has_text) text = entry->text;
  const auto composed =
      macro::ComposeMacroLine(key, entry->shift, entry->alt, entry->ctrl, entry->action, argument, text);
  if (macro::ParseMacroLine(composed) != entry) __builtin_trap();
  return 0;
}

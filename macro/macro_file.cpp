#include "macro/macro_file.h"

#include <algorithm>

#include "macro/macro_actions.h"
#include "platform/files.h"
#include "text/number.h"

namespace tamiru::macro {
namespace {

std::optional<std::uint16_t> ParseKeyCode(std::string_view key) {
  const std::optional<std::uint32_t> value = text::ParseHexDigits(key, 0xFFFF);
  if (!value) return std::nullopt;
  return static_cast<std::uint16_t>(*value);
}

// The field that starts at `pos` and ends before the next space, if that
// space exists; strictly read, the field must also be neither empty nor over
// `limit` bytes. `next` is set to the byte after the ending space.
std::optional<std::string_view> Field(std::string_view line, std::size_t pos, std::size_t limit, bool strict,
                                      std::size_t& next) {
  if (pos >= line.size()) return std::nullopt;
  const std::size_t space = line.find(' ', pos);
  if (space == std::string_view::npos) return std::nullopt;
  if (strict && (space == pos || space - pos > limit)) return std::nullopt;
  next = space + 1;
  return line.substr(pos, space - pos);
}

bool FlagAt(std::string_view line, std::size_t position) { return position < line.size() && line[position] == '1'; }

// Three one-byte flags at fixed offsets, each followed by one space.
bool FlagsWellFormed(std::string_view line, std::size_t flags) {
  if (line.size() < flags + 6) return false;
  return line[flags + 1] == ' ' && line[flags + 3] == ' ' && line[flags + 5] == ' ';
}

// TEXT runs from `from` to the byte before the line's last byte, which must
// be the field's own ending space. An empty TEXT ("<all>  ") is what the
// editor composes for an empty phrase; a line that stops after the previous
// field's space has no TEXT field at all.
std::optional<std::string_view> TextField(std::string_view line, std::size_t from, bool strict) {
  if (from >= line.size()) return std::nullopt;
  if (strict && line.back() != ' ') return std::nullopt;
  const std::size_t length = line.size() - 1 - from;
  if (strict && length > kMaxTextBytes) return std::nullopt;
  return line.substr(from, length);
}

}  // namespace

std::optional<std::uint16_t> ParseMacroKeyCode(std::string_view line) {
  const std::size_t key_end = line.find(' ');
  if (key_end == std::string_view::npos) return std::nullopt;
  return ParseKeyCode(line.substr(0, key_end));
}

std::optional<MacroLineFields> ReadMacroLineFields(std::string_view line, ParseMode mode) {
  const bool strict = mode == ParseMode::kStrict;
  MacroLineFields fields;
  const std::size_t key_end = std::min(line.find(' '), line.size());
  fields.key = line.substr(0, key_end);
  if (strict && !ParseMacroKeyCode(line)) return std::nullopt;
  const std::size_t flags = key_end + 1;
  if (strict && !FlagsWellFormed(line, flags)) return std::nullopt;
  fields.shift = FlagAt(line, flags);
  fields.alt = FlagAt(line, flags + 2);
  fields.ctrl = FlagAt(line, flags + 4);
  const auto refuse = [&]() -> std::optional<MacroLineFields> {
    if (strict) return std::nullopt;
    return fields;
  };

  std::size_t next = 0;
  fields.action = Field(line, flags + 6, kMaxActionBytes, strict, next);
  if (!fields.action) return refuse();
  const MacroActionSpec* row = ExactMacroAction(*fields.action);
  // A hand-edited action is read as the poll reads it; the editor shows none.
  if (!row && !strict) return fields;
  if (row && !row->takes_argument && !row->takes_text) return fields;
  if (!row || row->takes_argument) {
    fields.argument = Field(line, next, kMaxArgumentBytes, strict, next);
    if (!fields.argument) return refuse();
  }
  if (ActionTakesText(*fields.action)) {
    fields.text = TextField(line, next, strict);
    if (!fields.text) return refuse();
  }
  return fields;
}

std::optional<TMacroEntry> ParseMacroLine(std::string_view line) {
  const std::optional<MacroLineFields> fields = ReadMacroLineFields(line, ParseMode::kStrict);
  if (!fields) return std::nullopt;
  TMacroEntry entry;
  entry.key_code = *ParseKeyCode(fields->key);
  entry.shift = fields->shift;
  entry.alt = fields->alt;
  entry.ctrl = fields->ctrl;
  entry.action = *fields->action;
  entry.argument = fields->argument.value_or(std::string_view());
  entry.text = fields->text.value_or(std::string_view());
  return entry;
}

std::string ComposeMacroLine(std::string_view key_code_text, bool shift, bool alt, bool ctrl,
                             std::string_view action, std::optional<std::string_view> argument,
                             std::optional<std::string_view> text) {
  std::string line(key_code_text);
  line += ' ';
  line += shift ? "1 " : "0 ";
  line += alt ? "1 " : "0 ";
  line += ctrl ? "1 " : "0 ";
  line += action;
  line += ' ';
  if (argument) {
    line += *argument;
    line += ' ';
  }
  if (text) {
    line += *text;
    line += ' ';
  }
  return line;
}

void LoadMacroFile(const std::string& path, std::vector<std::string>& macro_list) {
  macro_list = platform::ReadListFile(path);
}

void SaveMacroFile(const std::string& path, const std::vector<std::string>& macro_list) {
  platform::WriteListFile(path, macro_list);
}

}  // namespace tamiru::macro

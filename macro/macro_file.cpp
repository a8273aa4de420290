#include "macro/macro_file.h"

#include <array>

#include "platform/files.h"
#include "text/sjis.h"

namespace tamiru::macro {
namespace {

constexpr std::array<std::string_view, 7> kActionsWithoutArguments{
    "/Hide", "/List", "/CHATON", "/CHATOFF", "画像保存", "瞬間観戦", "対/w,/r"};
constexpr std::string_view kTalk = "/Talk";
constexpr std::string_view kSay = "発言";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::uint16_t> ParseKeyCode(std::string_view key) {
  if (key.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : key) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
    if (value > 0xFFFF) return std::nullopt;  // leading zeros never get here
  }
  return static_cast<std::uint16_t>(value);
}

// The field that starts at `pos` and ends before the next space, if that
// space exists and the field is neither empty nor over `limit` bytes.
// `next` is set to the byte after the ending space.
std::optional<std::string_view> Field(std::string_view line, std::size_t pos, std::size_t limit,
                                      std::size_t& next) {
  if (pos >= line.size()) return std::nullopt;
  const std::size_t space = line.find(' ', pos);
  if (space == std::string_view::npos || space == pos || space - pos > limit) return std::nullopt;
  next = space + 1;
  return line.substr(pos, space - pos);
}

}  // namespace

std::optional<std::uint16_t> ParseMacroKeyCode(std::string_view line) {
  const std::size_t key_end = line.find(' ');
  if (key_end == std::string_view::npos) return std::nullopt;
  return ParseKeyCode(line.substr(0, key_end));
}

std::optional<TMacroEntry> ParseMacroLine(std::string_view line) {
  TMacroEntry entry;
  const auto key_code = ParseMacroKeyCode(line);
  if (!key_code) return std::nullopt;
  const std::size_t key_end = line.find(' ');
  entry.key_code = *key_code;

  // Three one-byte flags at fixed offsets, each followed by one space; any
  // byte other than "1" means "up".
  const std::size_t flags = key_end + 1;
  if (line.size() < flags + 6) return std::nullopt;
  for (std::size_t i = 1; i < 6; i += 2) {
    if (line[flags + i] != ' ') return std::nullopt;
  }
  entry.shift = line[flags] == '1';
  entry.alt = line[flags + 2] == '1';
  entry.ctrl = line[flags + 4] == '1';

  std::size_t next = 0;
  const auto action = Field(line, flags + 6, kMaxActionBytes, next);
  if (!action) return std::nullopt;
  entry.action = *action;
  for (const auto name : kActionsWithoutArguments) {
    if (*action == name) return entry;
  }

  if (*action != kSay) {
    const auto argument = Field(line, next, kMaxArgumentBytes, next);
    if (!argument) return std::nullopt;
    entry.argument = *argument;
  }

  if (text::ContainsSjis(*action, kTalk) || text::ContainsSjis(*action, kSay)) {
    // TEXT may hold spaces: it runs to the byte before the line's last byte,
    // which must be the field's own ending space.
    // An empty TEXT ("<all>  ") is what the editor composes for an empty
    // phrase; a line that stops after ARG's space has no TEXT field at all.
    if (next >= line.size() || line.back() != ' ') return std::nullopt;
    const std::size_t length = line.size() - 1 - next;
    if (length > kMaxTextBytes) return std::nullopt;
    entry.text = line.substr(next, length);
  }
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

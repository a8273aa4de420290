#pragma once
// The macro table: one macro per line of the macro file, each line a run of
// fields that each end with one space:
//   KEY SHIFT ALT CTRL ACTION [ARG] [TEXT]
// e.g. "70 0 1 0 /Where <all> " binds ALT+F1 to "/Where" for every friend.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamiru::macro {

// Field limits in bytes.
inline constexpr std::size_t kMaxActionBytes = 19;
inline constexpr std::size_t kMaxArgumentBytes = 19;
inline constexpr std::size_t kMaxTextBytes = 99;

// One parsed macro line. Built afresh by each key poll; never stored.
struct TMacroEntry {
  std::uint16_t key_code = 0;  // virtual-key code
  bool shift = false;          // SHIFT must be down (true) or up (false)
  bool alt = false;
  bool ctrl = false;
  std::string action;          // at most kMaxActionBytes
  std::string argument;        // empty when the action takes none
  std::string text;            // empty unless the action is "/Talk" or "発言"

  bool operator==(const TMacroEntry&) const = default;
};

// The fields of a line, as far as the line holds them.
struct MacroLineFields {
  std::string_view key;  // the bytes before the first space (the whole line when it has none)
  bool shift = false;    // the byte one past KEY's space is "1"
  bool alt = false;      // three past
  bool ctrl = false;     // five past
  std::optional<std::string_view> action;
  std::optional<std::string_view> argument;  // only for an action that takes one
  std::optional<std::string_view> text;      // only for an action that takes one
};

enum class ParseMode {
  // The line follows the format, or it is refused whole (it binds no key).
  kStrict,
  // A cut or hand-edited line, read as far as it goes and never past its end:
  // a missing field and those behind it stay unset, limits are not checked,
  // and a line whose action is not one of the fourteen shows no argument.
  kLenient,
};

// Reads the fields of one line. In strict mode nullopt for a line that does
// not follow the format: no space after a field, a KEY that is not
// hexadecimal or does not fit 16 bits, an empty KEY, ACTION or ARG, a field
// over its limit, the three flags not single bytes with single spaces, or a
// line whose last field lacks its trailing space. TEXT may be empty
// ("/Talk <all>  "). Bytes after the last field an action reads are ignored.
std::optional<MacroLineFields> ReadMacroLineFields(std::string_view line, ParseMode mode);

// The strict reading of a line as the key poll uses it; nullopt binds no key.
std::optional<TMacroEntry> ParseMacroLine(std::string_view line);

// The key code of a line alone (its first field), as ParseMacroLine reads
// it; nullopt where ParseMacroLine would fail on the key.
std::optional<std::uint16_t> ParseMacroKeyCode(std::string_view line);

// Builds a line: the key code text, " ", "1 " or "0 " for shift, alt and ctrl,
// the action and " ", then the argument and " " if given, then the text and
// " " if given.
std::string ComposeMacroLine(std::string_view key_code_text, bool shift, bool alt, bool ctrl,
                             std::string_view action,
                             std::optional<std::string_view> argument = std::nullopt,
                             std::optional<std::string_view> text = std::nullopt);

// Replaces `macro_list` with the lines of the file at `path`. Throws
// FileOpenError ("ファイル %s は開けません") when the file cannot be opened;
// the list is then left as it was.
void LoadMacroFile(const std::string& path, std::vector<std::string>& macro_list);

// Writes every line of `macro_list` to the file at `path`, replacing it in one
// step. Throws FileCreateError ("ファイル %s を作成できません") when the file
// cannot be written; the old file stays whole and the list in memory keeps
// the change, so the next successful save writes it.
void SaveMacroFile(const std::string& path, const std::vector<std::string>& macro_list);

}  // namespace tamiru::macro

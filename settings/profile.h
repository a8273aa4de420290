#pragma once
// Reader and writer of Windows profile (INI) files, with the behaviour of the
// system's GetPrivateProfileStringA and WritePrivateProfileStringA:
//
// - A line ends at CR, LF or CR LF; the last line needs no line end. NUL bytes
//   do not end a line, but a name or value ends at its first NUL. A UTF-8 byte
//   order mark at the start of the file is skipped.
// - Blanks (space, tab, VT, FF and the DOS end-of-file mark 0x1A) around a
//   line, around a key name and before a value are dropped.
// - "[name]" starts a section: the name runs to the last "]" of the line and
//   is trimmed. Lines before the first header belong to the nameless section "".
// - Any other line is a key: the name before the first "=", the value after
//   it. A line without "=" is a key without a value, which reads as missing.
//   Comment lines (";", "#") are nothing special: keys nobody asks for.
// - Section and key names compare with ASCII letter case ignored; Shift_JIS
//   double-byte characters compare exactly.
// - Only the first section of a name counts, and in it the first line of a key.
// - A value enclosed in a matching pair of " or ' loses the pair on reading.
// - A value is read through a buffer, so at most buffer_bytes - 1 bytes of it
//   arrive, never the first half of a double-byte character.
//
// The writer changes one line, or inserts one, and leaves every other byte of
// the file as it was.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamiru::settings {

inline constexpr std::size_t kProfileValueBuffer = 2048;

// The value of each of `keys` in `section` of a profile file's bytes, in the
// order of `keys`; nullopt for a key that is missing or has no "=".
std::vector<std::optional<std::string>> ReadProfileValues(
    std::string_view bytes, std::string_view section, const std::vector<std::string_view>& keys,
    std::size_t buffer_bytes = kProfileValueBuffer);

std::optional<std::string> ReadProfileValue(std::string_view bytes, std::string_view section,
                                             std::string_view key,
                                             std::size_t buffer_bytes = kProfileValueBuffer);

// The file's bytes after writing `key`=`value` into `section`, or nullopt when
// the file already holds exactly that value (nothing to write).
// - An existing key line is replaced in place by name "=" value, keeping the
//   file's spelling of the name and the line's own line end.
// - A new key goes right after the last non-blank line of the section.
// - A missing section is added at the end of the file.
// New lines end in CR LF. Blanks at the start of the value are dropped, and
// the value ends at its first CR, LF or NUL, so a value can never add lines
// (keys) of its own to the file.
std::optional<std::string> WriteProfileValue(std::string_view bytes, std::string_view section,
                                              std::string_view key, std::string_view value);

// The file's bytes for writing: "" for a file that does not exist, nullopt
// for one that exists but cannot be read (writing would lose its contents).
std::optional<std::string> ReadProfileFileForWrite(const std::string& path);

}  // namespace tamiru::settings

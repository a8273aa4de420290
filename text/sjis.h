#pragma once
// Shift_JIS byte-string helpers. Every text of the program is a Shift_JIS
// (code page 932) byte string held in std::string; lengths are bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace tamiru::text {

inline constexpr std::size_t npos = std::string_view::npos;

// A lead byte of a double-byte character: 0x81-0x9F or 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Plain byte search: the first position at or after `from` where `needle`
// occurs, or npos. An empty needle is found at `from` (when from <= size).
std::size_t FindBytes(std::string_view haystack, std::string_view needle, std::size_t from = 0);
bool ContainsBytes(std::string_view haystack, std::string_view needle);

// Shift_JIS-aware search: candidate starts walk the text character by
// character, so a match never starts on the trail byte of a double-byte
// character. Bytes compare exactly (no case or width folding).
std::size_t FindSjis(std::string_view haystack, std::string_view needle);
bool ContainsSjis(std::string_view haystack, std::string_view needle);

// The longest prefix of `text` of at most `max_bytes` bytes that does not end
// in the middle of a double-byte character.
std::string_view CutAtCharBoundary(std::string_view text, std::size_t max_bytes);

// Copies `text` as a C routine would copy it into a zero-terminated buffer of
// `buffer_bytes` bytes: at most buffer_bytes - 1 bytes, and only up to the
// first NUL byte.
std::string_view AsBuffered(std::string_view text, std::size_t buffer_bytes);

// The width of the character at byte `pos`: 2 for a lead byte with a byte
// behind it, else 1 (a lead byte that ends the text counts alone).
std::size_t CharWidthAt(std::string_view text, std::size_t pos);

// The byte index where character `chars` (0-based) starts; text.size() when
// the text has no more characters.
std::size_t ByteIndexOfChar(std::string_view text, std::size_t chars);

// The number of characters that start before byte `byte_index`.
std::size_t CharsBefore(std::string_view text, std::size_t byte_index);

// The position of the last character of `text` that is one of the
// single-byte `bytes`, walking characters so that a trail byte (0x5C in
// "表", 0x5D in "ゼ") is never taken for one; npos for none.
std::size_t FindLastCharOf(std::string_view text, std::string_view bytes);

// Equal but for the case of single-byte letters: a double-byte character
// compares exactly, even where its trail byte is a letter ("ア" is 0x83 0x41).
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tamiru::text

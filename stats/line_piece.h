#pragma once
// The score file as the client's C runtime hands it to a reader in text mode
// through a 256-byte line buffer: a line of 255 bytes or more comes in pieces
// of at most 255 bytes, each tested like a line, and a CR LF pair reads as
// one line break. Offsets here are raw file offsets.
#include <cstddef>
#include <string_view>

namespace tamiru::stats {

inline constexpr std::size_t kPieceBytes = 255;

struct Piece {
  std::size_t begin = 0;  // raw offset of its first byte
  std::size_t end = 0;    // raw offset after it, past its line break if it has one
  // What a search in the line buffer sees: the piece without its line break
  // (no pattern holds one), up to the first NUL byte.
  std::string_view text;
  // The text runs to the end of its line (or to a NUL byte, where the
  // buffer's string ends), so a handle at its end is whole.
  bool ends_line = false;
};

enum class PieceStatus { kFound, kNeedMore, kEndOfData };

// The piece that starts at `begin`. kNeedMore when the bytes after `begin`
// cannot settle it yet and `at_end` is false.
PieceStatus PieceAt(std::string_view data, std::size_t begin, bool at_end, Piece& out);

// The start of the piece that holds byte `p`, given that `from` <= p is a
// piece start and data[p] is not a line feed.
std::size_t PieceStartOf(std::string_view data, std::size_t from, std::size_t p);

// The last piece start at or before the end of `data` that the bytes seen
// so far settle, given that `from` is a piece start.
std::size_t LastSettledPieceStart(std::string_view data, std::size_t from);

// The offset of the last `byte` in [from, to), or npos.
std::size_t FindLastByte(std::string_view data, char byte, std::size_t from, std::size_t to);

// Plain byte search within a line or a field.
std::size_t FindInLine(std::string_view text, std::string_view needle);
bool HoldsPlain(std::string_view text, std::string_view needle);

// A search that never lets a match start on the second byte of a double-byte
// character, with a plain search first (the common case costs no more).
bool HoldsSjis(std::string_view text, std::string_view needle);

}  // namespace tamiru::stats

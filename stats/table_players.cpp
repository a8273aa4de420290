#include "stats/table_players.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "stats/line_piece.h"
#include "stats/score_lines.h"
#include "stats/score_report.h"
#include "text/sjis.h"

namespace tamiru::stats {

namespace {

// Bytes after a line start that settle its first piece.
constexpr std::size_t kPieceLookahead = kPieceBytes + 2;

enum class LineKind { kOther, kGameStart, kGameEnd };

LineKind Classify(std::string_view piece) {
  if (IsGameStartLine(piece)) return LineKind::kGameStart;
  if (IsGameEndLine(piece)) return LineKind::kGameEnd;
  return LineKind::kOther;
}

// Each seat's handle runs from its marker to the next space; the next marker
// is searched from the handle on. A handle that reaches the end of its line
// ends there; one cut off by the 255-byte piece is not whole, so its seat
// stays empty rather than ask about a wrong name.
TablePlayers ReadSeats(const Piece& piece) {
  TablePlayers players;
  std::string_view rest = piece.text;
  for (int seat = 1; seat <= 4; ++seat) {
    const std::string marker = " [" + std::to_string(seat) + "]";
    const std::size_t at = text::FindBytes(rest, marker);
    if (at == text::npos) continue;
    rest = rest.substr(at + marker.size());
    const std::size_t space = rest.find(' ');
    if (space != std::string_view::npos) {
      players[seat - 1] = std::string(rest.substr(0, space));
    } else if (piece.ends_line) {
      players[seat - 1] = std::string(rest);
    }
  }
  return players;
}

// Reads [offset, offset + size) of the file; nullopt when that fails.
using RangeReader = std::optional<std::string> (*)(void* source, std::uint64_t offset, std::size_t size);

// The backward scan over a file of `file_size` bytes: the lines that follow
// a line feed, last first, until one is a game start or a game end line.
std::optional<int> ScanBackward(std::uint64_t file_size, void* source, RangeReader read, TablePlayers& players,
                                std::uint64_t block_bytes = kTailBlockBytes) {
  std::uint64_t end = file_size;  // line feeds at or after `end` are done
  std::string after;              // the first bytes at and after `end`
  while (end > 0) {
    const std::uint64_t start = end > block_bytes ? end - block_bytes : 0;
    auto block = read(source, start, static_cast<std::size_t>(end - start));
    if (!block) return std::nullopt;
    const std::size_t scanned = block->size();
    *block += after;
    const std::string_view data = *block;
    const bool reaches_end = start + data.size() >= file_size;
    std::size_t limit = scanned;
    for (;;) {
      const std::size_t lf = FindLastByte(data, '\n', 0, limit);
      if (lf == std::string_view::npos) break;
      Piece piece;
      if (PieceAt(data, lf + 1, reaches_end, piece) == PieceStatus::kFound) {
        switch (Classify(piece.text)) {
          case LineKind::kGameStart: players = ReadSeats(piece); return 1;
          case LineKind::kGameEnd: return 0;
          case LineKind::kOther: break;
        }
      }
      limit = lf;
    }
    after = std::string(data.substr(0, std::min(data.size(), kPieceLookahead)));
    end = start;
  }
  return 0;
}

std::optional<std::string> ReadFromBytes(void* source, std::uint64_t offset, std::size_t size) {
  return std::string(static_cast<std::string_view*>(source)->substr(static_cast<std::size_t>(offset), size));
}

bool SeekTo(std::FILE* file, std::uint64_t offset) {
#if defined(_WIN32)
  return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

std::optional<std::uint64_t> FileSize(std::FILE* file) {
#if defined(_WIN32)
  if (_fseeki64(file, 0, SEEK_END) != 0) return std::nullopt;
  const long long size = _ftelli64(file);
#else
  if (fseeko(file, 0, SEEK_END) != 0) return std::nullopt;
  const long long size = ftello(file);
#endif
  if (size < 0) return std::nullopt;
  return static_cast<std::uint64_t>(size);
}

std::optional<std::string> ReadFromFile(void* source, std::uint64_t offset, std::size_t size) {
  auto* file = static_cast<std::FILE*>(source);
  if (!SeekTo(file, offset)) return std::nullopt;
  std::string bytes(size, '\0');
  if (std::fread(bytes.data(), 1, size, file) != size) return std::nullopt;
  return bytes;
}

}  // namespace

int ReadTablePlayersFromBytes(std::string_view file_bytes, TablePlayers& players, std::size_t block_bytes) {
  return ScanBackward(file_bytes.size(), &file_bytes, ReadFromBytes, players, std::max<std::size_t>(block_bytes, 1))
      .value_or(0);
}

int ReadTablePlayers(const std::string& path, TablePlayers& players) {
  std::FILE* file = OpenScoreFile(path);
  if (!file) return 0;
  std::optional<int> found;
  if (const auto size = FileSize(file)) found = ScanBackward(*size, file, ReadFromFile, players);
  std::fclose(file);
  return found.value_or(0);
}

std::vector<std::string> OpponentHandles(const TablePlayers& players, const UserNames& user_names) {
  std::vector<std::string> handles;
  for (const std::string& handle : players) {
    if (!handle.empty() && !IsOwnHandle(user_names, handle)) handles.push_back(handle);
  }
  return handles;
}

}  // namespace tamiru::stats

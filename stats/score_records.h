#pragma once
// The one reader of the score file's game records. It walks the file once,
// whatever the question, and hands every record in which one of the user's
// handles sits, read in full, to a sink: the one-line report keeps the
// records of one kind and one target, the match history keeps them all. So
// both answer from the same records by construction.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tamiru::stats {

struct Piece;  // a line piece as the reader tests it (line_piece.h)

// The user's own handles (UserName1 to UserName3); an empty one matches nothing.
using UserNames = std::array<std::string, 3>;

// Kinds of table of the setting TableType.
namespace table_type {
inline constexpr int kEastOnly = 0;     // "東風戦"
inline constexpr int kEastSouth = 1;    // "東南戦"
inline constexpr int kThreePlayer = 2;  // "三人打ち"
inline constexpr int kCount = 3;
}  // namespace table_type

// The header's name of a kind; empty for a value that names none.
std::string_view KindName(int table_type);

// Result entries of a record of the kind: three for "三人打ち", else four.
int EntriesOfKind(int table_type);

inline constexpr std::size_t kFieldBytes = 20;
inline constexpr std::size_t kMaxEntries = 4;

// A run of a result field that a result pattern " handle " can find: a
// maximal run of bytes other than spaces with a space on each side.
struct SpacedRun {
  std::uint8_t begin = 0;
  std::uint8_t size = 0;
};
inline constexpr std::size_t kMaxSpacedRuns = kFieldBytes / 2;

struct ScoreEntry {
  std::string_view field;  // the 20-byte field as its buffer's string sees it
  long long rank = 0;
  long long score = 0;
  bool user = false;  // the field holds one of the user's result patterns
  std::uint8_t run_count = 0;
  std::array<SpacedRun, kMaxSpacedRuns> runs;

  std::string_view Run(std::size_t i) const { return field.substr(runs[i].begin, runs[i].size); }
};

// A record as it counts for the kinds in `kinds`, with the entries of those
// kinds: a header that names "三人打ち" and a four-player kind is handed on
// twice, at its third entry for the one and at its fourth for the other.
struct ScoreRecord {
  unsigned kinds = 0;      // bit k: the record counts for kind k
  std::string_view players;  // the players line's piece
  int entry_count = 0;
  std::array<ScoreEntry, kMaxEntries> entries;

  bool IsOfKind(int table_type) const { return table_type >= 0 && table_type < table_type::kCount && (kinds >> table_type & 1U); }
};

// Where a target handle stands: "]" + handle + " " in the players line and
// " " + handle + " " in a result field. An empty handle matches nothing.
class HandlePatterns {
 public:
  HandlePatterns() = default;
  explicit HandlePatterns(std::string_view handle) { Set(handle); }
  void Set(std::string_view handle);
  bool Empty() const { return result_.empty(); }
  bool InPlayers(std::string_view players) const;
  bool InField(const ScoreEntry& entry) const;

 private:
  std::string players_;
  std::string result_;
  bool spaced_ = false;  // the handle holds a space: its runs cannot tell
};

// Wins, losses, draws and both players' sums over the counted games.
struct ScoreTally {
  long long wins = 0;
  long long losses = 0;
  long long draws = 0;
  long long user_score_sum = 0;
  long long user_rank_sum = 0;
  long long target_score_sum = 0;
  long long target_rank_sum = 0;

  long long Games() const { return wins + losses + draws; }
  bool operator==(const ScoreTally&) const = default;
};

// The user's entry of a record: the one of its entries holding one of the
// user's handles with the lowest rank, the first listed among equal ranks.
// When two of the user's handles sat at one table the game counts once, with
// the better placed of them, so no average ever takes two seats for one game.
// -1: none.
int UserEntryIndex(const ScoreRecord& record);

// Adds one record to a target's tally: it counts when it is of the kind, the
// target stands in its players line, and both the user's and the target's
// entries are among its entries. The target's rank is that of its last
// matching entry, its sums take every matching entry. With `own_target` (the
// target is one of the user's handles) the target's entry is the user's too,
// so every counted game is a draw. Bit i of `maybe_target` clear: entry i is
// known not to hold the target (a caller that has read the fields' names
// skips searching them again).
void TallyRecord(const ScoreRecord& record, int table_type, const HandlePatterns& target, bool own_target,
                 ScoreTally& tally, unsigned maybe_target = ~0U);

// Reads a score file given in blocks of any size. A record is read when its
// header names one of the kinds and its players line holds one of the
// user's handles; it reaches the sink when all its entries are read in full.
// A record cut short (by the end of the file, a missing number, or a line
// holding both header marks where its players line, results header or an
// entry's line begins) reaches nothing, and such a line is read as a header.
class ScoreRecordReader {
 public:
  using Sink = std::function<void(const ScoreRecord&)>;
  ScoreRecordReader(const UserNames& user_names, Sink sink);

  // Reads what it can of `data` and returns the number of bytes used. The
  // caller gives the rest again (a few hundred bytes at most) in front of the
  // next block. With `at_end` the data runs to the end of the file and is
  // used whole.
  std::size_t Consume(std::string_view data, bool at_end);

 private:
  enum class State { kSeekHeader, kPlayers, kSeekResults, kField, kScoreSpace, kScoreSign, kScoreDigits, kDone };
  enum class Next { kPiece, kWait, kEnd };

  Next PieceHolding(std::string_view data, bool at_end, std::size_t& pos, std::size_t candidate, Piece& piece);
  bool SeekHeader(std::string_view data, bool at_end, std::size_t& pos);
  bool TestPlayers(std::string_view data, bool at_end, std::size_t& pos);
  bool SeekResults(std::string_view data, bool at_end, std::size_t& pos);
  bool ReadField(std::string_view data, bool at_end, std::size_t& pos);
  bool ReadScore(std::string_view data, bool at_end, std::size_t& pos);
  Next HeaderAtLineStart(std::string_view data, bool at_end, std::size_t pos);
  bool IsUserField(const ScoreEntry& entry) const;
  void FinishEntry(long long score);
  void Emit(unsigned kinds);

  std::array<HandlePatterns, 3> users_;  // an empty handle never matches
  Sink sink_;

  State state_ = State::kSeekHeader;
  // The record being read.
  unsigned kinds_ = 0;
  int entries_needed_ = 0;
  std::string players_;
  std::array<std::array<char, kFieldBytes>, kMaxEntries> fields_{};
  ScoreRecord record_;
  std::size_t field_size_ = 0;
  bool line_start_ = false;  // the next byte of the results begins a line
  bool rank_read_ = false;
  bool negative_ = false;
  int digits_ = 0;
  long long value_ = 0;
};

// The header of the file's last game of any kind, as the reader tests
// headers (a "チャット中心" header is none); empty when the file has none.
std::string NewestGameHeader(std::string_view file_bytes);

// Opens the score file for reading only, sharing it with readers and writers
// (the client may be writing it); null when it cannot be opened.
std::FILE* OpenScoreFile(const std::string& path);

// Feeds the file at `path` to `reader` in large blocks. False when it cannot
// be opened or a read fails.
bool ReadScoreFile(const std::string& path, ScoreRecordReader& reader);

}  // namespace tamiru::stats

#include "stats/score_records.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>


#if defined(_WIN32)
#include <share.h>
#endif

#include "stats/line_piece.h"
#include "stats/score_lines.h"
#include "text/sjis.h"

namespace tamiru::stats {

namespace {

constexpr std::size_t kReadBlockBytes = std::size_t{1} << 20;
constexpr long long kIntMax = 2147483647LL;
constexpr long long kIntMin = -2147483648LL;
constexpr unsigned kFourPlayerKinds = (1U << table_type::kEastOnly) | (1U << table_type::kEastSouth);
constexpr unsigned kThreePlayerKind = 1U << table_type::kThreePlayer;

// White space as the C library's isspace sees it in the "C" locale.
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number that overflows the C library's int is held at its limits.
long long ClampToInt(long long value) { return value > kIntMax ? kIntMax : value < kIntMin ? kIntMin : value; }

void AddDigit(long long& value, char digit) {
  if (value <= kIntMax) value = value * 10 + (digit - '0');
}

// The leading number of a text as atol reads it; nullopt when no digit follows
// the white space and sign.
std::optional<long long> LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || !IsDigit(text[i])) return std::nullopt;
  long long value = 0;
  while (i < text.size() && IsDigit(text[i])) AddDigit(value, text[i++]);
  return ClampToInt(negative ? -value : value);
}

// The kinds a header names, 0 when the piece is no header of a game.
unsigned HeaderKinds(std::string_view piece) {
  if (!IsHeaderLine(piece) || HoldsSjis(piece, kChatCentre)) return 0;
  unsigned kinds = 0;
  for (int kind = 0; kind < table_type::kCount; ++kind) {
    if (HoldsSjis(piece, KindName(kind))) kinds |= 1U << kind;
  }
  return kinds;
}

std::size_t FindByte(std::string_view data, char byte, std::size_t from, std::size_t to) {
  if (from >= to) return std::string_view::npos;
  const void* hit = std::memchr(data.data() + from, byte, to - from);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data.data()) : std::string_view::npos;
}

// The first results header at or after `from`: its first hyphen is looked
// for with memchr, since the lines before it are full of the spaces it
// begins with.
std::size_t FindResultsHeader(std::string_view data, std::size_t from) {
  constexpr std::size_t kHyphenAt = 2;  // "  ----"
  std::size_t at = from + kHyphenAt;
  while (at < data.size()) {
    const void* hit = std::memchr(data.data() + at, '-', data.size() - at);
    if (hit == nullptr) break;
    const std::size_t start = static_cast<std::size_t>(static_cast<const char*>(hit) - data.data()) - kHyphenAt;
    if (data.size() - start >= kResultsHeader.size() &&
        std::memcmp(data.data() + start, kResultsHeader.data(), kResultsHeader.size()) == 0) {
      return start;
    }
    at = start + kHyphenAt + 1;
  }
  return std::string_view::npos;
}

// Texts of a few bytes compared without a call.
bool SameShortText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// The field's runs between spaces, in order.
void FindSpacedRuns(ScoreEntry& entry) {
  const std::string_view field = entry.field;
  entry.run_count = 0;
  std::size_t i = 0;
  while (i < field.size() && field[i] != ' ') ++i;
  while (i < field.size()) {
    const std::size_t start = i + 1;
    std::size_t end = start;
    while (end < field.size() && field[end] != ' ') ++end;
    if (end < field.size() && end > start) {
      entry.runs[entry.run_count++] = {static_cast<std::uint8_t>(start), static_cast<std::uint8_t>(end - start)};
    }
    i = end;
  }
}

}  // namespace

std::string_view KindName(int table_type) {
  switch (table_type) {
    case table_type::kEastOnly: return "東風戦";
    case table_type::kEastSouth: return "東南戦";
    case table_type::kThreePlayer: return "三人打ち";
    default: return {};
  }
}

int EntriesOfKind(int table_type) { return table_type == table_type::kThreePlayer ? 3 : 4; }

void HandlePatterns::Set(std::string_view handle) {
  players_.clear();
  result_.clear();
  spaced_ = handle.find(' ') != std::string_view::npos;
  if (handle.empty()) return;
  players_.append("]").append(handle).append(" ");
  result_.append(" ").append(handle).append(" ");
}

bool HandlePatterns::InPlayers(std::string_view players) const {
  return !players_.empty() && HoldsSjis(players, players_);
}

// A handle without spaces stands between spaces exactly where it is one of
// the field's runs; the match begins on a character when the byte before its
// space cannot lead a double-byte character, else the whole search decides.
bool HandlePatterns::InField(const ScoreEntry& entry) const {
  if (result_.empty()) return false;
  if (spaced_) return HoldsSjis(entry.field, result_);
  const std::string_view handle(result_.data() + 1, result_.size() - 2);
  for (std::size_t i = 0; i < entry.run_count; ++i) {
    if (!SameShortText(entry.Run(i), handle)) continue;
    const std::size_t space = entry.runs[i].begin - 1U;
    if (space == 0 || !text::IsLeadByte(static_cast<unsigned char>(entry.field[space - 1]))) return true;
    return text::ContainsSjis(entry.field, result_);
  }
  return false;
}

int UserEntryIndex(const ScoreRecord& record) {
  int best = -1;
  for (int i = 0; i < record.entry_count; ++i) {
    const ScoreEntry& entry = record.entries[static_cast<std::size_t>(i)];
    if (entry.user && (best < 0 || entry.rank < record.entries[static_cast<std::size_t>(best)].rank)) best = i;
  }
  return best;
}

void TallyRecord(const ScoreRecord& record, int table_type, const HandlePatterns& target, bool own_target,
                 ScoreTally& tally, unsigned maybe_target) {
  if (!record.IsOfKind(table_type) || !target.InPlayers(record.players)) return;
  const int user = own_target ? 0 : UserEntryIndex(record);
  if (user < 0) return;
  const int count = record.entry_count;
  bool seen = false;
  long long rank = 0;
  long long score_sum = 0;
  long long rank_sum = 0;
  for (int i = 0; i < count; ++i) {
    const ScoreEntry& entry = record.entries[static_cast<std::size_t>(i)];
    if ((maybe_target >> i & 1U) == 0 || !target.InField(entry)) continue;
    seen = true;
    rank = entry.rank;
    score_sum += entry.score;
    rank_sum += entry.rank;
  }
  if (!seen) return;
  tally.target_score_sum += score_sum;
  tally.target_rank_sum += rank_sum;
  if (own_target) {
    ++tally.draws;
    tally.user_score_sum += score_sum;
    tally.user_rank_sum += rank_sum;
    return;
  }
  const ScoreEntry& mine = record.entries[static_cast<std::size_t>(user)];
  if (mine.rank < rank) {
    ++tally.wins;
  } else if (mine.rank > rank) {
    ++tally.losses;
  } else {
    ++tally.draws;
  }
  tally.user_score_sum += mine.score;
  tally.user_rank_sum += mine.rank;
}

ScoreRecordReader::ScoreRecordReader(const UserNames& user_names, Sink sink) : sink_(std::move(sink)) {
  // Patterns are built from the whole handle, whatever its length; an empty
  // handle gets no pattern and so matches nothing.
  for (std::size_t k = 0; k < user_names.size(); ++k) users_[k].Set(user_names[k]);
  players_.reserve(kPieceBytes);
}

std::size_t ScoreRecordReader::Consume(std::string_view data, bool at_end) {
  std::size_t pos = 0;
  for (;;) {
    bool progressed = false;
    switch (state_) {
      case State::kDone: return data.size();
      case State::kSeekHeader: progressed = SeekHeader(data, at_end, pos); break;
      case State::kPlayers: progressed = TestPlayers(data, at_end, pos); break;
      case State::kSeekResults: progressed = SeekResults(data, at_end, pos); break;
      case State::kField: progressed = ReadField(data, at_end, pos); break;
      case State::kScoreSpace:
      case State::kScoreSign:
      case State::kScoreDigits: progressed = ReadScore(data, at_end, pos); break;
    }
    if (!progressed) return pos;
  }
}

// The piece that holds byte `candidate` of the data (npos: none holds what
// is sought). kWait with `pos` where reading goes on once more data has come;
// kEnd at the end of the file.
ScoreRecordReader::Next ScoreRecordReader::PieceHolding(std::string_view data, bool at_end, std::size_t& pos,
                                                        std::size_t candidate, Piece& piece) {
  if (candidate == std::string_view::npos) {
    if (at_end) {
      pos = data.size();
      state_ = State::kDone;
      return Next::kEnd;
    }
    pos = LastSettledPieceStart(data, pos);
    return Next::kWait;
  }
  const std::size_t start = PieceStartOf(data, pos, candidate);
  if (PieceAt(data, start, at_end, piece) != PieceStatus::kFound) {
    pos = start;
    return Next::kWait;
  }
  return Next::kPiece;
}

// Every header holds '=', so the pieces before the next '=' need no test.
bool ScoreRecordReader::SeekHeader(std::string_view data, bool at_end, std::size_t& pos) {
  if (users_[0].Empty() && users_[1].Empty() && users_[2].Empty()) {
    pos = data.size();  // no record can hold the user
    if (at_end) state_ = State::kDone;
    return at_end;
  }
  for (;;) {
    Piece piece;
    switch (PieceHolding(data, at_end, pos, FindByte(data, '=', pos, data.size()), piece)) {
      case Next::kEnd: return true;
      case Next::kWait: return false;
      case Next::kPiece: break;
    }
    pos = piece.end;
    kinds_ = HeaderKinds(piece.text);
    if (kinds_ != 0) {
      entries_needed_ = (kinds_ & kFourPlayerKinds) != 0 ? 4 : 3;
      record_.entry_count = 0;
      field_size_ = 0;
      state_ = State::kPlayers;
      return true;
    }
  }
}

bool ScoreRecordReader::TestPlayers(std::string_view data, bool at_end, std::size_t& pos) {
  Piece piece;
  switch (PieceAt(data, pos, at_end, piece)) {
    case PieceStatus::kNeedMore: return false;
    case PieceStatus::kEndOfData: state_ = State::kDone; return true;
    case PieceStatus::kFound: break;
  }
  // A header where the players line belongs starts the next record: the
  // record before it was cut short, and this one must not be lost with it.
  if (IsHeaderLine(piece.text)) {
    state_ = State::kSeekHeader;
    return true;
  }
  if (users_[0].InPlayers(piece.text) || users_[1].InPlayers(piece.text) || users_[2].InPlayers(piece.text)) {
    players_.assign(piece.text);
    state_ = State::kSeekResults;  // the players line itself is tested first
    return true;
  }
  pos = piece.end;
  state_ = State::kSeekHeader;
  return true;
}

// The results header, or a header (whose record the results would belong to),
// holds "  ---- 試合結果 ----" or '='; pieces holding neither need no test.
bool ScoreRecordReader::SeekResults(std::string_view data, bool at_end, std::size_t& pos) {
  for (;;) {
    const std::size_t results = FindResultsHeader(data, pos);
    const std::size_t mark = FindByte(data, '=', pos, results == std::string_view::npos ? data.size() : results);
    Piece piece;
    switch (PieceHolding(data, at_end, pos, mark != std::string_view::npos ? mark : results, piece)) {
      case Next::kEnd: return true;
      case Next::kWait: return false;
      case Next::kPiece: break;
    }
    if (IsHeaderLine(piece.text)) {
      pos = piece.begin;
      state_ = State::kSeekHeader;
      return true;
    }
    if (HoldsPlain(piece.text, kResultsHeader)) {
      pos = piece.end;
      line_start_ = data[pos - 1] == '\n';
      state_ = State::kField;
      return true;
    }
    pos = piece.end;
  }
}

bool ScoreRecordReader::IsUserField(const ScoreEntry& entry) const {
  return users_[0].InField(entry) || users_[1].InField(entry) || users_[2].InField(entry);
}

// Whether the line that begins at `pos` is a header: where it is, the record
// was cut short and the line is read as a header (kEnd), since a game the
// client stopped writing must not hide the next one. Asked only where the
// results' read is at the start of a line.
ScoreRecordReader::Next ScoreRecordReader::HeaderAtLineStart(std::string_view data, bool at_end, std::size_t pos) {
  if (!line_start_) return Next::kPiece;
  // A header's marks lie in its first piece: a line whose first piece holds
  // no '=' is none, which settles most lines without reading them as pieces.
  const std::size_t limit = std::min(data.size(), pos + kPieceBytes);
  const std::size_t line_end = FindByte(data, '\n', pos, limit);
  if (line_end == std::string_view::npos && limit == data.size() && !at_end) return Next::kWait;
  if (FindByte(data, '=', pos, line_end == std::string_view::npos ? limit : line_end) == std::string_view::npos) {
    line_start_ = false;
    return Next::kPiece;
  }
  Piece piece;
  switch (PieceAt(data, pos, at_end, piece)) {
    case PieceStatus::kNeedMore: return Next::kWait;
    case PieceStatus::kEndOfData: return Next::kPiece;
    case PieceStatus::kFound: break;
  }
  if (IsHeaderLine(piece.text)) {
    state_ = State::kSeekHeader;
    return Next::kEnd;
  }
  line_start_ = false;
  return Next::kPiece;
}

// 20 bytes as a text-mode read returns them: CR LF counts as one byte.
bool ScoreRecordReader::ReadField(std::string_view data, bool at_end, std::size_t& pos) {
  char* field = fields_[static_cast<std::size_t>(record_.entry_count)].data();
  // Counted in a local: the stores through `field` would otherwise make the
  // member be written back on every byte.
  std::size_t size = field_size_;
  const auto wait = [&](bool done) {
    field_size_ = size;
    return done;
  };
  while (size < kFieldBytes) {
    if (pos >= data.size()) {
      if (!at_end) return wait(false);
      state_ = State::kDone;  // the file ends inside the record
      return wait(true);
    }
    switch (HeaderAtLineStart(data, at_end, pos)) {
      case Next::kWait: return wait(false);
      case Next::kEnd: return wait(true);
      case Next::kPiece: break;
    }
    // The bytes before the next CR or LF come as they are.
    const std::size_t run_end = std::min(data.size(), pos + (kFieldBytes - size));
    std::size_t run = pos;
    while (run < run_end && data[run] != '\r' && data[run] != '\n') ++run;
    std::memcpy(field + size, data.data() + pos, run - pos);
    size += run - pos;
    pos = run;
    if (run == run_end) continue;
    char c = data[pos];
    if (c == '\r') {
      if (pos + 1 < data.size()) {
        if (data[pos + 1] == '\n') {
          c = '\n';
          ++pos;
        }
      } else if (!at_end) {
        return wait(false);
      }
    }
    ++pos;
    field[size++] = c;
    line_start_ = c == '\n';
  }
  field_size_ = size;
  // The field is searched as the string it makes in its buffer.
  ScoreEntry& entry = record_.entries[static_cast<std::size_t>(record_.entry_count)];
  entry.field = text::AsBuffered({field, kFieldBytes}, kFieldBytes + 1);
  const auto rank = LeadingNumber(entry.field);
  rank_read_ = rank.has_value();
  entry.rank = rank.value_or(0);
  FindSpacedRuns(entry);
  entry.user = IsUserField(entry);
  state_ = State::kScoreSpace;
  negative_ = false;
  digits_ = 0;
  value_ = 0;
  return true;
}

// The score as "%d" reads it: white space (line breaks included), an
// optional sign, decimal digits.
bool ScoreRecordReader::ReadScore(std::string_view data, bool at_end, std::size_t& pos) {
  while (state_ == State::kScoreSpace) {
    if (pos >= data.size()) {
      if (!at_end) return false;
      state_ = State::kDone;
      return true;
    }
    switch (HeaderAtLineStart(data, at_end, pos)) {
      case Next::kWait: return false;
      case Next::kEnd: return true;
      case Next::kPiece: break;
    }
    if (!IsCSpace(data[pos])) {
      state_ = State::kScoreSign;
      break;
    }
    line_start_ = data[pos++] == '\n';
  }
  if (state_ == State::kScoreSign) {
    if (pos < data.size() && (data[pos] == '+' || data[pos] == '-')) negative_ = data[pos++] == '-';
    state_ = State::kScoreDigits;
  }
  while (pos < data.size() && IsDigit(data[pos])) {
    AddDigit(value_, data[pos++]);
    ++digits_;
  }
  if (pos >= data.size() && !at_end) return false;
  if (digits_ == 0) {
    // No number where the score belongs: the record is not readable.
    state_ = pos >= data.size() ? State::kDone : State::kSeekHeader;
    return true;
  }
  FinishEntry(ClampToInt(negative_ ? -value_ : value_));
  return true;
}

void ScoreRecordReader::FinishEntry(long long score) {
  state_ = State::kSeekHeader;
  if (!rank_read_) return;  // a field without a rank spoils its record
  record_.entries[static_cast<std::size_t>(record_.entry_count)].score = score;
  field_size_ = 0;
  line_start_ = false;
  const int count = ++record_.entry_count;
  if (count == EntriesOfKind(table_type::kThreePlayer) && (kinds_ & kThreePlayerKind) != 0) Emit(kThreePlayerKind);
  if (count < entries_needed_) {
    state_ = State::kField;
    return;
  }
  if ((kinds_ & kFourPlayerKinds) != 0) Emit(kinds_ & kFourPlayerKinds);
}

void ScoreRecordReader::Emit(unsigned kinds) {
  record_.kinds = kinds;
  record_.players = players_;
  sink_(record_);
}

std::FILE* OpenScoreFile(const std::string& path) {
#if defined(_WIN32)
  return _fsopen(path.c_str(), "rb", _SH_DENYNO);
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

bool ReadScoreFile(const std::string& path, ScoreRecordReader& reader) {
  std::FILE* file = OpenScoreFile(path);
  if (!file) return false;
  std::vector<char> buffer;
  std::size_t kept = 0;
  bool failed = false;
  for (;;) {
    buffer.resize(kept + kReadBlockBytes);
    const std::size_t got = std::fread(buffer.data() + kept, 1, kReadBlockBytes, file);
    const bool at_end = got < kReadBlockBytes;
    if (at_end && std::ferror(file)) {
      failed = true;
      break;
    }
    const std::string_view data(buffer.data(), kept + got);
    const std::size_t used = reader.Consume(data, at_end);
    if (at_end) break;
    kept = data.size() - used;
    std::memmove(buffer.data(), buffer.data() + used, kept);
  }
  std::fclose(file);
  return !failed;
}

std::string NewestGameHeader(std::string_view file_bytes) {
  std::string_view newest;
  Piece piece;
  for (std::size_t pos = 0; PieceAt(file_bytes, pos, true, piece) == PieceStatus::kFound && piece.end > pos;
       pos = piece.end) {
    if (HeaderKinds(piece.text) != 0) newest = piece.text;
  }
  return std::string(newest);
}

}  // namespace tamiru::stats

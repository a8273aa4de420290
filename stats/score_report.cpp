#include "stats/score_report.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "stats/line_piece.h"
#include "text/number.h"
#include "text/sjis.h"

namespace tamiru::stats {

namespace {

constexpr std::string_view kHeaderOpen = "===== ";
constexpr std::string_view kHeaderClose = " =====";
constexpr std::string_view kChatCentre = "チャット中心";
constexpr std::string_view kResultsHeader = "  ---- 試合結果 ----";
constexpr std::string_view kNoRecord = "試合の記録がありません";
constexpr std::size_t kFieldBytes = 20;
constexpr std::size_t kReadBlockBytes = std::size_t{1} << 20;
constexpr long long kIntMax = 2147483647LL;
constexpr long long kIntMin = -2147483648LL;

std::string_view KindName(int table_type) {
  switch (table_type) {
    case table_type::kEastOnly: return "東風戦";
    case table_type::kEastSouth: return "東南戦";
    case table_type::kThreePlayer: return "三人打ち";
    default: return {};
  }
}

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

bool HoldsBothHeaderMarks(std::string_view piece) {
  if (!HoldsPlain(piece, kHeaderOpen)) return false;
  // A header ends with its closing mark: look there before searching it all.
  return piece.ends_with(kHeaderClose) || HoldsPlain(piece, kHeaderClose);
}

std::size_t FindByte(std::string_view data, char byte, std::size_t from, std::size_t to) {
  if (from >= to) return std::string_view::npos;
  const void* hit = std::memchr(data.data() + from, byte, to - from);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data.data()) : std::string_view::npos;
}

std::size_t FindText(std::string_view data, std::string_view needle, std::size_t from) {
#if defined(__GLIBC__)
  if (from >= data.size()) return std::string_view::npos;
  const void* hit = ::memmem(data.data() + from, data.size() - from, needle.data(), needle.size());
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data.data()) : std::string_view::npos;
#else
  return data.find(needle, from);
#endif
}

bool HoldsAny(std::string_view text, const std::array<std::string, 3>& patterns) {
  for (const std::string& pattern : patterns) {
    if (!pattern.empty() && HoldsSjis(text, pattern)) return true;
  }
  return false;
}

}  // namespace

ScoreFileParser::ScoreFileParser(const ScoreQuery& query) : kind_(KindName(query.table_type)) {
  entries_per_record_ = query.table_type == table_type::kThreePlayer ? 3 : 4;
  // Patterns are built from the whole handle, whatever its length; an empty
  // handle gets no pattern and so matches nothing.
  for (std::size_t k = 0; k < query.user_names.size(); ++k) {
    const std::string& name = query.user_names[k];
    if (name.empty()) continue;
    user_players_patterns_[k] = "]" + name + " ";
    user_result_patterns_[k] = " " + name + " ";
  }
  if (!query.target.empty()) {
    target_players_pattern_ = "]" + query.target + " ";
    target_result_pattern_ = " " + query.target + " ";
  }
}

bool ScoreFileParser::IsHeader(std::string_view piece) const {
  return HoldsPlain(piece, kHeaderOpen) && HoldsSjis(piece, kind_) && HoldsBothHeaderMarks(piece) &&
         !HoldsSjis(piece, kChatCentre);
}

std::size_t ScoreFileParser::Consume(std::string_view data, bool at_end) {
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

// Every header holds '=', so the pieces before the next '=' need no test.
bool ScoreFileParser::SeekHeader(std::string_view data, bool at_end, std::size_t& pos) {
  if (kind_.empty()) {
    pos = data.size();
    if (at_end) state_ = State::kDone;
    return at_end;
  }
  for (;;) {
    const std::size_t mark = FindByte(data, '=', pos, data.size());
    if (mark == std::string_view::npos) {
      if (at_end) {
        pos = data.size();
        state_ = State::kDone;
        return true;
      }
      pos = LastSettledPieceStart(data, pos);
      return false;
    }
    const std::size_t start = PieceStartOf(data, pos, mark);
    Piece piece;
    if (PieceAt(data, start, at_end, piece) != PieceStatus::kFound) {
      pos = start;
      return false;
    }
    pos = piece.end;
    if (IsHeader(piece.text)) {
      StartRecord();
      state_ = State::kPlayers;
      return true;
    }
  }
}

void ScoreFileParser::StartRecord() {
  entry_index_ = 0;
  field_size_ = 0;
  user_seen_ = target_seen_ = false;
  user_rank_ = target_rank_ = 0;
  record_sums_ = {};
}

bool ScoreFileParser::TestPlayers(std::string_view data, bool at_end, std::size_t& pos) {
  Piece piece;
  switch (PieceAt(data, pos, at_end, piece)) {
    case PieceStatus::kNeedMore: return false;
    case PieceStatus::kEndOfData: state_ = State::kDone; return true;
    case PieceStatus::kFound: break;
  }
  // The target first: most games are played without it.
  if (!target_players_pattern_.empty() && HoldsSjis(piece.text, target_players_pattern_) &&
      HoldsAny(piece.text, user_players_patterns_)) {
    state_ = State::kSeekResults;  // the players line itself is tested first
    return true;
  }
  // A header where the players line belongs starts the next record: the
  // record before it was cut short, and this one must not be lost with it.
  if (!HoldsBothHeaderMarks(piece.text)) pos = piece.end;
  state_ = State::kSeekHeader;
  return true;
}

// The results header, or a header (whose record the results would belong to),
// holds "  ---- 試合結果 ----" or '='; pieces holding neither need no test.
bool ScoreFileParser::SeekResults(std::string_view data, bool at_end, std::size_t& pos) {
  for (;;) {
    const std::size_t results = FindText(data, kResultsHeader, pos);
    const std::size_t mark = FindByte(data, '=', pos, results == std::string_view::npos ? data.size() : results);
    const std::size_t candidate = mark != std::string_view::npos ? mark : results;
    if (candidate == std::string_view::npos) {
      if (at_end) {
        pos = data.size();
        state_ = State::kDone;
        return true;
      }
      pos = LastSettledPieceStart(data, pos);
      return false;
    }
    const std::size_t start = PieceStartOf(data, pos, candidate);
    Piece piece;
    if (PieceAt(data, start, at_end, piece) != PieceStatus::kFound) {
      pos = start;
      return false;
    }
    if (HoldsPlain(piece.text, kResultsHeader)) {
      pos = piece.end;
      state_ = State::kField;
      return true;
    }
    if (HoldsBothHeaderMarks(piece.text)) {
      pos = start;
      state_ = State::kSeekHeader;
      return true;
    }
    pos = piece.end;
  }
}

// 20 bytes as a text-mode read returns them: CR LF counts as one byte.
bool ScoreFileParser::ReadField(std::string_view data, bool at_end, std::size_t& pos) {
  if (field_size_ == 0 && data.size() - pos >= kFieldBytes &&
      std::memchr(data.data() + pos, '\r', kFieldBytes) == nullptr) {
    std::memcpy(field_, data.data() + pos, kFieldBytes);
    field_size_ = kFieldBytes;
    pos += kFieldBytes;
  }
  while (field_size_ < kFieldBytes) {
    if (pos >= data.size()) {
      if (!at_end) return false;
      state_ = State::kDone;  // the file ends inside the record
      return true;
    }
    char c = data[pos];
    if (c == '\r') {
      if (pos + 1 < data.size()) {
        if (data[pos + 1] == '\n') {
          c = '\n';
          ++pos;
        }
      } else if (!at_end) {
        return false;
      }
    }
    ++pos;
    field_[field_size_++] = c;
  }
  // The field is searched as the string it makes in its buffer.
  const std::string_view field = text::AsBuffered({field_, kFieldBytes}, kFieldBytes + 1);
  entry_ = {};
  if (const auto rank = LeadingNumber(field)) {
    entry_.rank_read = true;
    entry_.rank = *rank;
  }
  entry_.user = false;
  entry_.target = false;
  for (const std::string& pattern : user_result_patterns_) {
    if (pattern.empty() || !HoldsSjis(field, pattern)) continue;
    entry_.user = true;
    if (pattern == target_result_pattern_) entry_.target = true;
    break;
  }
  if (!entry_.target && !target_result_pattern_.empty() && target_result_pattern_ != user_result_patterns_[0]) {
    entry_.target = HoldsSjis(field, target_result_pattern_);
  }
  state_ = State::kScoreSpace;
  negative_ = false;
  digits_ = 0;
  value_ = 0;
  return true;
}

// The score as "%d" reads it: white space (line breaks included), an
// optional sign, decimal digits.
bool ScoreFileParser::ReadScore(std::string_view data, bool at_end, std::size_t& pos) {
  if (state_ == State::kScoreSpace) {
    while (pos < data.size() && IsCSpace(data[pos])) ++pos;
    if (pos >= data.size()) {
      if (!at_end) return false;
      state_ = State::kDone;
      return true;
    }
    state_ = State::kScoreSign;
  }
  if (state_ == State::kScoreSign) {
    if (pos >= data.size()) {
      if (!at_end) return false;
      state_ = State::kDone;
      return true;
    }
    if (data[pos] == '+' || data[pos] == '-') negative_ = data[pos++] == '-';
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

void ScoreFileParser::FinishEntry(long long score) {
  if (!entry_.rank_read) {
    state_ = State::kSeekHeader;
    return;
  }
  if (entry_.user) {
    user_seen_ = true;
    user_rank_ = entry_.rank;
    record_sums_.user_score_sum += score;
    record_sums_.user_rank_sum += entry_.rank;
  }
  if (entry_.target) {
    target_seen_ = true;
    target_rank_ = entry_.rank;
    record_sums_.target_score_sum += score;
    record_sums_.target_rank_sum += entry_.rank;
  }
  field_size_ = 0;
  if (++entry_index_ < entries_per_record_) {
    state_ = State::kField;
    return;
  }
  FinishRecord();
  state_ = State::kSeekHeader;
}

// Only a record holding both players' entries has a comparison of its own;
// ranks from an earlier record never stand in for missing ones.
void ScoreFileParser::FinishRecord() {
  if (!user_seen_ || !target_seen_) return;
  if (user_rank_ < target_rank_) {
    ++tally_.wins;
  } else if (user_rank_ > target_rank_) {
    ++tally_.losses;
  } else {
    ++tally_.draws;
  }
  tally_.user_score_sum += record_sums_.user_score_sum;
  tally_.user_rank_sum += record_sums_.user_rank_sum;
  tally_.target_score_sum += record_sums_.target_score_sum;
  tally_.target_rank_sum += record_sums_.target_rank_sum;
}

ScoreTally TallyScores(std::string_view file_bytes, const ScoreQuery& query) {
  ScoreFileParser parser(query);
  parser.Consume(file_bytes, true);
  return parser.tally();
}

std::string FormatThreeDigits(float value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3g", static_cast<double>(value));
  return buffer;
}

namespace {
std::string Average(long long sum, long long games) {
  return FormatThreeDigits(static_cast<float>(static_cast<double>(sum) / static_cast<double>(games)));
}
}  // namespace

std::string FormatScoreReport(const ScoreTally& tally, const ScoreQuery& query) {
  const long long games = tally.Games();
  if (games == 0) return std::string(kNoRecord);
  const std::string user_score = Average(tally.user_score_sum, games);
  const std::string user_rank = Average(tally.user_rank_sum, games);
  bool own = false;
  for (const std::string& name : query.user_names) own = own || name == query.target;
  if (own) {
    // Every counted game is a draw here; the count of games says the same
    // even if two of the user's handles sat at one table.
    return "試合数 " + text::DecimalText(games) + " 平均順位 " + user_rank + " 平均得点 " + user_score;
  }
  std::string report = text::DecimalText(tally.wins) + "勝" + text::DecimalText(tally.losses) + "敗";
  if (tally.draws > 0) report += text::DecimalText(tally.draws) + "分";
  report += " 平均順位" + user_rank + "：" + Average(tally.target_rank_sum, games);
  report += " 平均得点" + user_score + "：" + Average(tally.target_score_sum, games);
  return report;
}

std::string ScoreReportText(std::string_view file_bytes, const ScoreQuery& query) {
  return FormatScoreReport(TallyScores(file_bytes, query), query);
}

std::optional<ScoreTally> TallyScoreFile(const std::string& path, const ScoreQuery& query) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  ScoreFileParser parser(query);
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
    const std::size_t used = parser.Consume(data, at_end);
    if (at_end) break;
    kept = data.size() - used;
    std::memmove(buffer.data(), buffer.data() + used, kept);
  }
  std::fclose(file);
  if (failed) return std::nullopt;
  return parser.tally();
}

std::optional<std::string> ScoreReportForFile(const std::string& path, const ScoreQuery& query) {
  const auto tally = TallyScoreFile(path, query);
  if (!tally) return std::nullopt;
  return FormatScoreReport(*tally, query);
}

void ReportScoresFor(const std::string& path, const ScoreQuery& query, platform::Edit& ComboBox1) {
  if (auto report = ScoreReportForFile(path, query)) ComboBox1.SetText(*report);
}

void ShowScoreReport(const UserNames& user_names, const platform::ItemList& ListBox2, platform::Edit& ComboBox1,
                     const std::string& path, int table_type) {
  if (user_names[0].empty() && user_names[1].empty() && user_names[2].empty()) return;
  const int count = ListBox2.Count();
  if (count == 0) return;
  const int selected = ListBox2.SelectedIndex();
  std::string target;
  if (selected >= 0 && selected < count) {
    target = ListBox2.Item(selected);
  } else {
    target = ListBox2.Item(0);
    if (target.empty()) return;
  }
  ReportScoresFor(path, ScoreQuery{user_names, target, table_type}, ComboBox1);
}

}  // namespace tamiru::stats

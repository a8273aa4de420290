#pragma once
// A second reader of the score file, written straight from the record rules
// and kept slow and plain, against which the shipped reader is held (unit
// tests, fuzz targets). It reads the file as the C runtime hands it over in
// text mode (CR LF is one line break): a line at a time through a 256-byte
// buffer, a result field as 20 bytes, a score as "%d" reads it.
//
// Where the rules leave a choice, it is made here, and the shipped reader
// makes the same:
// - result entries per record: 3 for "三人打ち", 4 for "東風戦" and "東南戦";
//   a header that names several kinds is read with the count of each kind
//   it names (its first three entries count for "三人打ち");
// - a record counts for a player only when that player's entry is among its
//   entries; no rank is carried over from an earlier record;
// - a field with no number at its start, a score with no digits, or the end
//   of the file inside the results: the record counts nothing, and reading
//   goes on at the next line from where the read stopped;
// - handles are searched whole, whatever their length; numbers beyond a
//   32-bit int are held at its limits.
//
// The mends of faults in the literal rules, each a flag so that a test can
// show what it changes:
// - header_restarts: a line with both header marks met where the players
//   line, the results header or a result entry (at the start of a line)
//   belongs cuts the record short and is read as a header, whatever else it
//   holds, so that a game the client stopped writing never hides the next;
// - one_seat: two of the user's handles at one table count once, with the
//   better placed (the lower rank, the first listed among equal ones); with
//   one of the user's handles as target, that handle's entry is the user's;
// - one_walk: one walk of the file answers every kind and target: every
//   record of any kind that holds one of the user's handles is read through
//   its results. The literal rules walk the file anew for each question and
//   read a record through only when it is of the asked kind and holds the
//   asked target; the two walks part only where results run into a header
//   mark in the middle of a line.
#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stats/score_records.h"

namespace tamiru::stats::reference {

struct Rules {
  bool header_restarts = true;
  bool one_seat = true;
  bool one_walk = true;
};

inline bool IsLead(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A search from character to character: no match starts on a trail byte.
inline bool HoldsSjis(std::string_view text, std::string_view needle) {
  if (text.find(needle) == std::string_view::npos) return false;
  for (std::size_t i = 0; i + needle.size() <= text.size(); i += IsLead(text[i]) && i + 1 < text.size() ? 2 : 1) {
    if (text.substr(i, needle.size()) == needle) return true;
  }
  return false;
}

inline bool HoldsPlain(std::string_view text, std::string_view needle) {
  return text.find(needle) != std::string_view::npos;
}

inline long long Clamp(long long v) { return v > 2147483647LL ? 2147483647LL : v < -2147483648LL ? -2147483648LL : v; }
inline bool IsSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// The file as a text-mode stream.
class Stream {
 public:
  explicit Stream(std::string_view bytes) : bytes_(bytes) {}
  bool AtEnd() const { return pos_ >= bytes_.size(); }
  bool AtLineStart() const { return pos_ == 0 || bytes_[pos_ - 1] == '\n'; }
  int Get() {
    if (AtEnd()) return -1;
    const char c = bytes_[pos_++];
    if (c == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n') {
      ++pos_;
      return '\n';
    }
    return static_cast<unsigned char>(c);
  }
  int Peek() {
    const std::size_t at = pos_;
    const int c = Get();
    pos_ = at;
    return c;
  }
  // fgets into a 256-byte buffer: what a search sees of it, the text up to
  // the first NUL without its line break. False when nothing is left.
  bool GetLine(std::string& line) {
    if (AtEnd()) return false;
    char buffer[256];
    std::size_t size = 0;
    while (size < 255 && !AtEnd()) {
      const int c = Get();
      buffer[size++] = static_cast<char>(c);
      if (c == '\n') break;
    }
    line.assign(buffer, size);
    line.resize(std::min(line.find('\0'), line.size()));
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return true;
  }
  // The line that starts here, read without moving.
  std::string PeekLine() {
    Stream copy = *this;
    std::string line;
    copy.GetLine(line);
    return line;
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

inline bool HasHeaderMarks(std::string_view line) {
  return HoldsPlain(line, "===== ") && HoldsPlain(line, " =====");
}

// The kinds a line names as a record's header; 0 for no header.
inline unsigned HeaderKinds(std::string_view line) {
  if (!HasHeaderMarks(line) || HoldsSjis(line, "チャット中心")) return 0;
  unsigned kinds = 0;
  const char* names[] = {"東風戦", "東南戦", "三人打ち"};
  for (unsigned k = 0; k < 3; ++k) {
    if (HoldsSjis(line, names[k])) kinds |= 1U << k;
  }
  return kinds;
}

struct Entry {
  std::string field;  // as a search sees it: up to the first NUL
  long long rank = 0;
  long long score = 0;
};

// A record as it counts for one kind.
struct Record {
  int kind = 0;
  std::string players;
  std::vector<Entry> entries;
};

struct Patterns {
  std::string players, result;  // empty: matches nothing
  explicit Patterns(std::string_view handle) {
    if (handle.empty()) return;
    players = "]" + std::string(handle) + " ";
    result = " " + std::string(handle) + " ";
  }
  bool InPlayers(std::string_view line) const { return !players.empty() && HoldsSjis(line, players); }
  bool InField(std::string_view field) const { return !result.empty() && HoldsSjis(field, result); }
};

class Walker {
 public:
  // `kind` and `target` ask one question (the literal walk); without them,
  // the one walk.
  Walker(std::string_view bytes, const UserNames& users, const Rules& rules, std::optional<int> kind,
         std::optional<std::string> target)
      : in_(bytes), rules_(rules), kind_(kind), target_(target.value_or("")) {
    for (const std::string& user : users) users_.emplace_back(user);
  }

  std::vector<Record> Records() {
    std::string line;
    bool have_line = false;  // a line read ahead that is to be tested as a header
    for (;;) {
      if (!have_line && !in_.GetLine(line)) break;
      have_line = false;
      unsigned kinds = HeaderKinds(line);
      if (kind_) kinds &= 1U << *kind_;
      if (kinds == 0) continue;
      std::string players;
      if (!in_.GetLine(players)) break;
      if (rules_.header_restarts && HasHeaderMarks(players)) {
        line = players;
        have_line = true;
        continue;
      }
      if (!HoldsUser(players) || (kind_ && !target_.InPlayers(players))) continue;
      // The results header: the players line itself, then the lines after it.
      std::string at = players;
      bool found = HoldsPlain(at, "  ---- 試合結果 ----");
      while (!found && !have_line && in_.GetLine(at)) {
        have_line = rules_.header_restarts && HasHeaderMarks(at);
        found = !have_line && HoldsPlain(at, "  ---- 試合結果 ----");
      }
      if (have_line) {
        line = at;
        continue;
      }
      if (!found) break;  // the end of the file
      ReadEntries(kinds, players);
    }
    return std::move(records_);
  }

 private:
  bool HoldsUser(std::string_view players) const {
    for (const Patterns& user : users_) {
      if (user.InPlayers(players)) return true;
    }
    return false;
  }

  // A header line begins where the read has come to the start of a line.
  bool AtHeaderLine() { return rules_.header_restarts && in_.AtLineStart() && HasHeaderMarks(in_.PeekLine()); }

  void ReadEntries(unsigned kinds, const std::string& players) {
    const bool four = (kinds & 3U) != 0;
    std::vector<Entry> entries;
    for (int n = 0; n < (four ? 4 : 3); ++n) {
      Entry entry;
      if (!ReadEntry(entry)) return;
      entries.push_back(entry);
      if (entries.size() == 3 && (kinds & 4U)) records_.push_back({2, players, entries});
    }
    for (int k = 0; k < 2; ++k) {
      if (kinds >> k & 1U) records_.push_back({k, players, entries});
    }
  }

  bool ReadEntry(Entry& entry) {
    std::string field;
    while (field.size() < 20) {
      if (AtHeaderLine() || in_.AtEnd()) return false;
      field += static_cast<char>(in_.Get());
    }
    entry.field = field.substr(0, field.find('\0'));
    const std::optional<long long> rank = LeadingNumber(entry.field);
    const std::optional<long long> score = ScanInt();
    if (!rank || !score) return false;
    entry.rank = *rank;
    entry.score = *score;
    return true;
  }

  // atol.
  static std::optional<long long> LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || !IsDigit(text[i])) return std::nullopt;
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) value = std::min(value * 10 + (text[i] - '0'), 1LL << 40);
    return Clamp(negative ? -value : value);
  }

  // fscanf "%d": white space, line breaks included, then a sign and digits.
  std::optional<long long> ScanInt() {
    for (;;) {
      if (AtHeaderLine()) return std::nullopt;
      if (!IsSpace(in_.Peek())) break;
      in_.Get();
    }
    bool negative = false;
    if (in_.Peek() == '+' || in_.Peek() == '-') negative = in_.Get() == '-';
    if (!IsDigit(in_.Peek())) return std::nullopt;
    long long value = 0;
    while (IsDigit(in_.Peek())) value = std::min(value * 10 + (in_.Get() - '0'), 1LL << 40);
    return Clamp(negative ? -value : value);
  }

  Stream in_;
  Rules rules_;
  std::optional<int> kind_;
  Patterns target_;
  std::vector<Patterns> users_;
  std::vector<Record> records_;
};

// The user's entry and the target's entries of one record, as they count.
struct Seats {
  long long user_rank = 0, user_score = 0, user_rank_sum = 0;
  long long target_rank = 0, target_score = 0, target_rank_sum = 0;
  bool user = false, target = false;
};

inline bool IsOwn(const UserNames& users, std::string_view target) {
  return !target.empty() && (target == users[0] || target == users[1] || target == users[2]);
}

// The patterns of one question.
struct Question {
  Patterns target;
  std::array<Patterns, 3> users;
  bool own;
  Question(const UserNames& user_names, std::string_view handle)
      : target(handle),
        users{Patterns(user_names[0]), Patterns(user_names[1]), Patterns(user_names[2])},
        own(IsOwn(user_names, handle)) {}
};

inline Seats SeatsOf(const Record& record, const Question& q, const Rules& rules) {
  Seats s;
  const Patterns& theirs = q.target;
  const auto& user_patterns = q.users;
  const bool own = q.own;
  const Entry* best = nullptr;
  for (const Entry& entry : record.entries) {
    bool mine = false;
    for (const Patterns& user : user_patterns) mine = mine || user.InField(entry.field);
    if (mine && rules.one_seat && !own) {
      if (best == nullptr || entry.rank < best->rank) best = &entry;
    } else if (mine && !rules.one_seat) {
      s.user = true;
      s.user_rank = entry.rank;
      s.user_score += entry.score;
      s.user_rank_sum += entry.rank;
    }
    if (theirs.InField(entry.field)) {
      s.target = true;
      s.target_rank = entry.rank;
      s.target_score += entry.score;
      s.target_rank_sum += entry.rank;
    }
  }
  if (best != nullptr) {
    s.user = true;
    s.user_rank = s.user_rank_sum = best->rank;
    s.user_score = best->score;
  }
  if (rules.one_seat && own) {
    s.user = s.target;
    s.user_rank = s.target_rank;
    s.user_score = s.target_score;
    s.user_rank_sum = s.target_rank_sum;
  }
  return s;
}

inline std::vector<Record> ReadRecords(std::string_view bytes, const UserNames& users, const Rules& rules,
                                       int kind = 0, const std::string& target = {}) {
  if (rules.one_walk) return Walker(bytes, users, rules, std::nullopt, std::nullopt).Records();
  return Walker(bytes, users, rules, kind, target).Records();
}

// The report's tallies of one target, a kind each.
inline std::array<ScoreTally, 3> TalliesOf(const std::vector<Record>& records, const UserNames& users,
                                           const std::string& target, const Rules& rules) {
  std::array<ScoreTally, 3> tallies{};
  const Question q(users, target);
  for (const Record& record : records) {
    if (!q.target.InPlayers(record.players)) continue;
    const Seats s = SeatsOf(record, q, rules);
    if (!s.user || !s.target) continue;
    ScoreTally& t = tallies[static_cast<std::size_t>(record.kind)];
    ++(s.user_rank < s.target_rank ? t.wins : s.user_rank > s.target_rank ? t.losses : t.draws);
    t.user_score_sum += s.user_score;
    t.user_rank_sum += s.user_rank_sum;
    t.target_score_sum += s.target_score;
    t.target_rank_sum += s.target_rank_sum;
  }
  return tallies;
}

inline ScoreTally TallyOf(const std::vector<Record>& records, const UserNames& users, int kind,
                          const std::string& target, const Rules& rules) {
  return TalliesOf(records, users, target, rules)[static_cast<std::size_t>(kind)];
}

// The report's tally of one question.
inline ScoreTally Tally(std::string_view bytes, const UserNames& users, int kind, const std::string& target,
                        const Rules& rules = {}) {
  if (kind < 0 || kind > 2) return {};
  return TallyOf(ReadRecords(bytes, users, rules, kind, target), users, kind, target, rules);
}

// The user's own games of a kind, in file order: (rank, score) of the user's entry.
inline std::vector<std::array<long long, 2>> OwnGames(const std::vector<Record>& records, const UserNames& users,
                                                      int kind) {
  std::vector<std::array<long long, 2>> games;
  const Question q(users, {});
  for (const Record& record : records) {
    if (record.kind != kind) continue;
    const Seats s = SeatsOf(record, q, Rules{});
    if (s.user) games.push_back({s.user_rank, s.user_score});
  }
  return games;
}

// Every name that a history row could be for: the runs between spaces of
// the result fields of the records read, but the user's handles.
inline std::vector<std::string> CandidateNames(const std::vector<Record>& records, const UserNames& users) {
  std::vector<std::string> names;
  for (const Record& record : records) {
    for (const Entry& entry : record.entries) {
      std::size_t start = 0;
      for (std::size_t i = 0; i <= entry.field.size(); ++i) {
        if (i < entry.field.size() && entry.field[i] != ' ') continue;
        const std::string name = entry.field.substr(start, i - start);
        if (!name.empty() && !IsOwn(users, name)) names.push_back(name);
        start = i + 1;
      }
    }
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

}  // namespace tamiru::stats::reference

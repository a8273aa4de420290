// Fuzzes the match history on arbitrary bytes: no overrun, the same history
// whatever the block size of the reads, and the history the reference reader
// gives: every opponent row, no row too many or too few, the user's games.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/block_feed.h"
#include "stats/score_history.h"
#include "tests/stats/score_reference.h"

namespace {

using tamiru::stats::KindHistory;
using tamiru::stats::ScoreHistory;
using tamiru::stats::ScoreHistoryBuilder;
using tamiru::stats::UserNames;

ScoreHistory HistoryInBlocks(std::string_view data, const UserNames& users, std::size_t block) {
  ScoreHistoryBuilder builder(users);
  FeedInBlocks(data, block, [&](std::string_view bytes, bool at_end) { return builder.reader().Consume(bytes, at_end); });
  return builder.Take();
}

bool SameKind(const KindHistory& a, const KindHistory& b) {
  if (a.games != b.games || a.rank_sum != b.rank_sum || a.score_sum != b.score_sum) return false;
  if (a.rank_counts != b.rank_counts || a.trend.size() != b.trend.size()) return false;
  if (a.opponents.size() != b.opponents.size()) return false;
  for (std::size_t i = 0; i < a.opponents.size(); ++i) {
    if (a.opponents[i].name != b.opponents[i].name || !(a.opponents[i].tally == b.opponents[i].tally)) return false;
  }
  return true;
}

// Every row is the reference reader's tally for its player, every name the
// reference counts a game against has a row, and the user's games are the
// reference's, in order.
void CheckAgainstReference(const UserNames& users, std::string_view bytes, const ScoreHistory& history) {
  namespace reference = tamiru::stats::reference;
  const std::vector<reference::Record> records = reference::ReadRecords(bytes, users, {});
  const std::vector<std::string> names = reference::CandidateNames(records, users);
  std::vector<std::array<tamiru::stats::ScoreTally, 3>> tallies;
  for (const std::string& name : names) tallies.push_back(reference::TalliesOf(records, users, name, {}));
  for (int kind = 0; kind < tamiru::stats::table_type::kCount; ++kind) {
    const KindHistory& k = history.kinds[static_cast<std::size_t>(kind)];
    std::size_t counted = 0;
    for (std::size_t n = 0; n < names.size(); ++n) {
      const auto& expected = tallies[n][static_cast<std::size_t>(kind)];
      if (expected.Games() == 0) continue;
      ++counted;
      const auto row = std::find_if(k.opponents.begin(), k.opponents.end(), [&](const auto& r) { return r.name == names[n]; });
      if (row == k.opponents.end() || !(row->tally == expected)) __builtin_trap();
    }
    if (counted != k.opponents.size()) __builtin_trap();
    const auto games = reference::OwnGames(records, users, kind);
    if (games.size() != k.trend.size() || static_cast<long long>(games.size()) != k.games) __builtin_trap();
    for (std::size_t i = 0; i < games.size(); ++i) {
      if (k.trend[i].rank != games[i][0] || k.trend[i].score != games[i][1]) __builtin_trap();
    }
    (void)tamiru::stats::HistorySummaryText(k, kind);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const unsigned which = data[0];
  // Blocks of 8 bytes or more still split every line and field somewhere.
  const std::size_t block = 8 + data[1];
  const std::size_t handle_size = std::min<std::size_t>(data[2] % 16, size - 3);
  const std::string handle(reinterpret_cast<const char*>(data) + 3, handle_size);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 3 + handle_size, size - 3 - handle_size);
  // Bits of the first byte choose which of three handles are set.
  const UserNames users{which & 1U ? "me" : "", which & 2U ? handle : "", which & 4U ? "foe" : ""};

  const ScoreHistory whole = tamiru::stats::HistoryFromBytes(bytes, users);
  const ScoreHistory blocks = HistoryInBlocks(bytes, users, block);
  for (std::size_t kind = 0; kind < whole.kinds.size(); ++kind) {
    if (!SameKind(whole.kinds[kind], blocks.kinds[kind])) __builtin_trap();
  }
  CheckAgainstReference(users, bytes, whole);
  return 0;
}

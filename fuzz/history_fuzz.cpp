// Fuzzes the match history on arbitrary bytes: no overrun, the same history
// whatever the block size of the reads, and every opponent row equal to the
// one-line report's tally for that player (with one handle set, the summary
// equal to the report's own averages).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/block_feed.h"
#include "stats/score_history.h"
#include "stats/score_report.h"

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

void CheckAgainstReport(std::string_view bytes, const UserNames& users, const ScoreHistory& history,
                        std::size_t pick) {
  const int handles = !users[0].empty() + !users[1].empty() + !users[2].empty();
  for (int kind = 0; kind < tamiru::stats::table_type::kCount; ++kind) {
    const KindHistory& k = history.kinds[static_cast<std::size_t>(kind)];
    for (const auto& row : k.opponents) {
      if (row.tally.Games() <= 0) __builtin_trap();
    }
    // One row a kind is held against the report, picked by the input: each
    // report reads the whole text again, and a check of every row made the
    // target too slow to run long.
    if (!k.opponents.empty()) {
      const auto& row = k.opponents[pick % k.opponents.size()];
      if (!(tamiru::stats::TallyScores(bytes, {users, row.name, kind}) == row.tally)) __builtin_trap();
    }
    if (static_cast<long long>(k.trend.size()) != k.games) __builtin_trap();
    if (handles != 1) continue;
    const std::string& own = !users[0].empty() ? users[0] : !users[1].empty() ? users[1] : users[2];
    const auto mine = tamiru::stats::TallyScores(bytes, {users, own, kind});
    if (mine.Games() != k.games || mine.user_rank_sum != k.rank_sum || mine.user_score_sum != k.score_sum) {
      __builtin_trap();
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
  CheckAgainstReport(bytes, users, whole, which >> 3);
  return 0;
}

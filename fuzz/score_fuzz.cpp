// Fuzzes the score-file statistics and the opponent lookup's table-players
// scan on arbitrary bytes: no overrun, the tally the reference reader gives,
// the same results whatever the block size of the reads, and the same results
// when every LF becomes CR LF.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/block_feed.h"
#include "stats/score_report.h"
#include "stats/table_players.h"
#include "tests/stats/score_reference.h"

namespace {

using tamiru::stats::ScoreFileParser;
using tamiru::stats::ScoreQuery;
using tamiru::stats::ScoreTally;

ScoreTally TallyInBlocks(std::string_view data, const ScoreQuery& query, std::size_t block) {
  ScoreFileParser parser(query);
  FeedInBlocks(data, block, [&](std::string_view bytes, bool at_end) { return parser.Consume(bytes, at_end); });
  return parser.tally();
}

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int table_type = data[0] % 4;  // bits 2 and up choose the target
  const std::size_t block = 1 + data[1];
  const std::size_t handle_size = std::min<std::size_t>(data[2] % 16, size - 3);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 3 + handle_size, size - 3 - handle_size);
  const std::string handle(reinterpret_cast<const char*>(data) + 3, handle_size);

  // The same bytes with CR LF line ends, when they hold no CR of their own.
  const bool plain_lf = bytes.find('\r') == std::string_view::npos;
  const std::string crlf = plain_lf ? WithCrLf(bytes) : std::string();
  // The player asked about: another player, one of the user's own handles,
  // or the handle from the input (which may be empty).
  const std::string targets[] = {"foe", "me", handle};
  {
    const ScoreQuery query{{"me", handle, ""}, targets[(data[0] / 4) % 3], table_type};
    const ScoreTally whole = tamiru::stats::TallyScores(bytes, query);
    if (TallyInBlocks(bytes, query, block) == whole) {
    } else {
      __builtin_trap();
    }
    if (!(tamiru::stats::reference::Tally(bytes, query.user_names, table_type, query.target) == whole)) {
      __builtin_trap();
    }
    const std::string report = tamiru::stats::FormatScoreReport(whole, query);
    if (report.empty()) __builtin_trap();
    if (plain_lf && !(tamiru::stats::TallyScores(crlf, query) == whole)) __builtin_trap();
  }

  tamiru::stats::TablePlayers players;
  const int found = tamiru::stats::ReadTablePlayersFromBytes(bytes, players);
  tamiru::stats::TablePlayers in_blocks;
  // Blocks from 16 bytes: smaller ones only repeat the same boundaries at a
  // higher price per run.
  if (tamiru::stats::ReadTablePlayersFromBytes(bytes, in_blocks, 15 + block) != found) __builtin_trap();
  if (found == 1 && in_blocks != players) __builtin_trap();
  for (const std::string& seat : players) {
    if (seat.size() > 251 || seat.find(' ') != std::string::npos) __builtin_trap();
  }
  if (plain_lf) {
    tamiru::stats::TablePlayers crlf_players;
    if (tamiru::stats::ReadTablePlayersFromBytes(crlf, crlf_players) != found) __builtin_trap();
    if (found == 1 && crlf_players != players) __builtin_trap();
  }
  return 0;
}

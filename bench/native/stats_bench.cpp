// Score statistics, the match history and the table-players scan. With TAMIRU_STATS_FILE the
// report runs on that file (bench/stats_compare.sh makes a 100 MB one and
// sets it beside `wc -l`); with TAMIRU_TABLE_FILES="small:large" the scan runs
// on both files. Without them only the in-memory cases run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "stats/score_history.h"
#include "stats/score_report.h"
#include "stats/table_players.h"

namespace {

using tamiru::stats::ScoreQuery;

const ScoreQuery kAgainst{{"me1", "me2", "me3"}, "aaa", 0};
const ScoreQuery kOwn{{"me1", "me2", "me3"}, "me1", 0};

std::string SyntheticFile(std::size_t bytes) {
  const std::string game =
      "===== 東風戦：ランキング卓 64卓 開始 2016/01/01 00:43 =====\r\n"
      "  持点27000 [1]aaa R1500 [2]me1 R1500 [3]ccc R1500 [4]ddd R1500\r\n"
      "  東1局 0本場(リーチ0) aaa 1000点 ロン\r\n    [1東]1m2m3m4p5p6p7s8s9s東東南南\r\n"
      "  東2局 0本場(リーチ1) me1 3900点 ツモ\r\n    [2南]1m1m3m4p5p6p7s8s9s白白發發\r\n"
      "  ---- 試合結果 ----\r\n  1位 aaa            +54\r\n  2位 me1            +5\r\n"
      "  3位 ccc            -19\r\n  4位 ddd            -40\r\n----- 64卓 終了 2016/01/01 00:47 -----\r\n\r\n";
  std::string file;
  file.reserve(bytes + game.size());
  while (file.size() < bytes) file += game;
  return file;
}

void BM_TallyInMemory(benchmark::State& state, const ScoreQuery& query) {
  const std::string file = SyntheticFile(8 << 20);
  for (auto _ : state) benchmark::DoNotOptimize(tamiru::stats::TallyScores(file, query));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.size()));
}
BENCHMARK_CAPTURE(BM_TallyInMemory, against, kAgainst)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TallyInMemory, own, kOwn)->Unit(benchmark::kMillisecond);

void BM_ScoreFile(benchmark::State& state, const ScoreQuery& query) {
  const char* path = std::getenv("TAMIRU_STATS_FILE");
  if (!path) {
    state.SkipWithError("TAMIRU_STATS_FILE is not set");
    return;
  }
  for (auto _ : state) {
    const auto tally = tamiru::stats::TallyScoreFile(path, query);
    if (!tally) {
      state.SkipWithError("cannot read TAMIRU_STATS_FILE");
      return;
    }
    benchmark::DoNotOptimize(tally);
  }
}
BENCHMARK_CAPTURE(BM_ScoreFile, against, kAgainst)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ScoreFile, own, kOwn)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole match history (every kind, every opponent, the trend) in one read.
void BM_HistoryFile(benchmark::State& state) {
  const char* path = std::getenv("TAMIRU_STATS_FILE");
  if (!path) {
    state.SkipWithError("TAMIRU_STATS_FILE is not set");
    return;
  }
  for (auto _ : state) {
    const auto history = tamiru::stats::ReadScoreHistory(path, kOwn.user_names);
    if (!history) {
      state.SkipWithError("cannot read TAMIRU_STATS_FILE");
      return;
    }
    benchmark::DoNotOptimize(history);
  }
}
BENCHMARK(BM_HistoryFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TablePlayers(benchmark::State& state, int which) {
  const char* files = std::getenv("TAMIRU_TABLE_FILES");
  if (!files) {
    state.SkipWithError("TAMIRU_TABLE_FILES is not set");
    return;
  }
  const std::string both = files;
  const std::size_t colon = both.find(':');
  const std::string path = which == 0 ? both.substr(0, colon) : both.substr(colon + 1);
  for (auto _ : state) {
    tamiru::stats::TablePlayers players;
    if (tamiru::stats::ReadTablePlayers(path, players) != 1) {
      state.SkipWithError("no game in progress in the file");
      return;
    }
    benchmark::DoNotOptimize(players);
  }
}
BENCHMARK_CAPTURE(BM_TablePlayers, small, 0)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_TablePlayers, large, 1)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

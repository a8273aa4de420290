#pragma once
// The check that holds the shipped score reader, report and history alike,
// to the reference reader, on one file.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "stats/score_history.h"
#include "stats/score_report.h"
#include "tests/stats/score_reference.h"

namespace tamiru::stats::testing {

inline std::string Trace(int kind, const std::string& target) { return std::to_string(kind) + " [" + target + "]"; }

struct CheckReports {
  bool shipped = true;   // the shipped report for every name agrees too
  bool literal = false;  // and the reference's literal walk (a pass per question)
};

// The whole history (a row for every name the reference counts a game
// against, each row its tally, the user's games in order) and the reports
// for `names` and the user's own handles agree with the reference.
inline void ExpectMatchesReference(std::string_view bytes, const UserNames& users, const std::vector<std::string>& names,
                                   CheckReports reports) {
  const std::vector<reference::Record> records = reference::ReadRecords(bytes, users, {});
  const ScoreHistory history = HistoryFromBytes(bytes, users);
  std::vector<std::string> targets = names;
  for (const std::string& user : users) {
    if (!user.empty()) targets.push_back(user);
  }
  for (int kind = 0; kind < table_type::kCount; ++kind) {
    const KindHistory& k = history.kinds[static_cast<std::size_t>(kind)];
    std::map<std::string, ScoreTally> rows;
    for (const OpponentRow& row : k.opponents) rows[row.name] = row.tally;
    for (const std::string& target : targets) {
      const ScoreTally expected = reference::TallyOf(records, users, kind, target, {});
      if (reports.shipped) {
        EXPECT_EQ(TallyScores(bytes, {users, target, kind}), expected) << Trace(kind, target);
      }
      if (reports.literal) {
        EXPECT_EQ(reference::Tally(bytes, users, kind, target, {.one_walk = false}), expected) << Trace(kind, target);
      }
      if (reference::IsOwn(users, target)) continue;
      const auto row = rows.find(target);
      if (expected.Games() == 0) {
        EXPECT_TRUE(row == rows.end()) << Trace(kind, target);
      } else if (row == rows.end()) {
        ADD_FAILURE() << "no history row for " << Trace(kind, target);
      } else {
        EXPECT_EQ(row->second, expected) << Trace(kind, target);
        rows.erase(row);
      }
    }
    for (const auto& [name, tally] : rows) ADD_FAILURE() << "a history row the reference has not: " << Trace(kind, name);
    const auto games = reference::OwnGames(records, users, kind);
    ASSERT_EQ(k.trend.size(), games.size()) << kind;
    long long rank_sum = 0;
    long long score_sum = 0;
    for (std::size_t i = 0; i < games.size(); ++i) {
      EXPECT_EQ(k.trend[i].rank, games[i][0]) << kind << " game " << i;
      EXPECT_EQ(k.trend[i].score, games[i][1]) << kind << " game " << i;
      rank_sum += games[i][0];
      score_sum += games[i][1];
    }
    EXPECT_EQ(k.games, static_cast<long long>(games.size()));
    EXPECT_EQ(k.rank_sum, rank_sum);
    EXPECT_EQ(k.score_sum, score_sum);
  }
}

}  // namespace tamiru::stats::testing

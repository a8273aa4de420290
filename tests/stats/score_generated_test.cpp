// The statistics over files written by tools/scoregen.py, held against the
// generator's own knowledge of the games it wrote and against the reference
// reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "stats/score_history.h"
#include "stats/score_report.h"
#include "stats/table_players.h"
#include "tests/stats/score_reference_check.h"
#include "text/list_file.h"

namespace tamiru::stats {
namespace {

struct Expected {
  int table_type = 0;
  std::string target;
  ScoreTally tally;
  std::string report;
};

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class GeneratedScoreFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tamiru-gen-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Runs the generator; its arguments are plain ASCII.
  void Generate(const std::string& arguments, const std::string& stdout_name = "stdout.txt") {
    const std::string command = "python3 " TAMIRU_SOURCE_DIR "/tools/scoregen.py " + arguments + " > " +
                                (dir_ / stdout_name).string();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  std::vector<Expected> ReadExpected(const std::filesystem::path& path) {
    std::vector<Expected> all;
    for (const std::string& line : text::SplitLines(ReadBytes(path))) {
      std::vector<std::string> fields;
      std::size_t start = 0;
      for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        fields.push_back(line.substr(start, tab - start));
      }
      fields.push_back(line.substr(start));
      EXPECT_EQ(fields.size(), 10U) << line;
      if (fields.size() != 10U) continue;
      Expected e;
      e.table_type = std::stoi(fields[0]);
      e.target = fields[1];
      e.tally = {std::stoll(fields[2]), std::stoll(fields[3]), std::stoll(fields[4]), std::stoll(fields[5]),
                 std::stoll(fields[6]), std::stoll(fields[7]), std::stoll(fields[8])};
      e.report = fields[9];
      all.push_back(e);
    }
    return all;
  }

  std::filesystem::path dir_;
  const UserNames users_{"me1", "me2", "me3"};
};

TEST_F(GeneratedScoreFile, ReportsMatchTheGeneratorOnThousandsOfGames) {
  const std::string crlf = (dir_ / "crlf.txt").string();
  const std::string expected_path = (dir_ / "expected.txt").string();
  Generate("--records 2000 --seed 11 --targets all --out " + crlf + " --expect " + expected_path);
  Generate("--records 2000 --seed 11 --lf --out " + (dir_ / "lf.txt").string());
  const std::string lf = ReadBytes(dir_ / "lf.txt");
  const std::vector<Expected> expected = ReadExpected(expected_path);
  ASSERT_EQ(expected.size(), 3U * 36U);

  long long counted = 0;
  int with_draws = 0;
  for (const Expected& e : expected) {
    const ScoreQuery query{users_, e.target, e.table_type};
    const auto from_crlf = TallyScoreFile(crlf, query);
    ASSERT_TRUE(from_crlf);
    EXPECT_EQ(*from_crlf, e.tally) << e.table_type << " " << e.target;
    EXPECT_EQ(TallyScores(lf, query), e.tally) << e.table_type << " " << e.target;
    EXPECT_EQ(FormatScoreReport(*from_crlf, query), e.report) << e.table_type << " " << e.target;
    counted += e.tally.Games();
    with_draws += e.tally.draws > 0 && e.tally.wins > 0 ? 1 : 0;
  }
  // The comparison covers games of every kind, draws and own averages.
  EXPECT_GT(counted, 2000);
  EXPECT_GT(with_draws, 3);
}

TEST_F(GeneratedScoreFile, HistoryMatchesTheGeneratorAndTheReference) {
  // One, two and three handles; double-byte ones, and ones whose bytes begin
  // or end another player's handle (山田 / 山田太郎, x / ‐x, abc / zabc).
  // The generator takes its arguments in UTF-8.
  const auto utf8 = [](const char8_t* text) { return std::string(reinterpret_cast<const char*>(text)); };
  const std::vector<std::pair<std::string, UserNames>> users{
      {"me1", {"me1", "", ""}},
      {utf8(u8"山田太郎,x"), {"山田太郎", "", "x"}},
      {utf8(u8"abc,ソ連,R1500"), {"abc", "ソ連", "R1500"}},
  };
  int seed = 21;
  for (const auto& [argument, names] : users) {
    SCOPED_TRACE(argument);
    const std::string path = (dir_ / "mjscore.txt").string();
    Generate("--records 3000 --seed " + std::to_string(seed++) + " --users '" + argument + "' --targets all --out " +
             path + " --expect " + (dir_ / "expected.txt").string());
    const auto history = ReadScoreHistory(path, names);
    ASSERT_TRUE(history);
    std::vector<std::string> targets;
    std::map<std::pair<int, std::string>, ScoreTally> expected;
    for (const Expected& e : ReadExpected(dir_ / "expected.txt")) {
      expected[{e.table_type, e.target}] = e.tally;
      if (e.table_type == 0) targets.push_back(e.target);
    }
    for (int kind = 0; kind < table_type::kCount; ++kind) {
      const KindHistory& k = history->kinds[static_cast<std::size_t>(kind)];
      EXPECT_GT(k.opponents.size(), 20U) << kind;
      EXPECT_GT(k.games, 100) << kind;
      for (const OpponentRow& row : k.opponents) {
        EXPECT_EQ(row.tally, expected.at({kind, row.name})) << kind << " " << row.name;
      }
    }
    // The rows the generator knows nothing of, the user's games, and the
    // literal walk (a pass per question) for a few players.
    const std::string bytes = ReadBytes(path);
    testing::ExpectMatchesReference(bytes, names, targets, {.shipped = false});
    for (const std::string& target : {targets[0], targets[10], std::string(names[0])}) {
      EXPECT_EQ(reference::Tally(bytes, names, 0, target, {.one_walk = false}), expected.at({0, target})) << target;
    }
  }
}

TEST_F(GeneratedScoreFile, LookupFindsTheGameInProgress) {
  const std::string path = (dir_ / "mjscore.txt").string();
  Generate("--records 300 --seed 5 --in-progress --out " + path, "seats.txt");
  std::string seats = ReadBytes(dir_ / "seats.txt");
  ASSERT_FALSE(seats.empty());
  seats.pop_back();
  TablePlayers players;
  const int found = ReadTablePlayers(path, players);
  ASSERT_EQ(found, 1);
  std::string joined = players[0];
  for (std::size_t i = 1; i < players.size() && !players[i].empty(); ++i) joined += "\t" + players[i];
  EXPECT_EQ(joined, seats);

  // The finished file: the last game has ended.
  Generate("--records 300 --seed 5 --out " + path);
  EXPECT_EQ(ReadTablePlayers(path, players), 0);
}

}  // namespace
}  // namespace tamiru::stats

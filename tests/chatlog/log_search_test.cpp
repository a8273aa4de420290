// The chat log search on files in a temporary folder: lines of both
// layouts and those a crash or a hand edit left, the speaker rule, ASCII-only
// case folding, the month list and range, newest-first order across files
// and blocks, and the lines around a line found.
#include "chatlog/log_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace tamiru::chatlog {
namespace {

std::string Pad(std::size_t n) { return std::string(n, ' '); }

class LogSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("tamiru_log_search_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }
  std::string Folder() const { return folder_.string() + "/"; }
  std::vector<LogMonth> Months() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
    return LogMonths(names);
  }
  // The rows of a whole search, "when|speaker|text" each.
  std::vector<std::string> Rows(const LogQuery& query, std::size_t block = LogSearch::kBlockBytes) const {
    LogSearch search(Folder(), Months(), query, block);
    while (!search.Step(1 << 20)) {
    }
    std::vector<std::string> rows;
    for (const LogHit& hit : search.hits()) {
      const LogRow row = RowOf(search, hit, 200000);
      // A long text by its length, so that a difference stays readable.
      const std::string text = row.text.size() > 200 ? std::to_string(row.text.size()) + " bytes" : row.text;
      rows.push_back(row.when + "|" + row.speaker + "|" + text);
    }
    return rows;
  }
  std::filesystem::path folder_;
};

TEST(LogMonths, LogFilesOnlyOldestFirst) {
  const auto months = LogMonths({"LOG0112.txt", "log9901.TXT", "LOG0113.txt", "LOG011.txt", "LOGab12.txt", "x.txt",
                                 "LOG2402.txt", "LOG0000.txt"});
  ASSERT_EQ(months.size(), 3u);
  EXPECT_EQ(MonthText(months[0]), "2001/12");
  EXPECT_EQ(MonthText(months[1]), "2024/02");
  EXPECT_EQ(MonthText(months[2]), "2099/01");
}

TEST(SplitLogLine, StampSpeakerAndText) {
  struct Case {
    std::string line, stamp, speaker, text;
  };
  const Case cases[] = {
      {"abc" + Pad(11) + ">hello", "", "abc", "hello"},                          // the game main window
      {"太郎>" + Pad(9) + "こんにちは", "", "太郎", "こんにちは"},                 // the waiting room
      {"2001/12/08(土)13:05 abc" + Pad(11) + ">hi", "2001/12/08(土)13:05", "abc", "hi"},
      {"2024-01-05(Fri)09.30 東" + Pad(12) + ">リーチ", "2024-01-05(Fri)09.30", "東", "リーチ"},
      {"abcdefghijklmn>  two spaces", "", "abcdefghijklmn", "  two spaces"},    // 14 bytes: nothing was added
      {"a b" + Pad(11) + ">x", "", "a b", "x"},
      {"ソ表" + Pad(10) + ">x", "", "ソ表", "x"},                                  // trail bytes 0x5C
      {"ひろし：<<接続>>", "", "", "ひろし：<<接続>>"},                            // a notice
      {"2001/12/08(土)13:05 三郎 さんは 一般卓 にいます", "2001/12/08(土)13:05", "", "三郎 さんは 一般卓 にいます"},
      {"2001/12/08(土)13:0 x>y", "", "2001/12/08(土)13:0 x", "y"},                // not a whole stamp
  };
  for (const Case& c : cases) {
    const LogLineParts parts = SplitLogLine(c.line);
    EXPECT_EQ(parts.stamp, c.stamp) << c.line;
    EXPECT_EQ(parts.speaker, c.speaker) << c.line;
    EXPECT_EQ(parts.text, c.text) << c.line;
  }
}

TEST_F(LogSearchTest, LinesOfBothLayoutsAndOfCrashesNewestFirst) {
  const std::string long_text(100 * 1000, 'w');
  Write("LOG2311.txt", "taro" + Pad(10) + ">old ron\r\n" + "hana" + Pad(10) + ">no cr ron\n" +
                           std::string(5000, '\0') + "jiro" + Pad(10) + ">after zeros ron\r\n");
  Write("LOG2312.txt", "2023/12/24(日)21:00 taro" + Pad(10) + ">Ron\r\n" + "\r\n" +
                           "2023/12/24(日)21:01 hana" + Pad(10) + ">" + long_text + " ron\r\n" +
                           "2023/12/24(日)21:02 ron さんは 一般卓 にいます\r\n" + "taro" + Pad(10) + ">half ro");
  Write("LOG2401.txt", "");
  Write("notes.txt", "ron\r\n");
  const std::vector<std::string> expected{
      "2023/12|taro|half ro",
      "2023/12/24(日)21:02||ron さんは 一般卓 にいます",
      "2023/12/24(日)21:01|hana|" + std::to_string(long_text.size() + 4) + " bytes",
      "2023/12/24(日)21:00|taro|Ron",  // "taro" holds "ro"
      "2023/11|jiro|after zeros ron",
      "2023/11|hana|no cr ron",
      "2023/11|taro|old ron",
  };
  // Any block size gives the same lines: blocks that cut lines, the zeros
  // and a line longer than a block.
  for (const std::size_t block : {std::size_t{7}, std::size_t{4096}, LogSearch::kBlockBytes}) {
    EXPECT_EQ(Rows({"ro", "", false}, block), expected) << block;
  }
  EXPECT_EQ(Rows({"RON", "", true}).size(), 6u);
  EXPECT_EQ(Rows({"RON", "", false}).size(), 0u);
  EXPECT_EQ(Rows({"", "taro", false}),
            (std::vector<std::string>{"2023/12|taro|half ro", "2023/12/24(日)21:00|taro|Ron", "2023/11|taro|old ron"}));
  EXPECT_EQ(Rows({"ron", "hana", false}).size(), 2u);
  EXPECT_EQ(Rows({"21", "", false}).size(), 0u);  // the stamp is the log's, not the chat's
  EXPECT_EQ(Rows({"", "", false}).size(), 7u);    // every line but the empty one
}

TEST_F(LogSearchTest, MonthRangeUnreadableFilesAndSummary) {
  Write("LOG2310.txt", "a" + Pad(13) + ">x\r\n");
  Write("LOG2311.txt", "b" + Pad(13) + ">x\r\n");
  Write("LOG2312.txt", "c" + Pad(13) + ">x\r\n");
  std::vector<LogMonth> months = Months();
  ASSERT_EQ(months.size(), 3u);
  months.push_back({2024, 1, "LOG2401.txt"});  // listed, then gone
  LogSearch search(Folder(), {months[1], months[3]}, {"x", "", false});
  EXPECT_FALSE(search.Done());
  EXPECT_EQ(SearchSummary(search), "0 件 (0 ファイル) 検索中...");
  while (!search.Step(1)) {
  }
  ASSERT_EQ(search.hits().size(), 1u);
  EXPECT_EQ(RowOf(search, search.hits()[0], 100).speaker, "b");
  EXPECT_EQ(SearchSummary(search), "1 件 (1 ファイル) 読めないファイル: LOG2401.txt");
}

TEST_F(LogSearchTest, ContextHoldsTenLinesEachSide) {
  std::string log;
  for (int i = 0; i < 30; ++i) log += "p" + std::to_string(i) + Pad(12) + ">line " + std::to_string(i) + "\r\n";
  Write("LOG2401.txt", log);
  LogSearch search(Folder(), Months(), {"line 1", "", false});
  search.Step(1 << 20);
  ASSERT_EQ(search.hits().size(), 11u);  // 19, 18, ..., 10, 1
  struct Case {
    std::size_t hit;
    std::size_t lines;
    int found;
  };
  for (const Case& c : {Case{0, 21, 10}, Case{10, 12, 1}}) {
    const LogContext context = search.ReadContext(search.hits()[c.hit], 100);
    ASSERT_EQ(context.lines.size(), c.lines);
    EXPECT_EQ(context.found, c.found);
    EXPECT_EQ(SplitLogLine(context.lines[static_cast<std::size_t>(c.found)]).text, c.hit == 0 ? "line 19" : "line 1");
  }
}

// The reader and a reference of whole files split by lines and held to
// LineMatcher::Matches, on generated logs and blocks of every few sizes.
TEST_F(LogSearchTest, AgreesWithLineByLineReference) {
  const std::vector<std::string> pieces{"ab", "AB", "\x83\x41", "\x82\xA0", "\r\n", "\n", std::string(1, '\0'), ">",
                                        "   ", "2001/12/08(土)13:05 "};
  std::mt19937 random(7);
  for (int round = 0; round < 60; ++round) {
    std::string log;
    for (int i = 0; i < 60; ++i) log += pieces[random() % pieces.size()];
    Write("LOG2401.txt", log);
    const LogQuery query{round % 3 == 0 ? "" : round % 3 == 1 ? "ab" : "a", round % 4 == 0 ? "ab" : "", round % 2 == 0};
    const LineMatcher matcher(query);
    std::vector<std::string> expected;
    for (std::size_t start = 0; start <= log.size();) {
      std::size_t end = log.find_first_of(std::string("\n\0", 2), start);
      if (end == std::string::npos) end = log.size();
      std::string line = log.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (matcher.Matches(line)) expected.insert(expected.begin(), line);
      start = end + 1;
    }
    LogSearch search(Folder(), Months(), query, 1 + round % 13);
    while (!search.Step(64)) {
    }
    std::vector<std::string> found;
    for (const LogHit& hit : search.hits()) found.push_back(search.ReadLine(hit, 1000));
    ASSERT_EQ(found, expected) << round;
  }
}

}  // namespace
}  // namespace tamiru::chatlog

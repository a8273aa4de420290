#pragma once
// Builders of score-file records in the client's layout, for the tests.
#include <string>
#include <string_view>
#include <vector>

namespace tamiru::stats::testing {

struct ResultEntry {
  int rank;
  std::string handle;
  int score;
};

inline std::string Header(std::string_view kind = "東風戦", std::string_view table = "ランキング卓") {
  return "===== " + std::string(kind) + "：" + std::string(table) + " 64卓 開始 2016/01/01 00:43 =====\n";
}

inline std::string PlayersLine(const std::vector<std::string>& handles) {
  std::string line = "  持点27000";
  for (std::size_t i = 0; i < handles.size(); ++i) {
    line += " [" + std::to_string(i + 1) + "]" + handles[i] + " R1500";
  }
  return line + "\n";
}

// A result line: the rank, a space and the handle padded to 20 bytes, then
// the signed score.
inline std::string EntryLine(const ResultEntry& entry) {
  std::string field = "  " + std::to_string(entry.rank) + "位 " + entry.handle;
  if (field.size() < 20) field.append(20 - field.size(), ' ');
  return field + (entry.score >= 0 ? "+" : "") + std::to_string(entry.score) + "\n";
}

inline std::string Results(const std::vector<ResultEntry>& entries) {
  std::string text = "  ---- 試合結果 ----\n";
  for (const ResultEntry& entry : entries) text += EntryLine(entry);
  return text;
}

inline std::string EndLine() { return "----- 64卓 終了 2016/01/01 00:47 -----\n"; }

// A whole game: header, players in seat order, one round line, results, end.
inline std::string Game(const std::vector<std::string>& seats, const std::vector<ResultEntry>& entries,
                        std::string_view kind = "東風戦") {
  return Header(kind) + PlayersLine(seats) + "  東1局 0本場(リーチ0) aaa 1000点 ロン\n" + Results(entries) + EndLine() +
         "\n";
}

inline std::string WithCrLf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace tamiru::stats::testing

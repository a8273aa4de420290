// The client's score file: one record per game, appended as the game starts
// (header and players line) and as it ends (rounds, results, end line).
#include <cstdio>

#include "standin/client.h"

namespace standin {

namespace {

std::string Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
  return text;
}

}  // namespace

void ScoreFile::Append(const std::string& lines) {
  HANDLE file = CreateFileA(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
  CloseHandle(file);
}

void ScoreFile::StartGame(std::string_view kind, std::string_view room, int table,
                          const std::vector<std::string>& players, const std::vector<int>& ratings) {
  std::string lines = "===== ";
  lines += kind;
  lines += "：";
  lines += room;
  lines += " " + std::to_string(table) + "卓 開始 " + Now() + " =====\r\n";
  // Three-player games start from 35000 points, four-player ones from 27000.
  lines += players.size() == 3 ? "  持点35000" : "  持点27000";
  for (size_t i = 0; i < players.size(); ++i) {
    lines += " [" + std::to_string(i + 1) + "]" + players[i] + " R" +
             std::to_string(i < ratings.size() ? ratings[i] : 1500);
  }
  lines += "\r\n";
  Append(lines);
}

void ScoreFile::Round(std::string_view line) {
  std::string lines = "  ";
  lines += line;
  lines += "\r\n";
  Append(lines);
}

void ScoreFile::EndGame(int table, const std::vector<std::pair<std::string, int>>& results) {
  std::string lines = "  ---- 試合結果 ----\r\n";
  int rank = 0;
  for (const auto& [name, score] : results) {
    // The rank, the handle and padding fill a field of 20 bytes; the signed
    // score follows it.
    std::string field = "  " + std::to_string(++rank) + "位 " + name + " ";
    if (field.size() < 20) field.append(20 - field.size(), ' ');
    char number[16];
    std::snprintf(number, sizeof number, "%+d", score);
    lines += field + number + "\r\n";
  }
  lines += "----- " + std::to_string(table) + "卓 終了 " + Now() + " -----\r\n";
  Append(lines);
}

}  // namespace standin

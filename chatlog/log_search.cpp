#include "chatlog/log_search.h"

#include <algorithm>
#include <cstring>

#include "chatlog/chat_lines.h"
#include "platform/files.h"
#include "text/sjis.h"

namespace tamiru::chatlog {
namespace {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool EndsLine(char c) { return c == '\n' || c == '\0'; }

// The first LF or NUL at or after `from`, or the block's size.
std::size_t LineEndFrom(std::string_view block, std::size_t from) {
  const char* begin = block.data() + from;
  const std::size_t rest = block.size() - from;
  const void* feed = std::memchr(begin, '\n', rest);
  const std::size_t to_feed = feed ? static_cast<std::size_t>(static_cast<const char*>(feed) - begin) : rest;
  const void* zero = std::memchr(begin, '\0', to_feed);
  return from + (zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : to_feed);
}

std::size_t LineStartBefore(std::string_view block, std::size_t at) {
  while (at > 0 && !EndsLine(block[at - 1])) --at;
  return at;
}

std::string_view WithoutCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Calls visit(start, line) for each non-empty line of `block`.
template <typename Visit>
void ForEachLogLine(std::string_view block, Visit&& visit) {
  for (std::size_t pos = 0; pos < block.size();) {
    const std::size_t end = LineEndFrom(block, pos);
    const std::string_view line = WithoutCr(block.substr(pos, end - pos));
    if (!line.empty()) visit(pos, line);
    pos = end + 1;
  }
}

// The search text ends at a line end: no log line holds one.
std::string_view OneLine(std::string_view text) {
  const std::size_t end = text.find_first_of(std::string_view("\r\n\0", 3));
  return end == std::string_view::npos ? text : text.substr(0, end);
}

int TwoDigits(std::string_view text) { return (text[0] - '0') * 10 + (text[1] - '0'); }

}  // namespace

std::vector<LogMonth> LogMonths(const std::vector<std::string>& names) {
  std::vector<LogMonth> months;
  for (const std::string& name : names) {
    if (name.size() != 11 || !text::EqualIgnoringCase(name.substr(0, 3), "LOG") ||
        !text::EqualIgnoringCase(name.substr(7), ".txt") ||
        !std::all_of(name.begin() + 3, name.begin() + 7, IsDigit)) {
      continue;
    }
    const int month = TwoDigits(std::string_view(name).substr(5, 2));
    if (month < 1 || month > 12) continue;
    months.push_back({2000 + TwoDigits(std::string_view(name).substr(3, 2)), month, name});
  }
  std::sort(months.begin(), months.end(), [](const LogMonth& a, const LogMonth& b) {
    return a.year != b.year ? a.year < b.year : a.month != b.month ? a.month < b.month : a.name < b.name;
  });
  return months;
}

std::string MonthText(const LogMonth& month) {
  std::string text = std::to_string(month.year) + "/";
  if (month.month < 10) text += '0';
  return text + std::to_string(month.month);
}

std::size_t StampLength(std::string_view line) {
  std::size_t pos = 0;
  const auto digits = [&](std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, ++pos) {
      if (pos >= line.size() || !IsDigit(line[pos])) return false;
    }
    return true;
  };
  const auto separator = [&] {
    const std::size_t start = pos;
    while (pos < line.size() && pos - start < 2 && !IsDigit(line[pos]) && line[pos] != '(' && line[pos] != ' ') ++pos;
    return pos > start;
  };
  if (!digits(4) || !separator() || !digits(2) || !separator() || !digits(2)) return 0;
  if (pos >= line.size() || line[pos] != '(') return 0;
  const std::size_t close = line.find(')', pos);
  if (close == std::string_view::npos || close - pos > 9) return 0;
  pos = close + 1;
  if (!digits(2) || !separator() || !digits(2)) return 0;
  if (pos >= line.size() || line[pos] != ' ') return 0;
  return pos + 1;
}

LogLineParts SplitLogLine(std::string_view line) {
  LogLineParts parts;
  const std::size_t stamp = StampLength(line);
  parts.stamp = line.substr(0, stamp > 0 ? stamp - 1 : 0);
  parts.chat = line.substr(stamp);
  parts.text = parts.chat;
  parts.message = IsChatMessage(parts.chat);
  if (!parts.message) return parts;
  // The alignment pads a short name before its ">" (the game main window's
  // layout) or the text after it (the waiting room's), up to the column.
  const std::size_t column = kAlignedColumn - 1;
  const std::size_t mark = parts.chat.find('>');
  parts.speaker = parts.chat.substr(0, mark);
  if (mark == column) {
    while (!parts.speaker.empty() && parts.speaker.back() == ' ') parts.speaker.remove_suffix(1);
  }
  std::size_t text = mark + 1;
  while (text < column && text < parts.chat.size() && parts.chat[text] == ' ') ++text;
  parts.text = parts.chat.substr(text);
  return parts;
}

LineMatcher::LineMatcher(const LogQuery& query)
    : query_{std::string(OneLine(query.text)), std::string(OneLine(query.speaker)), query.ignore_case},
      searcher_(query_.text.empty() ? query_.speaker : query_.text, query_.ignore_case && !query_.text.empty()),
      by_text_(!query_.text.empty()) {}

// A line with a hit outside its stamp: the speaker decides.
bool LineMatcher::Accepts(std::string_view line) const {
  if (query_.speaker.empty()) return true;
  const LogLineParts parts = SplitLogLine(line);
  return parts.message && parts.speaker == query_.speaker;
}

void LineMatcher::FindIn(std::string_view block, std::uint64_t base, std::uint32_t file,
                         std::vector<LogHit>& hits) const {
  const auto add = [&](std::size_t start, std::string_view line) {
    hits.push_back({file, static_cast<std::uint32_t>(std::min<std::size_t>(line.size(), UINT32_MAX)), base + start});
  };
  if (searcher_.size() == 0) {
    ForEachLogLine(block, add);
    return;
  }
  for (std::size_t from = 0; from < block.size();) {
    const std::size_t at = searcher_.Find(block, from);
    if (at == text::npos) return;
    const std::size_t start = LineStartBefore(block, at);
    const std::size_t end = LineEndFrom(block, at);
    const std::string_view line = WithoutCr(block.substr(start, end - start));
    const std::size_t stamp = StampLength(line);
    if (at - start < stamp) {
      from = start + stamp;  // the stamp is the log's, not the chat's
      continue;
    }
    if (Accepts(line)) add(start, line);
    from = end + 1;
  }
}

bool LineMatcher::Matches(std::string_view line) const {
  line = WithoutCr(line);
  if (line.empty() || line.find_first_of(std::string_view("\n\0", 2)) != std::string_view::npos) return false;
  if (!Accepts(line)) return false;
  const std::string_view needle = by_text_ ? std::string_view(query_.text) : std::string_view();
  const std::string_view chat = line.substr(StampLength(line));
  for (std::size_t pos = 0; pos + needle.size() <= chat.size(); pos += text::CharWidthAt(chat, pos)) {
    const std::string_view piece = chat.substr(pos, needle.size());
    if (query_.ignore_case ? text::EqualIgnoringCase(piece, needle) : piece == needle) return true;
  }
  return false;
}

LogSearch::LogSearch(std::string folder, std::vector<LogMonth> files, const LogQuery& query,
                     std::size_t block_bytes)
    : folder_(std::move(folder)),
      files_(std::move(files)),
      matcher_(query),
      block_bytes_(std::max<std::size_t>(block_bytes, 1)),
      next_file_(static_cast<int>(files_.size()) - 1) {}

std::string LogSearch::PathOf(std::uint32_t file) const {
  return folder_ + files_[file].name;
}

void LogSearch::NextFile() {
  --next_file_;
  end_ = -1;
}

bool LogSearch::Step(std::size_t budget) {
  std::size_t spent = 0;
  while (!Done() && spent < budget) {
    const auto file = static_cast<std::uint32_t>(next_file_);
    const std::string path = PathOf(file);
    if (end_ < 0) {
      const platform::FileStamp stamp = platform::StampOf(path);
      if (!stamp.exists) {
        unreadable_.push_back(files_[file].name);
        NextFile();
        continue;
      }
      end_ = stamp.size;
    }
    if (end_ == 0) {
      ++files_read_;
      NextFile();
      continue;
    }
    // The block's first line may have begun before it: it is read with the
    // next block. A block that holds no whole line is read again twice as
    // large; a line longer than kMaxLineBytes is searched in pieces.
    long long start = 0;
    std::size_t first = 0;
    bool read = true;
    for (std::size_t size = block_bytes_;; size *= 2) {
      start = std::max<long long>(0, end_ - static_cast<long long>(size));
      read = platform::ReadFileRange(path, start, static_cast<std::size_t>(end_ - start), block_);
      if (!read || start == 0) break;
      const std::size_t end = LineEndFrom(block_, 0);
      if (end + 1 < block_.size()) {
        first = end + 1;
        break;
      }
      if (size >= kMaxLineBytes) break;
    }
    if (!read) {
      unreadable_.push_back(files_[file].name);
      NextFile();
      continue;
    }
    const std::string_view block(block_);
    block_hits_.clear();
    matcher_.FindIn(block.substr(first), static_cast<std::uint64_t>(start) + first, file, block_hits_);
    for (auto hit = block_hits_.rbegin(); hit != block_hits_.rend() && !capped_; ++hit) {
      hits_.push_back(*hit);
      capped_ = hits_.size() >= kMaxHits;
    }
    end_ = start + static_cast<long long>(first);
    spent += block.size();
  }
  return Done();
}

std::string LogSearch::ReadLine(const LogHit& hit, std::size_t max_bytes) const {
  std::string line;
  if (hit.file >= files_.size()) return line;
  const std::size_t wanted = std::min<std::size_t>(hit.length, max_bytes + 1);
  if (!platform::ReadFileRange(PathOf(hit.file), static_cast<long long>(hit.offset), wanted, line)) return {};
  line.resize(text::CutAtCharBoundary(line, max_bytes).size());
  return line;
}

LogContext LogSearch::ReadContext(const LogHit& hit, std::size_t max_bytes) const {
  // Enough for ten lines of any chat on either side.
  constexpr std::uint64_t kAround = 64 * 1024;
  LogContext context;
  if (hit.file >= files_.size()) return context;
  const std::uint64_t from = hit.offset > kAround ? hit.offset - kAround : 0;
  std::string bytes;
  const auto wanted = static_cast<std::size_t>(hit.offset - from + hit.length + kAround);
  if (!platform::ReadFileRange(PathOf(hit.file), static_cast<long long>(from), wanted, bytes)) {
    return context;
  }
  const auto cut = [max_bytes](std::string_view line) { return std::string(text::CutAtCharBoundary(line, max_bytes)); };
  const std::string_view all(bytes);
  const std::size_t found = static_cast<std::size_t>(hit.offset - from);
  if (found > all.size()) return context;
  std::vector<std::string_view> before;
  ForEachLogLine(all.substr(0, found), [&](std::size_t start, std::string_view line) {
    if (start > 0 || from == 0) before.push_back(line);  // a first line cut by the window is not whole
  });
  const std::size_t keep = std::min<std::size_t>(before.size(), kContextLines);
  for (std::size_t i = before.size() - keep; i < before.size(); ++i) context.lines.push_back(cut(before[i]));
  context.found = static_cast<int>(context.lines.size());
  const std::size_t found_end = std::min(all.size(), found + hit.length);
  context.lines.push_back(cut(all.substr(found, found_end - found)));
  std::string_view after = all.substr(found_end);
  // A window that the file filled may end inside a line: only whole lines
  // are shown.
  if (bytes.size() == wanted) after = after.substr(0, LineStartBefore(after, after.size()));
  int added = 0;
  ForEachLogLine(after, [&](std::size_t, std::string_view line) {
    if (added < kContextLines) context.lines.push_back(cut(line));
    ++added;
  });
  return context;
}

LogRow RowOf(const LogSearch& search, const LogHit& hit, std::size_t max_bytes) {
  LogRow row;
  if (hit.file >= search.files().size()) return row;
  // The stamp and the speaker come before the text: the cut keeps them.
  const std::string line = search.ReadLine(hit, max_bytes + 64);
  const LogLineParts parts = SplitLogLine(line);
  row.when = parts.stamp.empty() ? MonthText(search.files()[hit.file]) : std::string(parts.stamp);
  row.speaker = std::string(parts.speaker);
  row.text = std::string(text::CutAtCharBoundary(parts.text, max_bytes));
  return row;
}

std::string SearchSummary(const LogSearch& search) {
  std::string summary = std::to_string(search.hits().size()) + " 件 (" + std::to_string(search.files_read()) + " ファイル)";
  if (!search.Done()) summary += " 検索中...";
  if (search.capped()) summary += " 新しい " + std::to_string(LogSearch::kMaxHits) + " 件まで";
  if (!search.unreadable().empty()) {
    summary += " 読めないファイル:";
    for (const std::string& name : search.unreadable()) summary += " " + name;
  }
  return summary;
}

}  // namespace tamiru::chatlog

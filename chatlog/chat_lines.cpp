#include "chatlog/chat_lines.h"

#include <algorithm>
#include <utility>

#include "text/sjis.h"

namespace tamiru::chatlog {
namespace {

std::string ZeroPadded(int value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

// Pads so that the byte at 0-based index `name_end` moves to kAlignedColumn.
void PadNameEndingAt(std::string& line, std::size_t name_end) {
  const std::size_t column = name_end + 1;
  if (column < kAlignedColumn) line.insert(name_end, kAlignedColumn - column, ' ');
}

}  // namespace

std::string_view TerminateChatText(std::string& buffer, std::size_t length) {
  buffer[length] = '\r';
  buffer[length + 1] = '\n';
  return std::string_view(buffer.data(), length + 2);
}

// The count is one quick pass; the start is searched back from the end, as
// the lines a capture has not yet seen are the last few.
LineScan ScanChatLines(std::string_view text, std::size_t line) {
  LineScan scan;
  const auto feeds = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  scan.count = feeds + 1;
  if (line == 0 || line > feeds) return scan;
  std::size_t at = text.size();
  for (std::size_t from_end = feeds - line + 1; from_end > 0; --from_end) at = text.rfind('\n', at - 1);
  scan.line_start = at + 1;
  return scan;
}

bool IsChatMessage(std::string_view line) {
  return text::ContainsBytes(line, ">") && !text::ContainsSjis(line, kConnectionNotice);
}

void AlignChatName(std::string_view line, ChatLayout layout, std::string& aligned) {
  aligned.assign(line);
  if (layout == ChatLayout::kWaitingRoom) {
    const std::size_t tab = aligned.find('\t');
    if (tab == std::string::npos) return;  // no name column to find
    aligned.erase(tab, 1);
    PadNameEndingAt(aligned, tab);
    return;
  }
  // Game main window: the name ends at the first ">" or TAB; a TAB met after
  // the first byte is deleted on the way, so "name TAB >" ends at the ">".
  // ">" and TAB are never trail bytes, so a byte walk is safe for Shift_JIS.
  std::size_t r = 0;
  while (true) {
    if (r >= aligned.size()) {
      aligned.assign(line);
      return;
    }
    if (aligned[r] == '>' || aligned[r] == '\t') break;
    ++r;
    if (r < aligned.size() && aligned[r] == '\t') aligned.erase(r, 1);
  }
  PadNameEndingAt(aligned, r);
}

bool ShouldLogLine(std::string_view line, const LogFormat& format, int save_chat_log) {
  if (save_chat_log == 0) return false;
  if (format.omit_replies && !text::ContainsBytes(line, ">")) return false;
  std::string_view content = line;
  if (!content.empty() && content.back() == '\n') content.remove_suffix(1);
  if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
  return !content.empty();
}

std::string FormatLogTimestamp(const platform::LocalTime& time, const DateFormat& format) {
  std::string stamp = ZeroPadded(time.year, 4);
  stamp += format.date_separator;
  stamp += ZeroPadded(time.month, 2);
  stamp += format.date_separator;
  stamp += ZeroPadded(time.day, 2);
  stamp += '(';
  if (time.weekday >= 0 && time.weekday < 7) stamp += format.weekday_names[static_cast<std::size_t>(time.weekday)];
  stamp += ')';
  stamp += ZeroPadded(time.hour, 2);
  stamp += format.time_separator;
  stamp += ZeroPadded(time.minute, 2);
  stamp += ' ';
  return stamp;
}

LogRecords::LogRecords(int save_chat_log, const LogFormat& format, std::string stamp)
    : save_chat_log_(save_chat_log), format_(format), stamp_(std::move(stamp)) {}

bool LogRecords::Add(std::string_view line, std::string_view body) {
  if (!ShouldLogLine(line, format_, save_chat_log_)) return false;
  records_ += stamp_;
  records_ += body;
  return true;
}

std::string ChatLogFileName(const platform::LocalTime& time) {
  return "LOG" + ZeroPadded(((time.year % 100) + 100) % 100, 2) + ZeroPadded(time.month, 2) + ".txt";
}

}  // namespace tamiru::chatlog

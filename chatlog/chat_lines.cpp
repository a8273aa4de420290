#include "chatlog/chat_lines.h"

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

std::string TerminateChatText(std::string_view text_read) {
  std::string text(text_read.substr(0, text_read.find('\0')));
  text += "\r\n";
  return text;
}

std::vector<std::string_view> WalkChatLines(std::string_view text, std::size_t start) {
  std::vector<std::string_view> lines;
  std::size_t pos = start;
  while (pos < text.size()) {
    const std::size_t feed = text.find('\n', pos);
    const std::size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
    lines.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return lines;
}

std::optional<std::size_t> LineStartByte(std::string_view text, std::size_t line_number) {
  std::size_t pos = 0;
  for (std::size_t line = 0; line < line_number; ++line) {
    const std::size_t feed = text.find('\n', pos);
    if (feed == std::string_view::npos) return std::nullopt;
    pos = feed + 1;
  }
  return pos;
}

std::size_t CharIndexToByteIndex(std::string_view text, std::size_t char_index) {
  std::size_t pos = 0;
  for (std::size_t count = 0; count < char_index && pos < text.size(); ++count) {
    const bool double_byte = text::IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size();
    pos += double_byte ? 2 : 1;
  }
  return pos;
}

bool IsChatMessage(std::string_view line) {
  return text::ContainsBytes(line, ">") && !text::ContainsSjis(line, kConnectionNotice);
}

std::string AlignChatName(std::string_view line, ChatLayout layout) {
  std::string aligned(line);
  if (layout == ChatLayout::kWaitingRoom) {
    const std::size_t tab = aligned.find('\t');
    if (tab == std::string::npos) return aligned;  // no name column to find
    aligned.erase(tab, 1);
    PadNameEndingAt(aligned, tab);
    return aligned;
  }
  // Game main window: the name ends at the first ">" or TAB; a TAB met after
  // the first byte is deleted on the way, so "name TAB >" ends at the ">".
  // ">" and TAB are never trail bytes, so a byte walk is safe for Shift_JIS.
  std::size_t r = 0;
  while (true) {
    if (r >= aligned.size()) return std::string(line);
    if (aligned[r] == '>' || aligned[r] == '\t') break;
    ++r;
    if (r < aligned.size() && aligned[r] == '\t') aligned.erase(r, 1);
  }
  PadNameEndingAt(aligned, r);
  return aligned;
}

bool ShouldLogLine(std::string_view line, int chat_log_format, int save_chat_log) {
  if (save_chat_log == 0) return false;
  if ((chat_log_format & kOmitLinesWithoutMessage) != 0 && !text::ContainsBytes(line, ">")) return false;
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

std::string ComposeLogRecord(std::string_view body, int chat_log_format, const platform::LocalTime& time,
                             const DateFormat& format) {
  std::string record;
  // Any value of 2 or more asks for the date, as the settings dialog stores it.
  if (chat_log_format >= kPrefixDateTime) record = FormatLogTimestamp(time, format);
  record += body;
  return record;
}

std::string ChatLogFileName(const platform::LocalTime& time) {
  return "LOG" + ZeroPadded(((time.year % 100) + 100) % 100, 2) + ZeroPadded(time.month, 2) + ".txt";
}

}  // namespace tamiru::chatlog

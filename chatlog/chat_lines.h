#pragma once
// The pure steps of the chat capture: walking the chat text line by line,
// telling chat messages from notices, aligning the speaker's name into a
// fixed column, and the chat log's decisions, records and file names.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "chatlog/log_format.h"
#include "platform/event_loop.h"

namespace tamiru::chatlog {

// The client's connection notice; it holds ">" but is not a chat message.
inline constexpr std::string_view kConnectionNotice = "：<<接続>>";

// Column of the ">" (game main window) or of the message's first byte
// (waiting room) after alignment, 1-based.
inline constexpr std::size_t kAlignedColumn = 15;

// The text the capture walks: the `length` bytes read into `buffer`, with
// CR LF written behind them so that the view's last line, which has no line
// break of its own, is a whole line. The buffer holds at least length + 2
// bytes (ReadChatText leaves that room); nothing is copied.
std::string_view TerminateChatText(std::string& buffer, std::size_t length);

// The line count of a text as the capture counts it (its LFs + 1), and where
// line `line` begins: the byte after its line-th LF, or 0 when `line` is 0 or
// the text has fewer LFs. Line starts are found by walking the bytes, never
// by the view's own line index, whose unit is bytes on some systems and
// characters on others.
struct LineScan {
  std::size_t count = 1;
  std::size_t line_start = 0;
};
LineScan ScanChatLines(std::string_view text, std::size_t line);

// Calls visit(line) for each line of `text` from byte `start` on. A line is
// the run of bytes up to and including the next LF; a last run without LF is
// a line too, and the empty piece behind the last LF is none. A start at or
// beyond the end gives no lines. Lines may be of any length; none is copied.
template <typename Visit>
void ForEachChatLine(std::string_view text, std::size_t start, Visit&& visit) {
  for (std::size_t pos = start; pos < text.size();) {
    const std::size_t feed = text.find('\n', pos);
    const std::size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
    visit(text.substr(pos, end - pos));
    pos = end;
  }
}

// A chat message holds a ">" byte and not the connection notice (searched
// Shift_JIS-aware). Every other line is a notice line and is never changed.
bool IsChatMessage(std::string_view line);

// Where the chat came from; decides how the speaker's name is found.
enum class ChatLayout {
  kGameMain,     // "name>text", with at most one TAB before the ">"
  kWaitingRoom,  // "name TAB text"
};

// The chat message with its speaker's name padded with spaces so that, for a
// name of at most 13 bytes, the ">" (game main window) or the message's first
// byte after the TAB (waiting room) stands at byte 15. In the game main
// window a TAB before the ">" is deleted; in the waiting room the first TAB
// is. A name of 14 bytes or more gets no padding. A line whose name end
// cannot be found (no ">" nor TAB; in the waiting room, no TAB) comes back
// unchanged. Written into `aligned`, whose room a caller that aligns line
// after line keeps.
void AlignChatName(std::string_view line, ChatLayout layout, std::string& aligned);

// Whether the line as read goes into the chat log: the log is on, the line
// holds more than its line end, and it holds ">" unless the format asks for
// lines without ">" (the replies to "/w " and "/r ") to be left out.
bool ShouldLogLine(std::string_view line, const LogFormat& format, int save_chat_log);

// How the system writes dates (separators, weekday names).
using DateFormat = platform::DateFormat;

// "yyyy/mm/dd(ddd)hh:nn " for `time`, e.g. "2001/12/08(土)13:05 ".
std::string FormatLogTimestamp(const platform::LocalTime& time, const DateFormat& format);

// The chat log records of one capture, gathered for one append to the
// month's file.
class LogRecords {
 public:
  // `stamp`: the date and time put in front of every record, empty for none
  // (FormatLogTimestamp when the format asks for it).
  LogRecords(int save_chat_log, const LogFormat& format, std::string stamp);
  // Adds `body` (the aligned chat message, or the notice line as read) when
  // `line`, as read, goes into the log (ShouldLogLine). True when added.
  bool Add(std::string_view line, std::string_view body);
  const std::string& text() const { return records_; }

 private:
  int save_chat_log_;
  LogFormat format_;
  std::string stamp_;
  std::string records_;
};

// The month's log file: "LOG" + yy + mm + ".txt" ("LOG0112.txt" for December
// 2001), no folder part.
std::string ChatLogFileName(const platform::LocalTime& time);

}  // namespace tamiru::chatlog

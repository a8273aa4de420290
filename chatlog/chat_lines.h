#pragma once
// The pure steps of the chat capture: walking the chat text line by line,
// telling chat messages from notices, aligning the speaker's name into a
// fixed column, and the chat log's decisions, records and file names.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"

namespace tamiru::chatlog {

// The client's connection notice; it holds ">" but is not a chat message.
inline constexpr std::string_view kConnectionNotice = "：<<接続>>";

// Column of the ">" (game main window) or of the message's first byte
// (waiting room) after alignment, 1-based.
inline constexpr std::size_t kAlignedColumn = 15;

// The text the capture walks: the bytes read from the chat control, up to
// their first NUL (where the control's text ends), with CR LF behind them so
// that the control's last line, which has no line break, is a whole line.
std::string TerminateChatText(std::string_view text_read);

// The lines of `text` from byte `start` on. A line is the run of bytes up to
// and including the next LF; a last run without LF is a line too, and the
// empty piece behind the last LF is none. A start at or beyond the end of the
// text gives no lines. Lines may be of any length.
std::vector<std::string_view> WalkChatLines(std::string_view text, std::size_t start);

// The byte offset where line `line_number` (0-based) of `text` begins: 0 for
// line 0, else the byte after the line_number-th LF; nullopt when the text has
// fewer line breaks, so that line does not exist. Walks the bytes itself
// rather than trusting the control's line index, whose unit differs between
// systems (bytes on Windows, characters elsewhere).
std::optional<std::size_t> LineStartByte(std::string_view text, std::size_t line_number);

// The byte index of character `char_index` (0-based) of Shift_JIS `text`: a
// double-byte character counts as one character of two bytes. An index at or
// beyond the last character gives text.size(). A lead byte that ends the text
// counts as a character of its own.
std::size_t CharIndexToByteIndex(std::string_view text, std::size_t char_index);

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
// cannot be found (no ">" nor TAB; in the waiting room, no TAB) is returned
// unchanged.
std::string AlignChatName(std::string_view line, ChatLayout layout);

// ChatLogFormat bits.
inline constexpr int kOmitLinesWithoutMessage = 1;  // leave out lines without ">"
inline constexpr int kPrefixDateTime = 2;           // put the date and time in front

// Whether the line as read goes into the chat log: the log is on, the line
// holds more than its line end, and it holds ">" unless ChatLogFormat asks
// for lines without ">" (the replies to "/w " and "/r ") to be left out.
bool ShouldLogLine(std::string_view line, int chat_log_format, int save_chat_log);

// How the system writes dates (separators, weekday names).
using DateFormat = platform::DateFormat;

// "yyyy/mm/dd(ddd)hh:nn " for `time`, e.g. "2001/12/08(土)13:05 ".
std::string FormatLogTimestamp(const platform::LocalTime& time, const DateFormat& format);

// One log record: `body` (the aligned chat message, or the notice line as
// read), with the date and time in front when ChatLogFormat asks for them.
std::string ComposeLogRecord(std::string_view body, int chat_log_format,
                             const platform::LocalTime& time, const DateFormat& format);

// The month's log file: "LOG" + yy + mm + ".txt" ("LOG0112.txt" for December
// 2001), no folder part.
std::string ChatLogFileName(const platform::LocalTime& time);

}  // namespace tamiru::chatlog

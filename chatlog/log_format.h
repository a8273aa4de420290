#pragma once
// ChatLogFormat, the setting that says how the chat log is written, read in
// one place for the settings dialog and for the log.
#include <cstdint>

namespace tamiru::chatlog {

// ChatLogFormat bits, as the settings dialog writes them (0 to 3).
inline constexpr std::int32_t kOmitLinesWithoutMessage = 1;  // leave out lines without ">"
inline constexpr std::int32_t kPrefixDateTime = 2;           // put the date and time in front

// What a ChatLogFormat value asks of the log. Only its two bits count: a
// hand-edited value with other bits set (4, 5, 7, 12) means what its two low
// bits mean, so a flag added later never switches these on by accident. A
// negative value, which the dialog never writes, means neither, as the
// dialog has always shown it (both boxes clear).
struct LogFormat {
  bool omit_replies = false;  // lines without ">" (the replies to "/w " and "/r ") stay out
  bool stamp = false;         // every record starts with the date and time

  bool operator==(const LogFormat&) const = default;
};

constexpr LogFormat DecodeLogFormat(std::int32_t chat_log_format) {
  if (chat_log_format < 0) return {};
  return {(chat_log_format & kOmitLinesWithoutMessage) != 0, (chat_log_format & kPrefixDateTime) != 0};
}

constexpr std::int32_t EncodeLogFormat(const LogFormat& format) {
  return (format.omit_replies ? kOmitLinesWithoutMessage : 0) + (format.stamp ? kPrefixDateTime : 0);
}

}  // namespace tamiru::chatlog

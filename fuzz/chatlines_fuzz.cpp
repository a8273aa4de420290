// Fuzzes the chat line walk, the name alignment, the log decision and the
// keyword count on arbitrary chat text and start positions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chatlog/chat_lines.h"
#include "chatlog/keywords.h"

namespace chatlog = tamiru::chatlog;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // First byte: start position (scaled so it can pass the end); second: the
  // character index and the log format.
  const std::size_t start = static_cast<std::size_t>(data[0]) * 2;
  const int format = data[1] & 3;
  const std::string_view read(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string text = chatlog::TerminateChatText(read);

  const auto lines = chatlog::WalkChatLines(text, start);
  std::string joined;
  for (const auto line : lines) {
    if (line.empty() || line.back() != '\n') __builtin_trap();
    joined += line;
  }
  if (joined != (start < text.size() ? text.substr(start) : std::string())) __builtin_trap();

  // Keywords taken from the text itself, so that hits happen.
  std::vector<std::string> keywords{"", std::string(read.substr(0, 3)), std::string(read.substr(read.size() / 2))};
  const tamiru::platform::LocalTime now{2001, 12, 8, 6, 13, 5};
  for (const auto line : lines) {
    std::string body(line);
    if (chatlog::IsChatMessage(line)) {
      const std::string main = chatlog::AlignChatName(line, chatlog::ChatLayout::kGameMain);
      if (main.size() > line.size() + 14) __builtin_trap();
      // Nothing before the name column ends a name any more.
      if (main.find_first_of(">\t") < chatlog::kAlignedColumn - 1) __builtin_trap();
      const std::string room = chatlog::AlignChatName(line, chatlog::ChatLayout::kWaitingRoom);
      if (room.size() > line.size() + 13) __builtin_trap();
      if (line.find('\t') == std::string_view::npos && room != line) __builtin_trap();
      const int hits = chatlog::CountKeywordHits(main, keywords);
      if (hits < 0 || hits > 2) __builtin_trap();
      chatlog::CountKeywordHits(room, keywords);
      body = main;
    }
    if (chatlog::ShouldLogLine(line, format, 1)) {
      const auto record = chatlog::ComposeLogRecord(body, format, now, chatlog::DateFormat{});
      if (record.size() < body.size()) __builtin_trap();
    }
  }

  // A few line numbers, so that long inputs stay fast: the first ones and
  // one chosen by the input, perhaps past the last line.
  for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{data[1]}}) {
    const auto at = chatlog::LineStartByte(text, n);
    if (!at) continue;
    if (*at > text.size() || (*at > 0 && text[*at - 1] != '\n')) __builtin_trap();
  }
  if (chatlog::CharIndexToByteIndex(read, data[1]) > read.size()) __builtin_trap();
  return 0;
}

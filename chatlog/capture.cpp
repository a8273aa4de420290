#include "chatlog/capture.h"

#include <algorithm>

#include "chatlog/keywords.h"
#include "game/discovery.h"
#include "platform/files.h"

namespace tamiru::chatlog {
namespace {

using platform::WindowHandle;
namespace msg = platform::msg;

// Room beyond the reported length: an ANSI reader of a view that keeps its
// text in UTF-16 may be told a length that is not in bytes, and the client
// may add a line between the two messages.
constexpr std::size_t kReadSlack = 4096;
// A text that keeps filling its buffer after this many enlargements is
// taken as it was last read.
constexpr int kMaxReadAttempts = 4;

struct ChatSource {
  std::int32_t source = kSourceWaitingRoom;
  WindowHandle view = platform::kNoWindow;
};

std::optional<ChatSource> FindChatSource(platform::WindowSystem& windows) {
  if (const WindowHandle main = game::FindGameMainWindow(windows); main != platform::kNoWindow) {
    return ChatSource{kSourceGameMain, game::FindChildWindow(windows, main, 0)};
  }
  if (const WindowHandle room = game::FindWaitingRoom(windows); room != platform::kNoWindow) {
    return ChatSource{kSourceWaitingRoom, game::FindChildWindow(windows, room, 3)};
  }
  return std::nullopt;
}

void Restart(const CaptureState& state) {
  state.NextChatLine = 1;
  state.ChatEndIndex = 0;
}

}  // namespace

std::optional<std::string> ReadChatText(platform::WindowSystem& windows, WindowHandle view) {
  const platform::MsgResult length = windows.SendMessage(view, msg::kGetTextLength, 0, 0);
  if (length < 0) return std::nullopt;
  if (length == 0) {
    // An empty view still has its one line; a view that does not answer has none.
    if (windows.SendMessage(view, msg::kEditGetLineCount, 0, 0) <= 0) return std::nullopt;
    return std::string();
  }
  std::size_t buffer = static_cast<std::size_t>(length) + kReadSlack + 1;
  std::string text;
  for (int attempt = 0; attempt < kMaxReadAttempts; ++attempt) {
    text = windows.SendGetText(view, buffer);
    if (text.empty()) return std::nullopt;  // it answered the length, then nothing: gone or hung
    if (text.size() + 1 < buffer) break;    // the whole text fitted
    buffer *= 2;
  }
  return text;
}

std::size_t CountChatLines(std::string_view text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

std::string ChatLogPath(const std::string& log_folder, const platform::LocalTime& time) {
  return log_folder + ChatLogFileName(time);
}

CaptureOutcome CaptureChat(const CaptureState& state, const CaptureSettings& settings,
                           const CaptureContext& context) {
  CaptureOutcome outcome;
  const std::optional<ChatSource> found = FindChatSource(context.windows);
  if (!found) return outcome;
  if (found->source != state.LastChatSource) Restart(state);
  state.LastChatSource = found->source;
  if (found->view == platform::kNoWindow) return outcome;

  std::optional<std::string> read = ReadChatText(context.windows, found->view);
  if (!read) return outcome;  // no answer now: the state waits for one that does
  // The view's text ends at its first NUL; CR LF behind it makes its last
  // line, which has no line break of its own, a whole line.
  const std::string text = TerminateChatText(*read);
  const std::size_t count = CountChatLines(std::string_view(text).substr(0, text.size() - 2));

  if (state.NextChatLine >= 0 && static_cast<std::size_t>(state.NextChatLine) == count) return outcome;
  if (state.NextChatLine < 0 || static_cast<std::size_t>(state.NextChatLine) > count) Restart(state);
  const std::size_t first_line =
      state.NextChatLine == 1 && state.ChatEndIndex == 0 ? 0 : static_cast<std::size_t>(state.NextChatLine);
  // Line starts are found by walking the line breaks of the text read, never
  // by the view's own line index, whose unit is bytes on some systems and
  // characters on others.
  const std::size_t start = LineStartByte(text, first_line).value_or(text.size());
  state.ChatEndIndex = static_cast<std::int32_t>(std::min<std::size_t>(text.size() - 1, INT32_MAX - 1) + 1);
  outcome.read = true;

  const ChatLayout layout = found->source == kSourceGameMain ? ChatLayout::kGameMain : ChatLayout::kWaitingRoom;
  const platform::LocalTime now = context.loop.Now();
  const platform::DateFormat date_format =
      (settings.ChatLogFormat >= kPrefixDateTime && settings.SaveChatLog != 0) ? context.loop.SystemDateFormat()
                                                                               : platform::DateFormat{};
  std::string records;
  for (const std::string_view line : WalkChatLines(text, start)) {
    ++outcome.lines_handled;
    std::string body(line);
    if (IsChatMessage(line)) {
      body = AlignChatName(line, layout);
      if (settings.Keyword == 1 && CountKeywordHits(body, context.KeywordList) > 0) {
        // Each message with a hit starts the sound again.
        context.sound.PlayAsync(context.alert_sound_path);
        ++outcome.alerts;
      }
    }
    if (ShouldLogLine(line, settings.ChatLogFormat, settings.SaveChatLog)) {
      records += ComposeLogRecord(body, settings.ChatLogFormat, now, date_format);
      ++outcome.lines_logged;
    }
  }
  // One open, append and close of the month's file per capture with records.
  if (!records.empty() && !platform::AppendToFile(ChatLogPath(context.log_folder, now), records)) {
    outcome.log_failed = true;
  }
  state.NextChatLine = static_cast<std::int32_t>(std::min<std::size_t>(count, INT32_MAX));
  return outcome;
}

}  // namespace tamiru::chatlog

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
// The first buffer holds the 64,000 bytes the client's view is read with,
// and the slack.
constexpr std::size_t kFirstReadBuffer = 64000 + kReadSlack;
// A text that keeps filling its buffer after this many enlargements is
// taken as it was last read.
constexpr int kMaxReadAttempts = 4;

struct ChatSource {
  std::int32_t source = kSourceWaitingRoom;
  WindowHandle view = platform::kNoWindow;
};

std::optional<ChatSource> FindChatSource(platform::WindowSystem& windows) {
  if (const WindowHandle main = game::FindGameMainWindow(windows); main != platform::kNoWindow) {
    return ChatSource{kSourceGameMain, game::FindChildWindow(windows, main, game::child::kGameChatView)};
  }
  if (const WindowHandle room = game::FindWaitingRoom(windows); room != platform::kNoWindow) {
    return ChatSource{kSourceWaitingRoom, game::FindChildWindow(windows, room, game::child::kRoomChatView)};
  }
  return std::nullopt;
}

void Restart(CaptureState& state) {
  state.NextChatLine = 1;
  state.ChatEndIndex = 0;
  state.EmptyViewRead = false;
}

// The buffer of the chat text, kept from one capture to the next (captures
// run on the user-interface thread only). Under Wine a fresh allocation of
// this size is a new mapping whose pages fault in one by one, which on every
// tick cost more than the read itself.
std::string& ChatReadBuffer() {
  thread_local std::string buffer;
  return buffer;
}

void Tell(const CaptureContext& context, NoticeKind kind, std::string text) {
  if (context.notify) context.notify(ChatNotice{kind, std::move(text)});
}

// A notice line that is a friend's connection: the alert and the notice.
void TellArrival(std::string_view line, const CaptureContext& context, CaptureOutcome& outcome) {
  if (context.friends == nullptr) return;
  const std::optional<std::string> name = ArrivingFriend(line, *context.friends);
  if (!name) return;
  context.sound.PlayAsync(context.alert_sound_path);
  ++outcome.arrivals;
  Tell(context, NoticeKind::kFriend, FriendArrivalText(*name));
}

// The new lines of one capture: the keyword alert for each message with a
// hit, a friend's arrival for a new connection notice, and the records for
// the log.
void HandleLines(std::string_view text, std::size_t start, ChatLayout layout, const CaptureSettings& settings,
                 const CaptureContext& context, bool lines_are_new, LogRecords& records, CaptureOutcome& outcome) {
  std::string aligned;
  ForEachChatLine(text, start, [&](std::string_view line) {
    ++outcome.lines_handled;
    const bool message = IsChatMessage(line);
    if (message) {
      AlignChatName(line, layout, aligned);
      if (settings.Keyword == 1 && CountKeywordHits(aligned, context.KeywordList) > 0) {
        // Each message with a hit starts the sound again.
        context.sound.PlayAsync(context.alert_sound_path);
        ++outcome.alerts;
        if (settings.Notify == 1) Tell(context, NoticeKind::kKeyword, BalloonText(line));
      }
    } else if (settings.FriendNotice == 1 && lines_are_new) {
      TellArrival(line, context, outcome);
    }
    if (records.Add(line, message ? std::string_view(aligned) : line)) ++outcome.lines_logged;
  });
}

}  // namespace

std::optional<std::size_t> ReadChatText(platform::WindowSystem& windows, WindowHandle view, std::string& buffer) {
  std::size_t length = 0;
  for (int attempt = 0; attempt < kMaxReadAttempts; ++attempt) {
    if (buffer.size() < kFirstReadBuffer) buffer.resize(kFirstReadBuffer);
    length = windows.SendGetTextInto(view, buffer);
    if (length == 0) {
      if (buffer.empty()) return std::nullopt;  // the bound ran out; the layer kept the buffer
      // An empty view still has its one line; a view that does not answer has none.
      if (windows.SendMessage(view, msg::kGetTextLength, 0, 0) != 0) return std::nullopt;
      if (windows.SendMessage(view, msg::kEditGetLineCount, 0, 0) <= 0) return std::nullopt;
      return 0;
    }
    // The whole text fitted when two bytes were left: with one left, a
    // double-byte character may have stopped the copy short of the end, and
    // a reread into the same buffer would stop there again on every capture.
    if (length + 2 < buffer.size()) return length;
    const platform::MsgResult reported = windows.SendMessage(view, msg::kGetTextLength, 0, 0);
    std::size_t wanted = buffer.size() * 2;
    if (reported > 0) wanted = std::max(wanted, static_cast<std::size_t>(reported) + kReadSlack + 1);
    buffer.resize(wanted);
  }
  if (length + 2 > buffer.size()) buffer.resize(length + 2);
  return length;
}

std::string ChatLogPath(const std::string& log_folder, const platform::LocalTime& time) {
  return log_folder + ChatLogFileName(time);
}

CaptureOutcome CaptureChat(CaptureState& state, const CaptureSettings& settings,
                           const CaptureContext& context) {
  CaptureOutcome outcome;
  const std::optional<ChatSource> found = FindChatSource(context.windows);
  if (!found) return outcome;
  if (found->source != state.LastChatSource) Restart(state);
  state.LastChatSource = found->source;
  if (found->view == platform::kNoWindow) return outcome;

  std::string& buffer = ChatReadBuffer();
  const std::optional<std::size_t> read = ReadChatText(context.windows, found->view, buffer);
  if (!read) return outcome;  // no answer now: the state waits for one that does
  const std::string_view text = TerminateChatText(buffer, *read);
  const std::size_t next_line = state.NextChatLine > 0 ? static_cast<std::size_t>(state.NextChatLine) : 0;
  const LineScan scan = ScanChatLines(text.substr(0, *read), next_line);
  const std::size_t count = scan.count;

  const bool restart = state.NextChatLine < 0 || next_line > count;
  if (restart) Restart(state);
  if (*read == 0) state.EmptyViewRead = true;
  if (!restart && next_line == count) return outcome;
  // After a restart, or with a fresh state, the whole text is read from its
  // first byte; otherwise from the first line the last capture did not see.
  const bool from_top = state.NextChatLine == 1 && state.ChatEndIndex == 0;
  const std::size_t start = from_top ? 0 : scan.line_start;
  // An empty view has given no text: its first line is still to come, so the
  // state stays as after a restart and that line is read from byte 0 once a
  // second one follows, rather than skipped as though already seen.
  state.ChatEndIndex =
      *read == 0 ? 0 : static_cast<std::int32_t>(std::min<std::size_t>(text.size() - 1, INT32_MAX - 1) + 1);
  outcome.read = true;

  const ChatLayout layout = found->source == kSourceGameMain ? ChatLayout::kGameMain : ChatLayout::kWaitingRoom;
  // One moment for the whole capture: its records' date and time, and the
  // month's file they go to.
  const bool logging = settings.SaveChatLog != 0;
  const platform::LocalTime now = logging ? context.loop.Now() : platform::LocalTime{};
  const LogFormat format = DecodeLogFormat(settings.ChatLogFormat);
  LogRecords records(settings.SaveChatLog, format,
                     logging && format.stamp ? FormatLogTimestamp(now, context.loop.SystemDateFormat())
                                             : std::string());
  // Lines read from the top were there before (at the start, or when the
  // view was refilled), unless the view was seen empty since: then each
  // came after that look.
  HandleLines(text, start, layout, settings, context, !from_top || state.EmptyViewRead, records, outcome);
  // One open, append and close of the month's file per capture with records.
  if (!records.text().empty() && !platform::AppendToFile(ChatLogPath(context.log_folder, now), records.text())) {
    outcome.log_failed = true;
  }
  state.NextChatLine = static_cast<std::int32_t>(std::min<std::size_t>(count, INT32_MAX));
  return outcome;
}

}  // namespace tamiru::chatlog

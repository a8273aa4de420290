// Fuzzes the chat capture tick over the simulated desktop: the client's chat
// view grows by the lines the input gives, a capture runs between them (some
// while the view does not answer), and every new line is handled and logged
// once, as the capture's own helpers describe it, with nothing from outside
// the text; the capture state stays in range, also from a corrupted start.
//
// Input: byte 0 holds the settings (bits 0-1 the log format, bit 2 the
// keyword alert, bit 3 the waiting room instead of a table, bit 4 a
// corrupted start state from bytes 1-2, bit 5 the log switched off). The
// rest is lines split at LF; a 0xFF byte captures, 0xFE captures while the
// view does not answer (up to 5 captures, other markers are bytes of their
// line); a last capture follows the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "chatlog/capture.h"
#include "chatlog/keywords.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_event_loop.h"
#include "platform/files_testing.h"

namespace {

namespace chatlog = tamiru::chatlog;
namespace fake = tamiru::platform::fake;

// Stops the run with the line of the broken rule, which a finding's report
// then names.
void Check(bool holds, int line) {
  if (holds) return;
  std::fprintf(stderr, "capture_fuzz.cpp:%d: rule broken\n", line);
  __builtin_trap();
}

class CountingSound : public tamiru::platform::Sound {
 public:
  void PlayAsync(const std::string&) override { ++played; }
  std::size_t played = 0;
};

struct Expected {
  std::string log;
  std::size_t alerts = 0;
};

// What a capture that takes line `line` (as it stands in the view, with its
// CR LF) adds, by the rules the capture's helpers state.
void Expect(std::string_view line, const chatlog::CaptureSettings& settings, chatlog::ChatLayout layout,
            const std::vector<std::string>& keywords, Expected& expected) {
  static std::string body;
  body.assign(line);
  if (chatlog::IsChatMessage(line)) {
    chatlog::AlignChatName(line, layout, body);
    if (settings.Keyword == 1 && chatlog::CountKeywordHits(body, keywords) > 0) ++expected.alerts;
  }
  const chatlog::LogFormat format = chatlog::DecodeLogFormat(settings.ChatLogFormat);
  if (!chatlog::ShouldLogLine(line, format, settings.SaveChatLog)) return;
  static const std::string stamp = chatlog::FormatLogTimestamp({2001, 12, 8, 6, 13, 5}, chatlog::DateFormat{});
  if (format.stamp) expected.log += stamp;
  expected.log += body;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t flags = data[0];
  const chatlog::CaptureSettings settings{(flags & 32) != 0 ? 0 : 1, flags & 3, (flags & 4) != 0 ? 1 : 0};
  const bool room = (flags & 8) != 0;
  const bool corrupted = (flags & 16) != 0;
  chatlog::CaptureState state{room ? chatlog::kSourceWaitingRoom : chatlog::kSourceGameMain,
                              corrupted ? static_cast<std::int8_t>(data[1]) : 1,
                              corrupted ? static_cast<std::int8_t>(data[2]) * 64 : 0};
  const std::int32_t& LastChatSource = state.LastChatSource;
  const std::int32_t& NextChatLine = state.NextChatLine;
  const std::int32_t& ChatEndIndex = state.ChatEndIndex;
  const std::string_view input(reinterpret_cast<const char*>(data) + 3, size - 3);

  // One desktop for each chat source, kept from run to run (made afresh,
  // it would cost more than the run).
  static fake::FakeEventLoop loop;  // 2001-12-08 (Saturday) 13:05
  static fake::FakeDesktop table_desktop{loop}, room_desktop{loop};
  static const tamiru::platform::WindowHandle table_view = table_desktop.CreateGameMainWindow().chat_view;
  static const tamiru::platform::WindowHandle room_view = room_desktop.CreateWaitingRoom().chat_view;
  fake::FakeDesktop& desktop = room ? room_desktop : table_desktop;
  const tamiru::platform::WindowHandle view = room ? room_view : table_view;
  desktop.ClearMessages();
  const chatlog::ChatLayout layout = room ? chatlog::ChatLayout::kWaitingRoom : chatlog::ChatLayout::kGameMain;
  CountingSound sound;
  static const std::vector<std::string> keywords{"ロン", "a>", ""};
  // The log's appends are kept in memory: the disk would make every run
  // many times slower and add nothing to what the capture decides.
  static std::string log;
  log.clear();
  tamiru::platform::RedirectAppends(&log);
  const chatlog::CaptureContext context{desktop, loop, sound, keywords, "call.wav", ""};

  // Kept from run to run, as the capture keeps its buffer, so that a run
  // allocates little beyond what the capture itself does.
  static std::string text;                    // the view's text: the lines joined by CR LF
  static std::vector<std::size_t> line_starts;  // where each line of `text` begins
  static std::string line;
  static Expected expected;
  text.clear();
  line_starts.clear();
  expected.log.clear();
  expected.alerts = 0;
  std::size_t taken = 0;  // lines expected to be handled so far
  std::size_t handled = 0;
  auto capture = [&](bool hung) {
    desktop.SetText(view, text);
    desktop.SetHung(view, hung);
    const std::int32_t next_before = NextChatLine, end_before = ChatEndIndex;
    const chatlog::CaptureOutcome outcome = chatlog::CaptureChat(state, settings, context);
    desktop.SetHung(view, false);
    handled += outcome.lines_handled;
    const std::size_t count = line_starts.empty() ? 1 : line_starts.size();
    Check(LastChatSource == (room ? chatlog::kSourceWaitingRoom : chatlog::kSourceGameMain), __LINE__);
    if (hung) {
      // A view that does not answer changes nothing.
      Check(!outcome.read && outcome.lines_handled == 0, __LINE__);
      Check(NextChatLine == next_before && ChatEndIndex == end_before, __LINE__);
      return;
    }
    Check(NextChatLine >= 1 && static_cast<std::size_t>(NextChatLine) <= count, __LINE__);
    // The end index only tells whether a capture has read since a restart;
    // a capture that found nothing new leaves it as it was.
    if (outcome.read) Check(ChatEndIndex >= 0 && static_cast<std::size_t>(ChatEndIndex) <= text.size() + 2, __LINE__);
    if (corrupted) return;
    Check(static_cast<std::size_t>(NextChatLine) == (count >= 2 ? count : 1), __LINE__);
    // Every line up to the view's last is taken once there are two or more.
    for (const std::size_t now_taken = count >= 2 ? count : 0; taken < now_taken; ++taken) {
      const std::size_t begin = line_starts[taken];
      const std::size_t end = taken + 1 < line_starts.size() ? line_starts[taken + 1] - 2 : text.size();
      line.assign(text, begin, end - begin);
      line += "\r\n";
      Expect(line, settings, layout, keywords, expected);
    }
    Check(handled == taken && sound.played == expected.alerts, __LINE__);
  };

  constexpr int kMaxCaptures = 5;
  int captures = 0;
  std::size_t segment = 0;
  for (std::size_t pos = 0; pos <= input.size(); ++pos) {
    const char c = pos < input.size() ? input[pos] : '\xff';
    // At most a few captures a run: a longer sequence adds nothing but time.
    const bool marker = (c == '\xff' || c == '\xfe') && (captures < kMaxCaptures || pos == input.size());
    if (c != '\n' && !marker) continue;
    if (!line_starts.empty()) text += "\r\n";
    line_starts.push_back(text.size());
    for (const char byte : input.substr(segment, pos - segment)) {
      text += byte == '\0' ? ' ' : byte;  // a zero byte would end the view's text there
    }
    segment = pos + 1;
    if (c == '\n') continue;
    ++captures;
    capture(c == '\xfe');
  }
  if (!corrupted) Check(log == expected.log, __LINE__);
  return 0;
}

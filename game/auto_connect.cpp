#include "game/auto_connect.h"

#include "text/number.h"
#include "text/sjis.h"

namespace tamiru::game {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == ':'; }

AutoConnectView SwitchOff(AutoConnectState& state) {
  state.ConnectAttemptTick = 0;
  state.AutoConnectOn = 0;
  return {false, std::string()};
}

bool AnyClientWindowExists(platform::WindowSystem& windows) {
  return FindConnectDialog(windows) != platform::kNoWindow || FindWaitingRoom(windows) != platform::kNoWindow ||
         FindGameMainWindow(windows) != platform::kNoWindow;
}

}  // namespace

std::string ClientFolder(std::string_view File4) {
  // Walk whole characters so that a trail byte 0x5C is not read as "\".
  std::size_t last = text::npos;
  bool last_follows_separator = false;
  bool previous_is_separator = false;
  for (std::size_t pos = 0; pos < File4.size(); pos += text::CharWidthAt(File4, pos)) {
    const bool separator = !text::IsLeadByte(static_cast<unsigned char>(File4[pos])) && IsSeparator(File4[pos]);
    if (separator) {
      last = pos;
      last_follows_separator = previous_is_separator;
    }
    previous_is_separator = separator;
  }
  if (last == text::npos) return {};
  std::size_t length = last + 1;
  if (File4[last] == '\\' && !last_follows_separator) --length;
  return std::string(File4.substr(0, length));
}

std::string ClientCommandLine(std::string_view File4) {
  return ClientFolder(File4) + std::string(kClientExecutable);
}

AutoConnectView Button1Click(AutoConnectState& state, std::string_view File4, platform::WindowSystem& windows,
                             platform::Shell& shell, const std::function<void()>& show_on) {
  if (state.AutoConnectOn != 0) return SwitchOff(state);
  state.AutoConnectOn = 1;
  show_on();
  if (!AnyClientWindowExists(windows)) {
    const std::string command_line = ClientCommandLine(File4);
    if (command_line.size() < kCommandLineBufferBytes) shell.WinExec(command_line, platform::kSwShow);
  }
  return {true, std::nullopt};
}

AutoConnectView Timer1Timer(AutoConnectState& state, std::int32_t AutoConnectTimeInterval,
                            platform::WindowSystem& windows, platform::EventLoop& loop) {
  AutoConnectView view{true, std::nullopt};
  long long remaining = 0;
  const std::uint32_t now = loop.TickCount();
  if (state.ConnectAttemptTick != 0) {
    const std::uint32_t elapsed_ms = now - state.ConnectAttemptTick;  // 32-bit, survives the wrap
    remaining = static_cast<long long>(AutoConnectTimeInterval) - static_cast<long long>(elapsed_ms / 1000);
    view.Label5 = "残り" + text::DecimalText(remaining) + "秒";
    if (remaining <= 0) ExpireConnectAttempt(windows);
  }

  if (FindConnectDialog(windows) == platform::kNoWindow) return SwitchOff(state);
  if (FindDialog(windows, kErrorDialogTitle) != platform::kNoWindow) {
    DismissDialog(windows, kErrorDialogTitle, state.ConnectAttemptTick);
  }
  // The dismissal is posted, so the dialog is normally still there now and
  // the next attempt waits for the following step.
  if (FindDialog(windows, kErrorDialogTitle) == platform::kNoWindow && remaining <= 0) {
    StartConnectAttempt(windows, state.ConnectAttemptTick, loop.TickCount());
  }
  return view;
}

}  // namespace tamiru::game

#include "game/auto_connect.h"

#include "text/number.h"
#include "text/path.h"

namespace tamiru::game {

namespace {

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

std::string ClientCommandLine(std::string_view File4) {
  return std::string(text::FolderUpToLastSeparator(File4)) + std::string(kClientExecutable);
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

#pragma once
// Auto-connect: while the client shows its connect dialog, press its connect
// button, give each attempt AutoConnectTimeInterval seconds, press it out and
// start again, dismiss the client's error dialogs on the way, and switch off
// once the dialog is gone. Switching on can start the client first.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "game/discovery.h"
#include "platform/event_loop.h"
#include "platform/system.h"
#include "platform/window_system.h"

namespace tamiru::game {

// Main-window members of auto-connect (not saved between runs).
struct AutoConnectState {
  std::int32_t AutoConnectOn = 0;  // 1 while switched on
  // GetTickCount() at the last press of the connect button; 0 = no attempt.
  // The spectate-failure dismissal of the keep-alive clears it too.
  AttemptTick ConnectAttemptTick = 0;
};

// What the main window shows after a switch or a step: Button1 "ON" or
// "OFF" and Timer1 running while on; Label5's countdown, when it changed.
struct AutoConnectView {
  bool on = false;
  std::optional<std::string> Label5;
};

// Timer1's period: one auto-connect step every 450 ms.
inline constexpr std::uint32_t kTimer1IntervalMs = 450;
// The client is started through a buffer of this size: a command line that
// does not fit (more than 255 bytes) is not run at all rather than cut into a
// different, wrong path.
inline constexpr std::size_t kCommandLineBufferBytes = 256;
inline constexpr std::string_view kClientExecutable = "\\MJ.exe";

// The folder of File4 (text::FolderUpToLastSeparator: "C:\mjscore.txt"
// gives "C:\", so "C:\\MJ.exe") followed by "\MJ.exe".
std::string ClientCommandLine(std::string_view File4);

// Toggles auto-connect. Switching on runs `show_on` (Button1 "ON"), then
// starts the client (WinExec, SW_SHOW) when none of its windows exists;
// Timer1 follows the returned view in any case. WinExec returns only once
// the client waits for input, so Button1 must read "ON" before it is called.
AutoConnectView Button1Click(AutoConnectState& state, std::string_view File4, platform::WindowSystem& windows,
                             platform::Shell& shell, const std::function<void()>& show_on);

// One auto-connect step (Timer1, every 450 ms).
AutoConnectView Timer1Timer(AutoConnectState& state, std::int32_t AutoConnectTimeInterval,
                            platform::WindowSystem& windows, platform::EventLoop& loop);

}  // namespace tamiru::game

// CPU used by auto-connect and by a keep-alive spectate while they wait for
// the client. A second thread plays a client that never answers: a connect
// dialog that stays up and a waiting room whose spectate button opens
// nothing, so each phase runs into its limit. The figures are the main
// thread's CPU time (GetThreadTimes) over the wall time of each phase.
//   connect_bench.exe [auto-connect seconds, default 10]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/auto_connect.h"
#include "game/keep_alive.h"
#include "platform/win32/event_loop_win32.h"
#include "platform/win32/window_system_win32.h"

namespace {

using namespace tamiru;

struct NullShell : platform::Shell {
  void ShellExecute(platform::WindowHandle, std::optional<std::string>, const std::string&,
                    std::optional<std::string>, int) override {}
  void WinExec(const std::string&, int) override {}
  std::string ExecutablePath() override { return {}; }
};

HWND Child(HWND parent, const char* cls, const char* text, DWORD style = 0) {
  return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 80, 20, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

HANDLE g_client_ready = nullptr;

DWORD WINAPI ClientThread(void*) {
  HWND connect = CreateWindowExA(0, "#32770", "東風荘－接続", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  for (int n = 0; n < 10; ++n) Child(connect, "BUTTON", "b");

  HWND room = CreateWindowExA(0, "#32770", "東風荘 待合室", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  Child(room, "STATIC", "部屋");
  HWND rooms = Child(room, "COMBOBOX", "", CBS_DROPDOWNLIST);
  HWND tables = Child(room, "LISTBOX", "");
  Child(room, "EDIT", "", ES_MULTILINE);
  Child(room, "STATIC", "");
  Child(room, "EDIT", "");
  for (int n = 6; n <= 10; ++n) Child(room, "BUTTON", "b");
  Child(room, "STATIC", "");
  Child(room, "STATIC", "");
  for (const char* name : {"一般", "上級", "特上"}) SendMessageA(rooms, CB_ADDSTRING, 0, (LPARAM)name);
  SendMessageA(rooms, CB_SETCURSEL, 1, 0);
  SendMessageA(tables, LB_ADDSTRING, 0, (LPARAM) "卓1 待機中");
  SendMessageA(tables, LB_ADDSTRING, 0, (LPARAM) "卓2 プレイ中");
  SetEvent(g_client_ready);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

double ThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto ms = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

void Report(const char* phase, double cpu_ms, std::uint32_t wall_ms, const char* outcome) {
  std::printf("%-34s wall %6u ms  cpu %7.1f ms  = %5.2f%% of a core  (%s)\n", phase, wall_ms, cpu_ms,
              wall_ms ? 100.0 * cpu_ms / wall_ms : 0.0, outcome);
}

}  // namespace

int main(int argc, char** argv) {
  const int connect_seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  g_client_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD client_id = 0;
  HANDLE client = CreateThread(nullptr, 0, ClientThread, nullptr, 0, &client_id);
  WaitForSingleObject(g_client_ready, 10'000);

  platform::win32::Win32WindowSystem windows;
  platform::win32::Win32EventLoop loop;

  // Auto-connect: Timer1's steps every 450 ms against a dialog that never
  // connects, pressing out an attempt every 2 seconds.
  {
    NullShell shell;
    game::AutoConnectState state;
    game::Button1Click(state, "C:\\mjscore.txt", windows, shell, [] {});
    const std::uint32_t start = loop.TickCount();
    const double cpu = ThreadCpuMs();
    int steps = 0;
    while (loop.TickCount() - start < static_cast<std::uint32_t>(connect_seconds) * 1000 && state.AutoConnectOn) {
      loop.WaitWithMessages(game::kTimer1IntervalMs);
      game::Timer1Timer(state, 2, windows, loop);
      ++steps;
    }
    std::string outcome = std::to_string(steps) + " steps, still on: " + (state.AutoConnectOn ? "yes" : "no");
    Report("auto-connect (Timer1 steps)", ThreadCpuMs() - cpu, loop.TickCount() - start, outcome.c_str());
  }

  // One spectate whose table never opens: the outcome wait runs to its bound.
  {
    game::AttemptTick connect_tick = 0;
    game::KeepAliveState state;
    game::SpectateContext context{windows, loop, connect_tick};
    const std::uint32_t start = loop.TickCount();
    const double cpu = ThreadCpuMs();
    const game::SpectateOutcome outcome = game::SpectateOnce(state, context);
    Report("SpectateOnce, silent client", ThreadCpuMs() - cpu, loop.TickCount() - start,
           outcome == game::SpectateOutcome::kGaveUp ? "gave up at the bound" : "unexpected outcome");
  }

  PostThreadMessageA(client_id, WM_QUIT, 0, 0);
  WaitForSingleObject(client, 5'000);
  return 0;
}

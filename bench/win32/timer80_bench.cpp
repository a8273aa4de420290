// The least a program with an 80 ms message-loop timer costs: one window, one
// SetTimer of 80 ms whose WM_TIMER does nothing, the message loop. The
// baseline for the CPU of an idle tamiru.exe polling its macro keys
// (bench/macro_idle.sh). Runs for the seconds given as its argument (60 by
// default), then prints the ticks it saw. With a second argument it shows its
// window and brings it to the front that many seconds after its start, so
// that another program is in front of an idle tamiru.exe (-1: never). With
// "poll" as a third argument each tick also asks what the macro poll must ask
// at the least with Tamiru in front: the front window and one key's state.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

unsigned long g_ticks = 0;
bool g_poll = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == 2) {
    KillTimer(window, 2);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    return 0;
  }
  if (message == WM_TIMER) {
    ++g_ticks;
    if (g_poll && GetForegroundWindow() != nullptr) GetAsyncKeyState(VK_MENU);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  const int front_after = argc > 2 ? std::atoi(argv[2]) : -1;
  g_poll = argc > 3 && std::string(argv[3]) == "poll";
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "TamiruTimer80Bench";
  RegisterClassA(&window_class);
  HWND window = CreateWindowExA(0, "TamiruTimer80Bench", "timer80", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, window_class.hInstance, nullptr);
  if (window == nullptr) return 1;
  SetTimer(window, 1, 80, nullptr);
  if (front_after >= 0) SetTimer(window, 2, static_cast<UINT>(front_after) * 1000u, nullptr);
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000u;
  MSG message;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    // Wait for a message with the end as the bound, as a plain GetMessage
    // loop would wait, without running past the end.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - GetTickCount(), QS_ALLINPUT);
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  std::printf("timer80: %lu ticks in %d s\n", g_ticks, seconds);
  return 0;
}

// The cost of one chat capture tick beside a bare WM_GETTEXT of the same
// text: a chat view of about 64,000 bytes on another thread (as the client's
// is in another process), one new line per capture.
//   wine chatlog_bench.exe   -> microseconds per bare read and per capture
#include <windows.h>
#undef FindWindow
#undef GetWindowText
#undef GetClassName
#undef SendMessage
#undef PostMessage

#include <cstdio>
#include <string>
#include <thread>

#include "chatlog/capture.h"
#include "platform/win32/event_loop_win32.h"
#include "platform/win32/window_system_win32.h"

namespace {

HWND g_view = nullptr;
HWND g_main = nullptr;
DWORD g_client_thread = 0;

class NoSound : public tamiru::platform::Sound {
 public:
  void PlayAsync(const std::string&) override {}
};

void ClientThread() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "KatuGameMjMain";
  RegisterClassA(&wc);
  g_main = CreateWindowExA(0, "KatuGameMjMain", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                           wc.hInstance, nullptr);
  HWND view = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE | ES_READONLY | WS_VSCROLL, 0, 0, 384, 380,
                              g_main, nullptr, wc.hInstance, nullptr);
  std::string text;
  for (int i = 0; text.size() < 64000 - 64; ++i) {
    if (!text.empty()) text += "\r\n";
    text += "player" + std::to_string(i % 1000) + ">\tこんにちは、よろしくお願いします " + std::to_string(i);
  }
  SendMessageA(view, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextA(view, text.c_str());
  g_client_thread = GetCurrentThreadId();
  g_view = view;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

double Micros(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) {
  return static_cast<double>(b.QuadPart - a.QuadPart) * 1e6 / static_cast<double>(f.QuadPart);
}

}  // namespace

int main() {
  std::thread client(ClientThread);
  while (g_view == nullptr) Sleep(10);
  tamiru::platform::win32::Win32WindowSystem windows;
  tamiru::platform::win32::Win32EventLoop loop;
  NoSound sound;
  const std::vector<std::string> keywords{"ロン"};
  std::int32_t source = 0, next = 1, end = 0;
  const tamiru::chatlog::CaptureState state{source, next, end};
  // With the log on (one append to the month's file per tick) and with the
  // keyword alert only (no file touched).
  tamiru::chatlog::CaptureSettings settings{1, 0, 1};
  const tamiru::chatlog::CaptureContext context{windows, loop, sound, keywords, "call.wav", ""};
  const auto view = reinterpret_cast<tamiru::platform::WindowHandle>(g_view);
  tamiru::chatlog::CaptureChat(state, settings, context);  // the first capture logs everything

  const LRESULT length = SendMessageA(g_view, WM_GETTEXTLENGTH, 0, 0);
  constexpr int kRounds = 40;
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  for (int pass = 0; pass < 2; ++pass) {
  settings.SaveChatLog = pass == 0 ? 1 : 0;
  double bare = 0, capture = 0;
  for (int i = 0; i < kRounds; ++i) {
    const std::string line = "\r\nnew" + std::to_string(i) + ">\tひとこと";
    const LRESULT at = SendMessageA(g_view, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(g_view, EM_SETSEL, at, at);
    SendMessageA(g_view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
    QueryPerformanceCounter(&a);
    const std::string text = windows.SendGetText(view, static_cast<std::size_t>(length) + 4097);
    QueryPerformanceCounter(&b);
    bare += Micros(a, b, f);
    QueryPerformanceCounter(&a);
    const auto outcome = tamiru::chatlog::CaptureChat(state, settings, context);
    QueryPerformanceCounter(&b);
    capture += Micros(a, b, f);
    if (outcome.lines_handled != 1) std::printf("round %d: %zu lines\n", i, outcome.lines_handled);
  }
  std::printf("view %ld bytes, log %s: bare WM_GETTEXT %.0f us, capture tick %.0f us, ratio %.2f\n",
              static_cast<long>(length), pass == 0 ? "on" : "off", bare / kRounds, capture / kRounds,
              capture / bare);
  }
  PostMessageA(g_main, WM_CLOSE, 0, 0);
  PostThreadMessageA(g_client_thread, WM_QUIT, 0, 0);
  client.join();
  return 0;
}

// The cost of one chat capture tick beside a bare WM_GETTEXT of the same
// text: a chat view of about 64,000 bytes on another thread (as the client's
// is in another process), one new line per capture. Medians, as the machine
// may be busy with other work.
//   wine chatlog_bench.exe [rounds, default 60]
// Prints per kind of round the least, median and mean in microseconds:
//   bare        SendMessageA(WM_GETTEXT) into a buffer kept between rounds
//   layer read  the window layer's SendGetText (a zero-filled buffer each time)
//   capture     CaptureChat with the log on, and with only the keyword alert
// then the parts of a capture timed one by one, and the heap's price for a
// fresh block of the chat's size.
#include <windows.h>
#undef FindWindow
#undef GetWindowText
#undef GetClassName
#undef SendMessage
#undef PostMessage

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "chatlog/capture.h"
#include "game/discovery.h"
#include "platform/files.h"
#include "platform/win32/event_loop_win32.h"
#include "platform/win32/window_system_win32.h"

namespace {

namespace cl = tamiru::chatlog;
using tamiru::platform::WindowHandle;

HWND g_view = nullptr;
HWND g_main = nullptr;
DWORD g_client_thread = 0;
LARGE_INTEGER g_frequency;

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

// Microseconds that `work` takes.
template <typename Work>
double Time(Work&& work) {
  LARGE_INTEGER a, b;
  QueryPerformanceCounter(&a);
  work();
  QueryPerformanceCounter(&b);
  return static_cast<double>(b.QuadPart - a.QuadPart) * 1e6 / static_cast<double>(g_frequency.QuadPart);
}

struct Series {
  const char* name;
  std::vector<double> us;
  double Median() const {
    std::vector<double> sorted = us;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[sorted.size() / 2];
  }
  double Least() const { return us.empty() ? 0 : *std::min_element(us.begin(), us.end()); }
  double Mean() const {
    double sum = 0;
    for (double v : us) sum += v;
    return us.empty() ? 0 : sum / static_cast<double>(us.size());
  }
};

// The least is the cost with no wait for the processor; the median and the
// mean add the waits a busy machine imposes, which grow with the number of
// blocking calls (each message and file operation is a trip to the Wine
// server).
void Print(const Series& s, const Series& bare) {
  std::printf("  %-30s least %6.0f us (x%.2f)  median %6.0f us (x%.2f)  mean %6.0f us\n", s.name, s.Least(),
              s.Least() / bare.Least(), s.Median(), s.Median() / bare.Median(), s.Mean());
}

// The client adds one line at the end of its view.
void AddLine(const std::string& line) {
  const LRESULT at = SendMessageA(g_view, WM_GETTEXTLENGTH, 0, 0);
  SendMessageA(g_view, EM_SETSEL, at, at);
  SendMessageA(g_view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
  QueryPerformanceFrequency(&g_frequency);
  std::thread client(ClientThread);
  while (g_view == nullptr) Sleep(10);
  tamiru::platform::win32::Win32WindowSystem windows;
  tamiru::platform::win32::Win32EventLoop loop;
  NoSound sound;
  const std::vector<std::string> keywords{"ロン"};
  cl::CaptureState state;
  cl::CaptureSettings settings{1, 2, 1};  // log on with the date, keyword alert on
  const cl::CaptureContext context{windows, loop, sound, keywords, "call.wav", "", nullptr, {}};
  const auto view = reinterpret_cast<WindowHandle>(g_view);
  cl::CaptureChat(state, settings, context);  // the first capture logs everything

  std::vector<char> bare_buffer(64000 + 4097);
  Series bare{"bare WM_GETTEXT", {}}, layer{"layer SendGetText", {}};
  Series log_on{"capture, log on", {}}, log_off{"capture, keyword alert only", {}};
  for (int i = 0; i < rounds; ++i) {
    settings.SaveChatLog = i % 2 == 0 ? 1 : 0;
    AddLine("\r\nnew" + std::to_string(i) + ">\tひとこと");
    bare.us.push_back(Time([&] {
      SendMessageA(g_view, WM_GETTEXT, bare_buffer.size(), reinterpret_cast<LPARAM>(bare_buffer.data()));
    }));
    cl::CaptureOutcome outcome;
    (i % 2 == 0 ? log_on : log_off).us.push_back(Time([&] { outcome = cl::CaptureChat(state, settings, context); }));
    if (outcome.lines_handled != 1) std::printf("round %d: %zu lines\n", i, outcome.lines_handled);
  }
  // Apart from the captures: its fresh blocks make the heap slower for a while.
  for (int i = 0; i < rounds; ++i) {
    const LRESULT length = SendMessageA(g_view, WM_GETTEXTLENGTH, 0, 0);
    layer.us.push_back(Time([&] { windows.SendGetText(view, static_cast<std::size_t>(length) + 4097); }));
  }
  std::printf("view %ld bytes, %d rounds\n", static_cast<long>(SendMessageA(g_view, WM_GETTEXTLENGTH, 0, 0)),
              rounds);
  std::printf("x: times the bare WM_GETTEXT\n");
  for (const Series* s : {&bare, &layer, &log_on, &log_off}) Print(*s, bare);

  // The parts of one capture with the log on.
  Series find_main{"FindWindowA (game main)", {}}, find_view{"EnumChildWindows (view)", {}};
  Series read{"ReadChatText (kept buffer)", {}}, walk{"lines: count, walk, align", {}};
  Series append{"log file open+append+close", {}}, find_room{"FindWaitingRoom (EnumWindows)", {}};
  Series date{"date format of the system", {}}, whole{"whole capture again", {}};
  Series append_win32{"CreateFileA+WriteFile+Close", {}};
  std::string buffer;
  for (int i = 0; i < rounds; ++i) {
    AddLine("\r\nstep" + std::to_string(i) + ">\tひとこと");
    WindowHandle main_window{}, chat{};
    std::optional<std::size_t> got;
    std::string records;
    find_main.us.push_back(Time([&] { main_window = tamiru::game::FindGameMainWindow(windows); }));
    find_view.us.push_back(Time([&] { chat = tamiru::game::FindChildWindow(windows, main_window, tamiru::game::child::kGameChatView); }));
    read.us.push_back(Time([&] { got = cl::ReadChatText(windows, chat, buffer); }));
    walk.us.push_back(Time([&] {
      const std::string_view text(buffer.data(), got.value_or(0));
      const std::size_t last = cl::ScanChatLines(text, 0).count - 1;
      const std::size_t from = cl::ScanChatLines(text, last).line_start;
      cl::AlignChatName(text.substr(from), cl::ChatLayout::kGameMain, records);
      records += "\r\n";
    }));
    append.us.push_back(Time([&] { tamiru::platform::AppendToFile("bench_append.txt", records); }));
    find_room.us.push_back(Time([&] { tamiru::game::FindWaitingRoom(windows); }));
    append_win32.us.push_back(Time([&] {
      HANDLE file = CreateFileA("bench_append.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      DWORD written = 0;
      WriteFile(file, records.data(), static_cast<DWORD>(records.size()), &written, nullptr);
      CloseHandle(file);
    }));
    date.us.push_back(Time([&] { loop.SystemDateFormat(); }));
    settings.SaveChatLog = 1;
    whole.us.push_back(Time([&] { cl::CaptureChat(state, settings, context); }));
  }
  std::printf("parts of one capture:\n");
  for (const Series* s : {&find_main, &find_view, &read, &walk, &append, &append_win32, &find_room, &date, &whole}) {
    Print(*s, bare);
  }
  std::remove("bench_append.txt");

  // What a fresh heap block of the chat's size costs here, touched whole,
  // beside one reused.
  Series fresh{"fresh 68,097-byte block", {}}, kept{"kept block, filled", {}};
  std::vector<char*> held;
  std::unique_ptr<char[]> reused(new char[68097]);
  for (int i = 0; i < rounds; ++i) {
    fresh.us.push_back(Time([&] {
      char* block = new char[68097];
      std::memset(block, 1, 68097);
      held.push_back(block);  // kept alive so that the next one is fresh too
    }));
    kept.us.push_back(Time([&] { std::memset(reused.get(), i, 68097); }));
    if (held.size() >= 8) {
      for (char* block : held) delete[] block;
      held.clear();
    }
  }
  for (char* block : held) delete[] block;
  std::printf("heap:\n");
  for (const Series* s : {&fresh, &kept}) Print(*s, bare);

  std::remove(cl::ChatLogPath("", loop.Now()).c_str());
  PostMessageA(g_main, WM_CLOSE, 0, 0);
  PostThreadMessageA(g_client_thread, WM_QUIT, 0, 0);
  client.join();
  return 0;
}

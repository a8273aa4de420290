// Figures of tamiru.exe beside a minimal Win32 window program under the same
// system: time from process start to the main window shown (with empty lists
// and with 100,000-line friend and phrase lists), CPU used while idle over a
// period (macro poll on, and every timer off), and private memory.
//
//   main_window_bench.exe <folder of tamiru.exe> [idle seconds, default 60]
//   main_window_bench.exe --minimal      (the minimal window program itself)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr char kMinimalClass[] = "TamiruBenchMinimal";

LRESULT CALLBACK MinimalProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

int RunMinimalWindow() {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = MinimalProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kMinimalClass;
  RegisterClassA(&window_class);
  HWND window = CreateWindowA(kMinimalClass, "minimal", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 100, 100, 480, 300,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::string Lines(int count, const char* prefix) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(count) * 16);
  for (int i = 0; i < count; ++i) bytes += prefix + std::to_string(i) + "\r\n";
  return bytes;
}

// A folder with tamiru.exe, its INI and the four list files.
std::string PrepareFolder(const std::string& bin, const std::string& name, int list_lines, int macro) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "tamiru-bench-" + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  CopyFileA((bin + "\\tamiru.exe").c_str(), (folder + "\\tamiru.exe").c_str(), FALSE);
  WriteBytes(folder + "\\friendlist.txt", Lines(list_lines, "friend"));
  WriteBytes(folder + "\\chatlist.txt", Lines(list_lines, "phrase"));
  WriteBytes(folder + "\\keyword.txt", "");
  WriteBytes(folder + "\\macro.txt", "");
  WriteBytes(folder + "\\tamiru.INI", "[Setting]\r\nMacro=" + std::to_string(macro) + "\r\n");
  return folder;
}

struct Run {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
  double shown_after = -1;  // seconds from CreateProcess to the window shown
};

Run Start(const std::string& exe, const std::string& arguments, const std::string& folder, const char* window_class) {
  Run run;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string command_line = "\"" + exe + "\"" + arguments;
  LARGE_INTEGER begin, now;
  QueryPerformanceCounter(&begin);
  if (!CreateProcessA(exe.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &run.process)) {
    std::fprintf(stderr, "cannot start %s\n", exe.c_str());
    return run;
  }
  for (int i = 0; i < 60000; ++i) {
    HWND window = FindWindowA(window_class, nullptr);
    if (window && IsWindowVisible(window)) {
      QueryPerformanceCounter(&now);
      run.window = window;
      run.shown_after = Seconds(begin, now);
      break;
    }
    Sleep(1);
  }
  return run;
}

void Stop(Run& run) {
  if (run.window) PostMessageA(run.window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(run.process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(run.process.hProcess, 9);
  CloseHandle(run.process.hThread);
  CloseHandle(run.process.hProcess);
}

double CpuSeconds(HANDLE process) {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(process, &created, &ended, &kernel, &user);
  auto value = [](FILETIME t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(value(kernel) + value(user)) / 1e7;
}

// Private bytes; where the system leaves PrivateUsage at 0 (Wine), the
// pagefile-backed (committed private) bytes, which are the same figure.
double PrivateMegabytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  const SIZE_T bytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

void Idle(const char* label, Run& run, int seconds) {
  Sleep(1000);  // let the start-up settle
  const double before = CpuSeconds(run.process.hProcess);
  Sleep(static_cast<DWORD>(seconds) * 1000);
  const double used = CpuSeconds(run.process.hProcess) - before;
  std::printf("%-36s idle CPU %.3f s in %d s (%.3f %% of a core), private memory %.1f MB\n", label, used, seconds,
              100.0 * used / seconds, PrivateMegabytes(run.process.hProcess));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "--minimal") return RunMinimalWindow();
  if (argc < 2) {
    std::fprintf(stderr, "usage: main_window_bench <folder of tamiru.exe> [idle seconds]\n");
    return 2;
  }
  const std::string bin = argv[1];
  const int idle_seconds = argc >= 3 ? std::atoi(argv[2]) : 60;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);

  // Start-up: three runs each, the best and the last reported.
  for (int lines : {0, 100000}) {
    const std::string folder = PrepareFolder(bin, "start" + std::to_string(lines), lines, 0);
    for (int round = 0; round < 3; ++round) {
      Run run = Start(folder + "\\tamiru.exe", "", folder, "TForm1");
      Sleep(500);
      std::printf("tamiru.exe, %6d-line lists: window shown after %.3f s, private memory %.1f MB\n", lines,
                  run.shown_after, PrivateMegabytes(run.process.hProcess));
      std::fflush(stdout);
      Stop(run);
    }
  }
  for (int round = 0; round < 3; ++round) {
    Run run = Start(self, " --minimal", temp, kMinimalClass);
    Sleep(500);
    std::printf("minimal window program:          window shown after %.3f s, private memory %.1f MB\n",
                run.shown_after, PrivateMegabytes(run.process.hProcess));
    std::fflush(stdout);
    Stop(run);
  }

  {
    const std::string folder = PrepareFolder(bin, "idle-macro", 0, 1);
    Run run = Start(folder + "\\tamiru.exe", "", folder, "TForm1");
    Idle("tamiru.exe, Macro = 1 (Timer4 80 ms)", run, idle_seconds);
    Stop(run);
  }
  {
    const std::string folder = PrepareFolder(bin, "idle-off", 0, 0);
    Run run = Start(folder + "\\tamiru.exe", "", folder, "TForm1");
    Idle("tamiru.exe, every timer off", run, idle_seconds);
    Stop(run);
  }
  {
    Run run = Start(self, " --minimal", temp, kMinimalClass);
    Idle("minimal window program", run, idle_seconds);
    Stop(run);
  }
  return 0;
}

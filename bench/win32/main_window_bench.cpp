// Figures of tamiru.exe beside a minimal Win32 window program under the same
// system: time from process start to the main window shown (with empty lists
// and with 100,000-line friend and phrase lists), CPU used while idle over a
// period (macro poll on, and every timer off), and private memory.
//
// The minimal program is also run with the system parts tamiru.exe uses added
// one by one (common controls 6 through a copy of tamiru.exe's manifest, its
// Japanese font, child controls of the kinds and numbers its main window has),
// so that the gap to tamiru.exe splits into what the system costs and what is
// tamiru.exe's own. The rounds take the programs in turn, so that a busy
// moment of the machine touches them alike.
//
//   main_window_bench.exe <folder of tamiru.exe> [idle seconds, default 60] [Japanese face, default IPAPGothic]
//   main_window_bench.exe --minimal [--common-controls] [--font <face>] [--controls <class>=<count>,...]
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/handle_win32.h"

namespace {

constexpr char kMinimalClass[] = "TamiruBenchMinimal";
constexpr int kRounds = 9;

LRESULT CALLBACK MinimalProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// The system parts the minimal program adds, as its command line names them.
struct Parts {
  bool common_controls = false;  // the library loaded and its classes registered, as tamiru.exe does
  std::string font_face;
  std::vector<std::pair<std::string, int>> controls;  // class, count
};

Parts ReadParts(int argc, char** argv) {
  Parts parts;
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i], value = i + 1 < argc ? argv[i + 1] : "";
    if (option == "--common-controls") parts.common_controls = true;
    if (option == "--font") parts.font_face = value;
    if (option != "--controls") continue;
    std::size_t at = 0;
    while (at < value.size()) {
      const std::size_t end = std::min(value.find(',', at), value.size());
      const std::string item = value.substr(at, end - at);
      const std::size_t equals = item.find('=');
      if (equals != std::string::npos) parts.controls.emplace_back(item.substr(0, equals), std::atoi(&item[equals + 1]));
      at = end + 1;
    }
  }
  return parts;
}

// Loaded by name, so that the minimal program on its own does not load it.
void LoadCommonControls() {
  using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = tamiru::platform::win32::LateBound<Init>("comctl32.dll", "InitCommonControlsEx");
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  if (init) init(&classes);
}

void AddControls(HWND window, const Parts& parts, HFONT font) {
  int index = 0;
  for (const auto& [class_name, count] : parts.controls) {
    for (int i = 0; i < count; ++i, ++index) {
      HWND child = CreateWindowExA(0, class_name.c_str(), "\x83\x65\x83\x58\x83\x67", WS_CHILD | WS_VISIBLE,
                                   (index % 8) * 60, (index / 8) * 24, 56, 20, window, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
      if (child && font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
  }
}

int RunMinimalWindow(const Parts& parts) {
  if (parts.common_controls) LoadCommonControls();
  HFONT font = nullptr;
  if (!parts.font_face.empty()) {
    font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, parts.font_face.c_str());
  }
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = MinimalProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kMinimalClass;
  RegisterClassA(&window_class);
  HWND window = CreateWindowA(kMinimalClass, "minimal", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 100, 100, 480, 300,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  AddControls(window, parts, font);
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

// The direct children of a window, as "<class>=<count>,..." for --controls.
std::string ChildControls(HWND window) {
  std::map<std::string, int> counts;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[256] = {};
    GetClassNameA(child, name, sizeof name);
    ++counts[name];
  }
  std::string list;
  for (const auto& [name, count] : counts) list += (list.empty() ? "" : ",") + name + "=" + std::to_string(count);
  return list;
}

// Least, median and largest of a program's rounds.
struct Rounds {
  Rounds(std::string label_, std::string exe_, std::string arguments_, std::string folder_, std::string class_)
      : label(std::move(label_)), exe(std::move(exe_)), arguments(std::move(arguments_)), folder(std::move(folder_)),
        window_class(std::move(class_)) {}
  std::string label, exe, arguments, folder, window_class;
  std::vector<double> shown_after, megabytes;
  void Print() {
    std::sort(shown_after.begin(), shown_after.end());
    std::sort(megabytes.begin(), megabytes.end());
    const std::size_t mid = shown_after.size() / 2;
    std::printf("%-40s shown after %.3f / %.3f / %.3f s, private %.1f / %.1f / %.1f MB\n", label.c_str(),
                shown_after.front(), shown_after[mid], shown_after.back(), megabytes.front(), megabytes[mid],
                megabytes.back());
    std::fflush(stdout);
  }
};

// Starts the program once, notes its figures, ends it; the window's children
// as --controls names them when asked.
void StartOnce(Rounds& rounds, std::string* children = nullptr) {
  Run run = Start(rounds.exe, rounds.arguments, rounds.folder, rounds.window_class.c_str());
  Sleep(500);
  rounds.shown_after.push_back(run.shown_after);
  rounds.megabytes.push_back(PrivateMegabytes(run.process.hProcess));
  if (children && run.window) *children = ChildControls(run.window);
  Stop(run);
}

// A copy of this program beside a copy of tamiru.exe's manifest, which the
// system reads as the copy's own: common controls 6 and the rest of it.
std::string StyledCopy(const std::string& self, const std::string& tamiru, const std::string& temp) {
  const std::string copy = temp + "main_window_bench_styled.exe";
  CopyFileA(self.c_str(), copy.c_str(), FALSE);
  HMODULE module = LoadLibraryExA(tamiru.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_MANIFEST)) : nullptr;
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  if (!loaded) std::fprintf(stderr, "no manifest in %s\n", tamiru.c_str());
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : "";
  WriteBytes(copy + ".manifest", std::string(bytes, loaded ? SizeofResource(module, found) : 0));
  if (module) FreeLibrary(module);
  return copy;
}

void MeasureStartUp(const std::string& bin, const std::string& self, const std::string& temp,
                    const std::string& face) {
  const std::string empty_lists = PrepareFolder(bin, "start0", 0, 0);
  const std::string long_lists = PrepareFolder(bin, "start100000", 100000, 0);
  const std::string tamiru = empty_lists + "\\tamiru.exe";
  Rounds warm{"", tamiru, "", empty_lists, "TForm1"};
  std::string children;
  StartOnce(warm, &children);  // the system's caches filled before any round counts
  std::printf("tamiru.exe's main window holds %s\n", children.c_str());
  const std::string styled = StyledCopy(self, tamiru, temp);
  const std::string font = " --font \"" + face + "\"";
  std::vector<Rounds> programs = {
      {"tamiru.exe, empty lists", tamiru, "", empty_lists, "TForm1"},
      {"tamiru.exe, 100,000-line lists", long_lists + "\\tamiru.exe", "", long_lists, "TForm1"},
      {"minimal window program", self, " --minimal", temp, kMinimalClass},
      {"  + common controls 6 (the manifest)", styled, " --minimal --common-controls", temp, kMinimalClass},
      {"  + the Japanese font", styled, " --minimal --common-controls" + font, temp, kMinimalClass},
      {"  + tamiru.exe's child controls", styled, " --minimal --common-controls" + font + " --controls " + children,
       temp, kMinimalClass},
  };
  for (int round = 0; round < kRounds; ++round) {
    for (Rounds& program : programs) StartOnce(program);
  }
  for (Rounds& program : programs) program.Print();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "--minimal") return RunMinimalWindow(ReadParts(argc, argv));
  if (argc < 2) {
    std::fprintf(stderr, "usage: main_window_bench <folder of tamiru.exe> [idle seconds] [Japanese face]\n");
    return 2;
  }
  const std::string bin = argv[1];
  const int idle_seconds = argc >= 3 ? std::atoi(argv[2]) : 60;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  MeasureStartUp(bin, self, temp, argc >= 4 ? argv[3] : "IPAPGothic");

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

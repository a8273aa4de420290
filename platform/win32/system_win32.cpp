#include "platform/win32/system_win32.h"

#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>

// The interface names its operations after the calls; not the A/W macros.
#undef ShellExecute

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/handle_win32.h"
#include "platform/win32/integrity_win32.h"
#include "text/sjis.h"

namespace tamiru::platform::win32 {

namespace {

// COM on this thread (a single-threaded apartment) from the first shell call
// or file dialog on, as the shell wants it, until the program ends.
void EnsureComApartment() {
  struct Apartment {
    Apartment() {
      using Initialize = HRESULT(WINAPI*)(LPVOID, DWORD);
      const auto initialize = LateBound<Initialize>("ole32.dll", "CoInitializeEx");
      initialised = initialize != nullptr &&
                    SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    ~Apartment() {
      using Uninitialize = void(WINAPI*)();
      if (!initialised) return;
      if (const auto uninitialize = LateBound<Uninitialize>("ole32.dll", "CoUninitialize")) uninitialize();
    }
    bool initialised = false;
  };
  static const Apartment apartment;
}

}  // namespace

// "name|pattern|name|pattern" as the common dialogs want it: parts ended by
// NUL bytes, the whole by one more. A "|" byte that is the second byte of a
// double-byte character ("−" is 0x81 0x7C) is no separator.
std::string DialogFilter(const std::string& filter) {
  std::string parts;
  for (std::size_t i = 0; i < filter.size();) {
    const std::size_t width = text::CharWidthAt(filter, i);
    parts.append(width == 1 && filter[i] == '|' ? std::string_view("\0", 1) : std::string_view(filter).substr(i, width));
    i += width;
  }
  parts.push_back('\0');
  parts.push_back('\0');
  return parts;
}

namespace {

// The program's current directory, where chat logs and automatically named
// images go, is put back when the dialog ends: OFN_NOCHANGEDIR has no effect
// on the open dialog, which moves it to the folder the user browsed to.
class CurrentDirectoryKept {
 public:
  CurrentDirectoryKept() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    folder_.resize(size);
    const DWORD length = size > 0 ? GetCurrentDirectoryA(size, folder_.data()) : 0;
    folder_.resize(length < size ? length : 0);
  }
  ~CurrentDirectoryKept() {
    if (!folder_.empty()) SetCurrentDirectoryA(folder_.c_str());
  }
  CurrentDirectoryKept(const CurrentDirectoryKept&) = delete;
  CurrentDirectoryKept& operator=(const CurrentDirectoryKept&) = delete;

 private:
  std::string folder_;
};

std::optional<Dialogs::FileDialogResult> RunFileDialog(WindowHandle owner, const Dialogs::FileDialogRequest& request,
                                                       bool save) {
  std::vector<char> path(MAX_PATH * 4, '\0');
  request.file_name.copy(path.data(), path.size() - 1);
  const std::string filter = DialogFilter(request.filter);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = AsHwnd(owner);
  dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(request.filter_index);
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrInitialDir = request.initial_dir.empty() ? nullptr : request.initial_dir.c_str();
  dialog.lpstrDefExt = request.default_extension.empty() ? nullptr : request.default_extension.c_str();
  // The save dialog asks before replacing a file only when the caller wants
  // it (the CSV save): the image save overwrites without a question, as its
  // automatic names do. It refuses a
  // folder that does not exist while the user can still correct it; one
  // that goes away after the dialog closes ends the save with the program's
  // own message naming the path.
  const DWORD must_exist = save || !request.file_must_exist ? OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST;
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | must_exist |
                 (save && request.confirm_replace ? OFN_OVERWRITEPROMPT : 0);
  const CurrentDirectoryKept kept;
  using FileDialog = BOOL(WINAPI*)(LPOPENFILENAMEA);
  static const auto open_dialog = LateBound<FileDialog>("comdlg32.dll", "GetOpenFileNameA");
  static const auto save_dialog = LateBound<FileDialog>("comdlg32.dll", "GetSaveFileNameA");
  const FileDialog show = save ? save_dialog : open_dialog;
  if (show == nullptr) return std::nullopt;
  EnsureComApartment();
  const BOOL chosen = show(&dialog);
  if (!chosen) return std::nullopt;
  return Dialogs::FileDialogResult{std::string(path.data()), static_cast<int>(dialog.nFilterIndex)};
}

}  // namespace

bool Win32Input::PhysicalKeyDown(int physical_key) { return (GetAsyncKeyState(physical_key) & 0x8000) != 0; }

bool Win32Input::ButtonsSwapped() { return GetSystemMetrics(SM_SWAPBUTTON) != 0; }

Input::Point Win32Input::CursorPosition() {
  POINT point{};
  GetCursorPos(&point);
  return {point.x, point.y};
}

void Win32Shell::ShellExecute(WindowHandle owner, std::optional<std::string> verb, const std::string& file,
                              std::optional<std::string> directory, int show_command) {
  using Execute = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  static const auto execute = LateBound<Execute>("shell32.dll", "ShellExecuteA");
  if (execute == nullptr) return;
  EnsureComApartment();
  execute(AsHwnd(owner), verb ? verb->c_str() : nullptr, file.c_str(), nullptr,
          directory ? directory->c_str() : nullptr, show_command);
}

void Win32Shell::WinExec(const std::string& command_line, int show_command) {
  ::WinExec(command_line.c_str(), static_cast<UINT>(show_command));
}

std::string Win32Shell::ExecutablePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

namespace {

std::string EnvironmentValue(const char* name) {
  const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return {};
  std::string value(size, '\0');
  const DWORD length = GetEnvironmentVariableA(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return value;
}

WriteTime LastWriteOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace

std::optional<std::string> Win32Shell::VirtualStoreCopyOf(const std::string& path) {
  const std::vector<std::string> program_files{EnvironmentValue("ProgramFiles"), EnvironmentValue("ProgramFiles(x86)"),
                                               EnvironmentValue("ProgramW6432")};
  return VirtualStorePath(path, program_files, EnvironmentValue("LOCALAPPDATA"));
}

std::string Win32Shell::FileToRead(const std::string& path) {
  const auto copy = VirtualStoreCopyOf(path);
  if (copy && PreferVirtualStoreCopy(LastWriteOf(path), LastWriteOf(*copy))) return *copy;
  return path;
}

std::string Win32Shell::InstalledPath(const std::string& path) {
  if (LastWriteOf(FileToRead(path))) return path;
  const auto twin = ProgramFilesX86Twin(path, EnvironmentValue("ProgramW6432").empty() ? EnvironmentValue("ProgramFiles")
                                                                                      : EnvironmentValue("ProgramW6432"),
                                        EnvironmentValue("ProgramFiles(x86)"));
  return twin && LastWriteOf(FileToRead(*twin)) ? *twin : path;
}

namespace {

// A movable global block holding `size` bytes copied from `bytes`, as the
// clipboard takes it; null when none could be had.
HGLOBAL GlobalCopy(const void* bytes, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (block == nullptr) return nullptr;
  void* target = GlobalLock(block);
  if (target == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(block);
  return block;
}

// Hands a block to the clipboard, which owns it from then on; a block the
// clipboard refused is freed here.
bool PutOnClipboard(UINT format, HGLOBAL block) {
  if (block == nullptr) return false;
  if (SetClipboardData(format, block) != nullptr) return true;
  GlobalFree(block);
  return false;
}

}  // namespace

bool Win32Shell::CopyText(WindowHandle owner, const std::string& text) {
  // The text as CP932 (ending in one NUL) and as UTF-16 (ending in one NUL).
  const int wide_length = MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wide_length > 0 ? wide_length : 0), L'\0');
  if (wide_length > 0) MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), wide.data(), wide_length);
  if (!OpenClipboard(AsHwnd(owner))) return false;
  bool copied = EmptyClipboard() != FALSE;
  if (copied) {
    const bool unicode = PutOnClipboard(CF_UNICODETEXT, GlobalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)));
    const bool ansi = PutOnClipboard(CF_TEXT, GlobalCopy(text.c_str(), text.size() + 1));
    copied = unicode && ansi;
  }
  CloseClipboard();
  return copied;
}

namespace {

// The version as the kernel reports it: GetVersionEx answers what the
// program's manifest claims to know (6.2 for any later Windows).
std::string WindowsVersion() {
  struct VersionInfo {
    ULONG size, major, minor, build, platform;
    WCHAR service_pack[128];
  };
  using GetVersion = LONG(WINAPI*)(VersionInfo*);
  const auto get_version = FunctionOf<GetVersion>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion"));
  VersionInfo info{};
  info.size = sizeof info;
  if (get_version == nullptr || get_version(&info) != 0) return {};
  return std::to_string(info.major) + "." + std::to_string(info.minor) + "." + std::to_string(info.build);
}

bool WindowsIs64Bit() {
  if (sizeof(void*) == 8) return true;
  using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto is_wow64 = FunctionOf<IsWow64>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process"));
  BOOL wow64 = FALSE;
  return is_wow64 != nullptr && is_wow64(GetCurrentProcess(), &wow64) && wow64;
}

// Wine's ntdll tells its version; Windows' has no such function.
std::string WineVersion() {
  using GetWineVersion = const char*(CDECL*)();
  const auto get = FunctionOf<GetWineVersion>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"));
  const char* version = get != nullptr ? get() : nullptr;
  return version != nullptr ? version : "";
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// The awareness of this thread (Windows 10 1607 on), else of the process
// (8.1 on), else whether the process is aware at all (Vista on).
DpiAwareness ProgramDpiAwareness() {
  using Context = void*;
  using GetContext = Context(WINAPI*)();
  using AwarenessOf = int(WINAPI*)(Context);
  using ContextsEqual = BOOL(WINAPI*)(Context, Context);
  HMODULE user32 = GetModuleHandleA("user32.dll");
  const auto get_context = FunctionOf<GetContext>(GetProcAddress(user32, "GetThreadDpiAwarenessContext"));
  const auto awareness_of = FunctionOf<AwarenessOf>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext"));
  const auto equal = FunctionOf<ContextsEqual>(GetProcAddress(user32, "AreDpiAwarenessContextsEqual"));
  if (get_context != nullptr && awareness_of != nullptr) {
    const Context context = get_context();
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is per monitor with more
    // scaled by the system (the non-client area, dialogs).
    if (equal != nullptr && equal(context, reinterpret_cast<Context>(-4))) return DpiAwareness::kPerMonitorV2;
    switch (awareness_of(context)) {
      case 0: return DpiAwareness::kUnaware;
      case 1: return DpiAwareness::kSystem;
      case 2: return DpiAwareness::kPerMonitor;
      default: break;
    }
  }
  using GetProcessAwareness = HRESULT(WINAPI*)(HANDLE, int*);
  if (const auto get_process = LateBound<GetProcessAwareness>("shcore.dll", "GetProcessDpiAwareness")) {
    int value = 0;
    if (SUCCEEDED(get_process(nullptr, &value))) {
      return value == 0 ? DpiAwareness::kUnaware : value == 1 ? DpiAwareness::kSystem : DpiAwareness::kPerMonitor;
    }
  }
  using IsAware = BOOL(WINAPI*)();
  if (const auto is_aware = FunctionOf<IsAware>(GetProcAddress(user32, "IsProcessDPIAware"))) {
    return is_aware() ? DpiAwareness::kSystem : DpiAwareness::kUnaware;
  }
  return DpiAwareness::kUnknown;
}

}  // namespace

SystemFacts Win32Shell::DescribeSystem() {
  SystemFacts facts;
  facts.windows_version = WindowsVersion();
  facts.windows_64bit = WindowsIs64Bit();
  facts.program_64bit = sizeof(void*) == 8;
  facts.wine_version = WineVersion();
  facts.code_page = SystemCodePage();
  facts.dpi = SystemDpi();
  facts.awareness = ProgramDpiAwareness();
  facts.integrity_level = OwnIntegrityLevel();
  return facts;
}

void Win32Sound::PlayAsync(const std::string& path) {
  using Play = BOOL(WINAPI*)(LPCSTR, UINT);
  static const auto play = LateBound<Play>("winmm.dll", "sndPlaySoundA");
  if (play != nullptr) play(path.c_str(), SND_ASYNC);
}

bool Win32SingleInstance::AnotherInstanceRuns(const std::string& name) {
  HANDLE other = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str());
  // An instance run as administrator made its mutex with a security that
  // refuses this one full access: it runs all the same.
  if (other == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  CloseHandle(other);
  return true;
}

void Win32SingleInstance::Acquire(const std::string& name) { mutex_ = CreateMutexA(nullptr, TRUE, name.c_str()); }

void Win32SingleInstance::Release() {
  if (mutex_ == nullptr) return;
  ReleaseMutex(mutex_);
  CloseHandle(mutex_);
  mutex_ = nullptr;
}

void Win32Dialogs::ShowError(WindowHandle owner, const std::string& title, const std::string& message) {
  MessageBoxA(AsHwnd(owner), message.c_str(), title.c_str(), MB_OK | MB_ICONSTOP);
}

unsigned SystemCodePage() { return GetACP(); }

// UTF-16 is what wchar_t holds on Windows.
void Win32Dialogs::ShowWideWarning(WindowHandle owner, const std::u16string& title, const std::u16string& message) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  MessageBoxW(AsHwnd(owner), reinterpret_cast<const wchar_t*>(message.c_str()),
              reinterpret_cast<const wchar_t*>(title.c_str()), MB_OK | MB_ICONWARNING);
}

std::optional<Dialogs::FileDialogResult> Win32Dialogs::ShowOpenDialog(WindowHandle owner,
                                                                      const FileDialogRequest& request) {
  return RunFileDialog(owner, request, false);
}

std::optional<Dialogs::FileDialogResult> Win32Dialogs::ShowSaveDialog(WindowHandle owner,
                                                                      const FileDialogRequest& request) {
  return RunFileDialog(owner, request, true);
}

}  // namespace tamiru::platform::win32

// End-to-end harness: see harness.h.
#include "harness.h"
// After <windows.h>: the tab control's messages.
#include <commctrl.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace tamiru::e2e {

namespace {

constexpr char kStandinControlClass[] = "MjStandinControl";
constexpr char kStandinReadyTitle[] = "MJ stand-in ready";
constexpr ULONG_PTR kStandinCommand = 0x4D4A;
constexpr UINT kSendBoundMs = 5000;
constexpr char kStandinSideClass[] = "MjStandinSide";

bool CommandTo(const char* window_class, std::string_view command);

std::string Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : next;
  }
  return out;
}

void DeleteTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

bool CopyInto(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

void CloseInfo(PROCESS_INFORMATION& info) {
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  info = PROCESS_INFORMATION{};
}

void KillProcess(HANDLE process) {
  if (!process) return;
  if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
  }
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool ClassContains(HWND window, std::string_view part) {
  return part.empty() || Lower(ClassOf(window)).find(Lower(std::string(part))) != std::string::npos;
}

}  // namespace

std::string BinDir() {
  const char* dir = std::getenv("TAMIRU_BIN_DIR");
  return dir ? dir : "";
}

std::vector<RecordEntry> ParseRecord(std::string_view text) {
  std::vector<RecordEntry> entries;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string_view::npos) break;  // a line still being written
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string_view> fields;
    size_t from = 0;
    while (fields.size() < 4) {
      const size_t tab = line.find('\t', from);
      if (tab == std::string_view::npos) break;
      fields.push_back(line.substr(from, tab - from));
      from = tab + 1;
    }
    if (fields.size() < 4) continue;
    RecordEntry entry;
    entry.tick = static_cast<std::uint32_t>(std::strtoul(std::string(fields[0]).c_str(), nullptr, 10));
    entry.window = fields[1];
    entry.child = std::atoi(std::string(fields[2]).c_str());
    entry.event = fields[3];
    entry.detail = Unescape(line.substr(from));
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool WaitFor(const std::function<bool()>& condition, unsigned timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeout_ms) return condition();
    // The test process may own windows of its own (a product object built in
    // the test): keep their messages moving while it polls.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(20);
  }
}

// ---- window helpers ----

HWND FindTop(std::string_view class_name, std::string_view title) {
  const std::string c(class_name), t(title);
  return FindWindowA(c.empty() ? nullptr : c.c_str(), t.empty() ? nullptr : t.c_str());
}

HWND WaitForTop(std::string_view class_name, std::string_view title, unsigned timeout_ms) {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindTop(class_name, title)) != nullptr; }, timeout_ms);
  return found;
}

bool WaitForNoTop(std::string_view class_name, std::string_view title, unsigned timeout_ms) {
  return WaitFor([&] { return FindTop(class_name, title) == nullptr; }, timeout_ms);
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> all;
  if (!parent) return all;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

LRESULT SendBounded(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendBoundMs, &result)) return 0;
  return static_cast<LRESULT>(result);
}

std::string TextOf(HWND window) {
  if (!window) return {};
  const LRESULT length = SendBounded(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  const LRESULT got = SendBounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

bool SetTextOf(HWND window, std::string_view text) {
  const std::string copy(text);
  DWORD_PTR result = 0;
  return window && SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()),
                                       SMTO_ABORTIFHUNG, kSendBoundMs, &result) != 0;
}

HWND FindDescendantByText(HWND parent, std::string_view text, std::string_view class_contains, int index) {
  for (HWND child : Descendants(parent)) {
    if (ClassContains(child, class_contains) && TextOf(child) == text && index-- == 0) return child;
  }
  return nullptr;
}

HWND FindDescendantByClass(HWND parent, std::string_view class_contains, int index) {
  for (HWND child : Descendants(parent)) {
    if (ClassContains(child, class_contains) && index-- == 0) return child;
  }
  return nullptr;
}

bool Click(HWND button) {
  DWORD_PTR result = 0;
  return button && SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendBoundMs, &result) != 0;
}

bool PostClick(HWND button) { return button && PostMessageA(button, BM_CLICK, 0, 0) != 0; }

namespace {
std::vector<std::string> Items(HWND control, UINT count_message, UINT length_message, UINT text_message) {
  std::vector<std::string> items;
  const LRESULT count = SendBounded(control, count_message, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendBounded(control, length_message, i, 0);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const LRESULT got = SendBounded(control, text_message, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    items.push_back(std::move(text));
  }
  return items;
}
}  // namespace

std::vector<std::string> ListItems(HWND list) { return Items(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT); }
std::vector<std::string> ComboItems(HWND combo) {
  return Items(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}
int ListSelection(HWND list) { return static_cast<int>(SendBounded(list, LB_GETCURSEL, 0, 0)); }

namespace {
LRESULT SendWideBounded(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendBoundMs, &result)) return 0;
  return static_cast<LRESULT>(result);
}

std::string WideToSjis(const std::wstring& wide) {
  std::string bytes(wide.size() * 2 + 1, '\0');
  const int made = WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                                       static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(made > 0 ? static_cast<std::size_t>(made) : 0);
  return bytes;
}
}  // namespace

std::vector<std::string> ItemsAsSjis(HWND control, bool combo) {
  const UINT count_message = combo ? CB_GETCOUNT : LB_GETCOUNT;
  const UINT length_message = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  const UINT text_message = combo ? CB_GETLBTEXT : LB_GETTEXT;
  std::vector<std::string> items;
  const LRESULT count = SendWideBounded(control, count_message, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendWideBounded(control, length_message, i, 0);
    std::wstring wide(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
    const LRESULT copied = SendWideBounded(control, text_message, i, reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(copied < 0 ? 0 : static_cast<std::size_t>(copied));
    items.push_back(WideToSjis(wide));
  }
  return items;
}

std::string TextAsSjis(HWND window) {
  const LRESULT length = SendWideBounded(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring wide(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
  const LRESULT copied = SendWideBounded(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()));
  wide.resize(copied < 0 ? 0 : static_cast<std::size_t>(copied));
  return WideToSjis(wide);
}

RemoteBlock::RemoteBlock(DWORD process_id, std::size_t size)
    : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id)) {
  if (process_ != nullptr) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
}

RemoteBlock::~RemoteBlock() {
  if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  if (process_ != nullptr) CloseHandle(process_);
}

bool RemoteBlock::Write(std::size_t offset, const void* bytes, std::size_t size) const {
  return WriteProcessMemory(process_, At(offset), bytes, size, nullptr) != 0;
}

bool RemoteBlock::Read(std::size_t offset, void* bytes, std::size_t size) const {
  return ReadProcessMemory(process_, At(offset), bytes, size, nullptr) != 0;
}

std::vector<std::vector<std::string>> ListViewRows(DWORD process_id, HWND view, int columns) {
  std::vector<std::vector<std::string>> rows;
  constexpr std::size_t kChars = 1024;
  RemoteBlock block(process_id, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  if (!block.ok()) return rows;
  const int count = static_cast<int>(SendBounded(view, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    std::vector<std::string> cells;
    for (int column = 0; column < columns; ++column) {
      LVITEMW item{};
      item.iSubItem = column;
      item.pszText = reinterpret_cast<wchar_t*>(block.At(sizeof(LVITEMW)));
      item.cchTextMax = kChars;
      block.Write(0, &item, sizeof item);
      const int length =
          static_cast<int>(SendBounded(view, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(block.At(0))));
      std::wstring wide(kChars, L'\0');
      block.Read(sizeof(LVITEMW), wide.data(), kChars * sizeof(wchar_t));
      wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
      std::string sjis(wide.size() * 2 + 1, '\0');
      const int bytes = WideCharToMultiByte(932, 0, wide.c_str(), static_cast<int>(wide.size()), sjis.data(),
                                            static_cast<int>(sjis.size()), nullptr, nullptr);
      sjis.resize(static_cast<std::size_t>(bytes > 0 ? bytes : 0));
      cells.push_back(sjis);
    }
    rows.push_back(cells);
  }
  return rows;
}

// Where Wine leaves PrivateUsage at 0, the pagefile-backed bytes are the
// same figure.
double PrivateMegabytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return static_cast<double>(counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage) / 1048576.0;
}

std::vector<HWND> TopWindowsOf(DWORD process_id, bool visible_only) {
  struct Search {
    DWORD process_id;
    bool visible_only;
    std::vector<HWND> found;
  } search{process_id, visible_only, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->process_id && (!s->visible_only || IsWindowVisible(window))) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  }
}

bool BringToFront(HWND window) {
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(window);
  return e2e::WaitFor([&] {
    PumpFor(10);
    return GetForegroundWindow() == window;
  });
}

void SaveWindowImage(HWND window, const std::string& path) {
  // The client area, painted anew first: under Wine without a window
  // manager the frame is not drawn, and what lay over the window may still
  // be on the screen.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(200);
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  const int stride = (width * 3 + 3) & ~3;
  std::string pixels(static_cast<std::size_t>(stride) * height, '\0');
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

// ---- session ----

Session::Session(std::string name) : name_(std::move(name)) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string base = std::string(temp) + "tamiru-e2e";
  CreateDirectoryA(base.c_str(), nullptr);
  folder_ = base + "\\" + name_;
  DeleteTree(folder_);
  CreateDirectoryA(folder_.c_str(), nullptr);
  // Everything started from here, and what it starts in turn, dies with the
  // job when the test process ends, however it ends.
  job_ = CreateJobObjectA(nullptr, nullptr);
  if (job_) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  }
}

Session::~Session() {
  KillAll();
  if (job_) CloseHandle(job_);
  if (::testing::Test::HasFailure()) {
    std::printf("e2e working folder kept: %s\n", folder_.c_str());
  } else {
    DeleteTree(folder_);
  }
}

std::string Session::PathOf(std::string_view file) const { return folder_ + "\\" + std::string(file); }

bool Session::WriteFile(std::string_view file, std::string_view bytes) const {
  HANDLE handle = CreateFileA(PathOf(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(handle);
  return ok && written == bytes.size();
}

std::optional<std::string> Session::ReadFile(std::string_view file) const { return ReadBytesAt(PathOf(file)); }

std::optional<std::string> ReadBytesAt(const std::string& path) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[8192];
  DWORD got = 0;
  while (::ReadFile(handle, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(handle);
  return bytes;
}

bool Session::FileExists(std::string_view file) const {
  return GetFileAttributesA(PathOf(file).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Session::Launch(const std::string& exe, PROCESS_INFORMATION* info, const std::string* directory) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string command_line = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), command_line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      (directory ? *directory : folder_).c_str(), &startup, info)) {
    return false;
  }
  if (job_) AssignProcessToJobObject(job_, info->hProcess);
  ResumeThread(info->hThread);
  return true;
}

bool Session::PlaceStandin() { return CopyInto(BinDir() + "\\MJ.exe", PathOf("MJ.exe")); }

bool Session::TamiruBuilt() {
  return GetFileAttributesA((BinDir() + "\\tamiru.exe").c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Session::StartStandin(std::string_view scenario, unsigned timeout_ms) {
  if (!PlaceStandin()) return false;
  if (!WriteFile("standin.txt", scenario)) return false;
  if (!Launch(PathOf("MJ.exe"), &standin_)) return false;
  return WaitFor([&] { return StandinRunning(); }, timeout_ms);
}

bool Session::StartTamiru(unsigned timeout_ms) {
  if (!CopyInto(BinDir() + "\\tamiru.exe", PathOf("tamiru.exe"))) return false;
  return StartTamiruAt(PathOf("tamiru.exe"), folder_, timeout_ms);
}

bool Session::StartTamiruAt(const std::string& exe, const std::string& directory, unsigned timeout_ms) {
  KillProcess(tamiru_.hProcess);
  CloseInfo(tamiru_);
  if (!Launch(exe, &tamiru_, &directory)) return false;
  return WaitFor([&] { return !TopWindowsOf(tamiru_.dwProcessId).empty(); }, timeout_ms);
}

bool Session::StandinRunning() const {
  return FindWindowA(kStandinControlClass, kStandinReadyTitle) != nullptr;
}

bool Session::Command(std::string_view command) const { return CommandTo(kStandinControlClass, command); }

bool Session::SideCommand(std::string_view command) const { return CommandTo(kStandinSideClass, command); }

bool Session::KillStandin() {
  KillProcess(standin_.hProcess);
  CloseInfo(standin_);
  return WaitForNoTop(kStandinControlClass, "");
}

namespace {

bool CommandTo(const char* window_class, std::string_view command) {
  HWND control = FindWindowA(window_class, nullptr);
  if (!control) return false;
  std::string bytes(command);
  COPYDATASTRUCT data{kStandinCommand, static_cast<DWORD>(bytes.size()), bytes.data()};
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(control, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kSendBoundMs,
                           &result)) {
    return false;
  }
  return result != 0;
}

}  // namespace

HWND Session::TamiruWindow() const {
  if (!tamiru_.dwProcessId) return nullptr;
  const std::vector<HWND> windows = TopWindowsOf(tamiru_.dwProcessId);
  return windows.empty() ? nullptr : windows.front();
}

std::optional<DWORD> Session::WaitForTamiruExit(unsigned timeout_ms) const {
  if (!tamiru_.hProcess || WaitForSingleObject(tamiru_.hProcess, timeout_ms) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(tamiru_.hProcess, &code);
  return code;
}

std::vector<RecordEntry> Session::Record() const { return ParseRecord(ReadFile("standin_record.txt").value_or("")); }

std::vector<RecordEntry> Session::Entries(std::string_view window, int child, std::string_view event,
                                          std::optional<std::string_view> detail) const {
  std::vector<RecordEntry> matching;
  for (RecordEntry& entry : Record()) {
    if (entry.window == window && (child == -2 || entry.child == child) && entry.event == event &&
        (!detail || entry.detail == *detail)) {
      matching.push_back(std::move(entry));
    }
  }
  return matching;
}

std::optional<RecordEntry> Session::WaitForEntryWhere(const std::function<bool(const RecordEntry&)>& match,
                                                      unsigned timeout_ms) const {
  std::optional<RecordEntry> found;
  WaitFor(
      [&] {
        for (RecordEntry& entry : Record()) {
          if (match(entry)) {
            found = std::move(entry);
            return true;
          }
        }
        return false;
      },
      timeout_ms);
  return found;
}

std::optional<RecordEntry> Session::WaitForEntry(std::string_view window, int child, std::string_view event,
                                                 std::optional<std::string_view> detail, unsigned timeout_ms) const {
  return WaitForEntryWhere(
      [&](const RecordEntry& entry) {
        return entry.window == window && (child == -2 || entry.child == child) && entry.event == event &&
               (!detail || entry.detail == *detail);
      },
      timeout_ms);
}

std::vector<std::string> Session::SentLines(std::string_view window) const {
  std::vector<std::string> lines;
  for (const RecordEntry& entry : Entries(window, -1, "send")) lines.push_back(entry.detail);
  return lines;
}

void Session::KillAll() {
  KillProcess(tamiru_.hProcess);
  KillProcess(standin_.hProcess);
  // A stand-in that Tamiru started itself is not ours by handle: find it by
  // its control window, and end it when its program lies in our folder.
  for (int round = 0; round < 4; ++round) {
    HWND control = FindWindowA(kStandinControlClass, nullptr);
    if (!control) break;
    DWORD process_id = 0;
    GetWindowThreadProcessId(control, &process_id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                 process_id);
    if (!process) break;
    char image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const bool known = QueryFullProcessImageNameA(process, 0, image, &size) != 0;
    const bool ours = !known || Lower(image).rfind(Lower(folder_), 0) == 0;
    if (ours) KillProcess(process);
    CloseHandle(process);
    if (!ours) break;
  }
  if (job_) TerminateJobObject(job_, 99);
  CloseInfo(tamiru_);
  CloseInfo(standin_);
}

HWND ButtonNamed(HWND window, const std::string& caption, int nth) {
  for (HWND child : Descendants(window)) {
    if (ClassOf(child) == "Button" && TextOf(child) == caption && nth-- == 0) return child;
  }
  ADD_FAILURE() << "no button " << caption;
  return nullptr;
}

std::string MonthLogName() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char name[16];
  std::snprintf(name, sizeof name, "LOG%02d%02d.txt", now.wYear % 100, now.wMonth);
  return name;
}

// ---- the real mouse ----

void MouseTo(POINT screen) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((screen.x * 65535LL + width / 2) / (width - 1));
  input.mi.dy = static_cast<LONG>((screen.y * 65535LL + height / 2) / (height - 1));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
  Sleep(30);
}

void MouseButton(bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof input);
  Sleep(60);
}

POINT RowPoint(HWND list, int row) {
  constexpr int kRowHeight = 15;
  POINT point{30, row * kRowHeight + kRowHeight / 2};
  ClientToScreen(list, &point);
  return point;
}

void DragRow(HWND list, int from_row, int to_row) {
  const POINT from = RowPoint(list, from_row);
  const POINT to = RowPoint(list, to_row);
  MouseTo(from);
  MouseButton(true);
  const int steps = 8;
  for (int i = 1; i <= steps; ++i) {
    MouseTo({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
  }
  Sleep(100);
  MouseButton(false);
}

void ClickIn(HWND window, int x, int y) {
  RECT client{};
  GetClientRect(window, &client);
  POINT point{x >= 0 ? x : client.right / 2, y >= 0 ? y : client.bottom / 2};
  ClientToScreen(window, &point);
  MouseTo(point);
  MouseButton(true);
  MouseButton(false);
  Sleep(90);
}

void PressKey(WORD key) {
  INPUT input[2]{};
  input[0].type = INPUT_KEYBOARD;
  input[0].ki.wVk = key;
  input[1] = input[0];
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof input[0]);
  Sleep(80);
}

// Tried three times: a key press that reaches the window before the click
// gave it the focus is lost.
bool ShowTabPage(HWND tabs, int index) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    ClickIn(tabs, 16, 8);
    for (int i = 0; i < index; ++i) PressKey(VK_RIGHT);
    if (WaitFor([&] { return SendBounded(tabs, TCM_GETCURSEL, 0, 0) == index; }, 2000)) return true;
  }
  return false;
}

// ---- faults ----

bool Answers(HWND window, unsigned timeout_ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result) != 0;
}

std::optional<std::string> TakeErrorBox(unsigned timeout_ms) {
  HWND box = WaitForTop("#32770", "Tamiru", timeout_ms);
  if (!box) return std::nullopt;
  std::string texts;
  for (HWND window : Descendants(box)) texts += TextOf(window) + "\n";
  // The OK of a message box, as its button sends it.
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  WaitForNoTop("#32770", "Tamiru");
  return texts;
}

HeldFile::HeldFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

HeldFile::~HeldFile() {
  if (held()) CloseHandle(handle_);
}

namespace {

bool RunningUnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether a new file can be made in the folder, or the file opened to write.
bool Writable(const std::string& path) {
  HANDLE probe = IsFolder(path) ? CreateFileA((path + "\\~probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_FLAG_DELETE_ON_CLOSE, nullptr)
                                : CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  return true;
}

// chattr on the Unix side: Wine starts a Unix program named by its Unix path.
void Chattr(const char* flag, const std::vector<std::string>& paths) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  const auto unix_name =
      reinterpret_cast<UnixName>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unix_name) return;
  std::string command = std::string("/usr/bin/chattr ") + flag;
  for (const std::string& path : paths) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* name = unix_name(wide);
    if (!name) continue;
    command += std::string(" \"") + name + "\"";
    HeapFree(GetProcessHeap(), 0, name);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    CloseInfo(info);
  }
}

}  // namespace

WriteRefusal::WriteRefusal(std::vector<std::string> paths) : paths_(std::move(paths)) {
  if (RunningUnderWine()) {
    Chattr("+i", paths_);
    ok_ = WaitFor([&] {
      for (const std::string& path : paths_) {
        if (Writable(path)) return false;
      }
      return true;
    });
    return;
  }
  // A folder's read-only attribute does not stop new files on Windows: only
  // files can be refused here.
  ok_ = true;
  for (const std::string& path : paths_) {
    ok_ = !IsFolder(path) && SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY) && ok_;
  }
}

WriteRefusal::~WriteRefusal() {
  if (RunningUnderWine()) {
    Chattr("-i", paths_);
    WaitFor([&] {
      for (const std::string& path : paths_) {
        if (!Writable(path)) return false;
      }
      return true;
    });
    return;
  }
  for (const std::string& path : paths_) {
    if (!IsFolder(path)) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// A double click in the middle of the row, as the mouse gives it.
bool DoubleClickRow(DWORD process_id, HWND view, int row) {
  RemoteBlock block(process_id, sizeof(RECT));
  RECT rect{LVIR_BOUNDS, 0, 0, 0};
  if (!block.ok() || !block.Write(0, &rect, sizeof rect)) return false;
  if (SendBounded(view, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(block.At(0))) == 0) return false;
  block.Read(0, &rect, sizeof rect);
  const LPARAM at = MAKELPARAM(rect.left + 20, (rect.top + rect.bottom) / 2);
  SendBounded(view, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendBounded(view, WM_LBUTTONUP, 0, at);
  SendBounded(view, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendBounded(view, WM_LBUTTONUP, 0, at);
  return true;
}

}  // namespace tamiru::e2e

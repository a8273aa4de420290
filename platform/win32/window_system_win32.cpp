#include "platform/win32/window_system_win32.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "platform/win32/handle_win32.h"
#include "platform/win32/integrity_win32.h"

namespace tamiru::platform::win32 {

namespace {

// The visitor of an enumeration and the first exception it threw: no C++
// exception may unwind through the system's enumeration code.
struct Enumeration {
  const std::function<bool(WindowHandle)>* visit;
  std::exception_ptr error;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM context) {
  auto* enumeration = reinterpret_cast<Enumeration*>(context);
  try {
    return (*enumeration->visit)(AsHandle(window)) ? TRUE : FALSE;
  } catch (...) {
    enumeration->error = std::current_exception();
    return FALSE;
  }
}

int BufferArgument(std::size_t buffer_bytes) {
  return buffer_bytes > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(buffer_bytes);
}

// The text in a zero-filled buffer of `size` bytes after a call that claims
// to have copied `copied` bytes: never more than the buffer holds, and only
// up to the first zero byte.
std::string Received(const char* buffer, std::size_t size, LONG_PTR copied) {
  if (size == 0 || copied <= 0) return {};
  const std::size_t limit = std::min<std::size_t>(static_cast<std::size_t>(copied), size - 1);
  return std::string(buffer, strnlen(buffer, limit));
}

// A row longer than this is not read (no list box of the client holds one).
constexpr LRESULT kLongestListRow = 1 << 20;

bool OfThisProcess(HWND window) {
  DWORD process = 0;
  return GetWindowThreadProcessId(window, &process) != 0 && process == GetCurrentProcessId();
}

}  // namespace

// A process that this one may not even query, or whose token it may not
// open (an elevated one refuses both), counts as high. A process it could
// open is kept with its handle, so that it is forgotten once it has ended
// and its id may be another's.
void Win32WindowSystem::NoteTarget(WindowHandle window) {
  if (!elevated_notice_ || elevated_watch_.Told()) return;
  DWORD process = 0;
  if (GetWindowThreadProcessId(AsHwnd(window), &process) == 0 || process == GetCurrentProcessId()) return;
  ForgetEndedProcesses();
  std::uint32_t level = 0;
  if (auto known = integrity_by_process_.find(process); known != integrity_by_process_.end()) {
    level = known->second.level;
  } else if (HANDLE opened = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)) {
    // A process that has ended already tells nothing, and is not kept.
    level = WaitForSingleObject(opened, 0) == WAIT_TIMEOUT ? ProcessIntegrityLevel(opened, integrity::kHigh) : 0;
    if (level != 0) {
      integrity_by_process_[process] = {level, opened};
    } else {
      CloseHandle(opened);
    }
  } else {
    level = GetLastError() == ERROR_ACCESS_DENIED ? integrity::kHigh : 0;
  }
  const std::uint32_t own_level = OwnIntegrityLevel();
  if (elevated_watch_.FirstOutranking(level, own_level)) elevated_notice_();
}

void Win32WindowSystem::ForgetEndedProcesses() {
  for (auto it = integrity_by_process_.begin(); it != integrity_by_process_.end();) {
    if (WaitForSingleObject(it->second.process, 0) == WAIT_TIMEOUT) {
      ++it;
      continue;
    }
    CloseHandle(it->second.process);
    it = integrity_by_process_.erase(it);
  }
}

namespace {

// Whether the window's process still runs: its window is there, and the
// process either waits unended or refuses even a wait (an elevated one may).
// Wine fails a message to a window of a process that was killed with access
// denied too, while the window lingers: that process is gone.
bool ProcessStillRuns(HWND window) {
  DWORD process_id = 0;
  if (!IsWindow(window) || GetWindowThreadProcessId(window, &process_id) == 0) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return runs;
}

}  // namespace

// Windows refuses a message to a window of a process of higher integrity
// with access denied (User Interface Privilege Isolation): the same notice.
void Win32WindowSystem::NoteFailure(WindowHandle window) {
  const DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED && elevated_notice_ && !elevated_watch_.Told() && ProcessStillRuns(AsHwnd(window)) &&
      elevated_watch_.FirstRefusal()) {
    elevated_notice_();
  }
  SetLastError(error);  // the caller goes on to tell a time-out apart
}

Win32WindowSystem::~Win32WindowSystem() {
  for (const auto& [id, known] : integrity_by_process_) CloseHandle(known.process);
}

WindowHandle Win32WindowSystem::FindTopLevel(std::optional<std::string_view> class_name,
                                           std::optional<std::string_view> title) {
  const std::string class_copy(class_name.value_or(std::string_view()));
  const std::string title_copy(title.value_or(std::string_view()));
  return AsHandle(::FindWindowA(class_name ? class_copy.c_str() : nullptr, title ? title_copy.c_str() : nullptr));
}

void Win32WindowSystem::VisitTopLevels(const std::function<bool(WindowHandle)>& visit) {
  Enumeration enumeration{&visit, nullptr};
  ::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&enumeration));
  if (enumeration.error) std::rethrow_exception(enumeration.error);
}

void Win32WindowSystem::VisitDescendants(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) {
  Enumeration enumeration{&visit, nullptr};
  ::EnumChildWindows(AsHwnd(parent), VisitWindow, reinterpret_cast<LPARAM>(&enumeration));
  if (enumeration.error) std::rethrow_exception(enumeration.error);
}

std::string Win32WindowSystem::TitleOf(WindowHandle window, std::size_t buffer_bytes) {
  if (buffer_bytes == 0) return {};
  // GetWindowTextA reads another program's caption without asking it, but
  // asks a window of this program with WM_GETTEXT, unbounded: one on another
  // thread of ours that hangs would stop every search of the top-level
  // windows. Those are asked with the bound instead.
  if (OfThisProcess(AsHwnd(window)) && GetWindowThreadProcessId(AsHwnd(window), nullptr) != GetCurrentThreadId()) {
    return GetTextBounded(window, buffer_bytes);
  }
  std::string buffer(buffer_bytes, '\0');
  const int copied = ::GetWindowTextA(AsHwnd(window), buffer.data(), BufferArgument(buffer_bytes));
  return Received(buffer.data(), buffer_bytes, copied);
}

std::string Win32WindowSystem::ClassOf(WindowHandle window, std::size_t buffer_bytes) {
  if (buffer_bytes == 0) return {};
  std::string buffer(buffer_bytes, '\0');
  const int copied = ::GetClassNameA(AsHwnd(window), buffer.data(), BufferArgument(buffer_bytes));
  return Received(buffer.data(), buffer_bytes, copied);
}

MsgResult Win32WindowSystem::SendBounded(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  return AnsweredBounded(window, message, wparam, lparam).value_or(0);
}

std::optional<MsgResult> Win32WindowSystem::AnsweredBounded(WindowHandle window, unsigned message, WParam wparam,
                                                            LParam lparam) {
  NoteTarget(window);
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(AsHwnd(window), message, wparam, lparam, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                             send_bound_ms_, &result)) {
    NoteFailure(window);
    return std::nullopt;
  }
  return static_cast<MsgResult>(result);
}

// The messages below pass a buffer. When the send runs out of its bound, a
// window of this process may still handle the message later and use the
// buffer then, so a buffer whose send did not complete is left allocated
// for the rest of the run instead of freed under the late reader. A window
// of another process is handed a copy made by the system, which drops a
// late reply: there the buffer is freed, so a sluggish client does not make
// this program grow.
namespace {
bool SendWithBuffer(HWND window, UINT message, WPARAM wparam, std::unique_ptr<char[]>& buffer, UINT bound_ms,
                    DWORD_PTR& result) {
  result = 0;
  if (::SendMessageTimeoutA(window, message, wparam, reinterpret_cast<LPARAM>(buffer.get()),
                            SMTO_ABORTIFHUNG | SMTO_NORMAL, bound_ms, &result)) {
    return true;
  }
  if (GetLastError() == ERROR_TIMEOUT && OfThisProcess(window)) buffer.release();  // see above: kept alive
  return false;
}
}  // namespace

MsgResult Win32WindowSystem::SetTextBounded(WindowHandle window, std::string_view text) {
  const std::string_view line = text.substr(0, text.find('\0'));
  std::unique_ptr<char[]> buffer(new char[line.size() + 1]());
  std::memcpy(buffer.get(), line.data(), line.size());
  NoteTarget(window);
  DWORD_PTR result = 0;
  if (!SendWithBuffer(AsHwnd(window), WM_SETTEXT, 0, buffer, send_bound_ms_, result)) {
    NoteFailure(window);
    return 0;
  }
  return static_cast<MsgResult>(result);
}

std::string Win32WindowSystem::GetTextBounded(WindowHandle window, std::size_t buffer_bytes) {
  if (buffer_bytes == 0) return {};
  std::unique_ptr<char[]> buffer(new char[buffer_bytes]());
  NoteTarget(window);
  DWORD_PTR copied = 0;
  if (!SendWithBuffer(AsHwnd(window), WM_GETTEXT, buffer_bytes, buffer, send_bound_ms_, copied)) {
    NoteFailure(window);
    return {};
  }
  return Received(buffer.get(), buffer_bytes, static_cast<LONG_PTR>(copied));
}

std::size_t Win32WindowSystem::GetTextIntoBounded(WindowHandle window, std::string& buffer) {
  if (buffer.empty()) return 0;
  // No zero fill: only the bytes the peer reports as copied are looked at.
  buffer.front() = '\0';
  NoteTarget(window);
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutA(AsHwnd(window), WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG | SMTO_NORMAL, send_bound_ms_, &copied)) {
    NoteFailure(window);
    if (GetLastError() == ERROR_TIMEOUT && OfThisProcess(AsHwnd(window))) {
      // A window of this process may still write into it: the bytes move to
      // a string that is never freed (see SendWithBuffer).
      static_cast<void>(new std::string(std::move(buffer)));
    }
    // Empty tells the reader that the view did not answer, which a view
    // without text (0 bytes read) does.
    buffer.clear();
    return 0;
  }
  if (static_cast<LONG_PTR>(copied) <= 0) return 0;
  const std::size_t limit = std::min<std::size_t>(static_cast<std::size_t>(copied), buffer.size() - 1);
  return strnlen(buffer.data(), limit);
}

namespace {

// Wine hands LB_GETTEXT of another process's list box to an ANSI caller
// unconverted: UTF-16 with a count of UTF-16 units (Windows converts it).
// The buffer is pre-filled with a non-zero byte, so the terminator tells
// which was written: an ANSI row of n bytes ends in one zero at n, a UTF-16
// row of n units in two zeros at 2n (an ANSI row never has two there, as
// the byte after its terminator still holds the fill).
constexpr char kUnwrittenByte = '\x7F';

bool LooksLikeUtf16(const char* buffer, std::size_t size, std::size_t units) {
  if (units == 0 || 2 * units + 1 >= size) return false;
  return buffer[2 * units] == 0 && buffer[2 * units + 1] == 0 && strnlen(buffer, size) != units;
}

std::string FromUtf16(const char* buffer, std::size_t units) {
  std::wstring wide(units, L'\0');
  std::memcpy(wide.data(), buffer, units * sizeof(wchar_t));
  const int bytes = ::WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(units), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
  if (bytes > 0) {
    ::WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(units), text.data(), bytes, nullptr, nullptr);
  }
  return text.substr(0, text.find('\0'));
}

}  // namespace

std::string Win32WindowSystem::GetListTextBounded(WindowHandle window, int row) {
  const MsgResult length = SendBounded(window, LB_GETTEXTLEN, static_cast<WParam>(row), 0);
  if (length < 0 || length > kLongestListRow) return {};
  // LB_GETTEXT takes no buffer size. The length may be reported in
  // characters by a list box that keeps its rows in UTF-16, and the row may
  // change between the two messages: room for twice the bytes, and more.
  const std::size_t size = static_cast<std::size_t>(length) * 2 + 256;
  std::unique_ptr<char[]> buffer(new char[size]);
  std::memset(buffer.get(), kUnwrittenByte, size);
  DWORD_PTR copied = 0;
  if (!SendWithBuffer(AsHwnd(window), LB_GETTEXT, static_cast<WPARAM>(row), buffer, send_bound_ms_, copied)) {
    NoteFailure(window);
    return {};
  }
  const auto count = static_cast<LONG_PTR>(copied);
  if (count == LB_ERR || count <= 0) return {};
  const auto units = static_cast<std::size_t>(count);
  if (LooksLikeUtf16(buffer.get(), size, units)) return FromUtf16(buffer.get(), units);
  // An ANSI row ends at its terminator (a list box that counts characters
  // reports fewer units than the row has bytes).
  const std::size_t end = strnlen(buffer.get(), size);
  return end < size ? std::string(buffer.get(), end) : std::string();
}

bool Win32WindowSystem::Post(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  NoteTarget(window);
  if (::PostMessageA(AsHwnd(window), message, wparam, lparam)) return true;
  NoteFailure(window);
  return false;
}

bool Win32WindowSystem::BringToForeground(WindowHandle window, bool restore_minimised) {
  if (restore_minimised && ::IsIconic(AsHwnd(window))) ::ShowWindow(AsHwnd(window), SW_RESTORE);
  const bool activated = ::SetForegroundWindow(AsHwnd(window)) != FALSE;
  // Windows raises the window it activates; a desktop without a window
  // manager (Wine on a bare X display) activates it where it lies, under
  // the windows above it. Raised here as well, so the window is in front
  // on both, as a screen image taken next needs.
  if (activated) {
    ::SetWindowPos(AsHwnd(window), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return activated;
}

WindowHandle Win32WindowSystem::Foreground() { return AsHandle(::GetForegroundWindow()); }

std::uint32_t Win32WindowSystem::IntegrityLevelOf(WindowHandle window) {
  DWORD process_id = 0;
  if (GetWindowThreadProcessId(AsHwnd(window), &process_id) == 0 || process_id == 0) return integrity::kUnknown;
  return IntegrityLevelOfProcess(process_id);
}

std::optional<std::uint32_t> Win32WindowSystem::WindowStyle(WindowHandle window) {
  if (!::IsWindow(AsHwnd(window))) return std::nullopt;
  return static_cast<std::uint32_t>(::GetWindowLongA(AsHwnd(window), GWL_STYLE));
}

std::string Win32WindowSystem::ProgramPathOf(WindowHandle window) {
  DWORD process_id = 0;
  if (GetWindowThreadProcessId(AsHwnd(window), &process_id) == 0 || process_id == 0) return {};
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (process == nullptr) return {};
  std::string path(MAX_PATH * 4, '\0');
  DWORD size = static_cast<DWORD>(path.size());
  const BOOL found = QueryFullProcessImageNameA(process, 0, path.data(), &size);
  CloseHandle(process);
  path.resize(found ? size : 0);
  return path;
}

}  // namespace tamiru::platform::win32

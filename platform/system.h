#pragma once
// The rest of the platform that the Parts call: keyboard and mouse state,
// the shell, sound, the screen, the single-instance mutex and the common
// dialogs. Each is a small interface with a Win32 and a fake implementation.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_system.h"

namespace tamiru::platform {

// Key codes 01 (VK_LBUTTON) and 02 (VK_RBUTTON), in a macro line as in the
// list drag, mean the primary and the secondary mouse button: the button
// that clicks and the one that opens menus, whichever physical button the
// user has made each (SM_SWAPBUTTON, a left-handed mouse). A macro on 01 thus
// stays on the clicking button when the buttons are swapped, as the
// system's mouse messages do. GetAsyncKeyState, though, reads the physical
// buttons; the key code it must be asked for `virtual_key` is this: with
// the buttons swapped 01 and 02 exchange places, every other code stays.
int PhysicalKeyOf(int virtual_key, bool buttons_swapped);

class Input {
 public:
  virtual ~Input() = default;
  // GetAsyncKeyState(vk) & 0x8000: the key is down now; 01 and 02 are the
  // primary and the secondary button (see PhysicalKeyOf).
  virtual bool IsKeyDown(int virtual_key) = 0;
  struct Point { int x = 0; int y = 0; };
  virtual Point CursorPosition() = 0;  // screen coordinates
};

// The Input of a device that reports physical keys and buttons: IsKeyDown
// asks it for the physical key of each code, so every reader of a key code
// (the macro poll, the macro editor's capture, the list drag) means the
// same button by it.
class PhysicalInput : public Input {
 public:
  bool IsKeyDown(int virtual_key) final { return PhysicalKeyDown(PhysicalKeyOf(virtual_key, ButtonsSwapped())); }

 protected:
  virtual bool PhysicalKeyDown(int physical_key) = 0;
  virtual bool ButtonsSwapped() = 0;
};

// The mouse buttons as key codes: primary, secondary, middle, the two side
// buttons.
inline constexpr std::array<int, 5> kMouseButtonKeys{0x01, 0x02, 0x04, 0x05, 0x06};
// The key code of the mouse button `input` reports down now, the first of
// kMouseButtonKeys that is; nullopt when none is.
std::optional<int> MouseButtonDown(Input& input);

// How a program's windows follow the screen's DPI.
enum class DpiAwareness { kUnknown, kUnaware, kSystem, kPerMonitor, kPerMonitorV2 };

// What the system and this program are: for a report of what Tamiru runs on.
struct SystemFacts {
  std::string windows_version;  // "10.0.19045"; empty when not told
  bool windows_64bit = false;
  bool program_64bit = false;
  std::string wine_version;     // empty on Windows itself
  unsigned code_page = 0;       // GetACP
  int dpi = 96;                 // the system DPI (the screen's LOGPIXELSY)
  DpiAwareness awareness = DpiAwareness::kUnknown;
  std::uint32_t integrity_level = integrity::kUnknown;  // this program's
};

class Shell {
 public:
  virtual ~Shell() = default;
  // ShellExecuteA(owner, verb or NULL, file, NULL, directory or NULL, show).
  virtual void ShellExecute(WindowHandle owner, std::optional<std::string> verb, const std::string& file,
                            std::optional<std::string> directory, int show_command) = 0;
  // WinExec(command line, show); the result is not used by the callers.
  virtual void WinExec(const std::string& command_line, int show_command) = 0;
  // The full path of the running executable.
  virtual std::string ExecutablePath() = 0;
  // The copy of the file at `path` that holds what another program last
  // wrote there: see NewerCopy. Where the system redirects no writes, the
  // path itself.
  virtual std::string FileToRead(const std::string& path) { return path; }
  // The VirtualStore path of `path` when it lies under a Program Files
  // folder (whether or not a copy is there: see VirtualStorePath); nullopt
  // for any other path.
  virtual std::optional<std::string> VirtualStoreCopyOf(const std::string& /*path*/) { return std::nullopt; }
  // Where a file the user named under Program Files lies when 64-bit Windows
  // put its 32-bit program under Program Files (x86): the same path there
  // when only that one (or its VirtualStore copy) exists, else the path.
  virtual std::string InstalledPath(const std::string& path) { return path; }
  // Puts a Shift_JIS text on the clipboard for `owner` (as CF_TEXT and as
  // CF_UNICODETEXT, so that any program pastes it); false when the clipboard
  // could not be opened or took nothing.
  virtual bool CopyText(WindowHandle /*owner*/, const std::string& /*text*/) { return false; }
  // The system and this program, as they are now.
  virtual SystemFacts DescribeSystem() { return {}; }
};

// An old 32-bit program without a manifest, run without elevation, has its
// writes under a Program Files folder redirected into the user's
// VirtualStore (%LOCALAPPDATA%\VirtualStore\Program Files\...), while this
// program (64-bit, manifested) is never redirected and would read a stale or
// missing file. The VirtualStore path of `path` when it lies under one of the
// `program_files` folders (letter case aside), else nullopt.
std::optional<std::string> VirtualStorePath(std::string_view path, const std::vector<std::string>& program_files,
                                            std::string_view local_app_data);

// The same path under the 32-bit programs' folder: `path` below
// `program_files` (C:\Program Files, letter case aside) moved below
// `program_files_x86` (C:\Program Files (x86)); nullopt for a path below
// neither, or when the two folders are one.
std::optional<std::string> ProgramFilesX86Twin(std::string_view path, std::string_view program_files,
                                               std::string_view program_files_x86);

// A file's last write time (any monotonic count); nullopt when it does not exist.
using WriteTime = std::optional<std::uint64_t>;
// Which of the file and its VirtualStore copy to read: the copy when it
// exists and is newer than the file (or the file is missing).
bool PreferVirtualStoreCopy(WriteTime file, WriteTime copy);

inline constexpr int kSwHide = 0;
inline constexpr int kSwShow = 5;

class Sound {
 public:
  virtual ~Sound() = default;
  // sndPlaySoundA(path, SND_ASYNC): returns at once; restarts a sound playing.
  virtual void PlayAsync(const std::string& path) = 0;
};

// A screen image: 32-bit pixels 0x00RRGGBB, rows top to bottom.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

class Screen {
 public:
  virtual ~Screen() = default;
  virtual Image GrabWholeScreen() = 0;
};

class SingleInstance {
 public:
  virtual ~SingleInstance() = default;
  // OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name) succeeded, or failed with
  // "access denied" (the mutex of an instance run as administrator): another
  // instance runs.
  virtual bool AnotherInstanceRuns(const std::string& name) = 0;
  // CreateMutexA(NULL, TRUE, name); released by Release().
  virtual void Acquire(const std::string& name) = 0;
  virtual void Release() = 0;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The general error box: stop icon, one OK button, `title` as caption.
  virtual void ShowError(WindowHandle owner, const std::string& title, const std::string& message) = 0;
  // A warning box (exclamation icon, one OK button) in UTF-16 through the
  // wide API: readable whatever the system's ANSI code page is.
  virtual void ShowWideWarning(WindowHandle owner, const std::u16string& title, const std::u16string& message) = 0;

  struct FileDialogRequest {
    std::string filter;            // "name|pattern|name|pattern", as the designer writes it
    int filter_index = 1;          // 1-based
    std::string default_extension; // without the dot
    std::string initial_dir;
    std::string file_name;
    // The open dialog accepts only a file that exists; with false, a new
    // name in a folder that exists is taken too.
    bool file_must_exist = true;
    // The save dialog asks before the chosen file replaces one that exists.
    bool confirm_replace = false;
  };
  struct FileDialogResult {
    std::string path;
    int filter_index = 1;
  };
  // The common open and save dialogs; nullopt when the user cancels.
  virtual std::optional<FileDialogResult> ShowOpenDialog(WindowHandle owner, const FileDialogRequest& request) = 0;
  virtual std::optional<FileDialogResult> ShowSaveDialog(WindowHandle owner, const FileDialogRequest& request) = 0;
};

}  // namespace tamiru::platform

#pragma once
// End-to-end harness: the stand-in client MJ.exe and tamiru.exe started side
// by side in a fresh working folder, the stand-in scripted through its
// control window, outcomes read from its record and from the files.
//
// A scenario creates one Session; everything the session started is killed
// when it goes out of scope, also when an assertion ends the test early. The
// binaries are taken from the folder in the environment variable
// TAMIRU_BIN_DIR. Every wait is bounded.
//
//   tamiru::e2e::Session s("spectate");
//   ASSERT_TRUE(s.StartStandin("show room\nspectate ok 300\n"));
//   ASSERT_TRUE(s.StartTamiru());
//   ... press Tamiru's buttons ...
//   EXPECT_TRUE(s.WaitForEntry("room", 10, "click"));
#include <windows.h>
// The product's WindowSystem has methods of these names; <windows.h> would
// rename them to their ...A forms in a scenario that uses both. Scenarios
// call the Win32 functions by their A names.
#undef FindWindow
#undef GetWindowText
#undef GetClassName
#undef SendMessage
#undef PostMessage

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamiru::e2e {

// One line of the stand-in's record (standin_record.txt in its folder).
struct RecordEntry {
  std::uint32_t tick = 0;  // the stand-in's GetTickCount() when it happened
  std::string window;      // standin, connect, room, table, error, spectatefail
  int child = -1;          // child number of the control; -1: the window itself
  std::string event;       // click, settext, send, keydown, keyup, syskeydown,
                           // cb_setcursel, lb_setcursel, line, open, close,
                           // command, refused, quit
  std::string detail;      // text (unescaped), key as 0xNN, index, ...
};
// Parses the record file's text; lines that are not whole are skipped.
std::vector<RecordEntry> ParseRecord(std::string_view text);

// Polls `condition` about every 20 ms until it holds; false when
// `timeout_ms` passed first.
bool WaitFor(const std::function<bool()>& condition, unsigned timeout_ms = 5000);

// ---- window helpers (any process) ----

// FindWindowA; an empty class or title stands for NULL.
HWND FindTop(std::string_view class_name, std::string_view title);
// FindTop polled until found; nullptr at the time-out.
HWND WaitForTop(std::string_view class_name, std::string_view title, unsigned timeout_ms = 5000);
// Waits until FindTop finds nothing; false at the time-out.
bool WaitForNoTop(std::string_view class_name, std::string_view title, unsigned timeout_ms = 5000);
// All descendants in EnumChildWindows order (child number n is [n]).
std::vector<HWND> Descendants(HWND parent);
// The first (or the index-th, 0-based) descendant whose text is exactly
// `text` (and whose class contains `class_contains` when given); nullptr when
// none.
HWND FindDescendantByText(HWND parent, std::string_view text, std::string_view class_contains = {}, int index = 0);
// The index-th descendant (0-based) whose class contains `class_contains`
// ("Button", "Edit", "ListBox", "ComboBox", "Static").
HWND FindDescendantByClass(HWND parent, std::string_view class_contains, int index = 0);
std::string ClassOf(HWND window);
// WM_GETTEXT / WM_SETTEXT, bounded so a hung peer cannot hang the test.
std::string TextOf(HWND window);
bool SetTextOf(HWND window, std::string_view text);
// BM_CLICK sent (waits until the owner has handled the click) or posted.
bool Click(HWND button);
bool PostClick(HWND button);
// Message sent with a bound (5 s); 0 when the peer did not answer.
LRESULT SendBounded(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Items of a list box or combo box.
std::vector<std::string> ListItems(HWND list);
std::vector<std::string> ComboItems(HWND combo);
int ListSelection(HWND list);
// Tamiru's own list, combo box or window text, asked in UTF-16 and turned
// into Shift_JIS: under Wine an ANSI LB_GETTEXT from another process returns
// the UTF-16 text of a version 6 common control unconverted, so the
// comparison must not depend on how the ANSI message is carried.
std::vector<std::string> ItemsAsSjis(HWND control, bool combo);
std::string TextAsSjis(HWND window);
// Memory in another process (Tamiru's) for the messages of its list views,
// whose pointers are read there.
class RemoteBlock {
 public:
  RemoteBlock(DWORD process_id, std::size_t size);
  ~RemoteBlock();
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  char* At(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(std::size_t offset, const void* bytes, std::size_t size) const;
  bool Read(std::size_t offset, void* bytes, std::size_t size) const;
  bool ok() const { return address_ != nullptr; }

 private:
  HANDLE process_;
  void* address_ = nullptr;
};
// The cells of a list view of process `process_id`, row by row, asked in
// UTF-16 and turned into Shift_JIS.
std::vector<std::vector<std::string>> ListViewRows(DWORD process_id, HWND view, int columns);
// A process's private memory in MB (opened with PROCESS_QUERY_INFORMATION).
double PrivateMegabytes(HANDLE process);
// Windows of a process, top-level, in EnumWindows order (visible ones only
// when `visible_only`).
std::vector<HWND> TopWindowsOf(DWORD process_id, bool visible_only = true);
// The bytes of the file at `path`; nullopt when it cannot be opened.
std::optional<std::string> ReadBytesAt(const std::string& path);
// Handles this thread's messages for `ms` milliseconds.
void PumpFor(DWORD ms);
// Puts `window` in front and waits until it is the foreground window; Wine
// without a window manager does not raise a window on activation, so it is
// raised too.
bool BringToFront(HWND window);
// The window's client area as it stands on the screen, as a 24-bit BMP.
void SaveWindowImage(HWND window, const std::string& path);

// The `nth` (0-based) button of `window` with this caption ("追加" and "削除"
// are each on two buttons of the main window, the friend list's first); a
// test failure and nullptr when there is none.
HWND ButtonNamed(HWND window, const std::string& caption, int nth = 0);
// "LOG" + yymm + ".txt" of this month: the chat log's name.
std::string MonthLogName();

// ---- the real mouse ----

// The pointer to a point of the screen, and the left button down or up.
void MouseTo(POINT screen);
void MouseButton(bool down);
// Screen point of the middle of row `row` of a list box (its top row 0) with
// rows of the main window's list boxes (15 pixels).
POINT RowPoint(HWND list, int row);
// Press on one row, move in small steps with the button held, release on
// another: the way a hand drags.
void DragRow(HWND list, int from_row, int to_row);
// A click in the middle of `window`, or at `x`, `y` of its client area.
void ClickIn(HWND window, int x = -1, int y = -1);
// A key pressed and released on the real keyboard.
void PressKey(WORD key);
// The user clicks the first tab of a tab control, then goes right with the
// arrow key to the tab of page `index`; true once it is shown.
bool ShowTabPage(HWND tabs, int index);

// ---- faults ----

// True when the window's thread takes a message within `timeout_ms`.
bool Answers(HWND window, unsigned timeout_ms);
// Waits for Tamiru's error box (a dialog titled "Tamiru"), presses its OK
// and returns the texts of its controls, one a line; nullopt when no box
// came within the time-out.
std::optional<std::string> TakeErrorBox(unsigned timeout_ms = 10000);

// A file held open by this process without sharing, as another program
// that locks it holds it, until the end of the scope.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Files and folders that refuse every write for the life of the object: new
// files in a folder, changes to a file. Under Wine, where the tests run as
// root and neither a read-only attribute nor Unix modes stop root, they are
// made immutable on the Unix side (chattr +i); on Windows the files are
// made read-only, and a folder is not refused. `ok()` once every path
// refuses writes.
class WriteRefusal {
 public:
  explicit WriteRefusal(std::vector<std::string> paths);
  ~WriteRefusal();
  WriteRefusal(const WriteRefusal&) = delete;
  WriteRefusal& operator=(const WriteRefusal&) = delete;
  bool ok() const { return ok_; }

 private:
  std::vector<std::string> paths_;
  bool ok_ = false;
};

// ---- a session ----

class Session {
 public:
  // A fresh working folder named after `name` (letters, digits, '_' and '-')
  // under %TEMP%\tamiru-e2e; an old one of that name is emptied first.
  explicit Session(std::string name);
  // Kills what the session started; removes the folder unless the running
  // test has failed (then its path is printed for a look).
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const std::string& Folder() const { return folder_; }
  std::string PathOf(std::string_view file) const;
  // Writes bytes as they are (give CR LF yourself); false when it failed.
  bool WriteFile(std::string_view file, std::string_view bytes) const;
  // The file's bytes; nullopt when it does not exist.
  std::optional<std::string> ReadFile(std::string_view file) const;
  bool FileExists(std::string_view file) const;

  // Copies MJ.exe into the folder, writes `scenario` as its start scenario
  // (standin.txt, one command a line) and starts it; true once its control
  // window is up. With an empty scenario it shows its connect dialog.
  bool StartStandin(std::string_view scenario = {}, unsigned timeout_ms = 15000);
  // Copies tamiru.exe into the folder (with the files already written there
  // beside it) and starts it; true once it shows a top-level window.
  bool StartTamiru(unsigned timeout_ms = 15000);
  // Starts `exe` where it lies (an unpacked package), with `directory` as its
  // current directory; true once it shows a top-level window. A Tamiru the
  // session started before must have ended.
  bool StartTamiruAt(const std::string& exe, const std::string& directory, unsigned timeout_ms = 15000);
  // Only copies MJ.exe into the folder (for Tamiru to start it itself).
  bool PlaceStandin();
  static bool TamiruBuilt();

  // One control command to the running stand-in; false when it refused it
  // or is not running.
  bool Command(std::string_view command) const;
  bool StandinRunning() const;

  // Tamiru's process, its main (first visible top-level) window.
  DWORD TamiruProcessId() const { return tamiru_.dwProcessId; }
  HWND TamiruWindow() const;
  // The exit code once Tamiru has ended within the time-out.
  std::optional<DWORD> WaitForTamiruExit(unsigned timeout_ms = 5000) const;

  // The stand-in's record as it is now.
  std::vector<RecordEntry> Record() const;
  // Entries matching window, child (-2: any) and event, whose detail equals
  // `detail` (when given).
  std::vector<RecordEntry> Entries(std::string_view window, int child, std::string_view event,
                                   std::optional<std::string_view> detail = std::nullopt) const;
  // Waits until the record holds a matching entry (counted from the start);
  // returns the first one, or nullopt at the time-out.
  std::optional<RecordEntry> WaitForEntry(std::string_view window, int child, std::string_view event,
                                          std::optional<std::string_view> detail = std::nullopt,
                                          unsigned timeout_ms = 5000) const;
  std::optional<RecordEntry> WaitForEntryWhere(const std::function<bool(const RecordEntry&)>& match,
                                               unsigned timeout_ms = 5000) const;
  // The lines typed into the chat of "room" or "table" (the "send" entries).
  std::vector<std::string> SentLines(std::string_view window) const;

  // A command on the stand-in's side channel, which answers while the
  // stand-in's user-interface thread is frozen ("thaw", "exit").
  bool SideCommand(std::string_view command) const;
  // Ends the stand-in at once, as a crash or the task manager ends it;
  // true once it has gone.
  bool KillStandin();

  // Kills both programs now (the destructor does it too).
  void KillAll();

 private:
  bool Launch(const std::string& exe, PROCESS_INFORMATION* info, const std::string* directory = nullptr);
  std::string name_;
  std::string folder_;
  HANDLE job_ = nullptr;
  PROCESS_INFORMATION standin_{};
  PROCESS_INFORMATION tamiru_{};
};

// Where the binaries are: TAMIRU_BIN_DIR, or empty.
std::string BinDir();

// A double click in the middle of a row of a list view of Tamiru's process
// (`process_id`), as the mouse gives it.
bool DoubleClickRow(DWORD process_id, HWND view, int row);

}  // namespace tamiru::e2e

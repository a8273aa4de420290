#pragma once
// The window-system layer: every call that Tamiru makes on another program's
// windows passes through here, so the logic runs against the real desktop
// (platform/win32) or a simulated one (platform/fake).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/virtual_keys.h"

namespace tamiru::platform {

// The platform's opaque window handle; 0 is "none".
using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoWindow = 0;

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using MsgResult = std::intptr_t;

// Message numbers, as the platform defines them.
namespace msg {
inline constexpr unsigned kSetText = 0x000C;       // WM_SETTEXT
inline constexpr unsigned kGetText = 0x000D;       // WM_GETTEXT
inline constexpr unsigned kGetTextLength = 0x000E; // WM_GETTEXTLENGTH
inline constexpr unsigned kKeyDown = 0x0100;       // WM_KEYDOWN
inline constexpr unsigned kKeyUp = 0x0101;         // WM_KEYUP
inline constexpr unsigned kSysKeyDown = 0x0104;    // WM_SYSKEYDOWN
inline constexpr unsigned kButtonClick = 0x00F5;   // BM_CLICK
inline constexpr unsigned kEditGetLineCount = 0x00BA;  // EM_GETLINECOUNT
inline constexpr unsigned kEditLineIndex = 0x00BB;     // EM_LINEINDEX
inline constexpr unsigned kEditLineLength = 0x00C1;    // EM_LINELENGTH
inline constexpr unsigned kComboGetCount = 0x0146;     // CB_GETCOUNT
inline constexpr unsigned kComboGetCurSel = 0x0147;    // CB_GETCURSEL
inline constexpr unsigned kComboSetCurSel = 0x014E;    // CB_SETCURSEL
inline constexpr unsigned kListSetCurSel = 0x0186;     // LB_SETCURSEL
inline constexpr unsigned kListGetText = 0x0189;       // LB_GETTEXT
inline constexpr unsigned kListGetTextLen = 0x018A;    // LB_GETTEXTLEN
inline constexpr unsigned kListGetCount = 0x018B;      // LB_GETCOUNT
}  // namespace msg

// Style bits as GetWindowLongA(GWL_STYLE) gives them.
inline constexpr std::uint32_t kEditMultiLineStyle = 0x0004;  // ES_MULTILINE

// Mandatory integrity levels of a process (the last sub-authority of its
// token's label).
namespace integrity {
inline constexpr std::uint32_t kUnknown = 0;
inline constexpr std::uint32_t kLow = 0x1000;
inline constexpr std::uint32_t kMedium = 0x2000;
inline constexpr std::uint32_t kHigh = 0x3000;
inline constexpr std::uint32_t kSystem = 0x4000;
}  // namespace integrity

// Windows drops every message that a process sends or posts to a window of a
// process with a higher integrity level (User Interface Privilege
// Isolation): with the client run as administrator and Tamiru not, chat,
// auto-connect and spectating do nothing and the macro keys read nothing.
inline constexpr std::string_view kElevatedClientMessage =
    "ゲームクライアントが管理者として実行されています。Tamiru も管理者として実行してください";

// Says once per run that a message went to a window that outranks this
// program: seen from the target's level, or from Windows refusing the
// message itself (the send or post fails with access denied). Levels are
// mandatory integrity levels (0x2000 medium, 0x3000 high).
class ElevatedTargetWatch {
 public:
  // True the first time a target's level is above this program's.
  bool FirstOutranking(std::uint32_t target_level, std::uint32_t own_level) {
    return target_level > own_level && FirstTelling();
  }
  // True the first time a message was refused, unless told already.
  bool FirstRefusal() { return FirstTelling(); }
  bool Told() const { return told_; }

 private:
  bool FirstTelling() {
    if (told_) return false;
    told_ = true;
    return true;
  }
  bool told_ = false;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // FindWindowA: nullopt stands for NULL (any class / any title). Whole class
  // name and whole title compared by the platform's rules.
  virtual WindowHandle FindWindow(std::optional<std::string_view> class_name,
                                  std::optional<std::string_view> title) = 0;
  // EnumWindows / EnumChildWindows: `visit` returns false to stop. Child
  // enumeration reports all descendants, in the platform's order.
  virtual void EnumWindows(const std::function<bool(WindowHandle)>& visit) = 0;
  virtual void EnumChildWindows(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) = 0;

  // GetWindowTextA / GetClassNameA into a buffer of `buffer_bytes` bytes: at
  // most buffer_bytes - 1 bytes come back.
  virtual std::string GetWindowText(WindowHandle window, std::size_t buffer_bytes) = 0;
  virtual std::string GetClassName(WindowHandle window, std::size_t buffer_bytes) = 0;

  // SendMessageA with plain integer arguments. A peer that does not answer
  // within the layer's bound counts as answering 0.
  virtual MsgResult SendMessage(WindowHandle window, unsigned message, WParam wparam, LParam lparam) = 0;
  // The same send, telling an answer from none: nullopt when the peer did
  // not answer within the bound (hung, gone, or the system refused the
  // message).
  virtual std::optional<MsgResult> SendMessageAnswered(WindowHandle window, unsigned message, WParam wparam,
                                                       LParam lparam) = 0;
  // WM_SETTEXT with a zero-terminated copy of `text`.
  virtual MsgResult SendSetText(WindowHandle window, std::string_view text) = 0;
  // WM_GETTEXT into a zero-filled buffer of `buffer_bytes` bytes; the bytes
  // copied (empty when the peer does not answer).
  virtual std::string SendGetText(WindowHandle window, std::size_t buffer_bytes) = 0;
  // WM_GETTEXT into the caller's `buffer` (its size is the buffer size
  // passed), for a reader that fetches a long text again and again and keeps
  // one buffer rather than allocating one each time. Returns the bytes of
  // text at the buffer's start: up to the first zero byte, fewer than
  // buffer.size(). A peer that does not answer within the bound gives 0 and
  // an empty `buffer` (one that may still write into the buffer keeps its
  // bytes, which are never freed), so the reader can tell it from a view
  // without text.
  virtual std::size_t SendGetTextInto(WindowHandle window, std::string& buffer) {
    const std::string text = SendGetText(window, buffer.size());
    return text.copy(buffer.data(), buffer.empty() ? 0 : buffer.size() - 1);
  }
  // LB_GETTEXT of one row, whole (the layer asks LB_GETTEXTLEN first so that
  // no buffer is overrun); empty for a row that does not exist.
  virtual std::string SendGetListText(WindowHandle window, int row) = 0;
  // PostMessageA: queued, not awaited. False when the platform refused.
  virtual bool PostMessage(WindowHandle window, unsigned message, WParam wparam, LParam lparam) = 0;

  // A minimised window is activated as it is, still an icon: the user
  // minimised it and the keep-alive's presses do not need it shown.
  virtual bool SetForegroundWindow(WindowHandle window) = 0;
  // SetForegroundWindow after restoring a minimised window (SW_RESTORE): for
  // a screen image, in which an icon would show nothing of the window.
  virtual bool RestoreToForeground(WindowHandle window) = 0;
  virtual WindowHandle GetForegroundWindow() = 0;
  // The full path of the program that made the window (asked with the least
  // access right, so that a program run as administrator answers too);
  // empty when the system does not tell.
  virtual std::string ProgramPathOf(WindowHandle /*window*/) { return {}; }
  // The integrity level of the process that made the window (see
  // integrity::): one that refuses to be asked counts as high, as an
  // elevated process refuses a lower one; kUnknown when nothing is known.
  virtual std::uint32_t IntegrityLevelOf(WindowHandle /*window*/) { return integrity::kUnknown; }
  // GetWindowLongA(GWL_STYLE), which asks the window nothing; nullopt for a
  // window that is not there.
  virtual std::optional<std::uint32_t> WindowStyle(WindowHandle /*window*/) { return std::nullopt; }
};

}  // namespace tamiru::platform

#pragma once
// The window-system layer on the real desktop. Every synchronous message to
// another program's window is bounded: a peer that is hung, or that does not
// answer within the bound, counts as answering nothing (0, empty text).
#include <cstdint>
#include <functional>
#include <map>

#include "platform/window_system.h"

namespace tamiru::platform::win32 {

class Win32WindowSystem : public WindowSystem {
 public:
  // How long a sent message may wait for its answer.
  static constexpr std::uint32_t kDefaultSendBoundMs = 5000;
  explicit Win32WindowSystem(std::uint32_t send_bound_ms = kDefaultSendBoundMs) : send_bound_ms_(send_bound_ms) {}
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  // The overrides forward to the functions below. <windows.h> turns some of
  // these names into macros (FindWindow becomes FindWindowA, ...): defined
  // here, each program file that includes this header gets the forwarders
  // under whatever name it sees, and the work is done under names that no
  // macro touches.
  WindowHandle FindWindow(std::optional<std::string_view> class_name, std::optional<std::string_view> title) override {
    return FindTopLevel(class_name, title);
  }
  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override { VisitTopLevels(visit); }
  void EnumChildWindows(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) override {
    VisitDescendants(parent, visit);
  }
  std::string GetWindowText(WindowHandle window, std::size_t buffer_bytes) override {
    return TitleOf(window, buffer_bytes);
  }
  std::string GetClassName(WindowHandle window, std::size_t buffer_bytes) override {
    return ClassOf(window, buffer_bytes);
  }
  MsgResult SendMessage(WindowHandle window, unsigned message, WParam wparam, LParam lparam) override {
    return SendBounded(window, message, wparam, lparam);
  }
  std::optional<MsgResult> SendMessageAnswered(WindowHandle window, unsigned message, WParam wparam,
                                               LParam lparam) override {
    return AnsweredBounded(window, message, wparam, lparam);
  }
  MsgResult SendSetText(WindowHandle window, std::string_view text) override { return SetTextBounded(window, text); }
  std::string SendGetText(WindowHandle window, std::size_t buffer_bytes) override {
    return GetTextBounded(window, buffer_bytes);
  }
  std::size_t SendGetTextInto(WindowHandle window, std::string& buffer) override {
    return GetTextIntoBounded(window, buffer);
  }
  std::string SendGetListText(WindowHandle window, int row) override { return GetListTextBounded(window, row); }
  bool PostMessage(WindowHandle window, unsigned message, WParam wparam, LParam lparam) override {
    return Post(window, message, wparam, lparam);
  }
  bool SetForegroundWindow(WindowHandle window) override { return BringToForeground(window, false); }
  bool RestoreToForeground(WindowHandle window) override { return BringToForeground(window, true); }
  std::string ProgramPathOf(WindowHandle window) override;
  std::uint32_t IntegrityLevelOf(WindowHandle window) override;
  std::optional<std::uint32_t> WindowStyle(WindowHandle window) override;
  WindowHandle GetForegroundWindow() override { return Foreground(); }

  std::uint32_t send_bound_ms() const { return send_bound_ms_; }

  // Called once, at the first message to a window of a process of higher
  // integrity than this one (see ElevatedTargetWatch).
  void SetElevatedTargetNotice(std::function<void()> notice) { elevated_notice_ = std::move(notice); }

 private:
  // Every message to another window passes here first, and every one that
  // failed here after.
  void NoteTarget(WindowHandle window);
  void NoteFailure(WindowHandle window);
  void ForgetEndedProcesses();
  WindowHandle FindTopLevel(std::optional<std::string_view> class_name, std::optional<std::string_view> title);
  void VisitTopLevels(const std::function<bool(WindowHandle)>& visit);
  void VisitDescendants(WindowHandle parent, const std::function<bool(WindowHandle)>& visit);
  std::string TitleOf(WindowHandle window, std::size_t buffer_bytes);
  std::string ClassOf(WindowHandle window, std::size_t buffer_bytes);
  MsgResult SendBounded(WindowHandle window, unsigned message, WParam wparam, LParam lparam);
  std::optional<MsgResult> AnsweredBounded(WindowHandle window, unsigned message, WParam wparam, LParam lparam);
  MsgResult SetTextBounded(WindowHandle window, std::string_view text);
  std::string GetTextBounded(WindowHandle window, std::size_t buffer_bytes);
  std::size_t GetTextIntoBounded(WindowHandle window, std::string& buffer);
  std::string GetListTextBounded(WindowHandle window, int row);
  bool Post(WindowHandle window, unsigned message, WParam wparam, LParam lparam);
  bool BringToForeground(WindowHandle window, bool restore_minimised);
  WindowHandle Foreground();

  std::uint32_t send_bound_ms_;
  std::function<void()> elevated_notice_;
  ElevatedTargetWatch elevated_watch_;
  struct KnownProcess {
    std::uint32_t level = 0;
    void* process = nullptr;  // its handle, waited on to see it end
  };
  std::map<unsigned long, KnownProcess> integrity_by_process_;
};

}  // namespace tamiru::platform::win32

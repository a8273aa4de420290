#pragma once
// The window-system layer on the real desktop. Every synchronous message to
// another program's window is bounded: a peer that is hung, or that does not
// answer within the bound, counts as answering nothing (0, empty text).
#include <cstdint>

#include "platform/window_system.h"

namespace tamiru::platform::win32 {

class Win32WindowSystem : public WindowSystem {
 public:
  // How long a sent message may wait for its answer.
  static constexpr std::uint32_t kDefaultSendBoundMs = 5000;
  explicit Win32WindowSystem(std::uint32_t send_bound_ms = kDefaultSendBoundMs) : send_bound_ms_(send_bound_ms) {}

  WindowHandle FindWindow(std::optional<std::string_view> class_name, std::optional<std::string_view> title) override;
  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override;
  void EnumChildWindows(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) override;
  std::string GetWindowText(WindowHandle window, std::size_t buffer_bytes) override;
  std::string GetClassName(WindowHandle window, std::size_t buffer_bytes) override;
  MsgResult SendMessage(WindowHandle window, unsigned message, WParam wparam, LParam lparam) override;
  MsgResult SendSetText(WindowHandle window, std::string_view text) override;
  std::string SendGetText(WindowHandle window, std::size_t buffer_bytes) override;
  std::string SendGetListText(WindowHandle window, int row) override;
  bool PostMessage(WindowHandle window, unsigned message, WParam wparam, LParam lparam) override;
  bool SetForegroundWindow(WindowHandle window) override;
  WindowHandle GetForegroundWindow() override;

  std::uint32_t send_bound_ms() const { return send_bound_ms_; }

 private:
  std::uint32_t send_bound_ms_;
};

}  // namespace tamiru::platform::win32

#pragma once
// The notification-area icon on the real taskbar: Shell_NotifyIcon with a
// hidden top-level window of its own that takes the icon's mouse messages
// and the broadcast "TaskbarCreated" (a new Explorer has no icons until each
// program adds its own again).
#include <cstdint>
#include <functional>
#include <string>

#include "platform/notification_area.h"
#include "platform/window_system.h"

namespace tamiru::platform::win32 {

inline constexpr const char* kNotifyWindowClass = "TamiruNotifyIcon";
// The message the icon's mouse events arrive as (lParam: the mouse message).
inline constexpr unsigned kNotifyCallbackMessage = 0x8000 + 0x41;  // WM_APP + 0x41

class Win32NotificationArea : public NotificationArea {
 public:
  Win32NotificationArea();
  ~Win32NotificationArea() override;
  Win32NotificationArea(const Win32NotificationArea&) = delete;
  Win32NotificationArea& operator=(const Win32NotificationArea&) = delete;

  void SetHandlers(TrayHandlers handlers) override { handlers_ = std::move(handlers); }
  bool AddIcon(const std::string& tooltip) override;
  void RemoveIcon() override;
  bool HasIcon() const override { return wanted_; }
  bool ShowBalloon(const std::string& title, const std::string& text) override;

  // The hidden window (for tests that play the shell's part).
  WindowHandle window() const { return window_; }
  // How often the icon was put back after a new taskbar.
  int readds() const { return readds_; }

  std::intptr_t HandleMessage(WindowHandle window, unsigned message, std::uintptr_t wparam, std::intptr_t lparam);

 private:
  bool Notify(unsigned long action, unsigned flags, const std::string& title = {}, const std::string& text = {});
  void OpenMenu();
  void Run(const std::function<void()>& handler);

  WindowHandle window_ = kNoWindow;
  unsigned taskbar_created_ = 0;
  TrayHandlers handlers_;
  std::string tooltip_;
  bool wanted_ = false;
  bool added_ = false;  // the shell has it
  int readds_ = 0;
};

}  // namespace tamiru::platform::win32

#pragma once
// Dragging an item of a form's list boxes on the real desktop (the
// contract is FormHost's BeginDrag, ConnectDragOver and ConnectDragDrop).
// A drag is armed by BeginDrag during a press and runs once the pointer has
// moved the threshold with the button held. The pressed list box keeps the
// mouse capture it took for the press, so every movement and the release
// arrive at it, wherever the pointer is.
#include <cstdint>
#include <functional>
#include <map>

#include "platform/form_host.h"
#include "platform/win32/dpi_scale_win32.h"

namespace tamiru::platform::win32 {

class ListDragTracker {
 public:
  // How the form runs a handler (at its event boundary), and what it does
  // when a list box is pressed (after the list box has selected the item).
  using Dispatch = std::function<void(const std::function<void()>&)>;
  ListDragTracker(DpiScale scale, Dispatch dispatch, std::function<void(WindowHandle list)> on_press)
      : scale_(scale), dispatch_(std::move(dispatch)), on_press_(std::move(on_press)) {}

  // Subclasses the list box to see its mouse messages.
  void Watch(WindowHandle list);
  // Only the press going on in `list` can become a drag.
  void Arm(WindowHandle list, int threshold_pixels);
  void ConnectOver(WindowHandle list, std::function<bool(ClientPoint)> handler) { over_[list] = std::move(handler); }
  void ConnectDrop(WindowHandle list, std::function<void(ClientPoint)> handler) { drop_[list] = std::move(handler); }

  // A mouse message of a watched list box; true when handled here, so that
  // it must not reach the list box itself.
  bool Mouse(WindowHandle list, unsigned message, std::uintptr_t wparam, std::intptr_t lparam);

 private:
  bool Press(WindowHandle list, std::uintptr_t wparam, std::intptr_t lparam);
  bool Move(WindowHandle list, std::intptr_t lparam);
  void Release(WindowHandle source, std::uintptr_t wparam, std::intptr_t lparam);
  // A screen point in the 96-DPI client coordinates of `window`.
  ClientPoint LayoutPoint(WindowHandle window, int screen_x, int screen_y) const;

  struct Drag {
    WindowHandle source = kNoWindow;
    bool armed = false;
    bool dragging = false;
    int threshold = 0;
    int press_x = 0, press_y = 0;          // screen
    WindowHandle accepted_by = kNoWindow;  // the list box that accepted the last movement
  } drag_;
  DpiScale scale_;
  Dispatch dispatch_;
  std::function<void(WindowHandle)> on_press_;
  std::map<WindowHandle, std::function<bool(ClientPoint)>> over_;
  std::map<WindowHandle, std::function<void(ClientPoint)>> drop_;
};

}  // namespace tamiru::platform::win32

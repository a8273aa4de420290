#include "platform/win32/list_drag_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "platform/win32/handle_win32.h"

namespace tamiru::platform::win32 {

namespace {

constexpr UINT_PTR kListSubclassId = 1;

POINT ScreenPointOf(HWND window, std::intptr_t lparam) {
  POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ClientToScreen(window, &point);
  return point;
}

void ShowCursor(LPCSTR cursor) { SetCursor(LoadCursorA(nullptr, cursor)); }

// The list boxes' own procedure runs after the tracker has had its look at
// the mouse messages (the press, and the drag).
LRESULT CALLBACK ListBoxProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR tracker) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<ListDragTracker*>(tracker)->Mouse(AsHandle(list), message, wparam, lparam)) return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, ListBoxProc, kListSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(list, message, wparam, lparam);
}

}  // namespace

void ListDragTracker::Watch(WindowHandle list) {
  SetWindowSubclass(AsHwnd(list), ListBoxProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void ListDragTracker::Arm(WindowHandle list, int threshold_pixels) {
  if (list == kNoWindow || list != drag_.source || GetCapture() != AsHwnd(list)) return;
  drag_.armed = true;
  drag_.threshold = scale_.Pixels(threshold_pixels);
}

ClientPoint ListDragTracker::LayoutPoint(WindowHandle window, int screen_x, int screen_y) const {
  POINT point{screen_x, screen_y};
  ::ScreenToClient(AsHwnd(window), &point);
  return {scale_.Layout(point.x), scale_.Layout(point.y)};
}

bool ListDragTracker::Mouse(WindowHandle list, unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
  const bool ours = drag_.armed && list == drag_.source;
  switch (message) {
    case WM_LBUTTONDOWN:
      return Press(list, wparam, lparam);
    case WM_MOUSEMOVE:
      // While a drag is armed the list box's own tracking (the selection
      // following the pointer, its scrolling) stays out of the way.
      return ours && Move(list, lparam);
    case WM_LBUTTONUP:
      if (ours) Release(list, wparam, lparam);
      return ours;
    case WM_CAPTURECHANGED:
      // Capture taken away (another window, a message box): the drag ends
      // without a drop.
      if (ours) {
        drag_ = Drag{};
        ShowCursor(reinterpret_cast<LPCSTR>(IDC_ARROW));
      }
      return false;
    default:
      return false;
  }
}

bool ListDragTracker::Press(WindowHandle list, std::uintptr_t wparam, std::intptr_t lparam) {
  drag_ = Drag{};
  // The list box's own press first: it selects the item under the pointer
  // and takes the mouse capture; then the press is reported.
  DefSubclassProc(AsHwnd(list), WM_LBUTTONDOWN, wparam, lparam);
  drag_.source = list;
  const POINT press = ScreenPointOf(AsHwnd(list), lparam);
  drag_.press_x = press.x;
  drag_.press_y = press.y;
  on_press_(list);
  if (!drag_.armed) drag_ = Drag{};
  return true;
}

bool ListDragTracker::Move(WindowHandle list, std::intptr_t lparam) {
  const POINT screen = ScreenPointOf(AsHwnd(list), lparam);
  if (!drag_.dragging) {
    if (std::abs(screen.x - drag_.press_x) < drag_.threshold && std::abs(screen.y - drag_.press_y) < drag_.threshold) {
      return true;
    }
    drag_.dragging = true;
  }
  drag_.accepted_by = kNoWindow;
  HWND under = WindowFromPoint(screen);
  if (auto it = over_.find(AsHandle(under)); it != over_.end()) {
    const auto handler = it->second;
    const ClientPoint point = LayoutPoint(AsHandle(under), screen.x, screen.y);
    bool accepted = false;
    dispatch_([&] { accepted = handler(point); });
    if (accepted) drag_.accepted_by = AsHandle(under);
  }
  ShowCursor(drag_.accepted_by != kNoWindow ? reinterpret_cast<LPCSTR>(IDC_SIZENS) : reinterpret_cast<LPCSTR>(IDC_NO));
  return true;
}

void ListDragTracker::Release(WindowHandle source, std::uintptr_t wparam, std::intptr_t lparam) {
  const Drag ended = drag_;
  drag_ = Drag{};
  // The list box ends its press and releases the capture before the drop
  // runs, so an error box shown by the drop gets the mouse.
  DefSubclassProc(AsHwnd(source), WM_LBUTTONUP, wparam, lparam);
  ShowCursor(reinterpret_cast<LPCSTR>(IDC_ARROW));
  if (!ended.dragging || ended.accepted_by == kNoWindow) return;
  const POINT screen = ScreenPointOf(AsHwnd(source), lparam);
  HWND under = WindowFromPoint(screen);
  if (AsHandle(under) != ended.accepted_by) return;
  const auto it = drop_.find(AsHandle(under));
  if (it == drop_.end()) return;
  const auto handler = it->second;
  const ClientPoint point = LayoutPoint(AsHandle(under), screen.x, screen.y);
  dispatch_([&] { handler(point); });
}

}  // namespace tamiru::platform::win32

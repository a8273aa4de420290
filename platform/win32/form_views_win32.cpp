// The parts of a Win32 form that the match history window needs: its list
// view and picture box, its system menu item, a frame the user may size with
// a least size, and Esc closing a non-modal window.
#include <windows.h>
#include <commctrl.h>

#include "platform/win32/form_win32.h"
#include "platform/win32/handle_win32.h"
#include "platform/win32/view_controls_win32.h"

namespace tamiru::platform::win32 {

namespace {

// The outer size of a window whose client area is `width` x `height`.
SIZE FrameFor(HWND window, int width, int height) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
  return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace

std::unique_ptr<ListView> Win32Form::CreateListView(const ControlSpec& layout) { return CreateWin32ListView(*this, layout); }

std::unique_ptr<PictureBox> Win32Form::CreatePictureBox(const ControlSpec& layout) {
  return CreateWin32PictureBox(*this, layout);
}

void Win32Form::ConnectColumnClick(const ListView& view, std::function<void(int)> handler) {
  column_handlers_[IdOf(view)] = std::move(handler);
}

ClientPoint Win32Form::ClientSize() const {
  RECT client{};
  GetClientRect(AsHwnd(window_), &client);
  return {scale_.Layout(client.right), scale_.Layout(client.bottom)};
}

void Win32Form::MoveControl(const Control& control, int left, int top, int width, int height) {
  MoveWindow(AsHwnd(WindowOf(control)), scale_.Pixels(left), scale_.Pixels(top), scale_.Pixels(width),
             scale_.Pixels(height), TRUE);
}

void Win32Form::AddSystemMenuItem(int id, const std::string& caption, std::function<void()> handler,
                                  bool same_group) {
  HMENU menu = GetSystemMenu(AsHwnd(window_), FALSE);
  if (menu == nullptr) return;
  if (!same_group) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(id), caption.c_str());
  menu_handlers_[id] = std::move(handler);
}

void Win32Form::CheckSystemMenuItem(int id, bool checked) {
  if (HMENU menu = GetSystemMenu(AsHwnd(window_), FALSE); menu != nullptr) {
    CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

void Win32Form::HideWindow() { ShowWindow(AsHwnd(window_), SW_HIDE); }

void Win32Form::BringToFront() {
  if (IsIconic(AsHwnd(window_))) {
    ShowWindow(AsHwnd(window_), SW_RESTORE);
  } else {
    Show();
  }
  SetForegroundWindow(AsHwnd(window_));
  if (HWND first = GetNextDlgTabItem(AsHwnd(window_), nullptr, FALSE); first != nullptr) SetFocus(first);
}

// Posted: the window goes after the handler that asked for it has returned.
void Win32Form::CloseWindow() {
  if (IsWindow(AsHwnd(window_))) PostMessageA(AsHwnd(window_), WM_CLOSE, 0, 0);
}

bool Win32Form::HandleViewMessage(unsigned message, std::uintptr_t wparam, std::intptr_t lparam, std::intptr_t& result) {
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      const int id = static_cast<int>(header->idFrom);
      if (header->code == NM_DBLCLK) {
        Fire(id, ControlEvent::kDblClick);
      } else if (header->code == LVN_GETDISPINFOA) {
        if (const Win32ListView* view = ListViewOf(AsHandle(header->hwndFrom))) view->FillDisplayInfo(reinterpret_cast<void*>(lparam));
      } else if (header->code == LVN_ITEMCHANGED) {
        // A selection that moves changes two rows; both report, and the
        // handler reads the selection as it stands.
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lparam);
        if ((change->uChanged & LVIF_STATE) != 0 && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) != 0) {
          Fire(id, ControlEvent::kClick);
        }
      } else if (header->code == LVN_ODSTATECHANGED) {
        Fire(id, ControlEvent::kClick);
      } else if (header->code == LVN_COLUMNCLICK) {
        const int column = reinterpret_cast<const NMLISTVIEW*>(lparam)->iSubItem;
        if (auto it = column_handlers_.find(id); it != column_handlers_.end()) {
          const auto handler = it->second;
          Dispatch([&] { handler(column); });
        }
      } else {
        return false;
      }
      result = 0;
      return true;
    }
    case WM_SYSCOMMAND:
      if (auto it = menu_handlers_.find(static_cast<int>(wparam & 0xFFF0)); it != menu_handlers_.end()) {
        const auto handler = it->second;
        Dispatch(handler);
        result = 0;
        return true;
      }
      return false;
    case WM_SIZE: {
      const FormEvent event = wparam == SIZE_MINIMIZED ? FormEvent::kMinimize : FormEvent::kResize;
      if (auto it = form_handlers_.find(event); it != form_handlers_.end()) {
        const auto handler = it->second;
        Dispatch(handler);
      }
      return false;
    }
    case WM_GETMINMAXINFO: {
      if (!options_.resizable || window_ == kNoWindow) return false;
      const SIZE least = FrameFor(AsHwnd(window_), scale_.Pixels(options_.min_client_width),
                                  scale_.Pixels(options_.min_client_height));
      reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = {least.cx, least.cy};
      result = 0;
      return true;
    }
    case WM_COMMAND:
      // Esc, through the message loop's dialog handling.
      if (LOWORD(wparam) != IDCANCEL || lparam != 0 || !close_on_escape_) return false;
      CloseWindow();
      result = 0;
      return true;
    default:
      return false;
  }
}

int Win32Form::IdOf(const Control& control) const {
  const Child* child = ChildOf(control);
  return child != nullptr ? GetDlgCtrlID(AsHwnd(child->window)) : 0;
}

}  // namespace tamiru::platform::win32

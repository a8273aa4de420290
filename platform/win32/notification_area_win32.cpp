#include "platform/win32/notification_area_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "platform/win32/handle_win32.h"
#include "text/sjis.h"

namespace tamiru::platform::win32 {

namespace {

constexpr UINT kIconId = 1;

LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* area = reinterpret_cast<Win32NotificationArea*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (area == nullptr || message == WM_NCCREATE) return DefWindowProcA(window, message, wparam, lparam);
  return area->HandleMessage(AsHandle(window), message, wparam, lparam);
}

// `text` into a fixed field of the shell's record, cut at a character
// boundary so that no half character ends it.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  const std::string_view fitted = text::CutAtCharBoundary(text, N - 1);
  std::memcpy(field, fitted.data(), fitted.size());
  field[fitted.size()] = '\0';
}

HICON ProgramIcon() {
  const int size = GetSystemMetrics(SM_CXSMICON);
  auto icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  return icon != nullptr ? icon : LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
}

using NotifyIconFunction = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);

}  // namespace

Win32NotificationArea::Win32NotificationArea() {
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = NotifyProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = kNotifyWindowClass;
  RegisterClassExA(&window_class);
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
  // A top-level window, never shown: a message-only window would not get
  // the taskbar's broadcast.
  window_ = AsHandle(CreateWindowExA(WS_EX_TOOLWINDOW, kNotifyWindowClass, "Tamiru", WS_POPUP, 0, 0, 0, 0, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), this));
}

Win32NotificationArea::~Win32NotificationArea() {
  RemoveIcon();
  if (window_ != kNoWindow) DestroyWindow(AsHwnd(window_));
}

bool Win32NotificationArea::Notify(unsigned long action, unsigned flags, const std::string& title,
                                   const std::string& text) {
  static const auto notify_icon = LateBound<NotifyIconFunction>("shell32.dll", "Shell_NotifyIconA");
  if (notify_icon == nullptr || window_ == kNoWindow) return false;
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof(data);
  data.hWnd = AsHwnd(window_);
  data.uID = kIconId;
  data.uFlags = flags;
  data.uCallbackMessage = kNotifyCallbackMessage;
  if ((flags & NIF_ICON) != 0) data.hIcon = ProgramIcon();
  CopyField(data.szTip, tooltip_);
  if ((flags & NIF_INFO) != 0) {
    CopyField(data.szInfoTitle, title);
    CopyField(data.szInfo, text);
    data.dwInfoFlags = NIIF_INFO;
  }
  return notify_icon(action, &data) != FALSE;
}

bool Win32NotificationArea::AddIcon(const std::string& tooltip) {
  tooltip_ = tooltip;
  wanted_ = true;
  if (added_) return Notify(NIM_MODIFY, NIF_TIP);
  added_ = Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
  return added_;
}

void Win32NotificationArea::RemoveIcon() {
  wanted_ = false;
  if (added_) Notify(NIM_DELETE, 0);
  added_ = false;
}

bool Win32NotificationArea::ShowBalloon(const std::string& title, const std::string& text) {
  if (!wanted_) return false;
  // An icon the shell refused before (no taskbar yet) is tried once more.
  if (!added_ && !AddIcon(tooltip_)) return false;
  return Notify(NIM_MODIFY, NIF_INFO, title, text);
}

void Win32NotificationArea::Run(const std::function<void()>& handler) {
  if (!handler) return;
  try {
    handler();
  } catch (...) {
    // The handlers run through the program's own error display; nothing
    // may cross into the window procedure.
  }
}

// The menu at the pointer, as the shell's own icons open theirs: the hidden
// window is brought to the front first, or the menu would not close when
// the user clicks elsewhere.
void Win32NotificationArea::OpenMenu() {
  if (!handlers_.menu) return;
  std::vector<TrayMenuItem> items;
  Run([&] { items = handlers_.menu(); });
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  for (const TrayMenuItem& item : items) {
    if (item.id == 0) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(menu, MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED), static_cast<UINT_PTR>(item.id),
                  item.caption.c_str());
    }
  }
  POINT at{};
  GetCursorPos(&at);
  SetForegroundWindow(AsHwnd(window_));
  TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, at.x, at.y, 0, AsHwnd(window_), nullptr);
  PostMessageA(AsHwnd(window_), WM_NULL, 0, 0);
  DestroyMenu(menu);
}

std::intptr_t Win32NotificationArea::HandleMessage(WindowHandle window, unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
  if (message == kNotifyCallbackMessage) {
    switch (static_cast<UINT>(lparam)) {
      case WM_LBUTTONDBLCLK:
        Run(handlers_.activate);
        break;
      case WM_RBUTTONUP:
      case WM_CONTEXTMENU:
        OpenMenu();
        break;
      default:
        break;
    }
    return 0;
  }
  if (message == WM_COMMAND && lparam == 0) {
    // Posted by the menu, after it has closed: the command may close the
    // program or open a window.
    const int id = LOWORD(wparam);
    Run([&] {
      if (handlers_.command) handlers_.command(id);
    });
    return 0;
  }
  if (message == taskbar_created_ && taskbar_created_ != 0) {
    if (wanted_) {
      added_ = false;
      if (AddIcon(tooltip_)) ++readds_;
    }
    return 0;
  }
  if (message == WM_NCDESTROY) window_ = kNoWindow;
  return DefWindowProcA(AsHwnd(window), message, wparam, lparam);
}

}  // namespace tamiru::platform::win32

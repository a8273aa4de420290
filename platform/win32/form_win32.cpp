#include "platform/win32/form_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <exception>

#include "platform/win32/controls_win32.h"
#include "platform/win32/dialog_controls_win32.h"

namespace tamiru::platform::win32 {

namespace {

HWND H(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle W(HWND window) { return reinterpret_cast<WindowHandle>(window); }

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<Win32Form*>(create->lpCreateParams)->AttachWindow(W(window));
  }
  auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (form == nullptr || form->Handle() != W(window)) return DefWindowProcA(window, message, wparam, lparam);
  return form->HandleMessage(W(window), message, wparam, lparam);
}

int CALLBACK NoteFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(const std::string& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &wanted, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

constexpr UINT_PTR kListSubclassId = 1;

POINT ScreenPointOf(HWND window, std::intptr_t lparam) {
  POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ClientToScreen(window, &point);
  return point;
}

// The list boxes' own procedure runs after the form has had its look at the
// mouse messages (the press, and the drag).
LRESULT CALLBACK ListBoxProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR form) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<Win32Form*>(form)->ListBoxMouse(W(list), message, wparam, lparam)) return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, ListBoxProc, kListSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(list, message, wparam, lparam);
}

WindowHandle ListHandle(const ListBox& box) {
  const auto* list = dynamic_cast<const Win32ListBox*>(&box);
  return list != nullptr ? list->handle() : kNoWindow;
}

// The window's timers: they leave the window's table when destroyed.
class FormTimerImpl : public Win32Timer {
 public:
  FormTimerImpl(WindowHandle window, std::uintptr_t id, std::map<std::uintptr_t, Win32Timer*>& table)
      : Win32Timer(window, id), table_(table) {
    table_[id] = this;
  }
  ~FormTimerImpl() override { table_.erase(id()); }

 private:
  std::map<std::uintptr_t, Win32Timer*>& table_;
};

}  // namespace

Win32Form::Win32Form(const FormOptions& options) : options_(options) {
  INITCOMMONCONTROLSEX common{sizeof(common), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);

  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.style = CS_DBLCLKS;
  window_class.lpfnWndProc = FormProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  if (window_class.hIcon == nullptr) window_class.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = options_.class_name.c_str();
  RegisterClassExA(&window_class);

  // A fixed single border with a system menu and a minimise box only, or
  // a frame the user may size.
  const DWORD style = options_.resizable ? WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN
                                         : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame{0, 0, options_.client_width, options_.client_height};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  CreateWindowExA(0, options_.class_name.c_str(), options_.caption.c_str(), style, options_.left, options_.top,
                  frame.right - frame.left, frame.bottom - frame.top, H(options_.owner), nullptr,
                  GetModuleHandleA(nullptr), this);
  if (options_.owner != kNoWindow) quit_on_destroy_ = false;
}

Win32Form::~Win32Form() {
  // A window destroyed here (a construction that failed) must not leave a
  // WM_QUIT behind: it would end the error box shown next at once.
  quit_on_destroy_ = false;
  if (window_ != kNoWindow && IsWindow(H(window_))) DestroyWindow(H(window_));
  for (auto& [key, font] : fonts_) DeleteObject(static_cast<HFONT>(font));
}

std::string Win32Form::ResolveFace(const std::string& face) const {
  if (FaceInstalled(face)) return face;
  const bool proportional = face == options_.font.face;
  for (const std::string& fallback : proportional ? options_.proportional_fallbacks : options_.fixed_fallbacks) {
    if (FaceInstalled(fallback)) return fallback;
  }
  return face;  // the system's own substitution then decides
}

void* Win32Form::FontFor(const FontSpec& requested) {
  const FontSpec layout = requested.face.empty() ? options_.font : requested;
  const std::string key = layout.face + "/" + std::to_string(layout.height);
  if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  const std::string face = ResolveFace(layout.face);
  HFONT font = CreateFontA(-layout.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           face.c_str());
  fonts_[key] = font;
  return font;
}

WindowHandle Win32Form::CreateChild(const char* window_class, unsigned long style, unsigned long ex_style,
                                    const ControlSpec& layout, int height) {
  const int id = next_id_++;
  HFONT font = static_cast<HFONT>(FontFor(layout.font));
  int width = layout.width;
  if (width == 0 || height == 0) {
    HDC dc = GetDC(H(window_));
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32A(dc, layout.caption.c_str(), static_cast<int>(layout.caption.size()), &extent);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(H(window_), dc);
    if (width == 0) width = extent.cx;
    if (height == 0) height = metrics.tmHeight;
  }
  HWND parent = H(window_);
  if (layout.page >= 0 && static_cast<std::size_t>(layout.page) < pages_.size()) parent = H(pages_[layout.page]);
  HWND child = CreateWindowExA(ex_style, window_class, layout.caption.c_str(), WS_CHILD | WS_VISIBLE | style, layout.left,
                               layout.top, width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ids_by_window_[W(child)] = id;
  return W(child);
}

std::unique_ptr<Button> Win32Form::CreateButton(const ControlSpec& layout) {
  const DWORD kind = layout.default_button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  const WindowHandle window = CreateChild("BUTTON", WS_TABSTOP | kind, 0, layout, layout.height);
  auto button = std::make_unique<Win32Captioned>(window);
  ids_by_control_[static_cast<const Control*>(button.get())] = ids_by_window_[window];
  if (layout.default_button) default_id_ = ids_by_window_[window];
  return button;
}

std::unique_ptr<Label> Win32Form::CreateLabel(const ControlSpec& layout) {
  const WindowHandle window = CreateChild("STATIC", SS_LEFT | SS_NOPREFIX, 0, layout, layout.height);
  auto label = std::make_unique<Win32Captioned>(window);
  ids_by_control_[static_cast<const Control*>(label.get())] = ids_by_window_[window];
  return label;
}

std::unique_ptr<CheckBox> Win32Form::CreateCheckBox(const ControlSpec& layout) {
  const WindowHandle window = CreateChild("BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0, layout, layout.height);
  auto box = std::make_unique<Win32CheckBox>(window);
  ids_by_control_[static_cast<const Control*>(box.get())] = ids_by_window_[window];
  return box;
}

std::unique_ptr<Edit> Win32Form::CreateEdit(const ControlSpec& layout) {
  const DWORD read_only = layout.read_only ? ES_READONLY : 0;
  const WindowHandle window =
      CreateChild("EDIT", WS_TABSTOP | ES_AUTOHSCROLL | read_only, WS_EX_CLIENTEDGE, layout, layout.height);
  auto edit = std::make_unique<Win32Edit>(window);
  edit->SetMaxLength(layout.max_length);
  ids_by_control_[static_cast<const Control*>(edit.get())] = ids_by_window_[window];
  return edit;
}

std::unique_ptr<ListBox> Win32Form::CreateListBox(const ControlSpec& layout) {
  const WindowHandle window = CreateChild("LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                          WS_EX_CLIENTEDGE, layout, layout.height);
  // After the font: WM_SETFONT resets the item height to the font's.
  if (layout.item_height > 0) SendMessageA(H(window), LB_SETITEMHEIGHT, 0, MAKELPARAM(layout.item_height, 0));
  auto list = std::make_unique<Win32ListBox>(window);
  ids_by_control_[static_cast<const Control*>(list.get())] = ids_by_window_[window];
  SetWindowSubclass(H(window), ListBoxProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
  return list;
}

std::unique_ptr<ComboBox> Win32Form::CreateComboBox(const ControlSpec& layout) {
  // The height given to a drop-down combo box includes its list.
  constexpr int kDropDownHeight = 160;
  const DWORD kind = layout.pick_only ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL;
  const WindowHandle window =
      CreateChild("COMBOBOX", WS_TABSTOP | WS_VSCROLL | kind, 0, layout, layout.height + kDropDownHeight);
  // The edit part: the given height less the frame of 3 pixels a side.
  if (layout.height > 6) SendMessageA(H(window), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), layout.height - 6);
  auto combo = std::make_unique<Win32ComboBox>(window);
  combo->SetMaxLength(layout.max_length);
  ids_by_control_[static_cast<const Control*>(static_cast<Edit*>(combo.get()))] = ids_by_window_[window];
  return combo;
}

void Win32Form::RegisterControl(const Control& control, WindowHandle window) {
  ids_by_control_[&control] = ids_by_window_[window];
}

std::unique_ptr<Label> Win32Form::CreateGroupBox(const ControlSpec& layout) { return CreateWin32GroupBox(*this, layout); }

std::unique_ptr<CheckBox> Win32Form::CreateRadioButton(const ControlSpec& layout) {
  return CreateWin32RadioButton(*this, layout);
}

std::unique_ptr<RadioGroup> Win32Form::CreateRadioGroup(const ControlSpec& layout, const std::vector<std::string>& items,
                                                        int columns) {
  return CreateWin32RadioGroup(*this, layout, items, columns);
}

std::unique_ptr<UpDown> Win32Form::CreateUpDown(const ControlSpec& layout, Edit& buddy, int min, int max) {
  return CreateWin32UpDown(*this, layout, buddy, min, max);
}

std::unique_ptr<PageControl> Win32Form::CreatePageControl(const ControlSpec& layout,
                                                          const std::vector<std::string>& page_captions) {
  return CreateWin32PageControl(*this, layout, page_captions);
}

void Win32Form::ConnectKeyDown(const Edit& edit, std::function<void(int)> handler) {
  const auto* win32_edit = dynamic_cast<const Win32Edit*>(&edit);
  if (win32_edit == nullptr) return;
  HookKeyDown(win32_edit->handle(), [this, handler](int key) { Dispatch([&] { handler(key); }); });
}

void Win32Form::ShowModal() {
  HWND owner = H(options_.owner);
  if (owner != nullptr) EnableWindow(owner, FALSE);
  modal_ = true;
  Show();
  // The keyboard starts at the first control that Tab stops at.
  if (HWND first = GetNextDlgTabItem(H(window_), nullptr, FALSE); first != nullptr) SetFocus(first);
  MSG message{};
  while (modal_ && IsWindow(H(window_))) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got < 0) break;
    if (IsDialogMessageA(H(window_), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  modal_ = false;
  // The owner is enabled before this window hides, so that the activation
  // goes back to it rather than to another program.
  if (owner != nullptr) EnableWindow(owner, TRUE);
  if (IsWindow(H(window_))) ShowWindow(H(window_), SW_HIDE);
  if (owner != nullptr) SetActiveWindow(owner);
}

// The loop waits in GetMessage: a message wakes it to see the end.
void Win32Form::EndModal() {
  modal_ = false;
  if (IsWindow(H(window_))) PostMessageA(H(window_), WM_NULL, 0, 0);
}

std::unique_ptr<Timer> Win32Form::CreateTimer(const std::string& /*name*/) {
  return std::make_unique<FormTimerImpl>(window_, next_timer_id_++, timers_);
}

int Win32Form::IdOf(const Control& control) const {
  const auto it = ids_by_control_.find(&control);
  return it == ids_by_control_.end() ? 0 : it->second;
}

void Win32Form::Connect(const Control& control, ControlEvent event, std::function<void()> handler) {
  handlers_[{IdOf(control), event}] = std::move(handler);
}

void Win32Form::Connect(FormEvent event, std::function<void()> handler) { form_handlers_[event] = std::move(handler); }

void Win32Form::BeginDrag(const ListBox& box, int threshold_pixels) {
  const WindowHandle list = ListHandle(box);
  // Only the press that is going on in that list box can become a drag.
  if (list == kNoWindow || list != drag_.source || GetCapture() != H(list)) return;
  drag_.armed = true;
  drag_.threshold = threshold_pixels;
}

void Win32Form::ConnectDragOver(const ListBox& box, std::function<bool(ClientPoint)> handler) {
  drag_over_[ListHandle(box)] = std::move(handler);
}

void Win32Form::ConnectDragDrop(const ListBox& box, std::function<void(ClientPoint)> handler) {
  drag_drop_[ListHandle(box)] = std::move(handler);
}

ClientPoint Win32Form::ScreenToClient(const Control& control, int screen_x, int screen_y) const {
  POINT point{screen_x, screen_y};
  HWND window = H(window_);
  if (const int id = IdOf(control); id != 0) window = GetDlgItem(H(window_), id);
  ::ScreenToClient(window, &point);
  return {point.x, point.y};
}

bool Win32Form::ListBoxMouse(WindowHandle list, unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      drag_ = ListDrag{};
      // The list box's own press first: it selects the item under the
      // pointer and takes the mouse capture; then the press is reported.
      DefSubclassProc(H(list), message, wparam, lparam);
      const POINT screen = ScreenPointOf(H(list), lparam);
      drag_.source = list;
      drag_.press_x = screen.x;
      drag_.press_y = screen.y;
      if (auto id = ids_by_window_.find(list); id != ids_by_window_.end()) {
        if (auto it = handlers_.find({id->second, ControlEvent::kMouseDown}); it != handlers_.end()) {
          const auto handler = it->second;
          Dispatch(handler);
        }
      }
      if (!drag_.armed) drag_ = ListDrag{};
      return true;
    }
    case WM_MOUSEMOVE: {
      // While a drag is armed the list box's own tracking (the selection
      // following the pointer, its scrolling) stays out of the way.
      if (!drag_.armed || list != drag_.source) return false;
      const POINT screen = ScreenPointOf(H(list), lparam);
      if (!drag_.dragging) {
        if (std::abs(screen.x - drag_.press_x) < drag_.threshold && std::abs(screen.y - drag_.press_y) < drag_.threshold) {
          return true;
        }
        drag_.dragging = true;
      }
      drag_.accepted_by = kNoWindow;
      HWND under = WindowFromPoint(screen);
      if (auto it = drag_over_.find(W(under)); it != drag_over_.end()) {
        POINT client = screen;
        ::ScreenToClient(under, &client);
        const auto handler = it->second;
        bool accepted = false;
        Dispatch([&] { accepted = handler({client.x, client.y}); });
        if (accepted) drag_.accepted_by = W(under);
      }
      SetCursor(LoadCursorA(nullptr, drag_.accepted_by != kNoWindow ? reinterpret_cast<LPCSTR>(IDC_SIZENS)
                                                                    : reinterpret_cast<LPCSTR>(IDC_NO)));
      return true;
    }
    case WM_LBUTTONUP:
      if (!drag_.armed || list != drag_.source) return false;
      EndDrag(list, wparam, lparam);
      return true;
    case WM_CAPTURECHANGED:
      // Capture taken away (another window, a message box): the drag ends
      // without a drop.
      if (drag_.armed && list == drag_.source) {
        drag_ = ListDrag{};
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
      }
      return false;
    default:
      return false;
  }
}

void Win32Form::EndDrag(WindowHandle source, std::uintptr_t wparam, std::intptr_t lparam) {
  const ListDrag ended = drag_;
  drag_ = ListDrag{};
  // The list box ends its press and releases the capture before the drop
  // runs, so an error box shown by the drop gets the mouse.
  DefSubclassProc(H(source), WM_LBUTTONUP, wparam, lparam);
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
  if (!ended.dragging || ended.accepted_by == kNoWindow) return;
  const POINT screen = ScreenPointOf(H(source), lparam);
  HWND under = WindowFromPoint(screen);
  if (W(under) != ended.accepted_by) return;
  const auto it = drag_drop_.find(W(under));
  if (it == drag_drop_.end()) return;
  POINT client = screen;
  ::ScreenToClient(under, &client);
  const auto handler = it->second;
  Dispatch([&] { handler({client.x, client.y}); });
}

void Win32Form::Show() {
  ShowWindow(H(window_), SW_SHOWNORMAL);
  UpdateWindow(H(window_));
}

void Win32Form::RunMessageLoop() {
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // Each top-level window of the program gets Tab, Enter and Esc as a
    // dialog does: the main window and the non-modal ones beside it.
    HWND top = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (top != nullptr && IsDialogMessageA(top, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void Win32Form::Dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    if (error_sink_) error_sink_(error.what());
  } catch (...) {
    if (error_sink_) error_sink_("?");
  }
}

std::intptr_t Win32Form::HandleMessage(WindowHandle window, unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
  if (std::intptr_t result = 0; HandleViewMessage(message, wparam, lparam, result)) return result;
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const unsigned code = HIWORD(wparam);
      HWND control = reinterpret_cast<HWND>(lparam);
      if (control == nullptr) break;
      char kind[16] = {};
      GetClassNameA(control, kind, sizeof(kind));
      ControlEvent event;
      if (lstrcmpiA(kind, "ListBox") == 0) {
        if (code != LBN_DBLCLK) return 0;
        event = ControlEvent::kDblClick;
      } else if (lstrcmpiA(kind, "ComboBox") == 0) {
        if (code != CBN_SELCHANGE) return 0;
        event = ControlEvent::kClick;
      } else {
        if (code != BN_CLICKED) return 0;
        event = ControlEvent::kClick;
      }
      if (auto it = handlers_.find({id, event}); it != handlers_.end()) {
        const auto handler = it->second;
        Dispatch(handler);
      }
      return 0;
    }
    case WM_TIMER:
      if (auto it = timers_.find(wparam); it != timers_.end()) {
        Win32Timer* timer = it->second;
        Dispatch([timer] { timer->Fire(); });
      }
      return 0;
    case WM_LBUTTONDBLCLK:
      if (auto it = form_handlers_.find(FormEvent::kDblClick); it != form_handlers_.end()) {
        const auto handler = it->second;
        Dispatch(handler);
      }
      return 0;
    case DM_GETDEFID:
      if (default_id_ != 0) return MAKELRESULT(default_id_, DC_HASDEFID);
      return 0;
    case WM_CLOSE: {
      bool allowed = true;
      if (close_query_) Dispatch([&] { allowed = close_query_(); });
      if (allowed && modal_) {
        EndModal();
      } else if (allowed) {
        DestroyWindow(H(window_));
      }
      return 0;
    }
    case WM_DESTROY:
      if (quit_on_destroy_) PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcA(H(window), message, wparam, lparam);
      window_ = kNoWindow;
      return result;
    }
    default:
      break;
  }
  return DefWindowProcA(H(window), message, wparam, lparam);
}

}  // namespace tamiru::platform::win32

#include "platform/win32/form_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "platform/win32/controls_win32.h"
#include "platform/win32/dialog_controls_win32.h"
#include "platform/win32/event_loop_win32.h"
#include "platform/win32/handle_win32.h"

namespace tamiru::platform::win32 {

namespace {

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<Win32Form*>(create->lpCreateParams)->AttachWindow(AsHandle(window));
  }
  auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (form == nullptr || form->Handle() != AsHandle(window)) return DefWindowProcA(window, message, wparam, lparam);
  return form->HandleMessage(AsHandle(window), message, wparam, lparam);
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

// Asks the form to show its queued notices (PostNotice).
constexpr UINT kShowNotices = WM_APP + 1;

constexpr int kComboDropDownHeight = 160;  // the list below a drop-down combo box
constexpr int kComboFrame = 6;              // 3 pixels a side around the edit part

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

// A window's first place, moved onto the work area (the screen less the
// taskbar) of the monitor nearest to it, so its caption can be reached; a
// window the user may size is made no larger than that (a large layout at
// 200 % would not fit a laptop's screen).
RECT OnWorkArea(int left, int top, int width, int height, bool may_shrink) {
  const RECT wanted{left, top, left + width, top + height};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor)) return wanted;
  const RECT& work = monitor.rcWork;
  if (may_shrink) {
    width = std::min<int>(width, work.right - work.left);
    height = std::min<int>(height, work.bottom - work.top);
  }
  left = std::max<int>(work.left, std::min<int>(left, work.right - width));
  top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
  return {left, top, left + width, top + height};
}

}  // namespace

Win32Form::Win32Form(const FormOptions& options)
    : options_(options),
      scale_(DpiScale::OfSystem()),
      drag_(scale_, [this](const std::function<void()>& handler) { Dispatch(handler); },
            [this](WindowHandle list) { Fire(GetDlgCtrlID(AsHwnd(list)), ControlEvent::kMouseDown); }) {
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
  RECT frame{0, 0, scale_.Pixels(options_.client_width), scale_.Pixels(options_.client_height)};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  const RECT place = OnWorkArea(scale_.Pixels(options_.left), scale_.Pixels(options_.top), frame.right - frame.left,
                                frame.bottom - frame.top, options_.resizable);
  CreateWindowExA(0, options_.class_name.c_str(), options_.caption.c_str(), style, place.left, place.top,
                  place.right - place.left, place.bottom - place.top, AsHwnd(options_.owner), nullptr,
                  GetModuleHandleA(nullptr), this);
  if (options_.owner != kNoWindow) quit_on_destroy_ = false;
}

Win32Form::~Win32Form() {
  // A window destroyed here (a construction that failed) must not leave a
  // WM_QUIT behind: it would end the error box shown next at once.
  quit_on_destroy_ = false;
  if (window_ != kNoWindow && IsWindow(AsHwnd(window_))) DestroyWindow(AsHwnd(window_));
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
  HFONT font = CreateFontA(-scale_.Pixels(layout.height), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           face.c_str());
  fonts_[key] = font;
  return font;
}

namespace {

// A caption's size in the font (pixels), for a control sized by its caption.
SIZE CaptionExtent(HWND window, HFONT font, const std::string& caption) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  extent.cy = metrics.tmHeight;
  return extent;
}

}  // namespace

WindowHandle Win32Form::CreateChild(const ChildClass& kind, const ControlSpec& layout, int height) {
  const int id = next_id_++;
  HFONT font = static_cast<HFONT>(FontFor(layout.font));
  int width = scale_.Pixels(layout.width);
  int pixel_height = scale_.Pixels(height);
  if (width == 0 || pixel_height == 0) {
    const SIZE extent = CaptionExtent(AsHwnd(window_), font, layout.caption);
    if (width == 0) width = extent.cx;
    if (pixel_height == 0) pixel_height = extent.cy;
  }
  HWND parent = AsHwnd(window_);
  if (layout.page >= 0 && static_cast<std::size_t>(layout.page) < pages_.size()) parent = AsHwnd(pages_[layout.page]);
  HWND child = CreateWindowExA(kind.ex_style, kind.window_class, layout.caption.c_str(), WS_CHILD | WS_VISIBLE | kind.style,
                               scale_.Pixels(layout.left), scale_.Pixels(layout.top), width, pixel_height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  children_[id] = Child{AsHandle(child), kind.kind, nullptr, {}};
  return AsHandle(child);
}

void Win32Form::RegisterControl(const Control& control, WindowHandle window) {
  if (auto it = children_.find(GetDlgCtrlID(AsHwnd(window))); it != children_.end()) it->second.control = &control;
}

const Win32Form::Child* Win32Form::ChildOf(const Control& control) const {
  for (const auto& [id, child] : children_) {
    if (child.control == &control) return &child;
  }
  return nullptr;
}

WindowHandle Win32Form::WindowOf(const Control& control) const {
  const Child* child = ChildOf(control);
  return child != nullptr ? child->window : kNoWindow;
}

std::unique_ptr<Control> Win32Form::CreateControl(ControlKind kind, const ControlSpec& layout) {
  constexpr DWORD kTab = WS_TABSTOP;
  switch (kind) {
    case ControlKind::kButton: {
      const DWORD push = layout.default_button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      const WindowHandle window = CreateChild({"BUTTON", ChildKind::kButton, kTab | push}, layout, layout.height);
      if (layout.default_button) default_id_ = GetDlgCtrlID(AsHwnd(window));
      return Registered(std::make_unique<Win32Captioned>(window));
    }
    case ControlKind::kLabel:
      return Registered(std::make_unique<Win32Captioned>(
          CreateChild({"STATIC", ChildKind::kOther, SS_LEFT | SS_NOPREFIX}, layout, layout.height)));
    case ControlKind::kCheckBox:
      return Registered(std::make_unique<Win32CheckBox>(
          CreateChild({"BUTTON", ChildKind::kButton, kTab | BS_AUTOCHECKBOX}, layout, layout.height)));
    case ControlKind::kEdit: {
      const DWORD read_only = layout.read_only ? ES_READONLY : 0;
      const DWORD lines =
          layout.multi_line ? ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | WS_VSCROLL | WS_HSCROLL : 0;
      auto edit = std::make_unique<Win32Edit>(CreateChild(
          {"EDIT", ChildKind::kOther, kTab | ES_AUTOHSCROLL | read_only | lines, WS_EX_CLIENTEDGE}, layout, layout.height));
      edit->SetMaxLength(layout.max_length);
      return Registered(std::move(edit));
    }
    case ControlKind::kListBox:
      return CreateListBox(layout);
    case ControlKind::kComboBox:
      return CreateComboBox(layout);
    case ControlKind::kGroupBox:
      return CreateWin32GroupBox(*this, layout);
    case ControlKind::kRadioButton:
      return CreateWin32RadioButton(*this, layout);
  }
  return nullptr;
}

std::unique_ptr<ListBox> Win32Form::CreateListBox(const ControlSpec& layout) {
  const ChildClass kind{"LISTBOX", ChildKind::kListBox, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                        WS_EX_CLIENTEDGE};
  const WindowHandle window = CreateChild(kind, layout, layout.height);
  // After the font: WM_SETFONT resets the item height to the font's.
  if (layout.item_height > 0) {
    SendMessageA(AsHwnd(window), LB_SETITEMHEIGHT, 0, MAKELPARAM(scale_.Pixels(layout.item_height), 0));
  }
  drag_.Watch(window);
  return Registered(std::make_unique<Win32ListBox>(window, scale_));
}

std::unique_ptr<ComboBox> Win32Form::CreateComboBox(const ControlSpec& layout) {
  const DWORD pick = layout.pick_only ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL;
  // The height given to a drop-down combo box includes its list.
  const WindowHandle window = CreateChild({"COMBOBOX", ChildKind::kComboBox, WS_TABSTOP | WS_VSCROLL | pick}, layout,
                                          layout.height + kComboDropDownHeight);
  HWND combo = AsHwnd(window);
  if (layout.height > kComboFrame) {
    SendMessageA(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), scale_.Pixels(layout.height - kComboFrame));
  }
  // With visual styles the list is sized by a count of rows (30 unless
  // told), not by the window's height: as many rows as the height holds.
  const LRESULT row = SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0);
  if (row > 0) SendMessageA(combo, CB_SETMINVISIBLE, static_cast<WPARAM>(scale_.Pixels(kComboDropDownHeight) / row), 0);
  auto box = std::make_unique<Win32ComboBox>(window);
  box->SetMaxLength(layout.max_length);
  return Registered(std::move(box));
}

std::unique_ptr<RadioGroup> Win32Form::CreateRadioGroup(const ControlSpec& layout, const std::vector<std::string>& items,
                                                        int columns) {
  return CreateWin32RadioGroup(*this, layout, items, columns);
}

std::unique_ptr<UpDown> Win32Form::CreateUpDown(const ControlSpec& layout, Edit& buddy, int min, int max) {
  return CreateWin32UpDown(*this, layout, WindowOf(buddy), min, max);
}

std::unique_ptr<PageControl> Win32Form::CreatePageControl(const ControlSpec& layout,
                                                          const std::vector<std::string>& page_captions) {
  return CreateWin32PageControl(*this, layout, page_captions);
}

void Win32Form::ConnectKeyDown(const Edit& edit, std::function<void(int)> handler) {
  const WindowHandle window = WindowOf(edit);
  if (window == kNoWindow) return;
  HookKeyDown(window, [this, handler](int key) { Dispatch([&] { handler(key); }); });
}

void Win32Form::ShowModal() {
  HWND owner = AsHwnd(options_.owner);
  if (owner != nullptr) EnableWindow(owner, FALSE);
  modal_ = true;
  Show();
  // The keyboard starts at the first control that Tab stops at.
  if (HWND first = GetNextDlgTabItem(AsHwnd(window_), nullptr, FALSE); first != nullptr) SetFocus(first);
  MSG message{};
  while (modal_ && IsWindow(AsHwnd(window_))) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got < 0) break;
    DispatchTaken(message);
  }
  modal_ = false;
  // The owner is enabled before this window hides, so that the activation
  // goes back to it rather than to another program.
  if (owner != nullptr) EnableWindow(owner, TRUE);
  if (IsWindow(AsHwnd(window_))) ShowWindow(AsHwnd(window_), SW_HIDE);
  if (owner != nullptr) SetActiveWindow(owner);
}

// The loop waits in GetMessage: a message wakes it to see the end.
void Win32Form::EndModal() {
  modal_ = false;
  if (IsWindow(AsHwnd(window_))) PostMessageA(AsHwnd(window_), WM_NULL, 0, 0);
}

std::unique_ptr<Timer> Win32Form::CreateTimer(const std::string& /*name*/) {
  return std::make_unique<FormTimerImpl>(window_, next_timer_id_++, timers_);
}

void Win32Form::Connect(const Control& control, ControlEvent event, std::function<void()> handler) {
  for (auto& [id, child] : children_) {
    if (child.control == &control) child.handlers[event] = std::move(handler);
  }
}

void Win32Form::Connect(FormEvent event, std::function<void()> handler) { form_handlers_[event] = std::move(handler); }

void Win32Form::BeginDrag(const ListBox& box, int threshold_pixels) { drag_.Arm(WindowOf(box), threshold_pixels); }

void Win32Form::ConnectDragOver(const ListBox& box, std::function<bool(ClientPoint)> handler) {
  drag_.ConnectOver(WindowOf(box), std::move(handler));
}

void Win32Form::ConnectDragDrop(const ListBox& box, std::function<void(ClientPoint)> handler) {
  drag_.ConnectDrop(WindowOf(box), std::move(handler));
}

ClientPoint Win32Form::ScreenToClient(const Control& control, int screen_x, int screen_y) const {
  POINT point{screen_x, screen_y};
  const WindowHandle window = WindowOf(control);
  ::ScreenToClient(AsHwnd(window != kNoWindow ? window : window_), &point);
  return {scale_.Layout(point.x), scale_.Layout(point.y)};
}

void Win32Form::Show() {
  ShowWindow(AsHwnd(window_), SW_SHOWNORMAL);
  UpdateWindow(AsHwnd(window_));
}

void Win32Form::RunMessageLoop() {
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    DispatchTaken(message);
  }
}

void Win32Form::PostNotice(std::string message) {
  notices_.push_back(std::move(message));
  if (IsWindow(AsHwnd(window_))) PostMessageA(AsHwnd(window_), kShowNotices, 0, 0);
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

void Win32Form::Fire(int id, ControlEvent event) {
  const auto child = children_.find(id);
  if (child == children_.end()) return;
  const auto it = child->second.handlers.find(event);
  if (it == child->second.handlers.end()) return;
  const auto handler = it->second;  // a handler may reconnect events while it runs
  Dispatch(handler);
}

// The notification that stands for a control's event, by the control's kind.
void Win32Form::Command(int id, unsigned code) {
  const auto child = children_.find(id);
  if (child == children_.end()) return;
  switch (child->second.kind) {
    case ChildKind::kListBox:
      if (code == LBN_DBLCLK) Fire(id, ControlEvent::kDblClick);
      break;
    case ChildKind::kComboBox:
      if (code == CBN_SELCHANGE) Fire(id, ControlEvent::kClick);
      break;
    case ChildKind::kButton:
      if (code == BN_CLICKED) Fire(id, ControlEvent::kClick);
      break;
    case ChildKind::kOther:
      break;
  }
}

void Win32Form::CloseRequested() {
  bool allowed = true;
  if (close_query_) Dispatch([&] { allowed = close_query_(); });
  if (allowed && modal_) {
    EndModal();
  } else if (allowed) {
    DestroyWindow(AsHwnd(window_));
  }
}

std::intptr_t Win32Form::HandleMessage(WindowHandle window, unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
  if (std::intptr_t result = 0; HandleViewMessage(message, wparam, lparam, result)) return result;
  switch (message) {
    case WM_COMMAND:
      if (lparam == 0) break;
      Command(LOWORD(wparam), HIWORD(wparam));
      return 0;
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
    case kShowNotices: {
      const std::vector<std::string> notices = std::move(notices_);
      notices_.clear();
      for (const std::string& notice : notices) {
        if (error_sink_) error_sink_(notice);
      }
      return 0;
    }
    case DM_GETDEFID:
      return default_id_ != 0 ? MAKELRESULT(default_id_, DC_HASDEFID) : 0;
    case WM_CLOSE:
      CloseRequested();
      return 0;
    case WM_DESTROY:
      if (quit_on_destroy_) PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcA(AsHwnd(window), message, wparam, lparam);
      window_ = kNoWindow;
      return result;
    }
    default:
      break;
  }
  return DefWindowProcA(AsHwnd(window), message, wparam, lparam);
}

}  // namespace tamiru::platform::win32

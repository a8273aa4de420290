#include "platform/win32/dialog_controls_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "platform/win32/controls_win32.h"
#include "platform/win32/form_win32.h"
#include "platform/win32/handle_win32.h"
#include "platform/win32/system_win32.h"

namespace tamiru::platform::win32 {

namespace {

constexpr const char* kPageHostClass = "TamiruPageHost";
constexpr const char* kPageClass = "TamiruPage";
constexpr UINT_PTR kKeySubclassId = 2;

void InitDialogControlClasses() {
  INITCOMMONCONTROLSEX common{sizeof(common), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&common);
}

class Win32RadioGroup : public Win32WithCaption<RadioGroup> {
 public:
  Win32RadioGroup(WindowHandle group, std::vector<WindowHandle> items)
      : Win32WithCaption(group), items_(std::move(items)) {}
  int ItemCount() const override { return static_cast<int>(items_.size()); }
  int ItemIndex() const override {
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (SendMessageA(AsHwnd(items_[i]), BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
    }
    return -1;
  }
  void SetItemIndex(int index) override {
    for (std::size_t i = 0; i < items_.size(); ++i) {
      SendMessageA(AsHwnd(items_[i]), BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
  void SetVisible(bool visible) override {
    Win32WithCaption::SetVisible(visible);
    for (WindowHandle item : items_) ShowWindow(AsHwnd(item), visible ? SW_SHOWNA : SW_HIDE);
  }

 private:
  std::vector<WindowHandle> items_;
};

class Win32UpDown : public Win32Control<UpDown> {
 public:
  Win32UpDown(WindowHandle window, WindowHandle buddy, int min, int max)
      : Win32Control(window), buddy_(buddy), min_(min), max_(max) {}
  int Min() const override { return min_; }
  int Max() const override { return max_; }
  int Position() const override {
    BOOL failed = FALSE;
    const LRESULT position = SendMessageA(AsHwnd(window_), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed));
    return std::clamp(static_cast<int>(position), min_, max_);
  }
  // The buddy is written here too: not every system's spin control writes it
  // on a programmatic move.
  void SetPosition(int position) override {
    const int clamped = std::clamp(position, min_, max_);
    SendMessageA(AsHwnd(window_), UDM_SETPOS32, 0, clamped);
    SetWindowTextOf(buddy_, std::to_string(clamped));
  }

 private:
  WindowHandle buddy_;
  int min_;
  int max_;
};

// The page control's state, kept by its host window.
struct PageSet {
  HWND tab = nullptr;
  std::vector<WindowHandle> pages;

  void Show(int index) {
    for (std::size_t i = 0; i < pages.size(); ++i) {
      ShowWindow(AsHwnd(pages[i]), static_cast<int>(i) == index ? SW_SHOWNA : SW_HIDE);
    }
  }
};

class Win32PageControl : public Win32Control<PageControl> {
 public:
  Win32PageControl(WindowHandle host, PageSet& pages) : Win32Control(host), pages_(pages) {}
  int PageCount() const override { return static_cast<int>(pages_.pages.size()); }
  int ActivePage() const override { return static_cast<int>(SendMessageA(pages_.tab, TCM_GETCURSEL, 0, 0)); }
  void SetActivePage(int index) override {
    if (index < 0 || index >= PageCount()) return;
    SendMessageA(pages_.tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    pages_.Show(index);
  }

 private:
  PageSet& pages_;
};

// The messages that controls send to their parent go on to the form, where
// the handlers are: the pages and the page host are only containers.
bool ForwardToForm(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      *result = SendMessageA(GetAncestor(window, GA_ROOT), message, wparam, lparam);
      return true;
    default:
      return false;
  }
}

// DrawThemeParentBackground, where the system has it (uxtheme, loaded when
// first needed).
using ParentBackgroundPainter = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
ParentBackgroundPainter ThemeParentBackground() {
  static const auto painter = [] {
    HMODULE theme = LoadLibraryA("uxtheme.dll");
    return theme != nullptr
               ? FunctionOf<ParentBackgroundPainter>(GetProcAddress(theme, "DrawThemeParentBackground"))
               : nullptr;
  }();
  return painter;
}

bool IsEdit(HWND control) {
  char name[8] = {};
  GetClassNameA(control, name, sizeof name);
  return lstrcmpiA(name, "Edit") == 0;
}

// A page is painted with the tab control's body below it, which visual
// styles draw lighter than the plain button face, and so are the labels,
// check boxes and option buttons on it (an edit keeps its own background).
bool PaintPageBackground(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  const auto paint = ThemeParentBackground();
  if (paint == nullptr) return false;
  HDC dc = reinterpret_cast<HDC>(wparam);
  switch (message) {
    case WM_ERASEBKGND:
      if (FAILED(paint(window, dc, nullptr))) return false;
      *result = 1;
      return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HWND control = reinterpret_cast<HWND>(lparam);
      if (IsEdit(control) || FAILED(paint(control, dc, nullptr))) return false;
      SetBkMode(dc, TRANSPARENT);
      *result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      return true;
    }
    default:
      return false;
  }
}

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (PaintPageBackground(window, message, wparam, lparam, &result)) return result;
  if (ForwardToForm(window, message, wparam, lparam, &result)) return result;
  return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT CALLBACK PageHostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* pages = reinterpret_cast<PageSet*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NOTIFY && pages != nullptr) {
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    if (header->hwndFrom == pages->tab && header->code == TCN_SELCHANGE) {
      pages->Show(static_cast<int>(SendMessageA(pages->tab, TCM_GETCURSEL, 0, 0)));
      return 0;
    }
  }
  if (message == WM_NCDESTROY && pages != nullptr) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    delete pages;
  }
  LRESULT result = 0;
  if (ForwardToForm(window, message, wparam, lparam, &result)) return result;
  return DefWindowProcA(window, message, wparam, lparam);
}

void RegisterContainerClass(const char* name, WNDPROC procedure) {
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof(window_class);
  if (GetClassInfoExA(GetModuleHandleA(nullptr), name, &window_class)) return;
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = name;
  RegisterClassExA(&window_class);
}

LRESULT CALLBACK KeyDownProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  auto* handler = reinterpret_cast<std::function<void(int)>*>(data);
  switch (message) {
    case WM_GETDLGCODE: {
      const LRESULT code = DefSubclassProc(edit, message, wparam, lparam);
      const auto* pending = reinterpret_cast<const MSG*>(lparam);
      if (pending != nullptr && pending->message == WM_KEYDOWN && pending->wParam != VK_TAB) {
        return code | DLGC_WANTALLKEYS;
      }
      return code;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      (*handler)(static_cast<int>(wparam));
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a second press soon after the first
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK:
      // The click that gives the box the focus is no capture. The button is
      // read as the key poll reads it, so a captured button is the one the
      // poll finds down.
      if (GetFocus() == edit) {
        Win32Input input;
        if (const auto button = MouseButtonDown(input)) (*handler)(*button);
      }
      break;
    case WM_CONTEXTMENU:
      return 0;  // the secondary button is captured, not a menu
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit, KeyDownProc, kKeySubclassId);
      delete handler;
      break;
    default:
      break;
  }
  return DefSubclassProc(edit, message, wparam, lparam);
}

}  // namespace

namespace {

constexpr ChildClass kGroupBox{"BUTTON", ChildKind::kButton, BS_GROUPBOX | WS_GROUP};

// The first button of a group starts it (WS_GROUP) and is the one Tab stops
// at; the system clears the others of the group when one is clicked.
ChildClass RadioButtonClass(bool group_start) {
  const unsigned long start = group_start ? WS_GROUP | WS_TABSTOP : 0;
  return {"BUTTON", ChildKind::kButton, BS_AUTORADIOBUTTON | start};
}

}  // namespace

std::unique_ptr<Label> CreateWin32GroupBox(Win32Form& form, const ControlSpec& layout) {
  return form.Registered(std::make_unique<Win32Captioned>(form.CreateChild(kGroupBox, layout, layout.height)));
}

std::unique_ptr<CheckBox> CreateWin32RadioButton(Win32Form& form, const ControlSpec& layout) {
  const WindowHandle window = form.CreateChild(RadioButtonClass(layout.group_start), layout, layout.height);
  return form.Registered(std::make_unique<Win32CheckBox>(window));
}

std::unique_ptr<RadioGroup> CreateWin32RadioGroup(Win32Form& form, const ControlSpec& layout,
                                                  const std::vector<std::string>& items, int columns) {
  const WindowHandle group = form.CreateChild(kGroupBox, layout, layout.height);
  columns = std::max(1, columns);
  const int column_width = (layout.width - 16) / columns;
  std::vector<WindowHandle> buttons;
  for (std::size_t i = 0; i < items.size(); ++i) {
    ControlSpec item = layout;
    item.name = layout.name + "." + std::to_string(i);
    item.caption = items[i];
    item.left = layout.left + 10 + static_cast<int>(i % columns) * column_width;
    item.top = layout.top + 18 + static_cast<int>(i / columns) * 20;
    item.width = column_width - 4;
    item.height = 17;
    buttons.push_back(form.CreateChild(RadioButtonClass(i == 0), item, item.height));
  }
  return form.Registered(std::make_unique<Win32RadioGroup>(group, std::move(buttons)));
}

std::unique_ptr<UpDown> CreateWin32UpDown(Win32Form& form, const ControlSpec& layout, WindowHandle buddy, int min,
                                          int max) {
  InitDialogControlClasses();
  // No UDS_WRAP: the ends of the range hold.
  const ChildClass kind{UPDOWN_CLASSA, ChildKind::kOther, UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS};
  const WindowHandle window = form.CreateChild(kind, layout, layout.height);
  SendMessageA(AsHwnd(window), UDM_SETBUDDY, reinterpret_cast<WPARAM>(AsHwnd(buddy)), 0);
  SendMessageA(AsHwnd(window), UDM_SETRANGE32, static_cast<WPARAM>(min), static_cast<LPARAM>(max));
  auto up_down = std::make_unique<Win32UpDown>(window, buddy, min, max);
  up_down->SetPosition(min);
  return form.Registered(std::move(up_down));
}

// The host window holds the tab control; the pages are children of the tab
// control over its display area, so that it paints below them.
std::unique_ptr<PageControl> CreateWin32PageControl(Win32Form& form, const ControlSpec& layout,
                                                    const std::vector<std::string>& page_captions) {
  InitDialogControlClasses();
  RegisterContainerClass(kPageHostClass, PageHostProc);
  RegisterContainerClass(kPageClass, PageProc);
  ControlSpec host_layout = layout;
  host_layout.page = -1;
  const WindowHandle host = form.CreateChild({kPageHostClass, ChildKind::kOther, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT},
                                             host_layout, layout.height);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  const int width = form.scale().Pixels(layout.width), height = form.scale().Pixels(layout.height);
  HWND tab = CreateWindowExA(WS_EX_CONTROLPARENT, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                             0, 0, width, height, AsHwnd(host), nullptr, instance, nullptr);
  SendMessageA(tab, WM_SETFONT, reinterpret_cast<WPARAM>(form.FontFor(layout.font)), FALSE);
  for (std::size_t i = 0; i < page_captions.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(page_captions[i].c_str());
    SendMessageA(tab, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  RECT area{0, 0, width, height};
  SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));

  auto* pages = new PageSet;
  pages->tab = tab;
  for (std::size_t i = 0; i < page_captions.size(); ++i) {
    const DWORD shown = i == 0 ? WS_VISIBLE : 0;
    HWND page = CreateWindowExA(WS_EX_CONTROLPARENT, kPageClass, page_captions[i].c_str(), WS_CHILD | shown, area.left,
                                area.top, area.right - area.left, area.bottom - area.top, tab, nullptr, instance,
                                nullptr);
    pages->pages.push_back(AsHandle(page));
  }
  SetWindowLongPtrA(AsHwnd(host), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pages));
  SendMessageA(tab, TCM_SETCURSEL, 0, 0);
  form.SetPageWindows(pages->pages);
  return form.Registered(std::make_unique<Win32PageControl>(host, *pages));
}

void HookKeyDown(WindowHandle edit, std::function<void(int)> handler) {
  auto* stored = new std::function<void(int)>(std::move(handler));
  if (!SetWindowSubclass(AsHwnd(edit), KeyDownProc, kKeySubclassId, reinterpret_cast<DWORD_PTR>(stored))) delete stored;
}

}  // namespace tamiru::platform::win32

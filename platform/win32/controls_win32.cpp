#include "platform/win32/controls_win32.h"
#include "platform/view_controls.h"

#include <windows.h>

#include <algorithm>

#include <type_traits>

#include "platform/win32/handle_win32.h"

namespace tamiru::platform::win32 {

namespace {

LRESULT Send(WindowHandle window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  return SendMessageA(AsHwnd(window), message, wparam, lparam);
}

LPARAM TextArg(const std::string& text) { return reinterpret_cast<LPARAM>(text.c_str()); }

// A row's text, whole: its length is asked first so no buffer is overrun.
std::string RowText(WindowHandle window, UINT length_message, UINT text_message, int index) {
  const LRESULT length = Send(window, length_message, static_cast<WPARAM>(index));
  if (length < 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied = Send(window, text_message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied < 0 ? 0 : static_cast<std::size_t>(copied));
  return text;
}

std::size_t TotalBytes(const std::vector<std::string>& items) {
  std::size_t total = 0;
  for (const auto& item : items) total += item.size() + 1;
  return total;
}

}  // namespace

template <typename Base>
void Win32Control<Base>::SetEnabled(bool enabled) {
  EnableWindow(AsHwnd(window_), enabled ? TRUE : FALSE);
}
template <typename Base>
bool Win32Control<Base>::IsEnabled() const {
  return IsWindowEnabled(AsHwnd(window_)) != FALSE;
}
template <typename Base>
void Win32Control<Base>::SetVisible(bool visible) {
  ShowWindow(AsHwnd(window_), visible ? SW_SHOWNA : SW_HIDE);
}
template <typename Base>
bool Win32Control<Base>::IsVisible() const {
  return (GetWindowLongPtrA(AsHwnd(window_), GWL_STYLE) & WS_VISIBLE) != 0;
}

template class Win32Control<Captioned>;
template class Win32Control<CheckBox>;
template class Win32Control<Edit>;
template class Win32Control<ListBox>;
template class Win32Control<ComboBox>;
template class Win32Control<RadioGroup>;
template class Win32Control<UpDown>;
template class Win32Control<PageControl>;
template class Win32Control<ListView>;
template class Win32Control<PictureBox>;

DpiScale DpiScale::OfSystem() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return DpiScale();
  const DpiScale scale(GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  return scale;
}

std::string WindowTextOf(WindowHandle window) {
  const int length = GetWindowTextLengthA(AsHwnd(window));
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(AsHwnd(window), text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void SetWindowTextOf(WindowHandle window, const std::string& text) { SetWindowTextA(AsHwnd(window), text.c_str()); }

void RepaintNow(WindowHandle window) { UpdateWindow(AsHwnd(window)); }

void Win32CheckBox::SetChecked(bool checked) { Send(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
bool Win32CheckBox::IsChecked() const { return Send(window_, BM_GETCHECK) == BST_CHECKED; }

template <typename Base>
void Win32Text<Base>::SetMaxLength(int bytes) {
  max_length_ = bytes;
  const UINT limit = std::is_base_of_v<ItemList, Base> ? CB_LIMITTEXT : EM_LIMITTEXT;
  Send(this->window_, limit, static_cast<WPARAM>(bytes > 0 ? bytes : 0));
}

// ---- Rows ----

namespace {

// The row messages of a list box, and of a combo box's list (same
// answers: CB_ERR and CB_ERRSPACE are LB_ERR and LB_ERRSPACE).
struct RowMessages {
  UINT count, text_length, text, insert, remove, reset, storage, get_selection, set_selection;
};
template <typename Base>
constexpr RowMessages kRowMessages{LB_GETCOUNT,     LB_GETTEXTLEN,  LB_GETTEXT,    LB_INSERTSTRING, LB_DELETESTRING,
                                   LB_RESETCONTENT, LB_INITSTORAGE, LB_GETCURSEL, LB_SETCURSEL};
template <>
constexpr RowMessages kRowMessages<ComboBox>{CB_GETCOUNT,     CB_GETLBTEXTLEN, CB_GETLBTEXT,  CB_INSERTSTRING,
                                             CB_DELETESTRING, CB_RESETCONTENT, CB_INITSTORAGE, CB_GETCURSEL,
                                             CB_SETCURSEL};

// What the control keeps of a row: its text ends at a NUL byte.
std::string AsStored(const std::string& item) { return item.substr(0, item.find('\0')); }

}  // namespace

template <typename Base>
const std::vector<std::string>& Win32Rows<Base>::Rows() const {
  const RowMessages& m = kRowMessages<Base>;
  const LRESULT answer = Send(this->window_, m.count);
  const std::size_t count = answer > 0 ? static_cast<std::size_t>(answer) : 0;
  if (count != rows_.size()) {
    rows_.clear();
    rows_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      rows_.push_back(RowText(this->window_, m.text_length, m.text, static_cast<int>(i)));
    }
  }
  return rows_;
}

template <typename Base>
std::string Win32Rows<Base>::Item(int index) const {
  const auto& rows = Rows();
  return index >= 0 && static_cast<std::size_t>(index) < rows.size() ? rows[static_cast<std::size_t>(index)]
                                                                      : std::string();
}

// The list box's rows go straight to its class procedure, past the
// subclasses: under Wine each message through a comctl32 subclass costs a
// property lookup in the server (0.1 to 0.3 ms), which made most of the
// start on a long friend list. The subclasses (the form's mouse watch) have
// no business with the rows. A combo box is not subclassed.
template <typename Base>
void Win32Rows<Base>::SetItems(const std::vector<std::string>& items) {
  const RowMessages& m = kRowMessages<Base>;
  const WindowHandle window = this->window_;
  const auto own = reinterpret_cast<WNDPROC>(GetClassLongPtrA(AsHwnd(window), GCLP_WNDPROC));
  const auto add = [&](const std::string& item) {
    const WPARAM end = static_cast<WPARAM>(-1);  // inserted at the end, never sorted
    if (own != nullptr) return CallWindowProcA(own, AsHwnd(window), m.insert, end, TextArg(item));
    return Send(window, m.insert, end, TextArg(item));
  };
  Send(window, WM_SETREDRAW, FALSE);
  Send(window, m.reset);
  rows_.clear();
  Send(window, m.storage, items.size(), static_cast<LPARAM>(TotalBytes(items)));
  rows_.reserve(items.size());
  for (const auto& item : items) {
    rows_.push_back(AsStored(item));
    // A row refused (out of memory) is left out of the copy too.
    if (add(rows_.back()) < 0) rows_.pop_back();
  }
  Send(window, WM_SETREDRAW, TRUE);
  InvalidateRect(AsHwnd(window), nullptr, TRUE);
}

template <typename Base>
void Win32Rows<Base>::Insert(int index, const std::string& item) {
  const auto& rows = Rows();
  if (index < 0 || static_cast<std::size_t>(index) > rows.size()) return;
  std::string stored = AsStored(item);
  if (Send(this->window_, kRowMessages<Base>.insert, static_cast<WPARAM>(index), TextArg(stored)) < 0) return;
  rows_.insert(rows_.begin() + index, std::move(stored));
}

template <typename Base>
void Win32Rows<Base>::Delete(int index) {
  const auto& rows = Rows();
  if (index < 0 || static_cast<std::size_t>(index) >= rows.size()) return;
  if (Send(this->window_, kRowMessages<Base>.remove, static_cast<WPARAM>(index)) < 0) return;
  rows_.erase(rows_.begin() + index);
}

template <typename Base>
int Win32Rows<Base>::SelectedIndex() const {
  const LRESULT selected = Send(this->window_, kRowMessages<Base>.get_selection);
  return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

// Out of range selects none (-1), which both controls take without a fault.
template <typename Base>
void Win32Rows<Base>::SetSelectedIndex(int index) {
  Send(this->window_, kRowMessages<Base>.set_selection, static_cast<WPARAM>(index >= 0 && index < Count() ? index : -1));
}

template class Win32Rows<ListBox>;
template class Win32Rows<ComboBox>;

// ---- List box ----

int Win32ListBox::TopIndex() const { return static_cast<int>(Send(window_, LB_GETTOPINDEX)); }
void Win32ListBox::SetTopIndex(int index) { Send(window_, LB_SETTOPINDEX, static_cast<WPARAM>(index < 0 ? 0 : index)); }

// From the top row and the item height (all rows are as high): the answer
// of LB_ITEMFROMPOINT has 16 bits, too few for the rows of a long list.
int Win32ListBox::ItemAt(int x, int y) const {
  RECT client{};
  GetClientRect(AsHwnd(window_), &client);
  const int pixel_x = scale_.Pixels(x), pixel_y = scale_.Pixels(y);
  if (pixel_x < 0 || pixel_y < 0 || pixel_x >= client.right || pixel_y >= client.bottom) return -1;
  const int height = static_cast<int>(Send(window_, LB_GETITEMHEIGHT));
  if (height <= 0) return -1;
  const int index = TopIndex() + pixel_y / height;
  return index < Count() ? index : -1;
}

int Win32ListBox::ItemHeight() const { return scale_.Layout(static_cast<int>(Send(window_, LB_GETITEMHEIGHT))); }

// The line's place is asked of the control in its own unit (bytes on
// Windows, characters under Wine), so the selection fits either. The view
// scrolls to show a few lines above the selected one.
template <typename Base>
void Win32Text<Base>::SelectLine(int line) {
  HWND edit = AsHwnd(this->window_);
  const LRESULT start = SendMessageA(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
  if (start < 0) return;
  const LRESULT length = SendMessageA(edit, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(start + length), start);
  const LRESULT first = SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
  SendMessageA(edit, EM_LINESCROLL, 0, std::max<LRESULT>(0, line - 3) - first);
}

template class Win32Text<Win32Control<Edit>>;
template class Win32Text<Win32Rows<ComboBox>>;

Win32Timer::~Win32Timer() { KillTimer(AsHwnd(window_), id_); }

void Win32Timer::SetInterval(std::uint32_t ms) {
  interval_ = ms;
  Arm();
}

void Win32Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Arm();
}

// A period of 0 never fires: SetTimer would take it as its shortest period.
void Win32Timer::Arm() {
  if (enabled_ && interval_ > 0) {
    SetTimer(AsHwnd(window_), id_, interval_, nullptr);
  } else {
    KillTimer(AsHwnd(window_), id_);
  }
}

}  // namespace tamiru::platform::win32

#include "platform/win32/controls_win32.h"
#include "platform/view_controls.h"

#include <windows.h>

namespace tamiru::platform::win32 {

namespace {

HWND H(WindowHandle window) { return reinterpret_cast<HWND>(window); }

LRESULT Send(WindowHandle window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  return SendMessageA(H(window), message, wparam, lparam);
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
  EnableWindow(H(window_), enabled ? TRUE : FALSE);
}
template <typename Base>
bool Win32Control<Base>::IsEnabled() const {
  return IsWindowEnabled(H(window_)) != FALSE;
}
template <typename Base>
void Win32Control<Base>::SetVisible(bool visible) {
  ShowWindow(H(window_), visible ? SW_SHOWNA : SW_HIDE);
}
template <typename Base>
bool Win32Control<Base>::IsVisible() const {
  return (GetWindowLongPtrA(H(window_), GWL_STYLE) & WS_VISIBLE) != 0;
}

template class Win32Control<Captioned>;
template class Win32Control<CheckBox>;
template class Win32Control<Edit>;
template class Win32Control<ListBox>;
template class Win32Control<ComboBox>;
template class Win32Control<ListView>;
template class Win32Control<PictureBox>;

std::string WindowTextOf(WindowHandle window) {
  const int length = GetWindowTextLengthA(H(window));
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(H(window), text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void SetWindowTextOf(WindowHandle window, const std::string& text) { SetWindowTextA(H(window), text.c_str()); }

void Win32CheckBox::SetChecked(bool checked) { Send(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
bool Win32CheckBox::IsChecked() const { return Send(window_, BM_GETCHECK) == BST_CHECKED; }

void Win32Edit::SetMaxLength(int bytes) {
  max_length_ = bytes;
  Send(window_, EM_LIMITTEXT, static_cast<WPARAM>(bytes > 0 ? bytes : 0));
}

// ---- Rows ----

namespace {

// The row messages of a list box, and of a combo box's list (same
// answers: CB_ERR and CB_ERRSPACE are LB_ERR and LB_ERRSPACE).
struct RowMessages {
  UINT count, text_length, text, insert, remove, reset, storage;
};
constexpr RowMessages kListBoxRows{LB_GETCOUNT,     LB_GETTEXTLEN,   LB_GETTEXT,    LB_INSERTSTRING,
                                   LB_DELETESTRING, LB_RESETCONTENT, LB_INITSTORAGE};
constexpr RowMessages kComboRows{CB_GETCOUNT,     CB_GETLBTEXTLEN, CB_GETLBTEXT,  CB_INSERTSTRING,
                                 CB_DELETESTRING, CB_RESETCONTENT, CB_INITSTORAGE};

// What the control keeps of a row: its text ends at a NUL byte.
std::string AsStored(const std::string& item) { return item.substr(0, item.find('\0')); }

}  // namespace

const std::vector<std::string>& RowCopy::Rows(WindowHandle window) const {
  const RowMessages& m = combo_ ? kComboRows : kListBoxRows;
  const LRESULT answer = Send(window, m.count);
  const std::size_t count = answer > 0 ? static_cast<std::size_t>(answer) : 0;
  if (count != rows_.size()) {
    rows_.clear();
    rows_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      rows_.push_back(RowText(window, m.text_length, m.text, static_cast<int>(i)));
    }
  }
  return rows_;
}

// The list box's rows go straight to its class procedure, past the
// subclasses: under Wine each message through a comctl32 subclass costs a
// property lookup in the server (0.1 to 0.3 ms), which made most of the
// start on a long friend list. The subclasses (the form's mouse watch) have
// no business with the rows. A combo box is not subclassed.
void RowCopy::Fill(WindowHandle window, const std::vector<std::string>& items) {
  const RowMessages& m = combo_ ? kComboRows : kListBoxRows;
  const auto own = combo_ ? nullptr : reinterpret_cast<WNDPROC>(GetClassLongPtrA(H(window), GCLP_WNDPROC));
  const auto add = [&](const std::string& item) {
    const WPARAM end = static_cast<WPARAM>(-1);  // inserted at the end, never sorted
    if (own != nullptr) return CallWindowProcA(own, H(window), m.insert, end, TextArg(item));
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
  InvalidateRect(H(window), nullptr, TRUE);
}

void RowCopy::Insert(WindowHandle window, int index, const std::string& item) {
  const RowMessages& m = combo_ ? kComboRows : kListBoxRows;
  const auto& rows = Rows(window);
  if (index < 0 || static_cast<std::size_t>(index) > rows.size()) return;
  std::string stored = AsStored(item);
  if (Send(window, m.insert, static_cast<WPARAM>(index), TextArg(stored)) < 0) return;
  rows_.insert(rows_.begin() + index, std::move(stored));
}

void RowCopy::Delete(WindowHandle window, int index) {
  const RowMessages& m = combo_ ? kComboRows : kListBoxRows;
  const auto& rows = Rows(window);
  if (index < 0 || static_cast<std::size_t>(index) >= rows.size()) return;
  if (Send(window, m.remove, static_cast<WPARAM>(index)) < 0) return;
  rows_.erase(rows_.begin() + index);
}

// ---- List box ----

int Win32ListBox::Count() const { return static_cast<int>(rows_.Rows(window_).size()); }

std::string Win32ListBox::Item(int index) const {
  const auto& rows = rows_.Rows(window_);
  return index >= 0 && static_cast<std::size_t>(index) < rows.size() ? rows[static_cast<std::size_t>(index)]
                                                                      : std::string();
}

void Win32ListBox::SetItems(const std::vector<std::string>& items) { rows_.Fill(window_, items); }

std::vector<std::string> Win32ListBox::Items() const { return rows_.Rows(window_); }

void Win32ListBox::Insert(int index, const std::string& item) { rows_.Insert(window_, index, item); }

void Win32ListBox::Delete(int index) { rows_.Delete(window_, index); }

int Win32ListBox::SelectedIndex() const {
  const LRESULT selected = Send(window_, LB_GETCURSEL);
  return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

void Win32ListBox::SetSelectedIndex(int index) {
  Send(window_, LB_SETCURSEL, static_cast<WPARAM>(index >= 0 && index < Count() ? index : -1));
}

int Win32ListBox::TopIndex() const { return static_cast<int>(Send(window_, LB_GETTOPINDEX)); }
void Win32ListBox::SetTopIndex(int index) { Send(window_, LB_SETTOPINDEX, static_cast<WPARAM>(index < 0 ? 0 : index)); }

// From the top row and the item height (all rows are as high): the answer
// of LB_ITEMFROMPOINT has 16 bits, too few for the rows of a long list.
int Win32ListBox::ItemAt(int x, int y) const {
  RECT client{};
  GetClientRect(H(window_), &client);
  if (x < 0 || y < 0 || x >= client.right || y >= client.bottom) return -1;
  const int height = ItemHeight();
  if (height <= 0) return -1;
  const int index = TopIndex() + y / height;
  return index < Count() ? index : -1;
}

int Win32ListBox::ItemHeight() const { return static_cast<int>(Send(window_, LB_GETITEMHEIGHT)); }

int Win32ListBox::ClientHeight() const {
  RECT rect{};
  GetWindowRect(H(window_), &rect);
  return rect.bottom - rect.top;
}

// ---- Combo box ----

void Win32ComboBox::SetMaxLength(int bytes) {
  max_length_ = bytes;
  Send(window_, CB_LIMITTEXT, static_cast<WPARAM>(bytes > 0 ? bytes : 0));
}

int Win32ComboBox::Count() const { return static_cast<int>(rows_.Rows(window_).size()); }

std::string Win32ComboBox::Item(int index) const {
  const auto& rows = rows_.Rows(window_);
  return index >= 0 && static_cast<std::size_t>(index) < rows.size() ? rows[static_cast<std::size_t>(index)]
                                                                      : std::string();
}

// Emptying the list empties the edit part too; the chat line keeps its text.
void Win32ComboBox::SetItems(const std::vector<std::string>& items) {
  const std::string text = Text();
  rows_.Fill(window_, items);
  SetText(text);
}

std::vector<std::string> Win32ComboBox::Items() const { return rows_.Rows(window_); }

void Win32ComboBox::Insert(int index, const std::string& item) { rows_.Insert(window_, index, item); }

void Win32ComboBox::Delete(int index) { rows_.Delete(window_, index); }

int Win32ComboBox::SelectedIndex() const {
  const LRESULT selected = Send(window_, CB_GETCURSEL);
  return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

void Win32ComboBox::SetSelectedIndex(int index) {
  Send(window_, CB_SETCURSEL, static_cast<WPARAM>(index >= 0 && index < Count() ? index : -1));
}

Win32Timer::~Win32Timer() { KillTimer(H(window_), id_); }

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
    SetTimer(H(window_), id_, interval_, nullptr);
  } else {
    KillTimer(H(window_), id_);
  }
}

void Win32Timer::Fire() {
  if ((running_ > 0 && !nested_) || !on_tick_ || !enabled_) return;
  // A copy: a nested tick may replace the handler while this one runs.
  const auto on_tick = on_tick_;
  ++running_;
  try {
    on_tick();
  } catch (...) {
    --running_;
    throw;
  }
  --running_;
}

}  // namespace tamiru::platform::win32

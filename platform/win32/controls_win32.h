#pragma once
// Tamiru's own controls on the real desktop: each a window handle plus
// one-line methods over the control's messages, with Win32's BOOL and
// LRESULT turned into plain C++ types. Texts are Shift_JIS (the ANSI code
// page of a Japanese system).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/win32/dpi_scale_win32.h"
#include "platform/window_system.h"

namespace tamiru::platform::win32 {

// Enabling and showing, shared by all controls.
template <typename Base>
class Win32Control : public Base {
 public:
  explicit Win32Control(WindowHandle window) : window_(window) {}
  void SetEnabled(bool enabled) override;
  bool IsEnabled() const override;
  void SetVisible(bool visible) override;
  bool IsVisible() const override;
  WindowHandle handle() const { return window_; }

 protected:
  WindowHandle window_;
};

std::string WindowTextOf(WindowHandle window);
void SetWindowTextOf(WindowHandle window, const std::string& text);
// UpdateWindow: what is invalid is painted now, outside the message loop.
void RepaintNow(WindowHandle window);

// Buttons, labels, group boxes, check boxes and option groups: the window
// text is the caption.
template <typename Base>
class Win32WithCaption : public Win32Control<Base> {
 public:
  using Win32Control<Base>::Win32Control;
  void SetCaption(const std::string& caption) override { SetWindowTextOf(this->window_, caption); }
  std::string Caption() const override { return WindowTextOf(this->window_); }
  void Repaint() override { RepaintNow(this->window_); }
};

using Win32Captioned = Win32WithCaption<Captioned>;

class Win32CheckBox : public Win32WithCaption<CheckBox> {
 public:
  using Win32WithCaption::Win32WithCaption;
  void SetChecked(bool checked) override;
  bool IsChecked() const override;
};

// The rows of a list box, or of a combo box's list, kept beside the control
// as they were given: reading them back costs messages a row, which under
// Wine add up to seconds on a long list, and the copy keeps the Shift_JIS
// bytes exact where the control's round trip through UTF-16 would not.
// Rows change only through the wrapper; each use asks the control's row
// count all the same (one message), and a count that differs (rows added or
// deleted by messages from elsewhere, a fill that ran out of memory) reads
// the rows afresh. Base is ListBox or ComboBox.
template <typename Base>
class Win32Rows : public Win32Control<Base> {
 public:
  using Win32Control<Base>::Win32Control;
  int Count() const override { return static_cast<int>(Rows().size()); }
  std::string Item(int index) const override;
  // Filled in one go: storage reserved up front and no repaint until done.
  void SetItems(const std::vector<std::string>& items) override;
  std::vector<std::string> Items() const override { return Rows(); }
  void Insert(int index, const std::string& item) override;
  void Delete(int index) override;
  int SelectedIndex() const override;
  void SetSelectedIndex(int index) override;

 private:
  const std::vector<std::string>& Rows() const;
  mutable std::vector<std::string> rows_;
};

class Win32ListBox : public Win32Rows<ListBox> {
 public:
  // Points and heights are given and taken at 96 DPI (`scale`).
  explicit Win32ListBox(WindowHandle window, DpiScale scale = DpiScale()) : Win32Rows(window), scale_(scale) {}
  int TopIndex() const override;
  void SetTopIndex(int index) override;
  int ItemAt(int x, int y) const override;
  int ItemHeight() const override;

 private:
  DpiScale scale_;
};

// The window text and its typing limit: an edit, a combo box's edit part.
template <typename Base>
class Win32Text : public Base {
 public:
  using Base::Base;
  void SetText(const std::string& text) override { SetWindowTextOf(this->window_, text); }
  std::string Text() const override { return WindowTextOf(this->window_); }
  void SetMaxLength(int bytes) override;
  int MaxLength() const override { return max_length_; }
  void SelectLine(int line) override;

 private:
  int max_length_ = 0;
};

using Win32Edit = Win32Text<Win32Control<Edit>>;
using Win32ComboBox = Win32Text<Win32Rows<ComboBox>>;

// A message-loop timer of a window: WM_TIMER with its id reaches Fire().
class Win32Timer : public TickingTimer {
 public:
  Win32Timer(WindowHandle window, std::uintptr_t id) : window_(window), id_(id) {}
  ~Win32Timer() override;
  void SetInterval(std::uint32_t ms) override;
  std::uint32_t Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override;
  bool IsEnabled() const override { return enabled_; }

  std::uintptr_t id() const { return id_; }
  // A WM_TIMER already queued when the timer was stopped does nothing.
  void Fire() {
    if (enabled_) RunTick();
  }

 private:
  void Arm();
  WindowHandle window_;
  std::uintptr_t id_;
  std::uint32_t interval_ = 0;
  bool enabled_ = false;
};

}  // namespace tamiru::platform::win32

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

class Win32Captioned : public Win32Control<Captioned> {
 public:
  using Win32Control::Win32Control;
  void SetCaption(const std::string& caption) override { SetWindowTextOf(window_, caption); }
  std::string Caption() const override { return WindowTextOf(window_); }
};

class Win32CheckBox : public Win32Control<CheckBox> {
 public:
  using Win32Control::Win32Control;
  void SetCaption(const std::string& caption) override { SetWindowTextOf(window_, caption); }
  std::string Caption() const override { return WindowTextOf(window_); }
  void SetChecked(bool checked) override;
  bool IsChecked() const override;
};

class Win32Edit : public Win32Control<Edit> {
 public:
  using Win32Control::Win32Control;
  void SetText(const std::string& text) override { SetWindowTextOf(window_, text); }
  std::string Text() const override { return WindowTextOf(window_); }
  void SetMaxLength(int bytes) override;
  int MaxLength() const override { return max_length_; }

 private:
  int max_length_ = 0;
};

// The rows of a list box, or of a combo box's list, kept beside the control
// as they were given: reading them back costs messages a row, which under
// Wine add up to seconds on a long list, and the copy keeps the Shift_JIS
// bytes exact where the control's round trip through UTF-16 would not.
// Rows change only through the wrapper; each use asks the control's row
// count all the same (one message), and a count that differs (rows added or
// deleted by messages from elsewhere, a fill that ran out of memory) reads
// the rows afresh.
class RowCopy {
 public:
  explicit RowCopy(bool combo) : combo_(combo) {}
  const std::vector<std::string>& Rows(WindowHandle window) const;
  void Fill(WindowHandle window, const std::vector<std::string>& items);
  void Insert(WindowHandle window, int index, const std::string& item);
  void Delete(WindowHandle window, int index);

 private:
  bool combo_;
  mutable std::vector<std::string> rows_;
};

class Win32ListBox : public Win32Control<ListBox> {
 public:
  using Win32Control::Win32Control;
  int Count() const override;
  std::string Item(int index) const override;
  // Filled in one go: storage reserved up front and no repaint until done.
  void SetItems(const std::vector<std::string>& items) override;
  std::vector<std::string> Items() const override;
  void Insert(int index, const std::string& item) override;
  void Delete(int index) override;
  int SelectedIndex() const override;
  void SetSelectedIndex(int index) override;
  int TopIndex() const override;
  void SetTopIndex(int index) override;
  int ItemAt(int x, int y) const override;
  int ItemHeight() const override;
  // The list box's outer height in pixels, as it was built.
  int ClientHeight() const override;

 private:
  RowCopy rows_{false};
};

class Win32ComboBox : public Win32Control<ComboBox> {
 public:
  using Win32Control::Win32Control;
  void SetText(const std::string& text) override { SetWindowTextOf(window_, text); }
  std::string Text() const override { return WindowTextOf(window_); }
  void SetMaxLength(int bytes) override;
  int MaxLength() const override { return max_length_; }
  int Count() const override;
  std::string Item(int index) const override;
  void SetItems(const std::vector<std::string>& items) override;
  std::vector<std::string> Items() const override;
  void Insert(int index, const std::string& item) override;
  void Delete(int index) override;
  int SelectedIndex() const override;
  void SetSelectedIndex(int index) override;

 private:
  int max_length_ = 0;
  RowCopy rows_{true};
};

// A message-loop timer of a window: WM_TIMER with its id reaches Fire().
class Win32Timer : public Timer {
 public:
  Win32Timer(WindowHandle window, std::uintptr_t id) : window_(window), id_(id) {}
  ~Win32Timer() override;
  void SetInterval(std::uint32_t ms) override;
  std::uint32_t Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override;
  bool IsEnabled() const override { return enabled_; }
  void SetHandler(std::function<void()> on_tick) override { on_tick_ = std::move(on_tick); }
  void SetNestedTicks(bool allowed) override { nested_ = allowed; }

  std::uintptr_t id() const { return id_; }
  // A tick that arrives while the handler still runs (it waits with the
  // message loop turning) is dropped rather than run inside itself, unless
  // the timer allows nested ticks.
  void Fire();

 private:
  void Arm();
  WindowHandle window_;
  std::uintptr_t id_;
  std::uint32_t interval_ = 0;
  bool enabled_ = false;
  int running_ = 0;  // handler calls in progress, nested ones included
  bool nested_ = false;
  std::function<void()> on_tick_;
};

}  // namespace tamiru::platform::win32

#pragma once
// Tamiru's own controls as small interfaces: a Win32 implementation wraps an
// HWND, an in-memory one serves the tests. Handlers are wired by the owning
// window, so a test can call form.Button13Click() directly.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tamiru::platform {

class Control {
 public:
  virtual ~Control() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool IsEnabled() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool IsVisible() const = 0;
};

// Buttons, labels, group boxes and check boxes: a caption.
class Captioned : public Control {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  // Paints a changed caption now, for a handler that next makes a call
  // which holds up the message loop (and with it the usual painting).
  virtual void Repaint() = 0;
};

using Button = Captioned;
using Label = Captioned;

class CheckBox : public Captioned {
 public:
  virtual void SetChecked(bool checked) = 0;
  virtual bool IsChecked() const = 0;
};

class Edit : public Control {
 public:
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
  virtual void SetMaxLength(int bytes) = 0;  // 0 = unlimited
  virtual int MaxLength() const = 0;
  // A multi-line edit selects its line `line` (0-based) and scrolls it into
  // view; others do nothing.
  virtual void SelectLine(int /*line*/) {}
};

// Items with an optional selection: list boxes, and the list part of a combo box.
class ItemList {
 public:
  virtual ~ItemList() = default;
  virtual int Count() const = 0;
  virtual std::string Item(int index) const = 0;  // empty when out of range
  virtual void SetItems(const std::vector<std::string>& items) = 0;  // in bulk, one repaint
  virtual std::vector<std::string> Items() const = 0;
  virtual void Insert(int index, const std::string& item) = 0;     // index == Count() appends
  virtual void Delete(int index) = 0;
  virtual int SelectedIndex() const = 0;  // -1 = none
  virtual void SetSelectedIndex(int index) = 0;
};

class ListBox : public Control, public ItemList {
 public:
  virtual int TopIndex() const = 0;
  virtual void SetTopIndex(int index) = 0;
  virtual int ItemAt(int x, int y) const = 0;  // client point to item, -1 = none
  virtual int ItemHeight() const = 0;
};

class ComboBox : public Edit, public ItemList {};

// A set of option buttons under one caption: one item chosen, or none (-1).
class RadioGroup : public Captioned {
 public:
  virtual int ItemCount() const = 0;
  virtual int ItemIndex() const = 0;
  virtual void SetItemIndex(int index) = 0;  // out of range: none chosen
};

// A spin control tied to a read-only edit that shows its position in
// decimal. Steps of 1 between the ends of its range, no wrap-around.
class UpDown : public Control {
 public:
  virtual int Min() const = 0;
  virtual int Max() const = 0;
  virtual int Position() const = 0;
  virtual void SetPosition(int position) = 0;  // brought to the nearest end of the range
};

// Tabbed pages; a control created on page n is shown only while page n is.
class PageControl : public Control {
 public:
  virtual int PageCount() const = 0;
  virtual int ActivePage() const = 0;
  virtual void SetActivePage(int index) = 0;
};

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetInterval(std::uint32_t ms) = 0;  // 0: never fires
  virtual std::uint32_t Interval() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool IsEnabled() const = 0;
  virtual void SetHandler(std::function<void()> on_tick) = 0;
  // By default a tick that falls due while the handler still runs (waiting
  // with the message loop turning) is dropped. Allowed, it runs nested
  // inside the waiting handler, as WM_TIMER does in a nested message loop.
  virtual void SetNestedTicks(bool allowed) { (void)allowed; }
};

// The handler of a timer and the rule above for ticks that fall due inside
// it: the one rule of the real and the simulated message loop's timers.
class TickingTimer : public Timer {
 public:
  void SetHandler(std::function<void()> on_tick) override { on_tick_ = std::move(on_tick); }
  void SetNestedTicks(bool allowed) override { nested_ = allowed; }

 protected:
  // One tick: runs the handler unless it is still running and nested ticks
  // are not allowed.
  void RunTick() {
    if ((running_ > 0 && !nested_) || !on_tick_) return;
    // A copy: a nested tick may replace the handler while this one runs.
    const auto on_tick = on_tick_;
    struct Running {
      int& count;
      explicit Running(int& c) : count(++c) {}
      ~Running() { --count; }
    } running{running_};
    on_tick();
  }

 private:
  std::function<void()> on_tick_;
  int running_ = 0;  // handler calls in progress, nested ones included
  bool nested_ = false;
};

}  // namespace tamiru::platform

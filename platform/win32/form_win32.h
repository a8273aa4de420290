#pragma once
// A form's window on the real desktop: a top-level window of its own class
// whose window procedure turns WM_COMMAND, WM_TIMER, WM_LBUTTONDBLCLK and
// WM_CLOSE into calls of the handlers connected through FormHost. No C++
// exception crosses into Windows: the procedure hands any that escapes a
// handler to the error sink. Layout values arrive at 96 DPI and are scaled
// to the system DPI here.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/form_host.h"
#include "platform/win32/dpi_scale_win32.h"
#include "platform/win32/list_drag_win32.h"

namespace tamiru::platform::win32 {

class Win32Timer;

// The window's class, caption, place and font, and what only the Win32
// window needs besides.
struct FormOptions : WindowOptions {
  // A window owned by another (a dialog): it stays above its owner, and its
  // destruction does not end the program's message loop.
  WindowHandle owner = kNoWindow;
  // Installed faces tried in order when a requested face is missing.
  std::vector<std::string> proportional_fallbacks;
  std::vector<std::string> fixed_fallbacks;
};

// What a child window is, as far as its notifications go: recorded when it
// is made, so a WM_COMMAND is told apart without asking the window's class.
enum class ChildKind { kButton, kListBox, kComboBox, kOther };

// The window class, style and kind of a child window.
struct ChildClass {
  const char* window_class;
  ChildKind kind;
  unsigned long style;
  unsigned long ex_style = 0;
};

class Win32Form : public ModalFormHost {
 public:
  explicit Win32Form(const FormOptions& options);
  ~Win32Form() override;
  Win32Form(const Win32Form&) = delete;
  Win32Form& operator=(const Win32Form&) = delete;

  WindowHandle Handle() const override { return window_; }
  std::unique_ptr<RadioGroup> CreateRadioGroup(const ControlSpec& layout, const std::vector<std::string>& items,
                                               int columns) override;
  std::unique_ptr<UpDown> CreateUpDown(const ControlSpec& layout, Edit& buddy, int min, int max) override;
  std::unique_ptr<PageControl> CreatePageControl(const ControlSpec& layout,
                                                 const std::vector<std::string>& page_captions) override;
  std::unique_ptr<Timer> CreateTimer(const std::string& name) override;
  void Connect(const Control& control, ControlEvent event, std::function<void()> handler) override;
  void Connect(FormEvent event, std::function<void()> handler) override;
  void ConnectKeyDown(const Edit& edit, std::function<void(int virtual_key)> handler) override;
  // Shows the window with its owner disabled and runs the message loop (the
  // owner's timers included) until EndModal; a WM_QUIT met on the way is
  // posted again for the outer loop.
  void ShowModal() override;
  void EndModal() override;
  void SetCloseQuery(std::function<bool()> handler) override { close_query_ = std::move(handler); }
  void BeginDrag(const ListBox& box, int threshold_pixels) override;
  void ConnectDragOver(const ListBox& box, std::function<bool(ClientPoint)> handler) override;
  void ConnectDragDrop(const ListBox& box, std::function<void(ClientPoint)> handler) override;
  // In the control's client coordinates at 96 DPI.
  ClientPoint ScreenToClient(const Control& control, int screen_x, int screen_y) const override;
  // The match history window's part (form_views_win32.cpp).
  std::unique_ptr<ListView> CreateListView(const ControlSpec& layout) override;
  std::unique_ptr<PictureBox> CreatePictureBox(const ControlSpec& layout) override;
  void ConnectColumnClick(const ListView& view, std::function<void(int)> handler) override;
  ClientPoint ClientSize() const override;
  void MoveControl(const Control& control, int left, int top, int width, int height) override;
  void AddSystemMenuItem(int id, const std::string& caption, std::function<void()> handler,
                         bool same_group) override;
  void CheckSystemMenuItem(int id, bool checked) override;
  void BringToFront() override;
  void HideWindow() override;
  void CloseWindow() override;
  // Esc closes the window (a non-modal owned window).
  void SetCloseOnEscape(bool close) { close_on_escape_ = close; }

  // For the dialog controls (dialog_controls_win32.cpp): a child window with
  // its own id, on the window or on the page that `layout.page` names, at
  // `layout`'s place scaled to the system DPI; `height` at 96 DPI.
  WindowHandle CreateChild(const ChildClass& kind, const ControlSpec& layout, int height);
  // The control object that stands for a child window made here.
  template <typename T>
  std::unique_ptr<T> Registered(std::unique_ptr<T> control) {
    RegisterControl(*control, control->handle());
    return control;
  }
  void SetPageWindows(std::vector<WindowHandle> pages) { pages_ = std::move(pages); }
  void* FontFor(const FontSpec& layout);
  const DpiScale& scale() const { return scale_; }

  // Where an exception that escapes a handler goes (its message).
  void SetErrorSink(std::function<void(const std::string&)> sink) { error_sink_ = std::move(sink); }
  // Shows `message` through the error sink once the message loop next
  // turns, outside whatever handler is running now.
  void PostNotice(std::string message);

  void Show();
  // Runs the message loop until the window has closed. Enter presses the
  // default button, Tab moves between the controls.
  void RunMessageLoop();

  // The face that a requested face resolves to on this system.
  std::string ResolveFace(const std::string& face) const;

  // Called by the window procedure.
  void AttachWindow(WindowHandle window) { window_ = window; }
  std::intptr_t HandleMessage(WindowHandle window, unsigned message, std::uintptr_t wparam, std::intptr_t lparam);

 protected:
  std::unique_ptr<Control> CreateControl(ControlKind kind, const ControlSpec& layout) override;

 private:
  // A child window made here: its kind, the control that stands for it, and
  // the handlers connected to its events.
  struct Child {
    WindowHandle window = kNoWindow;
    ChildKind kind = ChildKind::kOther;
    const Control* control = nullptr;
    std::map<ControlEvent, std::function<void()>> handlers;
  };
  void RegisterControl(const Control& control, WindowHandle window);
  const Child* ChildOf(const Control& control) const;
  WindowHandle WindowOf(const Control& control) const;
  // Runs the handler of the child with `id` for `event`, if any.
  void Fire(int id, ControlEvent event);
  void Dispatch(const std::function<void()>& handler);
  void Command(int id, unsigned code);
  void CloseRequested();
  std::unique_ptr<ListBox> CreateListBox(const ControlSpec& layout);
  std::unique_ptr<ComboBox> CreateComboBox(const ControlSpec& layout);
  // The messages of the list view, the system menu, sizing and Esc; true
  // when handled, with the result.
  bool HandleViewMessage(unsigned message, std::uintptr_t wparam, std::intptr_t lparam, std::intptr_t& result);
  int IdOf(const Control& control) const;

  FormOptions options_;
  DpiScale scale_;
  WindowHandle window_ = kNoWindow;
  bool quit_on_destroy_ = true;
  bool modal_ = false;
  std::vector<WindowHandle> pages_;
  int next_id_ = 100;
  int default_id_ = 0;
  std::map<int, Child> children_;  // by control id
  std::map<FormEvent, std::function<void()>> form_handlers_;
  std::map<std::uintptr_t, Win32Timer*> timers_;
  std::uintptr_t next_timer_id_ = 1;
  std::map<std::string, void*> fonts_;  // by face and height
  std::function<bool()> close_query_;
  std::function<void(const std::string&)> error_sink_;
  std::vector<std::string> notices_;
  ListDragTracker drag_;
  std::map<int, std::function<void(int)>> column_handlers_;  // by list view id
  std::map<int, std::function<void()>> menu_handlers_;       // by system menu id
  bool close_on_escape_ = false;

};

}  // namespace tamiru::platform::win32

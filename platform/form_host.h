#pragma once
// The window that holds a form's controls: it creates them from a small
// creation record (place, size, caption, font, limits), creates the form's
// message-loop timers, and calls a handler when a control or the window
// itself reports an event. The Win32 form and the in-memory one for tests
// implement it; the form's logic sees only this.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/view_controls.h"
#include "platform/window_system.h"

namespace tamiru::platform {

struct FontSpec {
  std::string face;  // empty: the window's own font
  int height = 0;    // character height in pixels
};

struct ControlSpec {
  std::string name;     // the designer name, e.g. "Button19"
  std::string caption;  // caption or initial text
  int left = 0;
  int top = 0;
  int width = 0;   // labels: 0 = as wide as the caption
  int height = 0;  // labels: 0 = one line of the window's font
  FontSpec font;
  int max_length = 0;   // edits and combo boxes: bytes, 0 = no limit
  int item_height = 0;  // list boxes: pixels, 0 = the font's
  bool default_button = false;  // Enter in the window presses it
  // Where the control stands: -1 on the window itself, n on page n of the
  // window's page control (its place then counts from the page's corner).
  int page = -1;
  bool read_only = false;    // edits: shown, not typed into
  bool multi_line = false;   // edits: lines under one another, scrolled both ways, never wrapped
  bool multi_select = false; // list views: several rows may be selected
  bool pick_only = false;    // combo boxes: a choice among the items, no typing
  bool group_start = false;  // radio buttons: the first of a group
};

// A creation record with a name, caption, place and size, the rest as default.
inline ControlSpec PlaceControl(std::string name, std::string caption, int left, int top, int width = 0,
                                int height = 0) {
  ControlSpec layout;
  layout.name = std::move(name);
  layout.caption = std::move(caption);
  layout.left = left;
  layout.top = top;
  layout.width = width;
  layout.height = height;
  return layout;
}

// A top-level window of the program.
struct WindowOptions {
  std::string class_name;
  std::string caption;
  int left = 0;
  int top = 0;
  int client_width = 0;
  int client_height = 0;
  FontSpec font;
  // A window whose frame the user may size, never below this client size.
  bool resizable = false;
  int min_client_width = 0;
  int min_client_height = 0;
};

enum class ControlEvent {
  kClick,     // a button pressed, a check box toggled, a combo box item chosen, a list view's selection changed
  kDblClick,  // a list box item double-clicked
  kMouseDown,  // the left button pressed in a list box, after the press has selected its item
};

// A point in a control's client coordinates.
struct ClientPoint {
  int x = 0;
  int y = 0;
};

enum class FormEvent {
  kDblClick,  // double click on the window's free area
  kResize,    // the client area changed its size
  kMinimize,  // the window was minimised
};

// The controls made from a creation record alone.
enum class ControlKind {
  kButton,
  kLabel,
  kCheckBox,
  kEdit,
  kListBox,
  kComboBox,
  kGroupBox,
  // An option button; a click chooses it and clears the others of its group
  // (from its group's first button up to the next group's first).
  kRadioButton,
};

class FormHost {
 public:
  virtual ~FormHost() = default;

  virtual WindowHandle Handle() const = 0;

  std::unique_ptr<Button> CreateButton(const ControlSpec& layout) { return Make<Button>(ControlKind::kButton, layout); }
  std::unique_ptr<Label> CreateLabel(const ControlSpec& layout) { return Make<Label>(ControlKind::kLabel, layout); }
  std::unique_ptr<CheckBox> CreateCheckBox(const ControlSpec& layout) {
    return Make<CheckBox>(ControlKind::kCheckBox, layout);
  }
  std::unique_ptr<Edit> CreateEdit(const ControlSpec& layout) { return Make<Edit>(ControlKind::kEdit, layout); }
  std::unique_ptr<ListBox> CreateListBox(const ControlSpec& layout) {
    return Make<ListBox>(ControlKind::kListBox, layout);
  }
  std::unique_ptr<ComboBox> CreateComboBox(const ControlSpec& layout) {
    return Make<ComboBox>(ControlKind::kComboBox, layout);
  }
  std::unique_ptr<Label> CreateGroupBox(const ControlSpec& layout) { return Make<Label>(ControlKind::kGroupBox, layout); }
  std::unique_ptr<CheckBox> CreateRadioButton(const ControlSpec& layout) {
    return Make<CheckBox>(ControlKind::kRadioButton, layout);
  }
  virtual std::unique_ptr<RadioGroup> CreateRadioGroup(const ControlSpec& layout, const std::vector<std::string>& items,
                                                       int columns) = 0;
  // Stands at `layout`'s place beside `buddy`, which it fills; arrow keys in
  // the buddy step it too.
  virtual std::unique_ptr<UpDown> CreateUpDown(const ControlSpec& layout, Edit& buddy, int min, int max) = 0;
  // One page control per window; its first page is shown.
  virtual std::unique_ptr<PageControl> CreatePageControl(const ControlSpec& layout,
                                                         const std::vector<std::string>& page_captions) = 0;
  // A stopped message-loop timer with no period.
  virtual std::unique_ptr<Timer> CreateTimer(const std::string& name) = 0;

  // `handler` runs when `control` (made by this host) reports `event`.
  virtual void Connect(const Control& control, ControlEvent event, std::function<void()> handler) = 0;
  virtual void Connect(FormEvent event, std::function<void()> handler) = 0;
  // `handler` runs with the virtual-key code when a key goes down in `edit`
  // (with or without ALT); the key then goes on to the edit. A mouse button
  // pressed in `edit` while it has the focus (not the click that gives it the
  // focus) runs it with the button's key code, read as MouseButtonDown reads
  // it, and opens no menu.
  virtual void ConnectKeyDown(const Edit& edit, std::function<void(int virtual_key)> handler) = 0;
  // Asked when the user closes the window; false keeps it open.
  virtual void SetCloseQuery(std::function<bool()> handler) = 0;

  // Dragging an item of a list box. BeginDrag (called from a kMouseDown
  // handler) arms a drag that starts once the pointer has moved
  // `threshold_pixels` with the left button held; a release before that stays
  // a plain click. While the drag runs, each movement over a list box of this
  // window calls its drag-over handler with the point in the list box's
  // client coordinates (the answer says whether a drop there is accepted,
  // which the pointer shows), and the release over a list box calls its drop
  // handler. A host without dragging leaves these as they are.
  virtual void BeginDrag(const ListBox& /*box*/, int /*threshold_pixels*/) {}
  virtual void ConnectDragOver(const ListBox& /*box*/, std::function<bool(ClientPoint)> /*handler*/) {}
  virtual void ConnectDragDrop(const ListBox& /*box*/, std::function<void(ClientPoint)> /*handler*/) {}
  // A screen point in `control`'s client coordinates.
  virtual ClientPoint ScreenToClient(const Control& /*control*/, int screen_x, int screen_y) const {
    return {screen_x, screen_y};
  }

  // The match history window's controls; null where the host has none.
  // A list view reports kDblClick on a row and a header click through its
  // column handler.
  virtual std::unique_ptr<ListView> CreateListView(const ControlSpec& /*layout*/) { return nullptr; }
  virtual std::unique_ptr<PictureBox> CreatePictureBox(const ControlSpec& /*layout*/) { return nullptr; }
  virtual void ConnectColumnClick(const ListView& /*view*/, std::function<void(int column)> /*handler*/) {}
  // The client area's size (x = width, y = height) at 96 DPI, like the layout.
  virtual ClientPoint ClientSize() const { return {0, 0}; }
  // Places a control made here anew, at 96 DPI like its layout (a window
  // the user sizes lays its controls out again).
  virtual void MoveControl(const Control& /*control*/, int /*left*/, int /*top*/, int /*width*/, int /*height*/) {}
  // An item of the window's system menu, below a separator unless it goes
  // on the group of the item before; `handler` runs when it is chosen.
  virtual void AddSystemMenuItem(int /*id*/, const std::string& /*caption*/, std::function<void()> /*handler*/,
                                 bool /*same_group*/ = false) {}
  // A check mark beside the system menu's item `id`, or none.
  virtual void CheckSystemMenuItem(int /*id*/, bool /*checked*/) {}
  // Shows the window in front of the others and gives it the keyboard; a
  // minimised or hidden window is restored first.
  virtual void BringToFront() {}
  // Takes the window off the screen and the taskbar; BringToFront shows it.
  virtual void HideWindow() {}
  // Closes the window as its close box does, close query included.
  virtual void CloseWindow() {}

 protected:
  // A control of `kind`, of the interface that the kind's Create names.
  virtual std::unique_ptr<Control> CreateControl(ControlKind kind, const ControlSpec& layout) = 0;

 private:
  template <typename T>
  std::unique_ptr<T> Make(ControlKind kind, const ControlSpec& layout) {
    std::unique_ptr<Control> control = CreateControl(kind, layout);
    if (dynamic_cast<T*>(control.get()) == nullptr) return nullptr;
    return std::unique_ptr<T>(dynamic_cast<T*>(control.release()));
  }
};

// A window shown modally over its owner: the owner is disabled while it is
// up, and the program's message loop (with the owner's timers) keeps
// turning. The close box asks the close query; when that allows it, the
// modal run ends (the window itself goes with the object).
class ModalFormHost : public FormHost {
 public:
  // Shows the window and returns once EndModal has been called.
  virtual void ShowModal() = 0;
  virtual void EndModal() = 0;
};

// Makes the program's second windows.
class FormFactory {
 public:
  virtual ~FormFactory() = default;
  virtual std::unique_ptr<ModalFormHost> CreateModalForm(WindowHandle owner, const WindowOptions& options) = 0;
  // A window owned by `owner` and shown beside it, not modally: the owner
  // and its timers go on working. Esc closes it as its close box does;
  // once closed its Handle() is kNoWindow. Null where there are none.
  virtual std::unique_ptr<FormHost> CreateOwnedForm(WindowHandle /*owner*/, const WindowOptions& /*options*/) {
    return nullptr;
  }
};

}  // namespace tamiru::platform

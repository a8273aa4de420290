#pragma once
// The window that holds a form's controls: it creates them from a small
// creation record (place, size, caption, font, limits), creates the form's
// message-loop timers, and calls a handler when a control or the window
// itself reports an event. The Win32 form and the in-memory one for tests
// implement it; the form's logic sees only this.
#include <functional>
#include <memory>
#include <string>

#include "platform/controls.h"
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
};

enum class ControlEvent {
  kClick,     // a button pressed, a check box toggled, a combo box item chosen
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
};

class FormHost {
 public:
  virtual ~FormHost() = default;

  virtual WindowHandle Handle() const = 0;

  virtual std::unique_ptr<Button> CreateButton(const ControlSpec& layout) = 0;
  virtual std::unique_ptr<Label> CreateLabel(const ControlSpec& layout) = 0;
  virtual std::unique_ptr<CheckBox> CreateCheckBox(const ControlSpec& layout) = 0;
  virtual std::unique_ptr<Edit> CreateEdit(const ControlSpec& layout) = 0;
  virtual std::unique_ptr<ListBox> CreateListBox(const ControlSpec& layout) = 0;
  virtual std::unique_ptr<ComboBox> CreateComboBox(const ControlSpec& layout) = 0;
  // A stopped message-loop timer with no period.
  virtual std::unique_ptr<Timer> CreateTimer(const std::string& name) = 0;

  // `handler` runs when `control` (made by this host) reports `event`.
  virtual void Connect(const Control& control, ControlEvent event, std::function<void()> handler) = 0;
  virtual void Connect(FormEvent event, std::function<void()> handler) = 0;
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
};

}  // namespace tamiru::platform

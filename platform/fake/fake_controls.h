#pragma once
// In-memory controls and an in-memory form window for native tests. They
// behave as the Win32 controls do where the logic can tell: a programmatic
// SetText ignores the typing limit, a deleted item moves the selection, an
// index out of range reads as empty and changes nothing.
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/fake_event_loop.h"
#include "platform/form_host.h"
#include "platform/system.h"

namespace tamiru::platform::fake {

// Runs the handler recorded under `key` with `args`, as the system would on
// the event; false when none is recorded. The handler runs as a copy: it
// may connect its event anew while it runs.
template <typename Handlers, typename... Args>
bool RunRecorded(const Handlers& handlers, const typename Handlers::key_type& key, Args&&... args) {
  const auto it = handlers.find(key);
  if (it == handlers.end()) return false;
  auto handler = it->second;
  handler(std::forward<Args>(args)...);
  return true;
}

template <typename Base>
class FakeControlBase : public Base {
 public:
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool IsEnabled() const override { return enabled_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool IsVisible() const override { return visible_; }

 private:
  bool enabled_ = true;
  bool visible_ = true;
};

// A caption held in memory, for every captioned control.
template <typename Base>
class FakeCaptioned : public FakeControlBase<Base> {
 public:
  explicit FakeCaptioned(std::string caption = {}) : caption_(std::move(caption)) {}
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }
  void Repaint() override { painted_caption_ = caption_; }
  // The caption as last painted by Repaint (the loop paints nothing here).
  const std::string& PaintedCaption() const { return painted_caption_; }

 private:
  std::string caption_;
  std::string painted_caption_;
};

using FakeButton = FakeCaptioned<Captioned>;

class FakeCheckBox : public FakeCaptioned<CheckBox> {
 public:
  using FakeCaptioned::FakeCaptioned;
  void SetChecked(bool checked) override { checked_ = checked; }
  bool IsChecked() const override { return checked_; }

 private:
  bool checked_ = false;
};

// A text and its typing limit, for the edit and the combo box.
template <typename Base>
class FakeTextControl : public FakeControlBase<Base> {
 public:
  void SetText(const std::string& text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void SetMaxLength(int bytes) override { max_length_ = bytes; }
  int MaxLength() const override { return max_length_; }
  void SelectLine(int line) override { selected_line_ = line; }
  // The line last selected with SelectLine, -1 for none.
  int selected_line() const { return selected_line_; }

 protected:
  int selected_line_ = -1;
  std::string text_;
  int max_length_ = 0;
};

using FakeEdit = FakeTextControl<Edit>;

// The item list shared by the list box and the combo box.
class FakeItems {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  std::string Item(int index) const;
  void SetItems(const std::vector<std::string>& items);
  std::vector<std::string> Items() const { return items_; }
  void Insert(int index, const std::string& item);
  void Delete(int index);
  int SelectedIndex() const { return selected_; }
  void SetSelectedIndex(int index);

 private:
  std::vector<std::string> items_;
  int selected_ = -1;
};

class FakeListBox : public FakeControlBase<ListBox> {
 public:
  FakeListBox(int item_height, int client_height) : item_height_(item_height), client_height_(client_height) {}
  int Count() const override { return items_.Count(); }
  std::string Item(int index) const override { return items_.Item(index); }
  void SetItems(const std::vector<std::string>& items) override;
  std::vector<std::string> Items() const override { return items_.Items(); }
  void Insert(int index, const std::string& item) override { items_.Insert(index, item); }
  void Delete(int index) override { items_.Delete(index); }
  int SelectedIndex() const override { return items_.SelectedIndex(); }
  void SetSelectedIndex(int index) override;
  int TopIndex() const override { return top_; }
  void SetTopIndex(int index) override;
  int ItemAt(int x, int y) const override;
  int ItemHeight() const override { return item_height_; }

  // How many times the items were replaced in bulk.
  int bulk_fills() const { return bulk_fills_; }

 private:
  int VisibleRows() const { return item_height_ > 0 ? client_height_ / item_height_ : 0; }
  FakeItems items_;
  int item_height_;
  int client_height_;
  int top_ = 0;
  int bulk_fills_ = 0;
};

class FakeComboBox : public FakeTextControl<ComboBox> {
 public:
  std::string Text() const override;
  int Count() const override { return items_.Count(); }
  std::string Item(int index) const override { return items_.Item(index); }
  // Emptying the list empties the edit part too, as CB_RESETCONTENT does.
  void SetItems(const std::vector<std::string>& items) override {
    items_.SetItems(items);
    text_.clear();
  }
  std::vector<std::string> Items() const override { return items_.Items(); }
  void Insert(int index, const std::string& item) override { items_.Insert(index, item); }
  void Delete(int index) override { items_.Delete(index); }
  int SelectedIndex() const override { return items_.SelectedIndex(); }
  // Choosing an item puts it into the edit part, as the real combo box does.
  void SetSelectedIndex(int index) override;

  // Typing by the user: the limit applies (cut at a byte count).
  void Type(const std::string& text);
  // A pick-only box has no text of its own: it shows its chosen item.
  void SetPickOnly(bool pick_only) { pick_only_ = pick_only; }

 private:
  FakeItems items_;
  bool pick_only_ = false;
};

class FakeRadioGroup : public FakeCaptioned<RadioGroup> {
 public:
  FakeRadioGroup(std::string caption, int item_count) : FakeCaptioned(std::move(caption)), item_count_(item_count) {}
  int ItemCount() const override { return item_count_; }
  int ItemIndex() const override { return index_; }
  void SetItemIndex(int index) override { index_ = (index >= 0 && index < item_count_) ? index : -1; }

 private:
  int item_count_;
  int index_ = -1;
};

// Writes its position into the buddy edit, as the real one does.
class FakeUpDown : public FakeControlBase<UpDown> {
 public:
  FakeUpDown(Edit& buddy, int min, int max) : buddy_(buddy), min_(min), max_(max) { SetPosition(min); }
  int Min() const override { return min_; }
  int Max() const override { return max_; }
  int Position() const override { return position_; }
  void SetPosition(int position) override;

 private:
  Edit& buddy_;
  int min_;
  int max_;
  int position_ = 0;
};

class FakePageControl : public FakeControlBase<PageControl> {
 public:
  explicit FakePageControl(int pages) : pages_(pages) {}
  int PageCount() const override { return pages_; }
  int ActivePage() const override { return active_; }
  void SetActivePage(int index) override {
    if (index >= 0 && index < pages_) active_ = index;
  }

 private:
  int pages_;
  int active_ = 0;
};

// The in-memory window: records what was created where and which handler
// belongs to which event, and lets a test fire those events.
class FakeFormHost : public ModalFormHost {
 public:
  explicit FakeFormHost(FakeEventLoop& loop, WindowHandle handle = 0x7001) : loop_(loop), handle_(handle) {}

  WindowHandle Handle() const override { return handle_; }
  std::unique_ptr<RadioGroup> CreateRadioGroup(const ControlSpec& layout, const std::vector<std::string>& items,
                                               int columns) override;
  std::unique_ptr<UpDown> CreateUpDown(const ControlSpec& layout, Edit& buddy, int min, int max) override;
  std::unique_ptr<PageControl> CreatePageControl(const ControlSpec& layout,
                                                 const std::vector<std::string>& page_captions) override;
  std::unique_ptr<Timer> CreateTimer(const std::string& name) override;
  void Connect(const Control& control, ControlEvent event, std::function<void()> handler) override;
  void Connect(FormEvent event, std::function<void()> handler) override;
  void ConnectKeyDown(const Edit& edit, std::function<void(int virtual_key)> handler) override;
  // Modal run: the script given by the factory plays the user's part while
  // the window is up; ShowModal returns when it is done.
  void ShowModal() override;
  void EndModal() override { modal_ = false; }
  bool IsModal() const { return modal_; }
  void SetModalScript(std::function<void(FakeFormHost&)> script) { modal_script_ = std::move(script); }
  void SetCloseQuery(std::function<bool()> handler) override { close_query_ = std::move(handler); }
  void BeginDrag(const ListBox& box, int threshold_pixels) override;
  void ConnectDragOver(const ListBox& box, std::function<bool(ClientPoint)> handler) override;
  void ConnectDragDrop(const ListBox& box, std::function<void(ClientPoint)> handler) override;
  // Controls stand at their creation places below the window's client origin.
  ClientPoint ScreenToClient(const Control& control, int screen_x, int screen_y) const override;
  void SetClientOrigin(int screen_x, int screen_y) { client_origin_ = {screen_x, screen_y}; }
  ClientPoint ClientToScreen(const std::string& name, ClientPoint point) const;

  // A control made by this host, by designer name, as the kind it was made;
  // nullptr if none.
  template <typename T>
  T* Find(const std::string& name) const {
    return dynamic_cast<T*>(const_cast<Control*>(ByName(name)));
  }
  // The creation record of a control, by designer name; nullptr if none.
  // Its place follows MoveControl.
  const ControlSpec* Spec(const std::string& name) const;
  void MoveControl(const Control& control, int left, int top, int width, int height) override;
  const std::vector<ControlSpec>& layouts() const { return layouts_; }
  std::vector<std::string> timer_names() const { return timer_names_; }

  // The user's actions. A check box click toggles it first, as the real one
  // does. False when no handler is connected.
  bool Click(const std::string& name);
  bool DblClick(const std::string& name);
  bool DblClickForm();
  // The user closes the window: true when the form allowed it (a modal run
  // then ends).
  bool Close();
  // A key goes down in an edit; false when no handler is connected.
  bool KeyDown(const std::string& edit, int virtual_key);
  // A mouse button goes down in an edit that has the focus, with `input`
  // telling which; false when no handler is connected or no button is down.
  bool MouseButtonDown(const std::string& edit, Input& input);
  // One click on a spin arrow: +1 up, -1 down.
  bool Spin(const std::string& up_down, int steps);
  // Whether the user sees the control: visible itself, and on the shown page
  // when it stands on one.
  bool Shown(const std::string& name) const;
  // The user picks a tab.
  void ShowPage(int index);
  bool HasHandler(const std::string& name, ControlEvent event) const;

  // The mouse over a list box, `point` in its client coordinates. A press
  // selects the item under it and reports kMouseDown; a movement with the
  // button held starts an armed drag past its threshold and then reports the
  // drag over that list box (the answer: drop accepted); a release ends the
  // drag, with a drop when the last movement over that list box was
  // accepted. False when the event reached no handler.
  bool MouseDown(const std::string& list, ClientPoint point);
  bool MouseMove(const std::string& list, ClientPoint point);
  bool MouseUp(const std::string& list, ClientPoint point);
  bool DragArmed() const { return drag_.armed; }
  bool Dragging() const { return drag_.dragging; }

 protected:
  std::unique_ptr<Control> CreateControl(ControlKind kind, const ControlSpec& layout) override;

 private:
  std::unique_ptr<Control> CreateNamedControl(ControlKind kind, const ControlSpec& layout);
  void Remember(const ControlSpec& layout, const Control* control);
  const Control* ByName(const std::string& name) const;

  FakeEventLoop& loop_;
  WindowHandle handle_;
  std::vector<ControlSpec> layouts_;
  std::vector<std::string> timer_names_;
  std::map<std::string, const Control*> by_name_;
  std::map<std::string, CheckBox*> check_boxes_;
  // Radio buttons in creation order, with the first of each group marked.
  std::vector<std::pair<std::string, CheckBox*>> radios_;
  std::vector<bool> radio_group_starts_;
  std::map<std::string, UpDown*> up_downs_;
  PageControl* pages_ = nullptr;
  std::map<const Control*, std::function<void(int)>> key_handlers_;
  bool modal_ = false;
  std::function<void(FakeFormHost&)> modal_script_;
  std::map<std::pair<const Control*, ControlEvent>, std::function<void()>> handlers_;
  std::map<FormEvent, std::function<void()>> form_handlers_;
  std::function<bool()> close_query_;
  ClientPoint client_origin_{300, 200};
  std::map<const Control*, std::function<bool(ClientPoint)>> drag_over_;
  std::map<const Control*, std::function<void(ClientPoint)>> drag_drop_;
  struct DragTrack {
    bool pressed = false;
    bool armed = false;
    bool dragging = false;
    int threshold = 0;
    ClientPoint press_screen;
    const Control* accepted_by = nullptr;  // the list box that accepted the last movement
  } drag_;
};

// Makes in-memory second windows. A form shown modally runs `on_show_modal`
// (the test's part as the user) and records what it was made with.
class FakeFormFactory : public FormFactory {
 public:
  explicit FakeFormFactory(FakeEventLoop& loop) : loop_(loop) {}
  std::unique_ptr<ModalFormHost> CreateModalForm(WindowHandle owner, const WindowOptions& options) override;

  std::function<void(FakeFormHost&)> on_show_modal;
  std::vector<WindowOptions> created;
  std::vector<WindowHandle> owners;

 private:
  FakeEventLoop& loop_;
};

}  // namespace tamiru::platform::fake

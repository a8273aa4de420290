#include "platform/fake/fake_controls.h"

#include <algorithm>
#include <cstdlib>

namespace tamiru::platform::fake {

std::string FakeItems::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  return items_[static_cast<std::size_t>(index)];
}

void FakeItems::SetItems(const std::vector<std::string>& items) {
  items_ = items;
  selected_ = -1;
}

void FakeItems::Insert(int index, const std::string& item) {
  if (index < 0 || index > Count()) return;
  items_.insert(items_.begin() + index, item);
  if (selected_ >= index) ++selected_;
}

void FakeItems::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  if (selected_ == index) {
    selected_ = -1;
  } else if (selected_ > index) {
    --selected_;
  }
}

void FakeItems::SetSelectedIndex(int index) { selected_ = (index >= 0 && index < Count()) ? index : -1; }

void FakeListBox::SetItems(const std::vector<std::string>& items) {
  items_.SetItems(items);
  top_ = 0;
  ++bulk_fills_;
}

// Selecting an item scrolls it into view, as the real list box does.
void FakeListBox::SetSelectedIndex(int index) {
  items_.SetSelectedIndex(index);
  const int selected = items_.SelectedIndex();
  if (selected < 0) return;
  const int rows = std::max(1, VisibleRows());
  if (selected < top_) {
    top_ = selected;
  } else if (selected >= top_ + rows) {
    top_ = selected - rows + 1;
  }
}

void FakeListBox::SetTopIndex(int index) {
  const int last_top = std::max(0, Count() - std::max(1, VisibleRows()));
  top_ = std::clamp(index, 0, last_top);
}

int FakeListBox::ItemAt(int /*x*/, int y) const {
  if (y < 0 || item_height_ <= 0) return -1;
  const int index = top_ + y / item_height_;
  return index < Count() ? index : -1;
}

void FakeComboBox::SetSelectedIndex(int index) {
  items_.SetSelectedIndex(index);
  if (items_.SelectedIndex() >= 0) text_ = items_.Item(items_.SelectedIndex());
}

std::string FakeComboBox::Text() const {
  if (pick_only_) return items_.Item(items_.SelectedIndex());
  return text_;
}

void FakeUpDown::SetPosition(int position) {
  position_ = std::clamp(position, min_, max_);
  buddy_.SetText(std::to_string(position_));
}

void FakeComboBox::Type(const std::string& text) {
  text_ = text;
  if (max_length_ > 0 && text_.size() > static_cast<std::size_t>(max_length_)) text_.resize(max_length_);
}

void FakeFormHost::Remember(const ControlSpec& layout, const Control* control) {
  layouts_.push_back(layout);
  by_name_[layout.name] = control;
}

std::unique_ptr<Control> FakeFormHost::CreateControl(ControlKind kind, const ControlSpec& layout) {
  std::unique_ptr<Control> control = CreateNamedControl(kind, layout);
  Remember(layout, control.get());
  return control;
}

std::unique_ptr<Control> FakeFormHost::CreateNamedControl(ControlKind kind, const ControlSpec& layout) {
  switch (kind) {
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton: {
      auto box = std::make_unique<FakeCheckBox>(layout.caption);
      if (kind == ControlKind::kCheckBox) {
        check_boxes_[layout.name] = box.get();
      } else {
        radios_.emplace_back(layout.name, box.get());
        radio_group_starts_.push_back(layout.group_start || radios_.size() == 1);
      }
      return box;
    }
    case ControlKind::kEdit: {
      auto edit = std::make_unique<FakeEdit>();
      edit->SetText(layout.caption);
      edit->SetMaxLength(layout.max_length);
      return edit;
    }
    case ControlKind::kListBox:
      return std::make_unique<FakeListBox>(layout.item_height, layout.height);
    case ControlKind::kComboBox: {
      auto combo = std::make_unique<FakeComboBox>();
      combo->SetPickOnly(layout.pick_only);
      combo->SetText(layout.caption);
      combo->SetMaxLength(layout.max_length);
      return combo;
    }
    case ControlKind::kButton:
    case ControlKind::kLabel:
    case ControlKind::kGroupBox:
      break;
  }
  return std::make_unique<FakeButton>(layout.caption);
}

std::unique_ptr<RadioGroup> FakeFormHost::CreateRadioGroup(const ControlSpec& layout,
                                                           const std::vector<std::string>& items, int /*columns*/) {
  auto group = std::make_unique<FakeRadioGroup>(layout.caption, static_cast<int>(items.size()));
  Remember(layout, group.get());
  return group;
}

std::unique_ptr<UpDown> FakeFormHost::CreateUpDown(const ControlSpec& layout, Edit& buddy, int min, int max) {
  auto up_down = std::make_unique<FakeUpDown>(buddy, min, max);
  Remember(layout, up_down.get());
  up_downs_[layout.name] = up_down.get();
  return up_down;
}

std::unique_ptr<PageControl> FakeFormHost::CreatePageControl(const ControlSpec& layout,
                                                             const std::vector<std::string>& page_captions) {
  auto pages = std::make_unique<FakePageControl>(static_cast<int>(page_captions.size()));
  Remember(layout, pages.get());
  pages_ = pages.get();
  return pages;
}

void FakeFormHost::ConnectKeyDown(const Edit& edit, std::function<void(int)> handler) {
  key_handlers_[&edit] = std::move(handler);
}

void FakeFormHost::ShowModal() {
  modal_ = true;
  if (modal_script_) {
    auto script = modal_script_;
    script(*this);
  }
}

bool FakeFormHost::KeyDown(const std::string& edit, int virtual_key) {
  return RunRecorded(key_handlers_, ByName(edit), virtual_key);
}

bool FakeFormHost::MouseButtonDown(const std::string& edit, Input& input) {
  const std::optional<int> button = platform::MouseButtonDown(input);
  return button && KeyDown(edit, *button);
}

bool FakeFormHost::Spin(const std::string& up_down, int steps) {
  const auto it = up_downs_.find(up_down);
  if (it == up_downs_.end()) return false;
  it->second->SetPosition(it->second->Position() + steps);
  return true;
}

bool FakeFormHost::Shown(const std::string& name) const {
  const Control* control = ByName(name);
  const ControlSpec* layout = Spec(name);
  if (control == nullptr || layout == nullptr || !control->IsVisible()) return false;
  return layout->page < 0 || (pages_ != nullptr && pages_->ActivePage() == layout->page);
}

void FakeFormHost::ShowPage(int index) {
  if (pages_ != nullptr) pages_->SetActivePage(index);
}

std::unique_ptr<ModalFormHost> FakeFormFactory::CreateModalForm(WindowHandle owner, const WindowOptions& options) {
  created.push_back(options);
  owners.push_back(owner);
  auto form = std::make_unique<FakeFormHost>(loop_, 0x7100 + static_cast<WindowHandle>(created.size()));
  form->SetModalScript(on_show_modal);
  return form;
}

std::unique_ptr<Timer> FakeFormHost::CreateTimer(const std::string& name) {
  timer_names_.push_back(name);
  return loop_.CreateTimer();
}

void FakeFormHost::Connect(const Control& control, ControlEvent event, std::function<void()> handler) {
  handlers_[{&control, event}] = std::move(handler);
}

void FakeFormHost::Connect(FormEvent event, std::function<void()> handler) {
  form_handlers_[event] = std::move(handler);
}

const ControlSpec* FakeFormHost::Spec(const std::string& name) const {
  for (const ControlSpec& layout : layouts_) {
    if (layout.name == name) return &layout;
  }
  return nullptr;
}

void FakeFormHost::MoveControl(const Control& control, int left, int top, int width, int height) {
  for (const auto& [name, made] : by_name_) {
    if (made != &control) continue;
    for (ControlSpec& layout : layouts_) {
      if (layout.name != name) continue;
      layout.left = left;
      layout.top = top;
      layout.width = width;
      layout.height = height;
    }
  }
}

const Control* FakeFormHost::ByName(const std::string& name) const {
  const auto it = by_name_.find(name);
  return it == by_name_.end() ? nullptr : it->second;
}

bool FakeFormHost::HasHandler(const std::string& name, ControlEvent event) const {
  return handlers_.count({ByName(name), event}) != 0;
}

bool FakeFormHost::Click(const std::string& name) {
  if (const auto box = check_boxes_.find(name); box != check_boxes_.end()) {
    box->second->SetChecked(!box->second->IsChecked());
  }
  for (std::size_t i = 0; i < radios_.size(); ++i) {
    if (radios_[i].first != name) continue;
    std::size_t first = i;
    while (!radio_group_starts_[first]) --first;
    for (std::size_t j = first; j < radios_.size() && (j == first || !radio_group_starts_[j]); ++j) {
      radios_[j].second->SetChecked(j == i);
    }
  }
  return RunRecorded(handlers_, {ByName(name), ControlEvent::kClick});
}

bool FakeFormHost::DblClick(const std::string& name) {
  return RunRecorded(handlers_, {ByName(name), ControlEvent::kDblClick});
}

bool FakeFormHost::DblClickForm() {
  return RunRecorded(form_handlers_, FormEvent::kDblClick);
}

bool FakeFormHost::Close() {
  const bool allowed = close_query_ ? close_query_() : true;
  if (allowed) modal_ = false;
  return allowed;
}

void FakeFormHost::BeginDrag(const ListBox& /*box*/, int threshold_pixels) {
  if (!drag_.pressed) return;  // only a press in progress can become a drag
  drag_.armed = true;
  drag_.threshold = threshold_pixels;
}

void FakeFormHost::ConnectDragOver(const ListBox& box, std::function<bool(ClientPoint)> handler) {
  drag_over_[static_cast<const Control*>(&box)] = std::move(handler);
}

void FakeFormHost::ConnectDragDrop(const ListBox& box, std::function<void(ClientPoint)> handler) {
  drag_drop_[static_cast<const Control*>(&box)] = std::move(handler);
}

ClientPoint FakeFormHost::ScreenToClient(const Control& control, int screen_x, int screen_y) const {
  for (const auto& [name, known] : by_name_) {
    if (known != &control) continue;
    const ControlSpec* layout = Spec(name);
    return {screen_x - client_origin_.x - layout->left, screen_y - client_origin_.y - layout->top};
  }
  return {screen_x - client_origin_.x, screen_y - client_origin_.y};
}

ClientPoint FakeFormHost::ClientToScreen(const std::string& name, ClientPoint point) const {
  const ControlSpec* layout = Spec(name);
  const int left = layout != nullptr ? layout->left : 0;
  const int top = layout != nullptr ? layout->top : 0;
  return {point.x + client_origin_.x + left, point.y + client_origin_.y + top};
}

bool FakeFormHost::MouseDown(const std::string& list, ClientPoint point) {
  const Control* control = ByName(list);
  auto* box = const_cast<ListBox*>(dynamic_cast<const ListBox*>(control));
  if (box == nullptr) return false;
  if (const int item = box->ItemAt(point.x, point.y); item >= 0) box->SetSelectedIndex(item);
  drag_ = DragTrack{};
  drag_.pressed = true;
  drag_.press_screen = ClientToScreen(list, point);
  return RunRecorded(handlers_, {control, ControlEvent::kMouseDown});
}

bool FakeFormHost::MouseMove(const std::string& list, ClientPoint point) {
  if (!drag_.armed) return false;
  if (!drag_.dragging) {
    const ClientPoint screen = ClientToScreen(list, point);
    const int dx = screen.x - drag_.press_screen.x;
    const int dy = screen.y - drag_.press_screen.y;
    if (std::abs(dx) < drag_.threshold && std::abs(dy) < drag_.threshold) return false;
    drag_.dragging = true;
  }
  const Control* control = ByName(list);
  drag_.accepted_by = nullptr;
  const auto it = drag_over_.find(control);
  if (it == drag_over_.end()) return false;
  auto handler = it->second;
  if (handler(point)) drag_.accepted_by = control;
  return drag_.accepted_by != nullptr;
}

bool FakeFormHost::MouseUp(const std::string& list, ClientPoint point) {
  const DragTrack ended = drag_;
  drag_ = DragTrack{};
  if (!ended.dragging) return false;
  const Control* control = ByName(list);
  if (ended.accepted_by != control) return false;
  return RunRecorded(drag_drop_, control, point);
}

}  // namespace tamiru::platform::fake

#include "platform/fake/fake_listview.h"

#include <algorithm>

namespace tamiru::platform::fake {

void FakeListView::SetRowSource(int count, CellText cell) {
  count_ = count;
  cell_ = std::move(cell);
  selected_.clear();
  ++set_rows_calls_;
}

void FakeListView::SelectRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  selected_.clear();
  for (const int row : rows) {
    if (row >= 0 && row < count_ && (selected_.empty() || selected_.back() != row)) selected_.push_back(row);
  }
}

std::string FakeListView::Cell(int row, int column) const {
  if (row < 0 || row >= count_ || column < 0 || column >= static_cast<int>(columns_.size())) return {};
  return cell_(row, column);
}

std::unique_ptr<ListView> FakeViewFormHost::CreateListView(const ControlSpec& layout) {
  auto view = std::make_unique<FakeListView>();
  view->SetWidth(layout.width);
  lists_[layout.name] = view.get();
  return view;
}

std::unique_ptr<PictureBox> FakeViewFormHost::CreatePictureBox(const ControlSpec& layout) {
  auto box = std::make_unique<FakePictureBox>();
  box->SetSize(layout.width, layout.height);
  pictures_[layout.name] = box.get();
  return box;
}

void FakeViewFormHost::MoveControl(const Control& control, int left, int top, int width, int height) {
  for (auto& [name, view] : lists_) {
    if (view == &control) view->SetWidth(width);
  }
  for (auto& [name, box] : pictures_) {
    if (box == &control) box->SetSize(width, height);
  }
  FakeFormHost::MoveControl(control, left, top, width, height);
}

void FakeViewFormHost::ConnectColumnClick(const ListView& view, std::function<void(int)> handler) {
  column_handlers_[&view] = std::move(handler);
}

void FakeViewFormHost::Connect(const Control& control, ControlEvent event, std::function<void()> handler) {
  if (dynamic_cast<const FakeListView*>(&control) != nullptr && event == ControlEvent::kDblClick) {
    row_handlers_[&control] = std::move(handler);
    return;
  }
  if (dynamic_cast<const FakeListView*>(&control) != nullptr && event == ControlEvent::kClick) {
    selection_handlers_[&control] = std::move(handler);
    return;
  }
  FakeFormHost::Connect(control, event, std::move(handler));
}

FakeListView* FakeViewFormHost::List(const std::string& name) const {
  const auto it = lists_.find(name);
  return it == lists_.end() ? nullptr : it->second;
}

FakePictureBox* FakeViewFormHost::Picture(const std::string& name) const {
  const auto it = pictures_.find(name);
  return it == pictures_.end() ? nullptr : it->second;
}

bool FakeViewFormHost::DblClickRow(const std::string& name, int row) {
  FakeListView* view = List(name);
  if (view == nullptr) return false;
  view->SetSelectedIndex(row);
  return RunRecorded(row_handlers_, view);
}

bool FakeViewFormHost::ClickRow(const std::string& name, int row) {
  FakeListView* view = List(name);
  if (view == nullptr) return false;
  view->SetSelectedIndex(row);
  return RunRecorded(selection_handlers_, view);
}

bool FakeViewFormHost::ClickHeader(const std::string& name, int column) {
  return RunRecorded(column_handlers_, List(name), column);
}

void FakeViewFormHost::Resize(ClientPoint client_size) {
  client_size_ = client_size;
  if (resize_handler_) {
    auto handler = resize_handler_;
    handler();
  }
}

void FakeViewFormHost::Minimise() {
  minimised = true;
  if (minimize_handler_) {
    auto handler = minimize_handler_;
    handler();
  }
}

void FakeViewFormHost::CheckSystemMenuItem(int id, bool checked) {
  for (MenuItem& item : system_menu) {
    if (item.id == id) item.checked = checked;
  }
}

const FakeViewFormHost::MenuItem* FakeViewFormHost::SystemMenuItem(int id) const {
  for (const MenuItem& item : system_menu) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

void FakeViewFormHost::Connect(FormEvent event, std::function<void()> handler) {
  if (event == FormEvent::kResize) {
    resize_handler_ = std::move(handler);
    return;
  }
  if (event == FormEvent::kMinimize) {
    minimize_handler_ = std::move(handler);
    return;
  }
  FakeFormHost::Connect(event, std::move(handler));
}

bool FakeViewFormHost::UserCloses() {
  if (closed_ || !Close()) return false;
  closed_ = true;
  return true;
}

bool FakeViewFormHost::ChooseSystemMenu(int id) {
  return RunRecorded(menu_handlers_, id);
}

std::unique_ptr<FormHost> FakeViewFormFactory::CreateOwnedForm(WindowHandle owner, const WindowOptions& options) {
  owners.push_back(owner);
  owned_options.push_back(options);
  auto host = std::make_unique<FakeViewFormHost>(loop_, static_cast<WindowHandle>(0x7100 + owned.size()),
                                                 ClientPoint{options.client_width, options.client_height});
  owned.push_back(host.get());
  return host;
}

}  // namespace tamiru::platform::fake

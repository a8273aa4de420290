#pragma once
// In-memory list view and picture box, and a form host that makes them
// besides the other in-memory controls, for the match history window's
// tests; and a form factory whose owned windows are such hosts.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_controls.h"
#include "platform/view_controls.h"

namespace tamiru::platform::fake {

class FakeListView : public FakeControlBase<ListView> {
 public:
  void SetColumns(const std::vector<ListColumn>& columns) override { columns_ = columns; }
  void SetRowSource(int count, CellText cell) override;
  int RowCount() const override { return count_; }
  std::string Cell(int row, int column) const override;
  void SetRowCount(int count) override { count_ = count; }
  int SelectedIndex() const override { return selected_.empty() ? -1 : selected_.front(); }
  std::vector<int> SelectedRows() const override { return selected_; }
  void SetSelectedIndex(int row, bool scroll) override {
    selected_.clear();
    if (row >= 0 && row < RowCount()) selected_.push_back(row);
    scrolled_to_ = scroll ? SelectedIndex() : scrolled_to_;
  }
  // The user selects several rows (those in range, in row order).
  void SelectRows(std::vector<int> rows);
  // A click on a row selects it.
  void SetSelectedIndex(int row) { SetSelectedIndex(row, false); }
  int scrolled_to() const { return scrolled_to_; }
  void SetWidth(int width) { width_ = width; }
  const std::vector<ListColumn>& columns() const { return columns_; }
  int width() const { return width_; }
  int set_rows_calls() const { return set_rows_calls_; }

 private:
  std::vector<ListColumn> columns_;
  int count_ = 0;
  CellText cell_;
  std::vector<int> selected_;
  int scrolled_to_ = -1;  // the last row scrolled into view
  int width_ = 0;
  int set_rows_calls_ = 0;
};

class FakePictureBox : public FakeControlBase<PictureBox> {
 public:
  void SetPicture(const Picture& picture) override { picture_ = picture; }
  void SetSize(int width, int height) {
    width_ = width;
    height_ = height;
  }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // A fixed-pitch font: `byte_width` a byte, so a double-byte character is
  // twice as wide as a single-byte one.
  PicturePoint TextSize(std::string_view text) const override {
    return {static_cast<int>(text.size()) * byte_width, text_height};
  }
  const Picture& picture() const { return picture_; }
  int byte_width = 6;
  int text_height = 12;

 private:
  Picture picture_;
  int width_ = 0;
  int height_ = 0;
};

class FakeViewFormHost : public FakeFormHost {
 public:
  FakeViewFormHost(FakeEventLoop& loop, WindowHandle handle, ClientPoint client_size)
      : FakeFormHost(loop, handle), client_size_(client_size) {}

  std::unique_ptr<ListView> CreateListView(const ControlSpec& layout) override;
  std::unique_ptr<PictureBox> CreatePictureBox(const ControlSpec& layout) override;
  void ConnectColumnClick(const ListView& view, std::function<void(int)> handler) override;
  void Connect(const Control& control, ControlEvent event, std::function<void()> handler) override;
  void Connect(FormEvent event, std::function<void()> handler) override;
  ClientPoint ClientSize() const override { return client_size_; }
  void MoveControl(const Control& control, int left, int top, int width, int height) override;
  WindowHandle Handle() const override { return closed_ ? kNoWindow : FakeFormHost::Handle(); }
  void BringToFront() override {
    ++brought_to_front;
    hidden = false;
    minimised = false;
  }
  void HideWindow() override { hidden = true; }
  void CloseWindow() override { UserCloses(); }
  void AddSystemMenuItem(int id, const std::string& caption, std::function<void()> handler,
                         bool same_group) override {
    system_menu.push_back({id, caption, same_group, false});
    menu_handlers_[id] = std::move(handler);
  }
  void CheckSystemMenuItem(int id, bool checked) override;

  // The user's actions on the list view: a click on a row selects it; a
  // double click selects it and reports kDblClick; a header click.
  FakeListView* List(const std::string& name) const;
  FakePictureBox* Picture(const std::string& name) const;
  bool DblClickRow(const std::string& name, int row);
  // A click on a row selects it and reports the selection's change (kClick).
  bool ClickRow(const std::string& name, int row);
  bool ClickHeader(const std::string& name, int column);
  // The window is sized by the user.
  void Resize(ClientPoint client_size);
  // The user minimises the window.
  void Minimise();
  // The close box: the window goes when the close query allows it.
  bool UserCloses();

  // The user picks an item of the system menu; false when there is none.
  bool ChooseSystemMenu(int id);

  struct MenuItem {
    int id;
    std::string caption;
    bool same_group;
    bool checked;
  };
  std::vector<MenuItem> system_menu;
  const MenuItem* SystemMenuItem(int id) const;
  int brought_to_front = 0;
  bool hidden = false;
  bool minimised = false;

 private:
  ClientPoint client_size_;
  bool closed_ = false;
  std::map<std::string, FakeListView*> lists_;
  std::map<std::string, FakePictureBox*> pictures_;
  std::map<const Control*, std::function<void()>> row_handlers_;
  std::map<const Control*, std::function<void()>> selection_handlers_;
  std::map<const Control*, std::function<void(int)>> column_handlers_;
  std::function<void()> resize_handler_;
  std::function<void()> minimize_handler_;
  std::map<int, std::function<void()>> menu_handlers_;
};

// Owned windows are FakeViewFormHosts, kept here for the test to act on.
class FakeViewFormFactory : public FakeFormFactory {
 public:
  explicit FakeViewFormFactory(FakeEventLoop& loop) : FakeFormFactory(loop), loop_(loop) {}
  std::unique_ptr<FormHost> CreateOwnedForm(WindowHandle owner, const WindowOptions& options) override;

  std::vector<FakeViewFormHost*> owned;  // every one made, the last made last
  std::vector<WindowOptions> owned_options;

 private:
  FakeEventLoop& loop_;
};

}  // namespace tamiru::platform::fake

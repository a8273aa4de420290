#pragma once
// The match history window's controls on the real desktop: a SysListView32
// in report view, and a picture box child that draws its picture with GDI
// into a memory bitmap first, so a redraw never flickers.
#include <memory>
#include <string>
#include <vector>

#include "platform/form_host.h"
#include "platform/view_controls.h"
#include "platform/win32/controls_win32.h"

namespace tamiru::platform::win32 {

class Win32Form;

class Win32ListView : public Win32Control<ListView> {
 public:
  using Win32Control::Win32Control;
  void SetColumns(const std::vector<ListColumn>& columns) override;
  void SetRows(const std::vector<std::vector<std::string>>& rows) override;
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  std::string Cell(int row, int column) const override;
  int SelectedIndex() const override;
  void SetSelectedIndex(int row) override;
  void SetBounds(int left, int top, int width, int height) override;

 private:
  // The cells as given: the control's text round trip through UTF-16 would
  // not keep every Shift_JIS byte.
  std::vector<std::vector<std::string>> rows_;
};

class Win32PictureBox : public Win32Control<PictureBox> {
 public:
  using Win32Control::Win32Control;
  ~Win32PictureBox() override;
  void SetPicture(const Picture& picture) override;
  void SetBounds(int left, int top, int width, int height) override;
  int Width() const override;
  int Height() const override;
  void Paint();  // WM_PAINT

 private:
  Picture picture_;
};

std::unique_ptr<ListView> CreateWin32ListView(Win32Form& form, const ControlSpec& layout);
std::unique_ptr<PictureBox> CreateWin32PictureBox(Win32Form& form, const ControlSpec& layout);

}  // namespace tamiru::platform::win32

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
#include "platform/win32/dpi_scale_win32.h"

namespace tamiru::platform::win32 {

class Win32Form;

// A virtual list (LVS_OWNERDATA): the control asks for each cell it draws
// (LVN_GETDISPINFO), so it holds no copy of the rows. Bounds and column
// widths are given at 96 DPI.
class Win32ListView : public Win32Control<ListView> {
 public:
  Win32ListView(WindowHandle window, DpiScale scale) : Win32Control(window), scale_(scale) {}
  ~Win32ListView() override;
  void SetColumns(const std::vector<ListColumn>& columns) override;
  void SetRowSource(int count, CellText cell) override;
  int RowCount() const override { return count_; }
  void SetRowCount(int count) override;
  std::string Cell(int row, int column) const override;
  int SelectedIndex() const override;
  std::vector<int> SelectedRows() const override;
  void SetSelectedIndex(int row, bool scroll) override;
  // Answers the control's request for a cell's text (LVN_GETDISPINFOA).
  void FillDisplayInfo(void* display_info) const;

 private:
  DpiScale scale_;
  int columns_ = 0;
  int count_ = 0;
  // The cells come from here, not from the control: its text round trip
  // through UTF-16 would not keep every Shift_JIS byte.
  CellText cell_;
};

// The list view object of a list view window, or null.
Win32ListView* ListViewOf(WindowHandle window);

// The picture, its bounds and the sizes of texts are at 96 DPI; the paint
// scales them to the system DPI, and the texts are drawn in the box's font,
// which is scaled already.
class Win32PictureBox : public Win32Control<PictureBox> {
 public:
  Win32PictureBox(WindowHandle window, DpiScale scale) : Win32Control(window), scale_(scale) {}
  ~Win32PictureBox() override;
  void SetPicture(const Picture& picture) override;
  int Width() const override;
  int Height() const override;
  PicturePoint TextSize(std::string_view text) const override;
  void Paint();  // WM_PAINT

 private:
  DpiScale scale_;
  Picture picture_;
};

std::unique_ptr<ListView> CreateWin32ListView(Win32Form& form, const ControlSpec& layout);
std::unique_ptr<PictureBox> CreateWin32PictureBox(Win32Form& form, const ControlSpec& layout);

}  // namespace tamiru::platform::win32

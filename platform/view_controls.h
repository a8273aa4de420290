#pragma once
// Two controls of the match history window: a report-view list of rows with
// captioned columns, and a picture box that shows a picture made of lines and
// texts (the window builds the picture; the control only draws it).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"

namespace tamiru::platform {

struct ListColumn {
  std::string caption;
  int width = 0;          // pixels at 96 DPI
  bool right_aligned = false;
};

// The text of a cell, asked for as the list shows it.
using CellText = std::function<std::string(int row, int column)>;

class ListView : public Control {
 public:
  virtual void SetColumns(const std::vector<ListColumn>& columns) = 0;
  // `count` rows whose cells `cell` gives, for rows 0 to count - 1 and the
  // columns set: the list keeps no copy of them and asks only for the rows it
  // shows, so a table of any length costs what is visible. One repaint; the
  // selection is cleared.
  virtual void SetRowSource(int count, CellText cell) = 0;
  virtual int RowCount() const = 0;
  // The same source with `count` rows now (rows only added behind the
  // others): the selection and the scroll position stay.
  virtual void SetRowCount(int count) = 0;
  virtual std::string Cell(int row, int column) const = 0;  // empty out of range
  virtual int SelectedIndex() const = 0;                     // -1 = none
  // Every selected row, in row order (a multi_select list view may have
  // several).
  virtual std::vector<int> SelectedRows() const = 0;
  // Selects the row (-1: none); with `scroll`, it is scrolled into view.
  virtual void SetSelectedIndex(int row, bool scroll) = 0;
};

using Colour = std::uint32_t;  // 0xRRGGBB

struct PicturePoint {
  int x = 0;
  int y = 0;
};

struct PictureLine {
  std::vector<PicturePoint> points;  // a polyline
  Colour colour = 0;
  int width = 1;
  bool dotted = false;
};

struct PictureText {
  PicturePoint at;  // the text's top left, or top right when right_aligned
  std::string text;
  Colour colour = 0;
  bool right_aligned = false;
  bool centred = false;  // `at` is the top centre
};

struct Picture {
  Colour background = 0xFFFFFF;
  std::vector<PictureLine> lines;
  std::vector<PictureText> texts;
};

// Its picture and sizes are in the window's layout pixels (96 DPI), like
// every other control's; the window's host places it.
class PictureBox : public Control {
 public:
  virtual void SetPicture(const Picture& picture) = 0;  // redrawn from it
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The width and height `text` takes in the font the box draws with.
  virtual PicturePoint TextSize(std::string_view text) const = 0;
};

}  // namespace tamiru::platform

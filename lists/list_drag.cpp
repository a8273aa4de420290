#include "lists/list_drag.h"

#include <algorithm>

namespace tamiru::lists {

bool BeginDrag(DragState& state, int list_number, const platform::ListBox& box) {
  state.DragSourceIndex = box.SelectedIndex();
  state.DragSourceList = list_number;
  return state.DragSourceIndex >= 0;
}

bool DragOver(DragState& state, int list_number, platform::ListBox& box, int x, int y) {
  const int item = box.ItemAt(x, y);
  if (item < 0 || item >= box.Count()) return false;
  state.DragOverList = list_number;
  box.SetSelectedIndex(item);
  return true;
}

bool DragDrop(DragState& state, int list_number, platform::ListBox& box, int x, int y) {
  const int target = box.ItemAt(x, y);
  if (target < 0 || target >= box.Count()) return false;
  if (state.DragSourceList != list_number) return false;
  const int source = state.DragSourceIndex;
  if (source < 0 || source >= box.Count()) return false;
  const std::string name = box.Item(source);
  box.Delete(source);
  box.Insert(target, name);
  box.SetSelectedIndex(target);
  return true;
}

void AutoScrollStep(platform::ListBox& box, int pointer_y, bool left_button_down, platform::Timer& timer3) {
  const int item_height = std::max(1, box.ItemHeight());
  const int count = box.Count();
  const int top = box.TopIndex();
  const int bottom = kListOuterHeight / item_height + top;
  timer3.SetEnabled(false);
  if (!left_button_down) return;
  if (pointer_y < item_height) {
    if (count > 0) box.SetSelectedIndex(std::max(0, pointer_y < 0 ? top - 2 : top - 1));
    timer3.SetEnabled(true);
  } else if (pointer_y > kListOuterHeight - item_height) {
    if (count > 0) box.SetSelectedIndex(std::min(count - 1, pointer_y <= kListOuterHeight ? bottom + 1 : bottom + 2));
    timer3.SetEnabled(true);
  }
}

}  // namespace tamiru::lists

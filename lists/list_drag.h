#pragma once
// Reordering a list box by dragging an item with the left mouse button, and
// the auto-scroll that moves the list while the pointer is held above or
// below it.
#include <cstdint>

#include "platform/controls.h"

namespace tamiru::lists {

struct DragState {
  std::int32_t DragSourceIndex = -1;  // item pressed last; -1 = none
  std::int32_t DragOverList = 0;      // 1 = ListBox1, 2 = ListBox2, 0 = none yet
  std::int32_t DragSourceList = 0;    // the list box the drag began in
};

// Outer height of the list boxes as built, in pixels.
inline constexpr int kListOuterHeight = 155;
// The pointer must move this far with the button held before a press becomes a drag.
inline constexpr int kDragThreshold = 5;

// A left-button press in list `list_number` (1 or 2): remembers the selected
// item. True when a drag may begin (an item is selected).
bool BeginDrag(DragState& state, int list_number, const platform::ListBox& box);

// The pointer moved over list `list_number` at client point (x, y) during a
// drag. Selects the item under it and returns true (drop accepted), or false
// when the pointer is below the last item. The caller then runs one
// auto-scroll step at once.
bool DragOver(DragState& state, int list_number, platform::ListBox& box, int x, int y);

// The drop on list `list_number` at (x, y). Moves the dragged item to the drop
// index and selects it. False when nothing moved: no item under the point, or
// a drag that began in the other list box (its index means nothing here), or a
// source index the list no longer has. The caller saves File1 for ListBox1.
bool DragDrop(DragState& state, int list_number, platform::ListBox& box, int x, int y);

// One auto-scroll step over `box` (the list the drag is over) with the
// pointer at client height `pointer_y` and the left button state asked of the
// system. Stops Timer3, then selects an item above or below the view and
// starts Timer3 again while the pointer is in a scroll zone.
void AutoScrollStep(platform::ListBox& box, int pointer_y, bool left_button_down, platform::Timer& timer3);

}  // namespace tamiru::lists

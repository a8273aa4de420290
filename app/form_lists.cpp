// The friend list (ListBox1, File1), the selection list (ListBox2), the
// ignore list file (File2) and the phrase list (ComboBox1, File3) on the main
// window, with dragging to reorder either list box. A list file that cannot
// be written throws; the event boundary shows it, and the change on the
// screen stays.
#include "app/main_window.h"
#include "game/chat_send.h"
#include "lists/list_drag.h"
#include "lists/name_lists.h"
#include "lists/phrase_list.h"

namespace tamiru::app {

using platform::ControlEvent;

// ---- Friend, selection and ignore lists ----

void TForm1::Button9Click() {
  lists::AddFriend(*ListBox1, *Edit1, Settings.File1, services_.shell, services_.host.Handle());
}

void TForm1::Button10Click() { lists::DeleteSelectedFriend(*ListBox1, Settings.File1); }

void TForm1::ListBox1DblClick() { lists::CopySelectedToSelection(*ListBox1, *ListBox2); }

void TForm1::ListBox2DblClick() { lists::RemoveSelectedFromSelection(*ListBox2); }

void TForm1::Button11Click() { lists::CopyAllToSelection(*ListBox1, *ListBox2); }

void TForm1::Button12Click() { ListBox2->SetItems({}); }

void TForm1::Button13Click() { SendNameCommand(game::chat_command::kWhereSelected); }

void TForm1::Button14Click() { SendNameCommand(game::chat_command::kRankSelected); }

void TForm1::Button15Click() {
  lists::IgnoreAndRemember(*Edit2, Settings.File2, services_.shell, services_.host.Handle(),
                           [this] { SendNameCommand(game::chat_command::kIgnoreEdit); });
}

void TForm1::Button16Click() { SendNameCommand(game::chat_command::kIgnoreFile); }

// ---- Phrase list ----

void TForm1::Button26Click() {
  lists::AddPhrase(*ComboBox1, Lists.PhraseInsertIndex, Settings.File3, services_.shell, services_.host.Handle());
}

void TForm1::Button4Click() { lists::RemovePhrase(*ComboBox1, Settings.File3); }

void TForm1::ComboBox1Click() { Lists.PhraseInsertIndex = ComboBox1->SelectedIndex(); }

// ---- Dragging to reorder ----

void TForm1::ListBox1MouseDown() {
  if (lists::BeginDrag(Lists.Drag, 1, *ListBox1)) services_.host.BeginDrag(*ListBox1, lists::kDragThreshold);
}

void TForm1::ListBox2MouseDown() {
  if (lists::BeginDrag(Lists.Drag, 2, *ListBox2)) services_.host.BeginDrag(*ListBox2, lists::kDragThreshold);
}

namespace {

// The item under the pointer is selected and the list scrolls one step at
// once, whichever list box the drag began in; the drop is accepted only in
// the list box it began in, so the pointer shows what the drop will do.
bool DragOverListBox(TForm1& form, int list_number, platform::ListBox& box, int x, int y) {
  if (!lists::DragOver(form.Lists.Drag, list_number, box, x, y)) return false;
  form.Timer3Timer();
  return form.Lists.Drag.DragSourceList == list_number;
}

}  // namespace

bool TForm1::ListBox1DragOver(int x, int y) { return DragOverListBox(*this, 1, *ListBox1, x, y); }

bool TForm1::ListBox2DragOver(int x, int y) { return DragOverListBox(*this, 2, *ListBox2, x, y); }

void TForm1::ListBox1DragDrop(int x, int y) {
  if (lists::DragDrop(Lists.Drag, 1, *ListBox1, x, y)) lists::SaveItems(*ListBox1, Settings.File1);
}

void TForm1::ListBox2DragDrop(int x, int y) { lists::DragDrop(Lists.Drag, 2, *ListBox2, x, y); }

// One auto-scroll step over the list box the drag is over, with the
// pointer's position and the left button asked of the system now.
void TForm1::Timer3Timer() {
  platform::ListBox& box = Lists.Drag.DragOverList == 1 ? *ListBox1 : *ListBox2;
  const platform::Input::Point cursor = services_.input.CursorPosition();
  const platform::ClientPoint point = services_.host.ScreenToClient(box, cursor.x, cursor.y);
  lists::AutoScrollStep(box, point.y, services_.input.IsKeyDown(platform::kVkLButton), *Timer3);
}

}  // namespace tamiru::app

// The match history window, reached from the main window's system menu.
#include <memory>

#include "app/history_window.h"
#include "app/main_window.h"

namespace tamiru::app {

void TForm1::WireHistoryMenu() {
  services_.host.AddSystemMenuItem(kHistoryMenuId, std::string(kHistoryMenuCaption),
                                   [this] { RunHandler([this] { HistoryMenuClick(); }); });
}

// One window at a time: an open one comes to the front; a closed one is
// replaced by a new window that reads the file afresh.
void TForm1::HistoryMenuClick() {
  if (HistoryWindow && HistoryWindow->Handle() != platform::kNoWindow) {
    HistoryWindow->BringToFront();
    return;
  }
  HistoryForm.reset();
  HistoryWindow = services_.forms.CreateOwnedForm(services_.host.Handle(), TForm3::WindowOptions());
  if (!HistoryWindow) return;
  HistoryForm = std::make_unique<TForm3>(*this, *HistoryWindow);
  HistoryWindow->BringToFront();
}

}  // namespace tamiru::app

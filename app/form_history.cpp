// The match history window, reached from the main window's system menu.
#include <memory>

#include "app/history_window.h"
#include "app/main_window.h"

namespace tamiru::app {

// One window at a time: an open one comes to the front; a closed one is
// replaced by a new window that reads the file afresh.
void TForm1::HistoryMenuClick() {
  auto& History = Windows.History;
  if (History.IsOpen()) {
    History.Window->BringToFront();
    return;
  }
  History.Form.reset();
  History.Window = services_.forms.CreateOwnedForm(services_.host.Handle(), TForm3::WindowOptions());
  if (!History.Window) return;
  const HistoryOwner owner{Settings, services_.dialogs, [this] { return ScoreFilePath(); },
                           [this](const std::string& target) { ReportScoresFor(target); }};
  History.Form = std::make_unique<TForm3>(owner, *History.Window);
  History.Window->BringToFront();
}

}  // namespace tamiru::app

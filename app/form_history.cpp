// The match history window, reached from the main window's system menu.
#include "app/history_window.h"
#include "app/main_window.h"

namespace tamiru::app {

// A new window reads the file afresh.
void TForm1::HistoryMenuClick() {
  const HistoryOwner owner{Settings, services_.dialogs, [this] { return ScoreFilePath(); },
                           [this](const std::string& target) { ReportScoresFor(target); }};
  Windows.History.Open(services_.forms, services_.host.Handle(), owner);
}

}  // namespace tamiru::app

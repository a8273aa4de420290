// The chat log search window, reached from the main window's system menu.
#include <memory>

#include "app/log_search_window.h"
#include "app/main_window.h"
#include "text/sjis.h"

namespace tamiru::app {

// One window at a time: an open one comes to the front. A line put into
// the chat line is cut to what ComboBox1 takes in its mode.
void TForm1::LogSearchMenuClick() {
  auto& LogSearch = Windows.LogSearch;
  if (LogSearch.IsOpen()) {
    LogSearch.Window->BringToFront();
    return;
  }
  LogSearch.Form.reset();
  LogSearch.Window = services_.forms.CreateOwnedForm(services_.host.Handle(), TForm4::WindowOptions());
  if (!LogSearch.Window) return;
  // The chat log lies in the current directory, where the capture writes it.
  const LogSearchOwner owner{services_.shell, services_.dialogs, {}, [this](const std::string& text) {
                               const int limit = ComboBox1->MaxLength();
                               ComboBox1->SetText(limit > 0 ? std::string(text::CutAtCharBoundary(
                                                                  text, static_cast<std::size_t>(limit)))
                                                            : text);
                             }};
  LogSearch.Form = std::make_unique<TForm4>(owner, *LogSearch.Window);
  LogSearch.Window->BringToFront();
}

}  // namespace tamiru::app

// The chat log search window, reached from the main window's system menu.
#include "app/log_search_window.h"
#include "app/main_window.h"
#include "text/sjis.h"

namespace tamiru::app {

// A line put into the chat line is cut to what ComboBox1 takes in its mode.
void TForm1::LogSearchMenuClick() {
  // The chat log lies in the current directory, where the capture writes it.
  const LogSearchOwner owner{services_.shell, services_.dialogs, {}, [this](const std::string& text) {
                               const int limit = ComboBox1->MaxLength();
                               ComboBox1->SetText(limit > 0 ? std::string(text::CutAtCharBoundary(
                                                                  text, static_cast<std::size_t>(limit)))
                                                            : text);
                             }};
  Windows.LogSearch.Open(services_.forms, services_.host.Handle(), owner);
}

}  // namespace tamiru::app

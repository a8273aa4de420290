#include "app/general_error.h"

namespace tamiru::app {

std::string WithFullStop(std::string_view message) {
  std::string text(message);
  if (text.empty() || text.back() != '.') text += '.';
  return text;
}

void ShowGeneralError(platform::Dialogs& dialogs, platform::WindowHandle owner, std::string_view message) {
  dialogs.ShowError(owner, std::string(kProgramName), WithFullStop(message));
}

}  // namespace tamiru::app

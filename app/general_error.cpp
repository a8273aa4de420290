#include "app/general_error.h"

#include <exception>

namespace tamiru::app {

std::string WithFullStop(std::string_view message) {
  std::string text(message);
  if (text.empty() || text.back() != '.') text += '.';
  return text;
}

void ShowGeneralError(platform::Dialogs& dialogs, platform::WindowHandle owner, std::string_view message) {
  dialogs.ShowError(owner, std::string(kProgramName), WithFullStop(message));
}

void EventBoundary::Run(const std::function<void()>& handler) const {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowError(error.what());
  }
}

void EventBoundary::ShowError(std::string_view message) const { ShowGeneralError(dialogs_, host_.Handle(), message); }

void EventBoundary::Connect(const platform::Control& control, platform::ControlEvent event,
                            std::function<void()> handler) const {
  host_.Connect(control, event, [this, handler = std::move(handler)] { Run(handler); });
}

void EventBoundary::Connect(platform::Timer& timer, std::function<void()> handler) const {
  timer.SetHandler([this, handler = std::move(handler)] { Run(handler); });
}

}  // namespace tamiru::app

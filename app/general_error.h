#pragma once
// The general error display: an error that an operation did not handle
// itself, shown in a box with a stop icon, one OK button and the program's
// name as title; the program then goes on.
#include <string>
#include <string_view>

#include "platform/system.h"

namespace tamiru::app {

inline constexpr std::string_view kProgramName = "Tamiru";

// The message with a full stop at its end (none added when one is there).
std::string WithFullStop(std::string_view message);

void ShowGeneralError(platform::Dialogs& dialogs, platform::WindowHandle owner, std::string_view message);

}  // namespace tamiru::app

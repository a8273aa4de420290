#pragma once
// The program's frame: one instance at a time, the main window built and run,
// an error that escapes the construction or the message loop shown, and the
// exit code.
#include <functional>
#include <string_view>

#include "platform/system.h"

namespace tamiru::app {

inline constexpr std::string_view kMutexName = "TAMIRU";
inline constexpr int kExitAnotherInstance = 1;
inline constexpr int kExitNormal = 0;

// Ends at once with 1 when another instance holds the mutex; otherwise takes
// it, runs `build_and_run` (construction and message loop), shows an error
// that escapes it in the general error display, releases the mutex and
// gives 0.
int RunProgram(platform::SingleInstance& instance, platform::Dialogs& dialogs,
               const std::function<void()>& build_and_run);

}  // namespace tamiru::app

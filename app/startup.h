#pragma once
// The program's frame: one instance at a time, the main window built and run,
// an error that escapes the construction or the message loop shown, and the
// exit code.
#include <functional>
#include <string>
#include <string_view>

#include "platform/system.h"

namespace tamiru::app {

inline constexpr std::string_view kMutexName = "TAMIRU";
inline constexpr int kExitAnotherInstance = 1;
inline constexpr int kExitNormal = 0;
// Every text of the program, its files and the client's is Shift_JIS.
inline constexpr unsigned kJapaneseCodePage = 932;

// What to set when the system's ANSI code page is `code_page`, not 932 (a
// system locale other than Japanese, or the worldwide UTF-8 option), in
// Japanese and in English.
std::u16string CodePageWarningText(unsigned code_page);

// Ends at once with 1 when another instance holds the mutex; otherwise takes
// it, warns once when `system_code_page` is not 932 and goes on, runs
// `build_and_run` (construction and message loop), shows an error that
// escapes it in the general error display, releases the mutex and gives 0.
int RunProgram(platform::SingleInstance& instance, platform::Dialogs& dialogs, unsigned system_code_page,
               const std::function<void()>& build_and_run);

}  // namespace tamiru::app

#pragma once
// The user's date and time conventions, asked of the system's locale.
#include "platform/event_loop.h"

namespace tamiru::platform::win32 {

// The date separator, the time separator and the abbreviated weekday names
// of the user's locale (GetLocaleInfoA). A value the system does not give
// keeps its default.
DateFormat ReadLocaleDateFormat();

}  // namespace tamiru::platform::win32

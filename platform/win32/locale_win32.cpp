#include "platform/win32/locale_win32.h"

#include <windows.h>

#include "platform/win32/event_loop_win32.h"

namespace tamiru::platform::win32 {
namespace {

// The locale's text for `type`, or `fallback` when it gives none. In the
// ANSI code page (Shift_JIS), not the one of the user's regional format,
// which GetLocaleInfoA uses by default and which garbles the Japanese
// weekday names when the regional format is not Japanese.
std::string LocaleText(LCTYPE type, const std::string& fallback) {
  char buffer[80] = {};
  const int copied = GetLocaleInfoA(LOCALE_USER_DEFAULT, type | LOCALE_USE_CP_ACP, buffer, sizeof buffer);
  if (copied <= 1) return fallback;  // the count includes the terminating zero
  return std::string(buffer);
}

}  // namespace

DateFormat ReadLocaleDateFormat() {
  DateFormat format;
  format.date_separator = LocaleText(LOCALE_SDATE, format.date_separator);
  format.time_separator = LocaleText(LOCALE_STIME, format.time_separator);
  // The locale numbers its days from Monday (1) to Sunday (7); ours start on Sunday.
  static constexpr LCTYPE kDayNames[7] = {LOCALE_SABBREVDAYNAME7, LOCALE_SABBREVDAYNAME1, LOCALE_SABBREVDAYNAME2,
                                          LOCALE_SABBREVDAYNAME3, LOCALE_SABBREVDAYNAME4, LOCALE_SABBREVDAYNAME5,
                                          LOCALE_SABBREVDAYNAME6};
  for (int day = 0; day < 7; ++day) {
    format.weekday_names[day] = LocaleText(kDayNames[day], format.weekday_names[day]);
  }
  return format;
}

DateFormat Win32EventLoop::SystemDateFormat() { return ReadLocaleDateFormat(); }

}  // namespace tamiru::platform::win32

// tamiru.exe: the main window on the real desktop. One instance at a time;
// an error that escapes the construction is shown and the program ends.
#include <string>

#include "app/general_error.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "platform/win32/event_loop_win32.h"
#include "platform/win32/form_factory_win32.h"
#include "platform/win32/form_win32.h"
#include "platform/win32/notification_area_win32.h"
#include "platform/win32/screen_win32.h"
#include "platform/win32/system_win32.h"
#include "platform/win32/window_system_win32.h"

namespace {

using namespace tamiru;

platform::win32::FormOptions MainWindowOptions() {
  platform::win32::FormOptions options;
  options.class_name = std::string(app::kMainWindowClass);
  options.caption = std::string(app::kMainWindowCaption);
  options.left = app::kFirstLeft;
  options.top = app::kFirstTop;
  options.client_width = app::kClientWidth;
  options.client_height = app::kClientHeight;
  options.font = {std::string(app::kWindowFontFace), app::kWindowFontHeight};
  // Japanese faces found on systems without the two faces the window asks for.
  options.proportional_fallbacks = {"MS PGothic", "MS UI Gothic", "Meiryo UI", "Yu Gothic UI", "IPAPGothic",
                                    "IPAexGothic", "VL PGothic", "Noto Sans CJK JP", "IPAGothic"};
  options.fixed_fallbacks = {"MS Gothic", "IPAGothic", "VL Gothic", "Noto Sans Mono CJK JP", "IPAexGothic",
                             "MS UI Gothic"};
  return options;
}

}  // namespace

int main() {
  platform::win32::Win32SingleInstance instance;
  platform::win32::Win32Dialogs dialogs;
  return app::RunProgram(instance, dialogs, platform::win32::SystemCodePage(), [&] {
    platform::win32::Win32WindowSystem windows;
    platform::win32::Win32EventLoop loop;
    platform::win32::Win32Input input;
    platform::win32::Win32Shell shell;
    platform::win32::Win32Sound sound;
    platform::win32::Win32Screen screen;
    platform::win32::Win32Form host(MainWindowOptions());
    host.SetErrorSink([&](const std::string& message) { app::ShowGeneralError(dialogs, host.Handle(), message); });
    windows.SetElevatedTargetNotice([&] { host.PostNotice(std::string(platform::kElevatedClientMessage)); });
    platform::win32::Win32FormFactory forms(MainWindowOptions(), [&](platform::WindowHandle owner, const std::string& message) {
      app::ShowGeneralError(dialogs, owner, message);
    });
    platform::win32::Win32NotificationArea tray;
    const app::FormServices services{windows, loop, input, shell, sound, dialogs, host, screen, forms, tray};
    app::TForm1 form(services);
    host.Show();
    host.RunMessageLoop();
  });
}

// The notification-area icon on the real shell: added and removed, a
// balloon, the double click, the menu chosen with its mnemonic, the icon put
// back when the taskbar says it was made anew; and a window minimised into
// the notification area and brought back.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/form_win32.h"
#include "platform/win32/handle_win32.h"
#include "platform/win32/notification_area_win32.h"

namespace {

using tamiru::platform::TrayMenuItem;
using tamiru::platform::win32::AsHwnd;
using tamiru::platform::win32::kNotifyCallbackMessage;
using tamiru::platform::win32::Win32NotificationArea;

void Pump() {
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Whether the shell still knows the icon: a change of its tooltip succeeds
// only for an icon it holds.
bool ShellHoldsIcon(HWND window) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  data.uFlags = NIF_TIP;
  lstrcpyA(data.szTip, "Tamiru");
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

BOOL CALLBACK PressInMenu(HWND window, LPARAM key) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) != "#32768" || !IsWindowVisible(window)) return TRUE;
  PostMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(key), 0);
  return FALSE;
}

// Runs in the menu's modal loop: presses the mnemonic once the menu shows.
WPARAM g_menu_key = 0;
void CALLBACK ChooseByMnemonic(HWND, UINT, UINT_PTR timer, DWORD) {
  if (EnumWindows(PressInMenu, static_cast<LPARAM>(g_menu_key)) == FALSE) KillTimer(nullptr, timer);
}

TEST(NotificationArea, IconMenuBalloonAndANewTaskbar) {
  Win32NotificationArea tray;
  const HWND window = AsHwnd(tray.window());
  ASSERT_NE(window, nullptr);
  int activated = 0;
  std::vector<int> commands;
  tray.SetHandlers({[&] { ++activated; },
                    [] {
                      return std::vector<TrayMenuItem>{{0x101, "表示(&S)"}, {}, {0x130, "通知領域にアイコン", true, true},
                                                       {0x102, "終了(&X)"}};
                    },
                    [&](int id) { commands.push_back(id); }});
  EXPECT_FALSE(tray.ShowBalloon("t", "no icon yet"));

  ASSERT_TRUE(tray.AddIcon("Tamiru"));
  EXPECT_TRUE(tray.HasIcon());
  EXPECT_TRUE(ShellHoldsIcon(window));
  // A text longer than the balloon holds is cut, not refused.
  EXPECT_TRUE(tray.ShowBalloon("キーワード", "太郎>ロン" + std::string(400, 'x')));

  SendMessageA(window, kNotifyCallbackMessage, 1, WM_LBUTTONDBLCLK);
  EXPECT_EQ(activated, 1);

  g_menu_key = 'X';
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, ChooseByMnemonic);
  SendMessageA(window, kNotifyCallbackMessage, 1, WM_RBUTTONUP);
  KillTimer(nullptr, timer);
  Pump();
  EXPECT_EQ(commands, std::vector<int>{0x102});

  // Explorer restarted: the shell forgot the icon, the broadcast brings it back.
  Shell_NotifyIconA(NIM_DELETE, [&] {
    static NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 1;
    return &data;
  }());
  SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_EQ(tray.readds(), 1);
  EXPECT_TRUE(ShellHoldsIcon(window));

  tray.RemoveIcon();
  EXPECT_FALSE(tray.HasIcon());
  // Removed, a new taskbar gets nothing (a question about a missing icon
  // costs Wine's shell two seconds: asked once).
  SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_EQ(tray.readds(), 1);
  EXPECT_FALSE(ShellHoldsIcon(window));
}

TEST(NotificationArea, MinimisedWindowHidesAndComesBack) {
  tamiru::platform::win32::FormOptions options;
  options.class_name = "TamiruTrayTestForm";
  options.caption = "tray test";
  options.client_width = 200;
  options.client_height = 100;
  tamiru::platform::win32::Win32Form form(options);
  form.Connect(tamiru::platform::FormEvent::kMinimize, [&] { form.HideWindow(); });
  form.Show();
  const HWND window = AsHwnd(form.Handle());
  ShowWindow(window, SW_MINIMIZE);
  Pump();
  EXPECT_FALSE(IsWindowVisible(window));
  form.BringToFront();
  Pump();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(IsIconic(window));
}

}  // namespace

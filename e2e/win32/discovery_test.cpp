// Window discovery on real windows: what depends on the system's own
// enumeration order, class names and title conversion.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/discovery.h"
#include "platform/win32/event_loop_win32.h"
#include "platform/win32/window_system_win32.h"

namespace {

using tamiru::game::ChatTarget;
using tamiru::platform::kNoWindow;
using tamiru::platform::WindowHandle;
using tamiru::platform::win32::Win32EventLoop;
using tamiru::platform::win32::Win32WindowSystem;
namespace game = tamiru::game;

WindowHandle H(HWND window) { return reinterpret_cast<WindowHandle>(window); }

constexpr int kCloseButtonId = 100;

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wparam) == kCloseButtonId && HIWORD(wparam) == BN_CLICKED) {
    DestroyWindow(dialog);
    return TRUE;
  }
  return FALSE;
}

// A real modeless dialog (class "#32770") made from an in-memory template,
// titled after creation so that the title goes through the ANSI conversion.
class Dialog {
 public:
  explicit Dialog(const char* title) {
    // DLGTEMPLATE, then no menu, the default class and an empty title.
    alignas(DWORD) WORD storage[32] = {};
    auto* dialog_template = reinterpret_cast<DLGTEMPLATE*>(storage);
    dialog_template->style = WS_POPUP | WS_CAPTION | WS_SYSMENU;  // hidden: showing costs Wine seconds
    dialog_template->cx = 200;
    dialog_template->cy = 120;
    window_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialog_template, nullptr, DialogProc, 0);
    SetWindowTextA(window_, title);
  }
  ~Dialog() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // A child control (or a grandchild, under `parent`), at the bottom of its
  // siblings' order as the system places new children.
  HWND Add(const char* class_name, const char* text = "", HWND parent = nullptr, int id = 0, DWORD style = 0) {
    const int n = count_++;
    return CreateWindowExA(0, class_name, text, WS_CHILD | WS_VISIBLE | style, 5 + (n % 4) * 45, 5 + (n / 4) * 25, 40, 20,
                           parent ? parent : window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  }
  HWND get() const { return window_; }
  WindowHandle handle() const { return H(window_); }

 private:
  HWND window_ = nullptr;
  int count_ = 0;
};

class Win32Discovery : public ::testing::Test {
 protected:
  Win32WindowSystem windows;
  Win32EventLoop loop;
};

TEST_F(Win32Discovery, RealDialogsHaveTheDialogClass) {
  Dialog dialog("東風荘－接続");
  ASSERT_TRUE(dialog.get());
  EXPECT_EQ(windows.GetClassName(dialog.handle(), 256), "#32770");
  EXPECT_EQ(game::FindConnectDialog(windows), dialog.handle());
}

TEST_F(Win32Discovery, GrandchildrenAreCountedInTheSystemsOrder) {
  Dialog dialog("grandchildren");
  const HWND first = dialog.Add("STATIC", "first");
  const HWND grand1 = dialog.Add("BUTTON", "g1", first);
  const HWND grand2 = dialog.Add("BUTTON", "g2", first);
  const HWND second = dialog.Add("EDIT");
  EXPECT_EQ(game::FindChildWindow(windows, dialog.handle(), 0), H(first));
  EXPECT_EQ(game::FindChildWindow(windows, dialog.handle(), 1), H(grand1));
  EXPECT_EQ(game::FindChildWindow(windows, dialog.handle(), 2), H(grand2));
  EXPECT_EQ(game::FindChildWindow(windows, dialog.handle(), 3), H(second));
  EXPECT_EQ(game::FindChildWindow(windows, dialog.handle(), 4), kNoWindow);
}

TEST_F(Win32Discovery, WaitingRoomIsTheFirstInEnumerationOrder) {
  Dialog older("東風荘 待合室 A");
  Dialog newer("東風荘 待合室 B");
  std::vector<WindowHandle> order;
  windows.EnumWindows([&](WindowHandle window) {
    if (window == older.handle() || window == newer.handle()) order.push_back(window);
    return true;
  });
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(game::FindWaitingRoom(windows), order[0]);
  // Moving the first one behind every other window moves the match too.
  SetWindowPos(reinterpret_cast<HWND>(order[0]), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(game::FindWaitingRoom(windows), order[1]);
}

TEST_F(Win32Discovery, TitleHoldingTheWordOnlyAcrossACharacterBoundaryIsNoWaitingRoom) {
  Dialog dialog("苑ﾒ合室");  // 89 91 D2 8D 87 8E BA: "待合室" only from the trail byte of 苑
  ASSERT_EQ(windows.GetWindowText(dialog.handle(), 256), "苑ﾒ合室");
  EXPECT_EQ(game::FindWaitingRoom(windows), kNoWindow);
}

TEST_F(Win32Discovery, ChatTargetOfARealWaitingRoom) {
  Dialog room("待合室");
  HWND controls[13];
  // The room selector is a drop-down list: a combo box with an edit part
  // would add its edit as a descendant and shift every later number.
  // The room selector is a drop-down list: a combo box with an edit part
  // would add that edit as a descendant and shift every later number.
  const char* const classes[13] = {"STATIC", "COMBOBOX", "LISTBOX", "EDIT",   "STATIC", "EDIT",  "BUTTON",
                                   "BUTTON", "BUTTON",   "BUTTON",  "BUTTON", "STATIC", "STATIC"};
  for (int n = 0; n < 13; ++n) {
    controls[n] = room.Add(classes[n], "", nullptr, 0, n == 1 ? CBS_DROPDOWNLIST : 0);
  }
  const ChatTarget target = game::FindChatControls(windows);
  EXPECT_EQ(target.kind, game::ChatTargetKind::kWaitingRoom);
  EXPECT_EQ(target.input, H(controls[5]));
  EXPECT_EQ(target.send_button, H(controls[6]));
}

TEST_F(Win32Discovery, DismissDialogClicksTheRealButton) {
  Dialog dialog("エラー");
  dialog.Add("BUTTON", "OK", nullptr, kCloseButtonId);
  game::AttemptTick attempt = 77;
  game::DismissDialog(windows, game::kErrorDialogTitle, attempt);
  EXPECT_EQ(attempt, 0u);
  EXPECT_TRUE(IsWindow(dialog.get()));  // posted: nothing happens before the loop turns
  loop.WaitWithMessages(200);
  EXPECT_FALSE(IsWindow(dialog.get()));
}

}  // namespace

// Both windows of tamiru.exe at 144 DPI: every place, size, font and row
// height of the layout (given at 96 DPI) scaled by 1.5. Wine reads the
// system DPI from HKCU\Control Panel\Desktop\LogPixels when a process
// starts, so Tamiru is run once at 96 and once at 144 DPI and each control
// is held against its place at 96; a drag in the friend list lands on the
// same row at both.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;

// The system DPI of processes started while this object lives.
class SystemDpi {
 public:
  explicit SystemDpi(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    DWORD size = sizeof old_;
    had_old_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
               ERROR_SUCCESS;
    RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  }
  ~SystemDpi() {
    if (had_old_) {
      RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
    } else {
      RegDeleteValueA(key_, "LogPixels");
    }
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_old_ = false;
};

// Each control's window rectangle in its parent's client coordinates, in
// enumeration order, and the client size of the window.
struct Layout {
  SIZE client{};
  std::vector<std::string> classes;
  std::vector<RECT> places;
};

Layout LayoutOf(HWND window) {
  Layout layout;
  RECT client{};
  GetClientRect(window, &client);
  layout.client = {client.right, client.bottom};
  for (HWND child : e2e::Descendants(window)) {
    if (e2e::ClassOf(GetParent(child)) == "ComboBox") continue;  // its edit part, placed by the combo box
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&place), 2);
    layout.classes.push_back(e2e::ClassOf(child));
    layout.places.push_back(place);
  }
  return layout;
}

struct BothWindows {
  Layout main;
  Layout settings;
  std::string friends_after_drag;
};

// Drags the friend list's first row onto its third by the list box's own
// mouse messages, at rows as high as the list box has them now: the drag
// works in 96-DPI points above the Win32 layer.
std::string DragFirstFriendToThirdRow(const Session& s, HWND main) {
  HWND list = e2e::FindDescendantByClass(main, "ListBox", 0);
  const int row = static_cast<int>(e2e::SendBounded(list, LB_GETITEMHEIGHT, 0, 0));
  const int from = row / 2, to = 2 * row + row / 2;
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, from));
  for (int y = from; y <= to; y += 3) PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, y));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(20, to));
  std::string friends;
  e2e::WaitFor([&] { return (friends = s.ReadFile("friendlist.txt").value_or("")) != "aaa\r\nbbb\r\n東風\r\n"; });
  return friends;
}

// Starts Tamiru at `dpi`, reads both windows' layouts; with `shots`, saves
// each window's image beside the binaries (docs/screenshots holds them as
// PNG).
BothWindows RunAt(DWORD dpi, bool shots) {
  BothWindows windows;
  const SystemDpi system_dpi(dpi);
  Session s("high_dpi_" + std::to_string(dpi));
  EXPECT_TRUE(s.WriteFile("friendlist.txt", "aaa\r\nbbb\r\n東風\r\n"));
  EXPECT_TRUE(s.WriteFile("chatlist.txt", "よろしく\r\n"));
  EXPECT_TRUE(s.WriteFile("keyword.txt", ""));
  EXPECT_TRUE(s.WriteFile("macro.txt", ""));
  if (!s.StartTamiru()) {
    ADD_FAILURE() << "Tamiru did not start at " << dpi << " DPI";
    return windows;
  }
  HWND main = e2e::WaitForTop("TForm1", "Tamiru Ver1.52", 15000);
  if (main == nullptr) return windows;
  windows.main = LayoutOf(main);
  e2e::BringToFront(main);
  const std::string shots_dir = e2e::BinDir() + "\\";
  if (shots) {
    Sleep(300);
    e2e::SaveWindowImage(main, shots_dir + "main_window_144dpi.bmp");
  }
  windows.friends_after_drag = DragFirstFriendToThirdRow(s, main);
  EXPECT_TRUE(e2e::PostClick(e2e::FindDescendantByText(main, "設定", "Button")));
  HWND dialog = e2e::WaitForTop("TForm2", "各種設定");
  if (dialog == nullptr || !e2e::WaitFor([&] { return IsWindowVisible(dialog) != FALSE; })) {
    ADD_FAILURE() << "the settings dialog did not open at " << dpi << " DPI";
    return windows;
  }
  windows.settings = LayoutOf(dialog);
  if (shots) {
    e2e::BringToFront(dialog);
    Sleep(300);
    e2e::SaveWindowImage(dialog, shots_dir + "settings_dialog_144dpi.bmp");
  }
  return windows;
}

int AtOneAndAHalf(LONG value) { return MulDiv(value, 3, 2); }

// Places and sizes where the layout gives them, rounding aside. The system
// decides the rest from the scaled font and its own metrics: the width of
// a label (its caption), the height of a combo box and an edit, the pages
// below the tab control's row of tabs, and (under Wine) an up-down's width.
bool SystemSized(const std::string& kind) {
  return kind == "Static" || kind == "ComboBox" || kind == "Edit" || kind == "TamiruPage" || kind == "msctls_updown32";
}

void ExpectScaled(const Layout& at96, const Layout& at144, const char* window) {
  EXPECT_EQ(at144.client.cx, AtOneAndAHalf(at96.client.cx)) << window;
  EXPECT_EQ(at144.client.cy, AtOneAndAHalf(at96.client.cy)) << window;
  ASSERT_EQ(at96.places.size(), at144.places.size()) << window;
  for (std::size_t i = 0; i < at96.places.size(); ++i) {
    const RECT& small = at96.places[i];
    const RECT& large = at144.places[i];
    const std::string where = std::string(window) + " child " + std::to_string(i) + " " + at96.classes[i];
    if (at96.classes[i] == "TamiruPage") continue;
    EXPECT_NEAR(large.left, AtOneAndAHalf(small.left), 1) << where;
    EXPECT_NEAR(large.top, AtOneAndAHalf(small.top), 1) << where;
    if (SystemSized(at96.classes[i])) continue;
    EXPECT_NEAR(large.right - large.left, AtOneAndAHalf(small.right - small.left), 1) << where;
    EXPECT_NEAR(large.bottom - large.top, AtOneAndAHalf(small.bottom - small.top), 1) << where;
  }
}

TEST(HighDpi, BothWindowsScaleEveryLayoutValueAt144Dpi) {
  if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  // This process reads the other's windows in their own pixels.
  SetProcessDPIAware();
  const BothWindows at96 = RunAt(96, false);
  const BothWindows at144 = RunAt(144, true);
  EXPECT_EQ(at144.main.client.cx, 708);
  EXPECT_EQ(at144.main.client.cy, 416);
  ExpectScaled(at96.main, at144.main, "main window");
  ExpectScaled(at96.settings, at144.settings, "settings dialog");
  for (const std::string& friends : {at96.friends_after_drag, at144.friends_after_drag}) {
    EXPECT_EQ(friends, "bbb\r\n東風\r\naaa\r\n");
  }
}

}  // namespace

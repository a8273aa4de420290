// The windows of tamiru.exe at 96, 120, 144 and 192 DPI. Wine reads the
// system DPI from HKCU\Control Panel\Desktop\LogPixels when a process
// starts, so Tamiru is run once at each. At every DPI, on every page of the
// settings dialog (the macro editor's included) and in the match history
// window, no two visible controls lie on each other and none leaves its
// parent; at 144 every place, size, font, row height and list column of the
// layout (given at 96 DPI) is 1.5 times its size at 96; a drag in the friend
// list lands on the same row at every DPI.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"
#include "tests/stats/score_test_util.h"
// After <windows.h>: the list view's messages.
#include <commctrl.h>

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
// enumeration order, and the client size of the window; for the tidiness
// check, which are shown, their parents and the parents' client sizes.
struct Layout {
  SIZE client{};
  std::vector<std::string> classes;
  std::vector<RECT> places;
  std::vector<HWND> parents;
  std::vector<SIZE> parent_clients;
  std::vector<bool> shown;
  std::vector<bool> holders;
  std::vector<int> columns;  // a list view's column widths
};

// A frame that holds other controls (a group box, the tab control under its
// pages) lies under them by design.
bool IsHolder(HWND window) {
  const std::string kind = e2e::ClassOf(window);
  return kind == "SysTabControl32" ||
         (kind == "Button" && (GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX);
}

Layout LayoutOf(HWND window) {
  Layout layout;
  RECT client{};
  GetClientRect(window, &client);
  layout.client = {client.right, client.bottom};
  for (HWND child : e2e::Descendants(window)) {
    HWND parent = GetParent(child);
    if (e2e::ClassOf(parent) == "ComboBox") continue;  // its edit part, placed by the combo box
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    RECT parent_client{};
    GetClientRect(parent, &parent_client);
    layout.classes.push_back(e2e::ClassOf(child));
    layout.places.push_back(place);
    layout.parents.push_back(parent);
    layout.parent_clients.push_back({parent_client.right, parent_client.bottom});
    layout.shown.push_back(IsWindowVisible(child) != FALSE);
    layout.holders.push_back(IsHolder(child));
    if (e2e::ClassOf(child) == "SysListView32") {
      for (int column = 0;; ++column) {
        const int width = static_cast<int>(e2e::SendBounded(child, LVM_GETCOLUMNWIDTH, column, 0));
        if (width <= 0) break;
        layout.columns.push_back(width);
      }
    }
  }
  return layout;
}

// Every shown control inside its parent's client area, and no two shown
// controls of one parent on each other.
void ExpectTidy(const Layout& layout, const std::string& window) {
  for (std::size_t i = 0; i < layout.places.size(); ++i) {
    if (!layout.shown[i]) continue;
    const RECT& a = layout.places[i];
    const std::string where = window + " child " + std::to_string(i) + " " + layout.classes[i];
    EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= layout.parent_clients[i].cx &&
                a.bottom <= layout.parent_clients[i].cy)
        << where << " at " << a.left << "," << a.top << "-" << a.right << "," << a.bottom << " in "
        << layout.parent_clients[i].cx << "x" << layout.parent_clients[i].cy;
    for (std::size_t j = 0; j < i; ++j) {
      if (!layout.shown[j] || layout.parents[j] != layout.parents[i]) continue;
      const RECT& b = layout.places[j];
      const bool apart = a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
      EXPECT_TRUE(apart || layout.holders[i] || layout.holders[j])
          << where << " on child " << j << " " << layout.classes[j];
    }
  }
}

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

struct Windows {
  Layout main;
  std::vector<Layout> settings_pages;  // the dialog as each page shows it
  Layout history;
  Layout log_search;
  Layout client_check;
  std::string friends_after_drag;
};

constexpr int kSettingsPages = 4;
constexpr UINT kHistoryMenuId = 0x0110;
constexpr UINT kLogSearchMenuId = 0x0120;
constexpr UINT kClientCheckMenuId = 0x0170;

// Thirty games of the user's against players with long handles, for a
// table and a chart with something in them.
std::string ScoreFile() {
  namespace score = tamiru::stats::testing;
  std::string file;
  for (int game = 0; game < 30; ++game) {
    const std::vector<std::string> seats{"me", "山田太郎六段", "=formula", "ddd"};
    const int first = game % 4;
    std::vector<score::ResultEntry> entries;
    for (int rank = 1; rank <= 4; ++rank) {
      entries.push_back({rank, seats[static_cast<std::size_t>((first + rank - 1) % 4)], 45 - 30 * (rank - 1)});
    }
    file += score::Game(seats, entries);
  }
  return score::WithCrLf(file);
}

// Starts Tamiru at `dpi` and reads the layouts of its windows: the main
// window, each page of the settings dialog, the match history window, the
// chat log search window; with
// `shots`, saves each window's image beside the binaries (docs/screenshots
// holds them as PNG).
Windows RunAt(DWORD dpi, bool shots) {
  Windows windows;
  const SystemDpi system_dpi(dpi);
  Session s("high_dpi_" + std::to_string(dpi));
  EXPECT_TRUE(s.WriteFile("friendlist.txt", "aaa\r\nbbb\r\n東風\r\n"));
  EXPECT_TRUE(s.WriteFile("chatlist.txt", "よろしく\r\n"));
  EXPECT_TRUE(s.WriteFile("keyword.txt", ""));
  EXPECT_TRUE(s.WriteFile("macro.txt", ""));
  EXPECT_TRUE(s.WriteFile("mjscore.txt", ScoreFile()));
  EXPECT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\nUserName1=me\r\nTableType=0\r\nFile4=" + s.PathOf("mjscore.txt") + "\r\n"));
  if (!s.StartTamiru()) {
    ADD_FAILURE() << "Tamiru did not start at " << dpi << " DPI";
    return windows;
  }
  HWND main = e2e::WaitForTop("TForm1", "Tamiru Ver1.52", 15000);
  if (main == nullptr) return windows;
  windows.main = LayoutOf(main);
  e2e::BringToFront(main);
  const std::string shots_dir = e2e::BinDir() + "\\";
  const std::string suffix = "_" + std::to_string(dpi) + "dpi.bmp";
  if (shots) {
    Sleep(300);
    e2e::SaveWindowImage(main, shots_dir + "main_window" + suffix);
  }
  windows.friends_after_drag = DragFirstFriendToThirdRow(s, main);
  EXPECT_TRUE(e2e::PostClick(e2e::FindDescendantByText(main, "設定", "Button")));
  HWND dialog = e2e::WaitForTop("TForm2", "各種設定");
  if (dialog == nullptr || !e2e::WaitFor([&] { return IsWindowVisible(dialog) != FALSE; })) {
    ADD_FAILURE() << "the settings dialog did not open at " << dpi << " DPI";
    return windows;
  }
  e2e::BringToFront(dialog);
  HWND tabs = e2e::FindDescendantByClass(dialog, "SysTabControl32");
  for (int page = 0; page < kSettingsPages; ++page) {
    EXPECT_TRUE(e2e::ShowTabPage(tabs, page)) << "page " << page << " at " << dpi << " DPI";
    windows.settings_pages.push_back(LayoutOf(dialog));
    if (shots && (page == 0 || page == kSettingsPages - 1)) {
      Sleep(300);
      e2e::SaveWindowImage(dialog, shots_dir + (page == 0 ? "settings_dialog" : "macro_editor") + suffix);
    }
  }
  EXPECT_TRUE(e2e::PostClick(e2e::ButtonNamed(dialog, "キャンセル")));
  EXPECT_TRUE(e2e::WaitForNoTop("TForm2", "各種設定"));
  PostMessageA(main, WM_SYSCOMMAND, kHistoryMenuId, 0);
  HWND history = e2e::WaitForTop("TForm3", "対戦履歴", 10000);
  if (history == nullptr || !e2e::WaitFor([&] { return IsWindowVisible(history) != FALSE; }, 10000)) {
    ADD_FAILURE() << "the match history did not open at " << dpi << " DPI";
    return windows;
  }
  windows.history = LayoutOf(history);
  if (shots) {
    e2e::BringToFront(history);
    Sleep(300);
    e2e::SaveWindowImage(history, shots_dir + "history_window" + suffix);
  }
  EXPECT_TRUE(s.WriteFile("LOG2401.txt", "me" + std::string(12, ' ') + ">よろしく\r\n"));
  PostMessageA(main, WM_SYSCOMMAND, kLogSearchMenuId, 0);
  HWND log_search = e2e::WaitForTop("TForm4", "ログ検索", 10000);
  if (log_search == nullptr || !e2e::WaitFor([&] { return IsWindowVisible(log_search) != FALSE; }, 10000)) {
    ADD_FAILURE() << "the log search did not open at " << dpi << " DPI";
    return windows;
  }
  windows.log_search = LayoutOf(log_search);
  PostMessageA(main, WM_SYSCOMMAND, kClientCheckMenuId, 0);
  HWND check = e2e::WaitForTop("TForm5", "クライアント診断", 15000);
  if (check == nullptr || !e2e::WaitFor([&] { return IsWindowVisible(check) != FALSE; }, 15000)) {
    ADD_FAILURE() << "the client check did not open at " << dpi << " DPI";
    return windows;
  }
  windows.client_check = LayoutOf(check);
  if (shots) {
    e2e::BringToFront(check);
    Sleep(300);
    e2e::SaveWindowImage(check, shots_dir + "client_check" + suffix);
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
    // The pages lie under the tab control's row of tabs; a list view's
    // header is as high as the font and as wide as the columns.
    if (at96.classes[i] == "TamiruPage" || at96.classes[i] == "SysHeader32") continue;
    EXPECT_NEAR(large.left, AtOneAndAHalf(small.left), 1) << where;
    EXPECT_NEAR(large.top, AtOneAndAHalf(small.top), 1) << where;
    if (SystemSized(at96.classes[i])) continue;
    EXPECT_NEAR(large.right - large.left, AtOneAndAHalf(small.right - small.left), 1) << where;
    EXPECT_NEAR(large.bottom - large.top, AtOneAndAHalf(small.bottom - small.top), 1) << where;
  }
  ASSERT_EQ(at96.columns.size(), at144.columns.size()) << window;
  for (std::size_t i = 0; i < at96.columns.size(); ++i) {
    EXPECT_NEAR(at144.columns[i], AtOneAndAHalf(at96.columns[i]), 1) << window << " column " << i;
  }
}

TEST(HighDpi, EveryWindowIsTidyAtEachDpiAndScaledByOneAndAHalfAt144) {
  if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  // This process reads the other's windows in their own pixels.
  SetProcessDPIAware();
  std::vector<std::pair<DWORD, Windows>> runs;
  for (DWORD dpi : {96, 120, 144, 192}) runs.emplace_back(dpi, RunAt(dpi, dpi == 144));
  for (const auto& [dpi, windows] : runs) {
    const std::string at = " at " + std::to_string(dpi);
    ExpectTidy(windows.main, "main window" + at);
    ASSERT_EQ(windows.settings_pages.size(), static_cast<std::size_t>(kSettingsPages)) << at;
    for (std::size_t page = 0; page < windows.settings_pages.size(); ++page) {
      ExpectTidy(windows.settings_pages[page], "settings page " + std::to_string(page + 1) + at);
    }
    ExpectTidy(windows.history, "match history" + at);
    EXPECT_EQ(windows.history.columns.size(), 9U) << at;
    ExpectTidy(windows.log_search, "log search" + at);
    EXPECT_EQ(windows.log_search.columns.size(), 3U) << at;
    ExpectTidy(windows.client_check, "client check" + at);
    EXPECT_EQ(windows.client_check.columns.size(), 3U) << at;
    EXPECT_EQ(windows.friends_after_drag, "bbb\r\n東風\r\naaa\r\n") << at;
  }
  const Windows& at96 = runs[0].second;
  const Windows& at144 = runs[2].second;
  EXPECT_EQ(at144.main.client.cx, 708);
  EXPECT_EQ(at144.main.client.cy, 416);
  ExpectScaled(at96.main, at144.main, "main window");
  ExpectScaled(at96.settings_pages[0], at144.settings_pages[0], "settings dialog");
  ExpectScaled(at96.history, at144.history, "match history");
  ExpectScaled(at96.log_search, at144.log_search, "log search");
  ExpectScaled(at96.client_check, at144.client_check, "client check");
}

}  // namespace

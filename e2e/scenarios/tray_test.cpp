// The notification-area icon of tamiru.exe beside the stand-in client: the
// icon's requests as the shell receives them (the test takes the shell's
// part under Wine, whose shell32 hands every Shell_NotifyIcon to the first
// "Shell_TrayWnd" window as WM_COPYDATA in a fixed layout), a friend's
// connection and a keyword hit told in balloons within one capture
// interval, and the close from the icon's menu on Wine's own tray.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"

#include <shellapi.h>

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;

constexpr unsigned kCaptureSeconds = 2;
constexpr UINT kNotifyCallbackMessage = WM_APP + 0x41;

// Wine's form of a NOTIFYICONDATA on its way to the shell.
struct WineNotifyData {
  LONG hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  WCHAR szTip[128];
  DWORD dwState;
  DWORD dwStateMask;
  WCHAR szInfo[256];
  UINT uTimeout;
  WCHAR szInfoTitle[64];
  DWORD dwInfoFlags;
};

struct ShellRequest {
  DWORD message;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  UINT flags;
  std::string tip, title, text;  // Shift_JIS
  DWORD at_ms;
};

std::string Sjis(const WCHAR* wide) {
  char bytes[1024] = {};
  WideCharToMultiByte(932, 0, wide, -1, bytes, sizeof bytes, nullptr, nullptr);
  return bytes;
}

// A hidden "Shell_TrayWnd" of this process, made after Wine's own and so
// found first: it takes the icon's requests and records them.
class RecordingShell {
 public:
  RecordingShell() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = Proc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&window_class);
    window_ = CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    current_ = this;
  }
  ~RecordingShell() {
    DestroyWindow(window_);
    UnregisterClassA("Shell_TrayWnd", GetModuleHandleA(nullptr));
    current_ = nullptr;
  }
  bool ok() const { return window_ != nullptr && FindWindowA("Shell_TrayWnd", nullptr) == window_; }
  std::vector<ShellRequest> Balloons() const {
    std::vector<ShellRequest> found;
    for (const ShellRequest& request : requests) {
      if ((request.flags & NIF_INFO) != 0) found.push_back(request);
    }
    return found;
  }
  std::vector<ShellRequest> requests;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA && current_ != nullptr) {
      const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
      if (copy->cbData >= sizeof(WineNotifyData)) {
        const auto* data = static_cast<const WineNotifyData*>(copy->lpData);
        current_->requests.push_back({static_cast<DWORD>(copy->dwData), data->uFlags, Sjis(data->szTip),
                                      Sjis(data->szInfoTitle), Sjis(data->szInfo), GetTickCount()});
      }
      return TRUE;
    }
    return DefWindowProcA(window, message, wparam, lparam);
  }
  static inline RecordingShell* current_ = nullptr;
  HWND window_ = nullptr;
};

void WriteFiles(const Session& s, const std::string& tamiru_section) {
  ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\nKeyword=1\r\nSaveChatLogTimeInterval=" +
                                            std::to_string(kCaptureSeconds) + "\r\n[Tamiru]\r\n" + tamiru_section));
  ASSERT_TRUE(s.WriteFile("friendlist.txt", "友達\r\n"));
  ASSERT_TRUE(s.WriteFile("chatlist.txt", ""));
  ASSERT_TRUE(s.WriteFile("keyword.txt", "ロン\r\n"));
  ASSERT_TRUE(s.WriteFile("macro.txt", ""));
}

TEST(TrayScenario, FriendAndKeywordBalloonsWithinOneCaptureInterval) {
  RecordingShell shell;
  ASSERT_TRUE(shell.ok());
  Session s("tray_balloons");
  WriteFiles(s, "Notify=1\r\nFriendNotice=1\r\n");
  ASSERT_TRUE(s.StartStandin("show room\n"));
  // The room's chat as Tamiru finds it: lines there before, never told.
  ASSERT_TRUE(s.Command("clear room"));
  ASSERT_TRUE(s.Command("notice room 友達：<<接続>>"));
  ASSERT_TRUE(s.Command("say room 花子 ロンはまだ"));
  ASSERT_TRUE(s.StartTamiru());
  ASSERT_TRUE(e2e::WaitFor([&] { return !shell.requests.empty(); }));
  EXPECT_EQ(shell.requests[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(shell.requests[0].tip, "Tamiru");
  e2e::PumpFor(kCaptureSeconds * 1000 + 500);  // the first capture has read the room
  EXPECT_TRUE(shell.Balloons().empty());

  const DWORD said = GetTickCount();
  ASSERT_TRUE(s.Command("notice room 友達：<<接続>>"));
  ASSERT_TRUE(e2e::WaitFor([&] { return !shell.Balloons().empty(); }, kCaptureSeconds * 1000 + 1500));
  ShellRequest balloon = shell.Balloons()[0];
  EXPECT_EQ(balloon.title, "友達の接続");
  EXPECT_EQ(balloon.text, "友達 さんが接続しました");
  EXPECT_LE(balloon.at_ms - said, kCaptureSeconds * 1000 + 1000);

  // The next balloon waits until this one has had its five seconds.
  e2e::PumpFor(5000);
  ASSERT_TRUE(s.Command("say room 太郎 それロン"));
  ASSERT_TRUE(e2e::WaitFor([&] { return shell.Balloons().size() == 2; }, kCaptureSeconds * 1000 + 1500));
  balloon = shell.Balloons()[1];
  EXPECT_EQ(balloon.title, "キーワード");
  EXPECT_NE(balloon.text.find("太郎"), std::string::npos) << balloon.text;
  EXPECT_NE(balloon.text.find("それロン"), std::string::npos) << balloon.text;
}

HWND VisibleMenu() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        if (e2e::ClassOf(window) != "#32768" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// On Wine's own tray: the icon there, a balloon, the icon's menu, and 終了
// chosen in it closing Tamiru as its close box does, the INI written.
TEST(TrayScenario, ExitFromTheIconMenuWritesTheIni) {
  Session s("tray_exit");
  WriteFiles(s, "FriendNotice=1\r\n");
  ASSERT_TRUE(s.StartStandin("show room\n"));
  ASSERT_TRUE(s.Command("clear room"));
  ASSERT_TRUE(s.Command("say room 花子 こんにちは"));
  ASSERT_TRUE(s.Command("say room 太郎 よろしく"));
  ASSERT_TRUE(s.StartTamiru());
  const HWND icon = e2e::WaitForTop("TamiruNotifyIcon", "Tamiru");
  ASSERT_NE(icon, nullptr);
  e2e::PumpFor(kCaptureSeconds * 1000 + 500);
  ASSERT_TRUE(s.Command("notice room 友達：<<接続>>"));
  // Wine's tray shows a balloon two seconds after it is asked for.
  e2e::PumpFor(kCaptureSeconds * 1000 + 2500);

  e2e::MouseTo({420, 300});
  ASSERT_TRUE(PostMessageA(icon, kNotifyCallbackMessage, 1, WM_RBUTTONUP));
  ASSERT_TRUE(e2e::WaitFor([] { return VisibleMenu() != nullptr; }));
  e2e::PumpFor(300);
  e2e::SaveWindowImage(GetDesktopWindow(), e2e::BinDir() + "\\tray_menu.bmp");
  PostMessageA(VisibleMenu(), WM_KEYDOWN, 'X', 0);
  ASSERT_TRUE(s.WaitForTamiruExit(10000).has_value());
  const std::string ini = s.ReadFile("tamiru.INI").value_or("");
  EXPECT_NE(ini.find("\r\nSaveChatLogTimeInterval=2\r\n"), std::string::npos) << ini;
  // The keys already in the file keep their place, the others follow.
  const std::string tamiru = ini.substr(std::min(ini.find("[Tamiru]\r\n"), ini.size()));
  for (const char* key : {"TrayIcon=1\r\n", "Notify=0\r\n", "FriendNotice=1\r\n", "MinimizeToTray=0\r\n"}) {
    EXPECT_NE(tamiru.find(key), std::string::npos) << key << ini;
  }
}

}  // namespace

// The Win32 window layer and event loop on real windows (under Wine in the
// test command, on Windows when run there).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/dialog_controls_win32.h"
#include "platform/win32/event_loop_win32.h"
#include "platform/win32/window_system_win32.h"

namespace {

using tamiru::platform::WindowHandle;
using tamiru::platform::win32::Win32EventLoop;
using tamiru::platform::win32::Win32WindowSystem;

WindowHandle H(HWND window) { return reinterpret_cast<WindowHandle>(window); }

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// A top-level window of a predefined class, destroyed at the end of the test.
class OwnedWindow {
 public:
  OwnedWindow(const char* class_name, const char* text, DWORD style, HWND parent = nullptr)
      : window_(CreateWindowExA(0, class_name, text, style | (parent ? WS_CHILD : WS_OVERLAPPEDWINDOW), 10, 10, 300,
                                200, parent, nullptr, GetModuleHandleA(nullptr), nullptr)) {}
  ~OwnedWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;
  HWND get() const { return window_; }
  WindowHandle handle() const { return H(window_); }

 private:
  HWND window_;
};

class Win32Layer : public ::testing::Test {
 protected:
  Win32WindowSystem windows;
  Win32EventLoop loop;
};

// ---- Text through edit controls, with the buffer limits

TEST_F(Win32Layer, SetAndGetTextHonourTheBuffer) {
  OwnedWindow edit("EDIT", "", ES_AUTOHSCROLL);
  ASSERT_TRUE(edit.get());
  EXPECT_NE(windows.SendSetText(edit.handle(), "/w 東風荘"), 0);
  EXPECT_EQ(windows.SendGetText(edit.handle(), 256), "/w 東風荘");
  EXPECT_EQ(windows.SendGetText(edit.handle(), 4), "/w ");
  EXPECT_EQ(windows.SendGetText(edit.handle(), 1), "");
  EXPECT_EQ(windows.SendGetText(edit.handle(), 0), "");
  EXPECT_EQ(windows.SendMessage(edit.handle(), WM_GETTEXTLENGTH, 0, 0), 9);
  EXPECT_EQ(windows.GetWindowText(edit.handle(), 256), "/w 東風荘");
  EXPECT_EQ(windows.GetClassName(edit.handle(), 256), "Edit");
  EXPECT_EQ(windows.GetClassName(edit.handle(), 3), "Ed");
}

TEST_F(Win32Layer, GetTextIntoAKeptBufferEndsBeforeItsLastByte) {
  OwnedWindow edit("EDIT", "", ES_AUTOHSCROLL);
  windows.SendSetText(edit.handle(), "/w 東風荘");
  std::string buffer(256, 'x');
  ASSERT_EQ(windows.SendGetTextInto(edit.handle(), buffer), 9u);
  EXPECT_EQ(buffer.substr(0, 9), "/w 東風荘");
  EXPECT_EQ(buffer.size(), 256u);
  buffer.assign(4, 'x');
  EXPECT_EQ(windows.SendGetTextInto(edit.handle(), buffer), 3u);
  EXPECT_EQ(buffer.substr(0, 3), "/w ");
  buffer.clear();
  EXPECT_EQ(windows.SendGetTextInto(edit.handle(), buffer), 0u);
}

TEST_F(Win32Layer, TextCutInsideADoubleByteCharacterStaysWithinTheBuffer) {
  OwnedWindow edit("EDIT", "", ES_AUTOHSCROLL);
  windows.SendSetText(edit.handle(), "東風荘");
  // Five bytes would end inside 荘: whatever the system copies, no more than
  // four bytes come back, and never a part of 荘.
  const std::string text = windows.SendGetText(edit.handle(), 5);
  EXPECT_LE(text.size(), 4u);
  EXPECT_EQ(std::string("東風").compare(0, text.size(), text), 0);
}

// The chat capture turns EM_LINEINDEX into an offset in the text it read
// with WM_GETTEXT. The system's edit control of an ANSI program counts bytes;
// Wine's counts characters. This pins down which one we run on.
TEST_F(Win32Layer, LineIndexOfJapaneseTextCountsBytesOnWindowsAndCharactersOnWine) {
  OwnedWindow view("EDIT", "", ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL);
  windows.SendSetText(view.handle(), "東風荘>こんにちは\r\nb>y\r\nc>z");
  EXPECT_EQ(windows.SendMessage(view.handle(), EM_GETLINECOUNT, 0, 0), 3);
  const auto line1 = windows.SendMessage(view.handle(), EM_LINEINDEX, 1, 0);
  const auto line2 = windows.SendMessage(view.handle(), EM_LINEINDEX, 2, 0);
  EXPECT_EQ(windows.SendMessage(view.handle(), EM_LINEINDEX, 3, 0), -1);
  if (RunningUnderWine()) {
    EXPECT_EQ(line1, 11);  // 3 + 1 + 5 characters and CR LF
    EXPECT_EQ(line2, 16);
  } else {
    EXPECT_EQ(line1, 19);  // 6 + 1 + 10 bytes and CR LF
    EXPECT_EQ(line2, 24);
  }
  std::printf("EM_LINEINDEX counts %s here\n", line1 == 11 ? "characters" : "bytes");
}

// ---- List and combo boxes

TEST_F(Win32Layer, ListTextIsReadWholeAndMissingRowsAreEmpty) {
  OwnedWindow list("LISTBOX", "", LBS_HASSTRINGS);
  const std::string long_row = "卓12 プレイ中 " + std::string(400, 'x');
  for (const char* row : {"卓1 待機中", "卓2 プレイ中"}) {
    SendMessageA(list.get(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
  }
  SendMessageA(list.get(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(long_row.c_str()));
  EXPECT_EQ(windows.SendMessage(list.handle(), LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(windows.SendGetListText(list.handle(), 1), "卓2 プレイ中");
  EXPECT_EQ(windows.SendGetListText(list.handle(), 2), long_row);
  EXPECT_EQ(windows.SendGetListText(list.handle(), 3), "");
  EXPECT_EQ(windows.SendGetListText(list.handle(), -1), "");
  EXPECT_EQ(windows.SendMessage(list.handle(), LB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(SendMessageA(list.get(), LB_GETCURSEL, 0, 0), 1);
}

TEST_F(Win32Layer, ComboSelectionOutOfRange) {
  OwnedWindow combo("COMBOBOX", "", CBS_DROPDOWNLIST | CBS_HASSTRINGS);
  for (const char* room : {"一般", "上級", "特上"}) {
    SendMessageA(combo.get(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(room));
  }
  EXPECT_EQ(windows.SendMessage(combo.handle(), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(windows.SendMessage(combo.handle(), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(windows.SendMessage(combo.handle(), CB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(windows.SendMessage(combo.handle(), CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(windows.SendMessage(combo.handle(), CB_SETCURSEL, 3, 0), CB_ERR);
  // The system's combo box clears its selection on an index out of range;
  // Wine's keeps it. A caller must not rely on either.
  EXPECT_EQ(windows.SendMessage(combo.handle(), CB_GETCURSEL, 0, 0), RunningUnderWine() ? 2 : CB_ERR);
  EXPECT_EQ(windows.SendMessage(combo.handle(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
  EXPECT_EQ(windows.SendMessage(combo.handle(), CB_GETCURSEL, 0, 0), CB_ERR);
}

// ---- A peer that does not answer

// A window on its own thread that stops pumping messages until released.
class HungPeer {
 public:
  HungPeer() {
    release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &HungPeer::Run, this, 0, nullptr);
    WaitForSingleObject(ready_, 10000);
  }
  ~HungPeer() {
    Release();
    WaitForSingleObject(thread_, 20000);
    for (HANDLE handle : {thread_, ready_, release_}) CloseHandle(handle);
  }
  void Release() { SetEvent(release_); }
  HWND window() const { return window_; }

 private:
  static DWORD WINAPI Run(void* context) {
    auto* self = static_cast<HungPeer*>(context);
    self->window_ = CreateWindowExA(0, "EDIT", "hung", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
    SetEvent(self->ready_);
    WaitForSingleObject(self->release_, 30000);  // not pumping: hung to its peers
    // Handle what was sent meanwhile, the late WM_GETTEXT included.
    MSG message;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 300) {
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      Sleep(10);
    }
    DestroyWindow(self->window_);
    return 0;
  }

  HANDLE release_;
  HANDLE ready_;
  HANDLE thread_;
  HWND window_ = nullptr;
};

TEST(Win32LayerBound, SendToAHungWindowReturnsNothingWithinTheBound) {
  Win32WindowSystem windows(300);
  HungPeer peer;
  ASSERT_TRUE(peer.window());
  const DWORD start = GetTickCount();
  EXPECT_EQ(windows.SendMessage(H(peer.window()), WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_EQ(windows.SendGetText(H(peer.window()), 256), "");
  // The kept buffer goes to the late writer; the caller gets an empty one.
  std::string kept(256, 'x');
  EXPECT_EQ(windows.SendGetTextInto(H(peer.window()), kept), 0u);
  EXPECT_TRUE(kept.empty());
  EXPECT_EQ(windows.SendGetListText(H(peer.window()), 0), "");
  EXPECT_EQ(windows.SendSetText(H(peer.window()), "late"), 0);
  // A search of the top-level windows meets the hung window too.
  EXPECT_EQ(windows.GetWindowText(H(peer.window()), 256), "");
  bool seen = false;
  windows.EnumWindows([&](WindowHandle window) {
    windows.GetWindowText(window, 256);
    seen = seen || window == H(peer.window());
    return true;
  });
  EXPECT_TRUE(seen);
  // Bounded sends: well under the 30 s that the peer stays hung.
  EXPECT_LT(GetTickCount() - start, 10000u);
  // The peer now handles the sends that timed out, writing into the buffers
  // of the WM_GETTEXT and reading the text of the WM_SETTEXT: those buffers
  // must still be there.
  peer.Release();
}

// ---- Posting and the foreground

TEST_F(Win32Layer, PostedMessagesArriveWhenTheLoopTurns) {
  OwnedWindow edit("EDIT", "", ES_AUTOHSCROLL);
  windows.SendSetText(edit.handle(), "abc");
  EXPECT_TRUE(windows.PostMessage(edit.handle(), EM_SETSEL, 0, -1));
  EXPECT_TRUE(windows.PostMessage(edit.handle(), WM_CLEAR, 0, 0));
  EXPECT_EQ(windows.SendGetText(edit.handle(), 16), "abc");  // not yet handled
  loop.ProcessPendingMessages();
  EXPECT_EQ(windows.SendGetText(edit.handle(), 16), "");
  DestroyWindow(edit.get());
  EXPECT_FALSE(windows.PostMessage(edit.handle(), WM_NULL, 0, 0));
}

TEST_F(Win32Layer, FindWindowComparesWholeNamesIgnoringCase) {
  OwnedWindow window("STATIC", "東風荘 テスト窓", 0);
  EXPECT_EQ(windows.FindWindow("static", "東風荘 テスト窓"), window.handle());
  EXPECT_EQ(windows.FindWindow(std::nullopt, "東風荘 テスト窓"), window.handle());
  EXPECT_EQ(windows.FindWindow("STATIC", "東風荘"), tamiru::platform::kNoWindow);
}

// A window the user minimised stays an icon when the keep-alive brings it to
// the front; the image save shows it, as its picture needs.
TEST_F(Win32Layer, OnlyRestoreToForegroundShowsAMinimisedWindow) {
  OwnedWindow window("STATIC", "東風荘 最小化", WS_VISIBLE);
  ShowWindow(window.get(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window.get()));
  windows.SetForegroundWindow(window.handle());
  EXPECT_TRUE(IsIconic(window.get()));
  windows.RestoreToForeground(window.handle());
  EXPECT_FALSE(IsIconic(window.get()));
}

// ---- The macro editor's key box

// A press with the pointer over `window`'s middle, as the user's mouse makes it.
void PressOver(HWND window, DWORD down_flag, Win32EventLoop& loop) {
  RECT place{};
  GetWindowRect(window, &place);
  SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
  INPUT input{};
  input.type = INPUT_MOUSE;
  for (const DWORD flag : {down_flag, down_flag << 1}) {  // the matching up flag follows each down flag
    input.mi.dwFlags = flag;
    SendInput(1, &input, sizeof input);
    loop.WaitWithMessages(100);
  }
}

// The click that gives the box the focus captures nothing; a press into the
// focused box captures its button, and the secondary one opens no menu.
TEST_F(Win32Layer, MouseButtonsPressedIntoTheFocusedKeyBoxAreCaptured) {
  OwnedWindow form("STATIC", "キー", WS_VISIBLE | WS_CLIPCHILDREN);
  const auto child = [&](int left) {
    return CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_READONLY, left, 10, 100, 24, form.get(), nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  };
  HWND box = child(10);
  HWND other = child(150);
  std::vector<int> captured;
  tamiru::platform::win32::HookKeyDown(H(box), [&](int key) { captured.push_back(key); });
  windows.SetForegroundWindow(form.handle());
  SetFocus(other);
  PressOver(box, MOUSEEVENTF_LEFTDOWN, loop);
  ASSERT_EQ(GetFocus(), box);
  PressOver(box, MOUSEEVENTF_LEFTDOWN, loop);  // soon after the first: a double click
  PressOver(box, MOUSEEVENTF_RIGHTDOWN, loop);
  EXPECT_EQ(captured, (std::vector<int>{0x01, 0x02}));
  const HWND menu = FindWindowA("#32768", nullptr);
  EXPECT_TRUE(menu == nullptr || !IsWindowVisible(menu)) << "a menu is open";
}

// ---- The event loop

int g_timer_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_timer_ticks; }

TEST_F(Win32Layer, TimersFireInsideTheWaitAndTheWaitLastsItsTime) {
  g_timer_ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, CountTick);
  const std::uint32_t start = loop.TickCount();
  loop.WaitWithMessages(500);
  EXPECT_GE(loop.TickCount() - start, 500u);
  KillTimer(nullptr, timer);
  EXPECT_GE(g_timer_ticks, 2);
}

TEST_F(Win32Layer, QuitSeenDuringAWaitIsPostedAgain) {
  PostQuitMessage(7);
  loop.WaitWithMessages(50);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);

  PostQuitMessage(3);
  for (int i = 0; i < 3; ++i) loop.ProcessPendingMessages();
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Win32Layer, BoundedWaitSeesAnAnswerThatArrivesByMessage) {
  OwnedWindow edit("EDIT", "", ES_AUTOHSCROLL);
  windows.SendSetText(edit.handle(), "/w aaa");
  PostMessageA(edit.get(), EM_SETSEL, 0, -1);
  PostMessageA(edit.get(), WM_CLEAR, 0, 0);
  const bool emptied = tamiru::platform::WaitUntil(loop, 2000, [&] {
    return windows.SendMessage(edit.handle(), EM_LINELENGTH, 0, 0) == 0;
  });
  EXPECT_TRUE(emptied);
  windows.SendSetText(edit.handle(), "x");
  EXPECT_FALSE(tamiru::platform::WaitUntil(loop, 100, [&] {
    return windows.SendMessage(edit.handle(), EM_LINELENGTH, 0, 0) == 0;
  }));
}

}  // namespace

namespace {

// The program behind a window is asked of the system: here, this test's own.
TEST_F(Win32Layer, ProgramPathOfAWindowIsItsProcessImage) {
  OwnedWindow window("STATIC", "x", 0);
  char own[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, own, sizeof own);
  EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, windows.ProgramPathOf(window.handle()).c_str(), -1, own, -1),
            CSTR_EQUAL);
  EXPECT_EQ(windows.ProgramPathOf(H(nullptr)), "");
}

}  // namespace

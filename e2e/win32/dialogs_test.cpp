// The common open and save dialogs on real windows: the program's current
// directory, where chat logs and automatically named images go, is the same
// after the dialog whatever the dialog did to it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/system_win32.h"

namespace {

std::string CurrentDirectory() {
  char folder[MAX_PATH * 2] = {};
  GetCurrentDirectoryA(sizeof folder, folder);
  return folder;
}

std::string g_elsewhere;

BOOL CALLBACK CancelDialog(HWND window, LPARAM found) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

// Runs in the dialog's modal loop: moves the current directory as browsing
// to another folder does, then cancels the dialog.
void CALLBACK BrowseAwayAndCancel(HWND, UINT, UINT_PTR timer, DWORD) {
  bool found = false;
  EnumThreadWindows(GetCurrentThreadId(), CancelDialog, reinterpret_cast<LPARAM>(&found));
  if (!found) return;
  SetCurrentDirectoryA(g_elsewhere.c_str());
  KillTimer(nullptr, timer);
}

TEST(FileDialogs, CurrentDirectoryKeptAcrossBothDialogs) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  g_elsewhere = temp;
  const std::string before = CurrentDirectory();
  ASSERT_NE(before, g_elsewhere);
  tamiru::platform::win32::Win32Dialogs dialogs;
  for (const bool save : {false, true}) {
    SetTimer(nullptr, 0, 100, BrowseAwayAndCancel);
    const tamiru::platform::Dialogs::FileDialogRequest request{"テキスト|*.txt", 1, "txt", "", ""};
    const auto chosen = save ? dialogs.ShowSaveDialog(0, request) : dialogs.ShowOpenDialog(0, request);
    EXPECT_FALSE(chosen.has_value()) << save;
    EXPECT_EQ(CurrentDirectory(), before) << save;
  }
}

}  // namespace

namespace {

// The filter's "|" bytes end its parts, but not one that is the second byte
// of a double-byte character ("−" is 0x81 0x7C).
TEST(Win32Dialogs, FilterSeparatorsAreCharactersOnly) {
  using tamiru::platform::win32::DialogFilter;
  EXPECT_EQ(DialogFilter("CSV(*.csv)|*.csv"), std::string("CSV(*.csv)\0*.csv\0\0", 18));
  EXPECT_EQ(DialogFilter("−表|*.x"), std::string("−表\0*.x\0\0", 10));
}

}  // namespace

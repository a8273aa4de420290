// The release package on its first start, as a Windows user meets it. The
// test command unpacks the zip into a fresh folder whose path holds Japanese
// characters, a space and a double-byte character whose second byte is "\"
// (ソ, 83 5C), and names that folder in TAMIRU_PACKAGE_FOLDER; Tamiru\tamiru.exe
// is started there, beside the stand-in, with its own folder as the current
// directory, as a double-click in Explorer starts it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;

constexpr const char* kMainClass = "TForm1";
constexpr const char* kMainCaption = "Tamiru Ver1.52";
constexpr const char* kErrorBoxTitle = "Tamiru";
// The path edits of the settings dialog's "ファイル" page, in their order
// among the dialog's edits: File1, File2, File3, File5, File6.
constexpr int kFirstPathEdit = 6;
constexpr const char* kDefaultListFiles[] = {"friendlist.txt", "ignorelist.txt", "chatlist.txt", "keyword.txt",
                                             "macro.txt"};

// Asked in UTF-16: Wine's GetEnvironmentVariableA cuts a value holding
// double-byte characters to its length in UTF-16 units.
std::string PackageFolder() {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"TAMIRU_PACKAGE_FOLDER", value, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  char bytes[MAX_PATH * 2] = {};
  const int size = WideCharToMultiByte(CP_ACP, 0, value, static_cast<int>(length), bytes, sizeof bytes, nullptr,
                                       nullptr);
  return std::string(bytes, size > 0 ? size : 0);
}

void CloseAndWait(const Session& s, HWND main) {
  PostMessageA(main, WM_CLOSE, 0, 0);
  const auto code = s.WaitForTamiruExit(10000);
  ASSERT_TRUE(code.has_value()) << "Tamiru did not end after WM_CLOSE";
  EXPECT_EQ(*code, 0u);
}

// Opens 設定 and returns the five list paths of its "ファイル" page; the
// dialog is closed again with its close box (the same as キャンセル).
std::vector<std::string> ListPathsInSettings(HWND main) {
  std::vector<std::string> paths;
  // Posted: the click's handler runs the dialog's modal loop.
  EXPECT_TRUE(e2e::PostClick(e2e::FindDescendantByText(main, "設定", "Button")));
  HWND dialog = e2e::WaitForTop("TForm2", "各種設定");
  // Filled by the time it shows over the disabled main window.
  if (dialog == nullptr || !e2e::WaitFor([&] { return IsWindowVisible(dialog) && !IsWindowEnabled(main); })) {
    return paths;
  }
  for (int i = 0; i < 5; ++i) {
    paths.push_back(e2e::TextAsSjis(e2e::FindDescendantByClass(dialog, "Edit", kFirstPathEdit + i)));
  }
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(e2e::WaitForNoTop("TForm2", "各種設定"));
  return paths;
}

// "ログ保存" is the third of the four switches, which all start as OFF.
HWND ChatLogSwitch(HWND main) { return e2e::FindDescendantByText(main, "OFF", "Button", 2); }

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = PackageFolder();
    if (folder_.empty()) GTEST_SKIP() << "TAMIRU_PACKAGE_FOLDER is not set: scripts/test.sh unpacks the package";
    program_folder_ = folder_ + "\\Tamiru";
  }
  std::string folder_;
  std::string program_folder_;
};

TEST_F(PackageTest, FirstStartFromTheUnpackedFolderKeepsEverythingThere) {
  Session s("package_first_start");
  ASSERT_TRUE(s.StartStandin());
  const std::string exe = program_folder_ + "\\tamiru.exe";
  ASSERT_TRUE(s.StartTamiruAt(exe, program_folder_)) << exe;
  // A missing list file shows its error box in place of the main window.
  ASSERT_EQ(e2e::FindTop("#32770", kErrorBoxTitle), nullptr) << "an error box at the first start";
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(e2e::TopWindowsOf(s.TamiruProcessId()).size(), 1u);

  std::vector<std::string> expected;
  for (const char* file : kDefaultListFiles) expected.push_back(program_folder_ + "\\" + file);
  EXPECT_EQ(ListPathsInSettings(main), expected);

  ASSERT_TRUE(e2e::SetTextOf(e2e::FindDescendantByClass(main, "Edit", 1), "ソフト"));
  ASSERT_TRUE(e2e::Click(e2e::FindDescendantByText(main, "追加", "Button")));
  const std::string friends = program_folder_ + "\\friendlist.txt";
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::ReadBytesAt(friends).value_or("") == "ソフト\r\n"; })) << friends;

  ASSERT_TRUE(e2e::Click(ChatLogSwitch(main)));
  const std::string ini = program_folder_ + "\\tamiru.INI";
  ASSERT_FALSE(e2e::ReadBytesAt(ini).has_value()) << "the package ships no INI";
  CloseAndWait(s, main);
  const std::string written = e2e::ReadBytesAt(ini).value_or("");
  EXPECT_NE(written.find("File1=" + friends + "\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find("SaveChatLog=1\r\n"), std::string::npos) << written;

  ASSERT_TRUE(s.StartTamiruAt(exe, program_folder_));
  main = e2e::WaitForTop(kMainClass, kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  // Only the chat log switch was turned on.
  EXPECT_NE(e2e::FindDescendantByText(main, "ON", "Button"), nullptr) << "SaveChatLog=1 not read back";
  EXPECT_EQ(e2e::ItemsAsSjis(e2e::FindDescendantByClass(main, "ListBox", 0), false),
            std::vector<std::string>{"ソフト"});
  CloseAndWait(s, main);
}

TEST_F(PackageTest, StartWithoutTheListFilesNamesTheFullPath) {
  Session s("package_no_lists");
  const std::string bare = folder_ + "\\リスト なし";
  CreateDirectoryA(bare.c_str(), nullptr);
  const std::string exe = bare + "\\tamiru.exe";
  ASSERT_TRUE(CopyFileA((program_folder_ + "\\tamiru.exe").c_str(), exe.c_str(), FALSE));
  DeleteFileA((bare + "\\friendlist.txt").c_str());
  ASSERT_TRUE(s.StartTamiruAt(exe, bare));

  HWND box = e2e::WaitForTop("#32770", kErrorBoxTitle, 15000);
  ASSERT_NE(box, nullptr);
  const std::string message = "ファイル " + bare + "\\friendlist.txt は開けません.";
  EXPECT_NE(e2e::FindDescendantByText(box, message, "Static"), nullptr) << message;
  EXPECT_EQ(e2e::FindTop(kMainClass, kMainCaption), nullptr);
  ASSERT_TRUE(e2e::PostClick(e2e::FindDescendantByClass(box, "Button")));
  const auto code = s.WaitForTamiruExit(10000);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0u);
  DeleteFileA(exe.c_str());
  RemoveDirectoryA(bare.c_str());
}

}  // namespace

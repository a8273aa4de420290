// The list-file writer on the real file system of Windows (under Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/win32/system_win32.h"
#include "text/error.h"

namespace {

std::string TempFolder() {
  char buffer[MAX_PATH];
  GetTempPathA(MAX_PATH, buffer);
  std::string folder = std::string(buffer) + "tamiru_files_test";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

TEST(Win32Files, ReplaceKeepsNothingButTheNewContents) {
  const std::string path = TempFolder() + "\\表示リスト.txt";
  tamiru::platform::WriteListFile(path, {"old", "old2"});
  tamiru::platform::WriteListFile(path, {"新しい"});
  EXPECT_EQ(tamiru::platform::ReadWholeFile(path).value_or(""), "新しい\r\n");
  EXPECT_EQ(GetFileAttributesA((path + ".tmp~").c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(path.c_str());
}

TEST(Win32Files, ReadOnlyTargetIsRefusedAndKept) {
  const std::string path = TempFolder() + "\\readonly.txt";
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  tamiru::platform::WriteListFile(path, {"old"});
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_THROW(tamiru::platform::WriteListFile(path, {"new"}), tamiru::TamiruError);
  EXPECT_EQ(tamiru::platform::ReadWholeFile(path).value_or(""), "old\r\n");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

// Another program holds the target open without delete sharing: the
// replace is tried again over about a second, then refused with the old
// file whole and no temporary file left.
TEST(Win32Files, TargetHeldWithoutDeleteSharingIsRefusedAndKept) {
  const std::string path = TempFolder() + "\\held.txt";
  tamiru::platform::WriteListFile(path, {"old"});
  const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_THROW(tamiru::platform::WriteListFile(path, {"new"}), tamiru::TamiruError);
  CloseHandle(held);
  EXPECT_EQ(tamiru::platform::ReadWholeFile(path).value_or(""), "old\r\n");
  EXPECT_EQ(GetFileAttributesA((path + ".tmp~").c_str()), INVALID_FILE_ATTRIBUTES);
  tamiru::platform::WriteListFile(path, {"new"});  // free again: replaced
  EXPECT_EQ(tamiru::platform::ReadWholeFile(path).value_or(""), "new\r\n");
  DeleteFileA(path.c_str());
}

TEST(Win32Files, TheReplacedFileKeepsItsAttributes) {
  const std::string path = TempFolder() + "\\hidden.txt";
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  tamiru::platform::WriteListFile(path, {"old"});
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
  tamiru::platform::WriteListFile(path, {"new"});
  const DWORD attributes = GetFileAttributesA(path.c_str());
  EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(tamiru::platform::ReadWholeFile(path).value_or(""), "new\r\n");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

// A replace cut short once left its temporary file behind, hidden and
// read-only: the next replace goes through all the same.
TEST(Win32Files, ALeftoverTemporaryFileDoesNotBlockTheNextWrite) {
  const std::string path = TempFolder() + "\\leftover.txt";
  const std::string temp = path + ".tmp~";
  tamiru::platform::WriteListFile(path, {"old"});
  ASSERT_TRUE(CopyFileA(path.c_str(), temp.c_str(), FALSE));
  ASSERT_TRUE(SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  EXPECT_NO_THROW(tamiru::platform::WriteListFile(path, {"new"}));
  EXPECT_EQ(tamiru::platform::ReadWholeFile(path).value_or(""), "new\r\n");
  EXPECT_EQ(GetFileAttributesA(temp.c_str()), INVALID_FILE_ATTRIBUTES);
  SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(temp.c_str());
  DeleteFileA(path.c_str());
}

// The stamp is the file's own: its size and write time as the file system
// has them now.
TEST(Win32Files, StampFollowsTheFile) {
  const std::string path = TempFolder() + "\\stamp.txt";
  DeleteFileA(path.c_str());
  EXPECT_FALSE(tamiru::platform::StampOf(path).exists);
  tamiru::platform::WriteListFile(path, {"12345"});
  const auto first = tamiru::platform::StampOf(path);
  EXPECT_TRUE(first.exists);
  EXPECT_EQ(first.size, 7);
  ASSERT_TRUE(tamiru::platform::AppendToFile(path, "678"));
  EXPECT_EQ(tamiru::platform::StampOf(path).size, 10);
  DeleteFileA(path.c_str());
}

// A file set under Program Files that 64-bit Windows put under Program Files
// (x86) is found there; one that exists where it was set stays.
TEST(Win32Files, InstalledPathFindsTheFileUnderProgramFilesX86) {
  char x86[MAX_PATH] = {};
  char native[MAX_PATH] = {};
  if (GetEnvironmentVariableA("ProgramFiles(x86)", x86, MAX_PATH) == 0) GTEST_SKIP() << "32-bit Windows";
  if (GetEnvironmentVariableA("ProgramW6432", native, MAX_PATH) == 0) GTEST_SKIP() << "no ProgramW6432";
  const std::string folder = std::string(x86) + "\\TamiruTestClient";
  CreateDirectoryA(folder.c_str(), nullptr);
  tamiru::platform::WriteListFile(folder + "\\mjscore.txt", {"x"});
  tamiru::platform::win32::Win32Shell shell;
  const std::string set = std::string(native) + "\\TamiruTestClient\\mjscore.txt";
  EXPECT_EQ(shell.InstalledPath(set), folder + "\\mjscore.txt");
  EXPECT_EQ(shell.InstalledPath("C:\\nowhere\\mjscore.txt"), "C:\\nowhere\\mjscore.txt");
  DeleteFileA((folder + "\\mjscore.txt").c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST(Win32Files, CodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

}  // namespace

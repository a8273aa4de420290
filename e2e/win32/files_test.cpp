// The list-file writer on the real file system of Windows (under Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/files.h"
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

TEST(Win32Files, CodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

}  // namespace

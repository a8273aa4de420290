// Settings on the real file system of Windows (under Wine): Shift_JIS paths,
// and a read-only INI file that refuses the write.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "settings/settings.h"
#include "text/error.h"

namespace {

using namespace tamiru::settings;

std::string Folder() {
  char buffer[MAX_PATH];
  GetTempPathA(MAX_PATH, buffer);
  const std::string folder = std::string(buffer) + "tamiru_設定";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

TEST(ProfileSettings, SaveThenLoadThroughAShiftJisPath) {
  const std::string exe = Folder() + "\\表示ソフト.exe";
  const std::string ini = IniPathFor(exe);
  EXPECT_EQ(ini, Folder() + "\\表示ソフト.INI");
  DeleteFileA(ini.c_str());
  TSettings settings = LoadSettings(ini, ProgramFolder(exe));
  EXPECT_EQ(settings.File1, Folder() + "\\friendlist.txt");
  settings.UserName1 = "雀士";
  SaveSettings(settings, ini, SaveScope::kAll);
  char value[2048];
  GetPrivateProfileStringA("Setting", "UserName1", "", value, sizeof value, ini.c_str());
  EXPECT_STREQ(value, "雀士");
  EXPECT_EQ(LoadSettings(ini, ProgramFolder(exe)), settings);
  DeleteFileA(ini.c_str());
}

TEST(ProfileSettings, ReadOnlyIniRefusesTheWrite) {
  const std::string ini = Folder() + "\\readonly.INI";
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(tamiru::platform::ReplaceFileContents(ini, "[Setting]\r\nMacro=0\r\n"));
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
  TSettings settings;
  settings.Macro = 1;
  try {
    SaveSettings(settings, ini, SaveScope::kDialog);
    ADD_FAILURE() << "no error";
  } catch (const tamiru::TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), ini + " に書き込めません");
  }
  EXPECT_EQ(tamiru::platform::ReadWholeFile(ini), "[Setting]\r\nMacro=0\r\n");
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(ini.c_str());
}

}  // namespace

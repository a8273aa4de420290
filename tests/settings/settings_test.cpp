#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/files_testing.h"
#include "settings/profile.h"
#include "text/error.h"

namespace tamiru::settings {
namespace {

TEST(SettingsPaths, IniPathReplacesTheExtension) {
  EXPECT_EQ(IniPathFor("C:\\Tamiru\\tamiru.exe"), "C:\\Tamiru\\tamiru.INI");
  EXPECT_EQ(IniPathFor("C:\\Tamiru\\tamiru.v2.exe"), "C:\\Tamiru\\tamiru.v2.INI");
  EXPECT_EQ(IniPathFor("C:\\Tools.v2\\tamiru"), "C:\\Tools.v2\\tamiru.INI");
  EXPECT_EQ(IniPathFor("C:tamiru.exe"), "C:tamiru.INI");
  EXPECT_EQ(IniPathFor("D:.exe"), "D:.INI");
  EXPECT_EQ(IniPathFor("C:\\Tamiru\\tamiru."), "C:\\Tamiru\\tamiru.INI");
  // "表" ends in 0x5C, the byte of "\", which must not end the folder.
  EXPECT_EQ(IniPathFor("C:\\Games\\tamiru.表"), "C:\\Games\\tamiru.INI");
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tamiru_settings_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    ini_ = (dir_ / "tamiru.INI").string();
  }
  void TearDown() override {
    platform::InjectWriteFailureAfter(-1);
    std::filesystem::remove_all(dir_);
  }
  void Put(const std::string& bytes) { ASSERT_TRUE(platform::ReplaceFileContents(ini_, bytes)); }
  std::string Contents() { return platform::ReadWholeFile(ini_).value_or("<missing>"); }
  TSettings Load() { return LoadSettings(ini_, "C:\\Tamiru"); }

  std::filesystem::path dir_;
  std::string ini_;
};

TEST_F(SettingsFileTest, NoFileGivesDefaultsAndSaveCreatesAllKeysInOrder) {
  const TSettings settings = Load();
  EXPECT_EQ(settings, DefaultSettings("C:\\Tamiru"));
  SaveSettings(settings, ini_, SaveScope::kAll);
  EXPECT_EQ(Contents(),
            "[Setting]\r\n"
            "UserName1=\r\nUserName2=\r\nUserName3=\r\n"
            "File1=C:\\Tamiru\\friendlist.txt\r\nFile2=C:\\Tamiru\\ignorelist.txt\r\n"
            "File3=C:\\Tamiru\\chatlist.txt\r\nFile4=C:\\Program Files\\MjTonpu\\mjscore.txt\r\n"
            "File5=C:\\Tamiru\\keyword.txt\r\nFile6=C:\\Tamiru\\macro.txt\r\n"
            "AutoConnectTimeInterval=15\r\nAutoWatch=0\r\nAutoWatchTimeInterval=15\r\n"
            "SaveChatLog=0\r\nSaveChatLogTimeInterval=10\r\nChatLogFormat=0\r\n"
            "AutoNameImageFile=0\r\nImageFileFormat=0\r\nTonpuImageNumber=1\r\nTableType=0\r\n"
            "Keyword=0\r\nMacro=0\r\n"
            "[Tamiru]\r\nTrayIcon=1\r\nNotify=0\r\nFriendNotice=0\r\nMinimizeToTray=0\r\n");
  EXPECT_EQ(Load(), settings);
}

TEST_F(SettingsFileTest, IntegerKeysConvertOrFallBack) {
  Put("[setting]\r\n"
      "autoconnecttimeinterval = 0x1E\r\n"
      "AutoWatch=2\r\n"
      "AutoWatchTimeInterval=abc\r\n"
      "SaveChatLog=\"1\"\r\n"
      "SaveChatLogTimeInterval=$A\r\n"
      "ChatLogFormat=-3\r\n"
      "AutoNameImageFile=0x\r\n"
      "ImageFileFormat=99999999999\r\n"
      "TonpuImageNumber=\r\n"
      "TableType=  2  \r\n"
      "Keyword=1 2\r\n"
      "Macro\r\n");
  const TSettings settings = Load();
  EXPECT_EQ(settings.AutoConnectTimeInterval, 30);
  EXPECT_EQ(settings.AutoWatch, 2);  // taken unchanged, no clamping
  EXPECT_EQ(settings.AutoWatchTimeInterval, 15);
  EXPECT_EQ(settings.SaveChatLog, 1);
  EXPECT_EQ(settings.SaveChatLogTimeInterval, 10);
  EXPECT_EQ(settings.ChatLogFormat, -3);
  EXPECT_EQ(settings.AutoNameImageFile, 0);
  EXPECT_EQ(settings.ImageFileFormat, 0);
  EXPECT_EQ(settings.TonpuImageNumber, 1);
  EXPECT_EQ(settings.TableType, 2);
  EXPECT_EQ(settings.Keyword, 0);
  EXPECT_EQ(settings.Macro, 0);
}

TEST_F(SettingsFileTest, PresentEmptyTextIsEmptyNotTheDefault) {
  Put("[Setting]\r\nFile1=\r\nUserName1= 雀士 \r\nFile4=D:\\表\\mjscore.txt\r\n[Other]\r\nFile2=x\r\n");
  const TSettings settings = Load();
  EXPECT_EQ(settings.File1, "");
  EXPECT_EQ(settings.UserName1, "雀士");
  EXPECT_EQ(settings.File4, "D:\\表\\mjscore.txt");
  EXPECT_EQ(settings.File2, "C:\\Tamiru\\ignorelist.txt");
}

TEST_F(SettingsFileTest, DialogSaveWritesSeventeenKeys) {
  Put("; mine\r\n[Setting]\r\nAutoWatch=1\r\nUnknown=keep\r\n\r\n[Other]\r\nA=1\r\n");
  TSettings settings = Load();
  settings.AutoWatch = 0;
  settings.SaveChatLog = 1;
  settings.TonpuImageNumber = 7;
  settings.Keyword = 1;
  settings.UserName1 = "一";
  settings.Macro = 1;
  SaveSettings(settings, ini_, SaveScope::kDialog);
  const std::string file = Contents();
  EXPECT_EQ(file,
            "; mine\r\n[Setting]\r\nAutoWatch=1\r\nUnknown=keep\r\n"
            "UserName1=一\r\nUserName2=\r\nUserName3=\r\n"
            "File1=C:\\Tamiru\\friendlist.txt\r\nFile2=C:\\Tamiru\\ignorelist.txt\r\n"
            "File3=C:\\Tamiru\\chatlist.txt\r\nFile4=C:\\Program Files\\MjTonpu\\mjscore.txt\r\n"
            "File5=C:\\Tamiru\\keyword.txt\r\nFile6=C:\\Tamiru\\macro.txt\r\n"
            "AutoConnectTimeInterval=15\r\nAutoWatchTimeInterval=15\r\nSaveChatLogTimeInterval=10\r\n"
            "ChatLogFormat=0\r\nAutoNameImageFile=0\r\nImageFileFormat=0\r\nTableType=0\r\nMacro=1\r\n"
            "\r\n[Other]\r\nA=1\r\n");
  // The close writes the rest.
  SaveSettings(settings, ini_, SaveScope::kAll);
  EXPECT_EQ(Load(), settings);
}

// The notification-area switches live in their own section: read with the
// same rules, written at the close after the 21 keys, which stay as they
// were for an older version sharing the file.
TEST_F(SettingsFileTest, TamiruSectionKeepsTheSwitchesApartFromSetting) {
  Put("[Tamiru]\r\nNotify=1\r\nTrayIcon=0\r\nFriendNotice=\r\nMinimizeToTray=x\r\n[Setting]\r\nKeyword=1\r\n");
  TSettings settings = Load();
  EXPECT_EQ(settings.Tamiru, (TamiruSwitches{0, 1, 0, 0}));
  EXPECT_EQ(settings.Keyword, 1);
  EXPECT_EQ(DefaultSettings("C:\\").Tamiru, (TamiruSwitches{1, 0, 0, 0}));
  settings.Tamiru = {1, 0, 1, 1};
  SaveSettings(settings, ini_, SaveScope::kDialog);
  EXPECT_NE(Contents().find("TrayIcon=0"), std::string::npos) << "the dialog's OK leaves the switches";
  SaveSettings(settings, ini_, SaveScope::kAll);
  const std::string file = Contents();
  const std::string setting = file.substr(file.find("[Setting]"));
  EXPECT_EQ(std::count(setting.begin(), setting.end(), '='), 21) << setting;
  EXPECT_EQ(file.substr(0, file.find("[Setting]")),
            "[Tamiru]\r\nNotify=0\r\nTrayIcon=1\r\nFriendNotice=1\r\nMinimizeToTray=1\r\n");
  EXPECT_EQ(Load(), settings);
}

TEST_F(SettingsFileTest, SaveAndLoadRoundTrip) {
  TSettings settings = DefaultSettings("C:\\");
  settings.UserName1 = "ソ表";
  settings.UserName2 = "a b";
  settings.File1 = "";
  settings.File3 = "\\\\server\\share\\chat list.txt";
  settings.AutoConnectTimeInterval = -2147483647 - 1;
  settings.TonpuImageNumber = 2147483647;
  settings.SaveChatLogTimeInterval = 0;
  SaveSettings(settings, ini_, SaveScope::kAll);
  EXPECT_EQ(Load(), settings);
  EXPECT_EQ(settings.File2, "C:\\ignorelist.txt");
  // Saving the same record again leaves the file untouched.
  const std::string before = Contents();
  platform::InjectWriteFailureAfter(0);
  SaveSettings(settings, ini_, SaveScope::kAll);
  EXPECT_EQ(Contents(), before);
}

TEST_F(SettingsFileTest, RefusedWriteStopsWithTheMessageAndKeepsEarlierKeys) {
  // Room for the header and the three user names (47 bytes), not for File1.
  platform::InjectWriteFailureAfter(47);
  try {
    SaveSettings(DefaultSettings("C:\\Tamiru"), ini_, SaveScope::kAll);
    FAIL() << "no error";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), ini_ + " に書き込めません");
  }
  EXPECT_EQ(Contents(), "[Setting]\r\nUserName1=\r\nUserName2=\r\nUserName3=\r\n");
}

TEST_F(SettingsFileTest, UnreadableIniIsRefusedNotReplaced) {
  std::filesystem::create_directories(ini_);
  EXPECT_EQ(Load(), DefaultSettings("C:\\Tamiru"));
  EXPECT_THROW(SaveSettings(Load(), ini_, SaveScope::kAll), TamiruError);
  EXPECT_TRUE(std::filesystem::is_directory(ini_));
}

TEST_F(SettingsFileTest, HostileFilesGiveSensibleValues) {
  // Binary garbage with NUL bytes around a real section.
  std::string garbage;
  unsigned state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1103515245u + 12345u;
    garbage += static_cast<char>(state >> 16);
  }
  using std::string_literals::operator""s;
  Put(garbage + "\r\n[Setting]\r\nMacro=1\0\r\nFile1="s + std::string(5 * 1024 * 1024, 'p') + "\r\n" + garbage);
  TSettings settings = Load();
  EXPECT_EQ(settings.Macro, 1);
  EXPECT_EQ(settings.File1, std::string(2047, 'p'));
  SaveSettings(settings, ini_, SaveScope::kAll);
  EXPECT_EQ(Load(), settings);
}

TEST_F(SettingsFileTest, HundredMegabyteIni) {
  {
    std::FILE* file = std::fopen(ini_.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    // A real section, then 100 MB of long key lines in it, the last one
    // without a line end.
    const std::string head = "[Setting]\r\nMacro=1\r\n";
    std::fwrite(head.data(), 1, head.size(), file);
    std::string block;
    for (int i = 0; block.size() < (1 << 20); ++i) block += "Key" + std::to_string(i) + "=" + std::string(4000, 'v') + "\r\n";
    block.resize(1 << 20);
    for (int i = 0; i < 100; ++i) std::fwrite(block.data(), 1, block.size(), file);
    std::fclose(file);
  }
  const TSettings settings = Load();
  EXPECT_EQ(settings.Macro, 1);
  EXPECT_EQ(settings.File1, "C:\\Tamiru\\friendlist.txt");
}

}  // namespace
}  // namespace tamiru::settings

#include "text/path.h"

#include <gtest/gtest.h>

#include <string>

namespace tamiru::text {
namespace {

// Each path's folder by both rules and its file name. "ソ" is 0x83 0x5C and
// "表" 0x95 0x5C: their second byte is never a separator.
TEST(Path, FolderAndFileName) {
  struct Case {
    const char* path;
    const char* folder;          // FolderOf
    const char* up_to_last;      // FolderUpToLastSeparator
    const char* name;            // FileNameOf
  };
  const Case cases[] = {
      {"C:\\Program Files\\MjTonpu\\mjscore.txt", "C:\\Program Files\\MjTonpu", "C:\\Program Files\\MjTonpu", "mjscore.txt"},
      {"C:\\Tamiru\\tamiru.exe", "C:\\Tamiru", "C:\\Tamiru", "tamiru.exe"},
      {"C:\\mjscore.txt", "C:\\", "C:\\", "mjscore.txt"},  // a drive root keeps its "\"
      {"C:\\", "C:\\", "C:\\", ""},
      {"C:", "C:", "C:", ""},
      {"C:mjscore.txt", "C:", "C:", "mjscore.txt"},
      {"mjscore.txt", "", "", "mjscore.txt"},
      {"", "", "", ""},
      {"\\mjscore.txt", "", "", "mjscore.txt"},
      {"\\\\server\\share\\mjscore.txt", "\\\\server\\share", "\\\\server\\share", "mjscore.txt"},
      {"\\\\server\\share\\", "\\\\server\\share", "\\\\server\\share", ""},
      {"\\\\server", "\\", "\\\\", "server"},
      {"\\\\?\\C:\\Tamiru\\tamiru.exe", "\\\\?\\C:\\Tamiru", "\\\\?\\C:\\Tamiru", "tamiru.exe"},
      {"C:\\games\\", "C:\\games", "C:\\games", ""},
      // A "\" after another stays only by the last-separator rule.
      {"C:\\games\\\\mjscore.txt", "C:\\games\\", "C:\\games\\\\", "mjscore.txt"},
      // A ":" after the last "\" ends the folder only by the last-separator rule.
      {"C:\\a\\b:c", "C:\\a", "C:\\a\\b:", "b:c"},
      {"C:/games/mjscore.txt", "C:", "C:", "/games/mjscore.txt"},
      {"C:\\ゲーム\\表.exe", "C:\\ゲーム", "C:\\ゲーム", "表.exe"},
      {"C:\\表\\mjscore.txt", "C:\\表", "C:\\表", "mjscore.txt"},
      {"C:\\ソフト\\mjscore.txt", "C:\\ソフト", "C:\\ソフト", "mjscore.txt"},
      {"C:\\dir\\表", "C:\\dir", "C:\\dir", "表"},
      {"C:\\ソ\\表\\", "C:\\ソ\\表", "C:\\ソ\\表", ""},
      {"C:\\表", "C:\\", "C:\\", "表"},
      {"表", "", "", "表"},
      {"表\\", "表", "表", ""},
      {"C:\\dir\\\x95", "C:\\dir", "C:\\dir", "\x95"},  // a cut-off lead byte at the end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
    EXPECT_EQ(FolderUpToLastSeparator(c.path), c.up_to_last) << c.path;
    EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
  }
}

TEST(Path, JoinAddsOneSeparator) {
  const char* const cases[][3] = {{"C:\\Tamiru", "friendlist.txt", "C:\\Tamiru\\friendlist.txt"},
                                  {"C:\\", "friendlist.txt", "C:\\friendlist.txt"},
                                  {"C:\\表", "macro.txt", "C:\\表\\macro.txt"},
                                  {"C:\\ソ\\", "macro.txt", "C:\\ソ\\macro.txt"},
                                  {"C:", "call.wav", "C:\\call.wav"},
                                  {"", "call.wav", "\\call.wav"}};
  for (const auto& c : cases) EXPECT_EQ(JoinPath(c[0], c[1]), c[2]) << c[0];
}

}  // namespace
}  // namespace tamiru::text

// The path helpers held against the three rules they replace, on the paths
// real users have.
#include <gtest/gtest.h>

#include <string>

#include "game/auto_connect.h"
#include "settings/settings.h"
#include "text/path.h"

namespace tamiru::text {
namespace {

// The settings dialog's old split of a chosen path.
void OldSplitPath(const std::string& path, std::string& folder, std::string& name) {
  folder = settings::ProgramFolder(path);
  std::size_t start = folder.size();
  if (start < path.size() && path[start] == '\\') ++start;
  name = path.substr(start);
}

TEST(PathAgainstOld, SameAnswers) {
  const char* paths[] = {"C:\\Program Files\\MjTonpu\\mjscore.txt", "C:\\mjscore.txt", "D:\\", "C:\\", "C:",
                         "C:mjscore.txt", "mjscore.txt", "", "\\\\server\\share\\mjscore.txt", "\\\\server\\share",
                         "\\\\server\\share\\", "\\\\server", "\\\\", "\\mjscore.txt", "\\", "C:\\games\\",
                         "C:\\games\\\\mjscore.txt", "C:\\games\\\\", "C:\\ソフト\\mjscore.txt",
                         "C:\\表\\mjscore.txt", "C:\\dir\\表", "C:\\ゲーム\\表.exe", "C:\\ソ\\表\\", "表\\", "ソ",
                         "C:\\dir\\\x95", "C:\\表", "表", "C:\\a\\b:c", "\\\\?\\C:\\Tamiru\\tamiru.exe",
                         "C:/games/mjscore.txt", "Z:\\home\\user\\東風\\tamiru.exe", "C:\\ソ:表\\x"};
  for (const std::string path : paths) {
    std::string folder, name;
    OldSplitPath(path, folder, name);
    const bool program_same = FolderOf(path) == settings::ProgramFolder(path);
    const bool client_same = FolderUpToLastSeparator(path) == game::ClientFolder(path);
    const bool name_same = FileNameOf(path) == name;
    const bool join_same = JoinPath(path, "a.txt") == settings::PathInFolder(path, "a.txt");
    EXPECT_TRUE(program_same && client_same && name_same && join_same) << path;
  }
}

}  // namespace
}  // namespace tamiru::text

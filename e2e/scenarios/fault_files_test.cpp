// tamiru.exe with files and folders that refuse to be written: every list
// file read-only or held open by another program without sharing when its
// list is edited, the chat log's folder refusing writes while logging is
// on, and the INI refused at close. The old file stays whole, the change
// stays on the screen, and only the failures the user must know of are shown.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;
using Items = std::vector<std::string>;

constexpr const char* kMainClass = "TForm1";
constexpr const char* kMainCaption = "Tamiru Ver1.52";

HWND MainWindow() { return e2e::WaitForTop(kMainClass, kMainCaption, 15000); }


HWND FriendList(HWND main) { return e2e::FindDescendantByClass(main, "ListBox", 0); }
HWND Edit2(HWND main) { return e2e::FindDescendantByClass(main, "Edit", 0); }
HWND FriendEdit(HWND main) { return e2e::FindDescendantByClass(main, "Edit", 1); }
HWND ChatLine(HWND main) { return e2e::FindDescendantByClass(main, "ComboBox"); }

class FaultFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  }
};

// ---- list files ----

enum class Refusal { kReadOnly, kHeld };

// One edit of a list: the file it writes, what the user does in pass 0 or
// 1, and the items the screen shows of that list (none: the list has no
// control of its own).
struct ListEdit {
  const char* name;
  const char* file;
  std::function<void(HWND main, int pass)> act;
  std::function<Items(HWND main)> shown;
  bool in_dialog = false;  // shown only by the dialog that `act` opens
};

Items Friends(HWND main) { return e2e::ItemsAsSjis(FriendList(main), false); }
Items Phrases(HWND main) { return e2e::ItemsAsSjis(ChatLine(main), true); }

// The macro page's delete of the shown entry, in the settings dialog; what
// it shows is the page's count of entries, read before the dialog is left.
void DeleteShownMacro(HWND main, int) {
  ASSERT_TRUE(e2e::PostClick(e2e::FindDescendantByText(main, "設定", "Button")));
  HWND dialog = e2e::WaitForTop("TForm2", "各種設定");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(dialog) && !IsWindowEnabled(main); }));
  ASSERT_TRUE(e2e::Click(e2e::ButtonNamed(dialog, "次")));
  ASSERT_TRUE(e2e::PostClick(e2e::ButtonNamed(dialog, "削除")));
}

Items MacroCount(HWND) {
  HWND dialog = e2e::FindTop("TForm2", "各種設定");
  if (!dialog) return {};
  const std::vector<HWND> controls = e2e::Descendants(dialog);
  Items count;
  for (std::size_t i = 0; i + 1 < controls.size(); ++i) {
    if (e2e::TextOf(controls[i]) == "現在の登録数：") count.push_back(e2e::TextOf(controls[i + 1]));
  }
  e2e::PostClick(e2e::ButtonNamed(dialog, "キャンセル"));
  e2e::WaitForNoTop("TForm2", "各種設定");
  return count;
}

std::vector<ListEdit> ListEdits() {
  return {
      {"friend add", "friendlist.txt",
       [](HWND main, int pass) {
         e2e::SetTextOf(FriendEdit(main), "added" + std::to_string(pass));
         e2e::PostClick(e2e::ButtonNamed(main, "追加", 0));
       },
       Friends},
      {"friend delete", "friendlist.txt",
       [](HWND main, int) {
         e2e::SendBounded(FriendList(main), LB_SETCURSEL, 0, 0);
         e2e::PostClick(e2e::ButtonNamed(main, "削除", 0));
       },
       Friends},
      {"friend drop", "friendlist.txt", [](HWND main, int) { e2e::DragRow(FriendList(main), 0, 2); }, Friends},
      {"phrase add", "chatlist.txt",
       [](HWND main, int pass) {
         e2e::SetTextOf(ChatLine(main), "新しい一言" + std::to_string(pass));
         e2e::PostClick(e2e::ButtonNamed(main, "追加", 1));
       },
       Phrases},
      {"phrase delete", "chatlist.txt",
       [](HWND main, int) {
         e2e::SetTextOf(ChatLine(main), Phrases(main).front());
         e2e::PostClick(e2e::ButtonNamed(main, "削除", 1));
       },
       Phrases},
      {"keyword add", "keyword.txt",
       [](HWND main, int pass) {
         e2e::SetTextOf(Edit2(main), "ツモ" + std::to_string(pass));
         e2e::PostClick(e2e::ButtonNamed(main, "↓追加"));
       },
       nullptr},
      {"ignore add", "ignorelist.txt",
       [](HWND main, int pass) {
         e2e::SetTextOf(Edit2(main), "troll" + std::to_string(pass));
         e2e::PostClick(e2e::ButtonNamed(main, "/i 追加"));
       },
       nullptr},
      {"macro delete", "macro.txt", DeleteShownMacro, MacroCount, true},
  };
}

void WriteListFiles(const Session& s) {
  ASSERT_TRUE(s.WriteFile("friendlist.txt", "aaa\r\nbbb\r\nccc\r\n"));
  ASSERT_TRUE(s.WriteFile("chatlist.txt", "よろしく\r\nおつかれさま\r\n"));
  ASSERT_TRUE(s.WriteFile("keyword.txt", "ロン\r\n"));
  ASSERT_TRUE(s.WriteFile("ignorelist.txt", "spam\r\n"));
  ASSERT_TRUE(s.WriteFile("macro.txt", "7B 0 0 0 /Hide \r\n7A 0 0 0 /List \r\n"));
  ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\n"));
}

// Each edit with its file read-only, then held open without sharing by
// another program (this one): the error names the file, the file keeps its
// bytes, the screen keeps the change. The ignore add reads its file first,
// so a held file stops it at the open.
TEST_F(FaultFilesTest, EveryListEditWithItsFileRefusedKeepsTheOldFileAndTheChange) {
  Session s("fault_lists");
  WriteListFiles(s);
  ASSERT_TRUE(s.StartStandin("show table\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(e2e::BringToFront(main));

  for (const Refusal refusal : {Refusal::kReadOnly, Refusal::kHeld}) {
    const int pass = refusal == Refusal::kHeld;
    for (const ListEdit& edit : ListEdits()) {
      const std::string path = s.PathOf(edit.file);
      SCOPED_TRACE(std::string(edit.name) + (pass ? ", held" : ", read-only"));
      const std::string before = s.ReadFile(edit.file).value_or("?");
      const Items shown_before = edit.shown && !edit.in_dialog ? edit.shown(main) : Items{};
      std::optional<e2e::HeldFile> holder;
      if (pass) {
        holder.emplace(path);
        ASSERT_TRUE(holder->held());
      } else {
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
      }
      edit.act(main, pass);
      const bool opened_first = pass && std::string(edit.file) == "ignorelist.txt";
      const std::string message = "ファイル " + path + (opened_first ? " は開けません." : " を作成できません.");
      const auto box = e2e::TakeErrorBox();
      ASSERT_TRUE(box.has_value());
      EXPECT_NE(box->find(message), std::string::npos) << *box;
      holder.reset();
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      EXPECT_EQ(s.ReadFile(edit.file).value_or("<gone>"), before);
      if (edit.in_dialog) {
        EXPECT_EQ(edit.shown(main), Items{pass ? "0" : "1"});
      } else if (edit.shown) {
        EXPECT_NE(edit.shown(main), shown_before) << "the change stays on the screen";
      }
    }
  }
  // The next write that goes through writes the list as the screen shows it.
  ASSERT_TRUE(e2e::SetTextOf(FriendEdit(main), "last"));
  ASSERT_TRUE(e2e::Click(e2e::ButtonNamed(main, "追加", 0)));
  std::string expected;
  for (const std::string& name : Friends(main)) expected += name + "\r\n";
  EXPECT_NE(expected.find("added1\r\n"), std::string::npos);
  EXPECT_EQ(s.ReadFile("friendlist.txt").value_or(""), expected);
  EXPECT_FALSE(s.FileExists("friendlist.txt.tmp~"));
}

// ---- the chat log ----

std::string Record(const std::string& name, const std::string& text) {
  return name + ">" + std::string(13 - name.size(), ' ') + text + "\r\n";
}

// Waits over two Timer2 periods (3 s each), so that at least one capture
// has run.
void TwoCaptures() { Sleep(6500); }

TEST_F(FaultFilesTest, ChatLogFolderThatRefusesWritesLosesOnlyThoseCapturesAndShowsNothing) {
  Session s("fault_chatlog");
  ASSERT_TRUE(s.WriteFile("friendlist.txt", ""));
  ASSERT_TRUE(s.WriteFile("chatlist.txt", ""));
  ASSERT_TRUE(s.WriteFile("keyword.txt", "ロン\r\n"));
  ASSERT_TRUE(s.WriteFile("macro.txt", ""));
  ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\nSaveChatLog=1\r\nKeyword=1\r\nSaveChatLogTimeInterval=3\r\n"
                                        "ChatLogFormat=0\r\n"));
  ASSERT_TRUE(s.StartStandin("show room\n"));
  ASSERT_TRUE(s.Command("clear room"));
  const std::string log = e2e::MonthLogName();
  std::string expected;
  ASSERT_TRUE(s.StartTamiru());
  {
    // No log yet, and the folder takes no new file.
    e2e::WriteRefusal refused({s.Folder()});
    ASSERT_TRUE(refused.ok());
    ASSERT_TRUE(s.Command("say room aaa lost ロン"));
    ASSERT_TRUE(s.Command("say room bbb lost too"));
    TwoCaptures();
    EXPECT_FALSE(s.FileExists(log));
  }
  ASSERT_TRUE(s.Command("say room ccc first"));
  expected += Record("ccc", "first");
  e2e::WaitFor([&] { return s.ReadFile(log).value_or("") == expected; }, 10000);
  ASSERT_EQ(s.ReadFile(log).value_or(""), expected);
  {
    // The log there, the folder and the log refusing writes.
    e2e::WriteRefusal refused({s.Folder(), s.PathOf(log)});
    ASSERT_TRUE(refused.ok());
    ASSERT_TRUE(s.Command("say room ddd lost ロン"));
    TwoCaptures();
  }
  EXPECT_EQ(s.ReadFile(log).value_or(""), expected);
  ASSERT_TRUE(s.Command("say room eee back"));
  expected += Record("eee", "back");
  e2e::WaitFor([&] { return s.ReadFile(log).value_or("") == expected; }, 10000);
  EXPECT_EQ(s.ReadFile(log).value_or(""), expected) << "each line once, from the capture after the refusal";
  EXPECT_EQ(e2e::FindTop("#32770", "Tamiru"), nullptr);
}

// ---- the INI at close ----

// The INI refused at close in three ways: read-only, held without sharing,
// and its folder taking no new file (the new INI is written beside it
// first). Each time the message names the INI, the old file stays whole and
// the program still ends.
TEST_F(FaultFilesTest, IniRefusedAtCloseIsReportedAndKeepsTheOldFile) {
  const std::string ini = "[Setting]\r\nAutoConnectTimeInterval=7\r\n";
  for (const char* way : {"read-only", "held", "folder"}) {
    SCOPED_TRACE(way);
    Session s(std::string("fault_ini_") + (way[0] == 'r' ? "readonly" : way));
    WriteListFiles(s);
    ASSERT_TRUE(s.WriteFile("tamiru.INI", ini));
    ASSERT_TRUE(s.StartTamiru());
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const std::string path = s.PathOf("tamiru.INI");
    std::optional<e2e::HeldFile> holder;
    std::optional<e2e::WriteRefusal> folder;
    if (way[0] == 'r') {
      ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    } else if (way[0] == 'h') {
      holder.emplace(path);
    } else {
      folder.emplace(std::vector<std::string>{s.Folder()});
      ASSERT_TRUE(folder->ok());
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    const auto box = e2e::TakeErrorBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_NE(box->find(path + " に書き込めません."), std::string::npos) << *box;
    EXPECT_TRUE(s.WaitForTamiruExit(10000).has_value());
    holder.reset();
    folder.reset();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(s.ReadFile("tamiru.INI").value_or("<gone>"), ini);
  }
}

}  // namespace

// The lists of tamiru.exe beside the stand-in client: friends added, deleted
// and reordered by a real mouse drag with the file checked after each step,
// the name commands in the order the client receives them, the phrase list,
// a refused write, and the time an add, a delete and a drop take on a long list.
#include <gtest/gtest.h>

#include <cstdio>
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
constexpr int kLargeList = 100000;

void WriteListFiles(const Session& s, const std::string& friends, const std::string& phrases = {},
                    const std::string& ignored = {}) {
  ASSERT_TRUE(s.WriteFile("friendlist.txt", friends));
  ASSERT_TRUE(s.WriteFile("chatlist.txt", phrases));
  ASSERT_TRUE(s.WriteFile("ignorelist.txt", ignored));
  ASSERT_TRUE(s.WriteFile("keyword.txt", ""));
  ASSERT_TRUE(s.WriteFile("macro.txt", ""));
}

HWND MainWindow() { return e2e::WaitForTop(kMainClass, kMainCaption, 15000); }

HWND FriendList(HWND main) { return e2e::FindDescendantByClass(main, "ListBox", 0); }
HWND SelectionList(HWND main) { return e2e::FindDescendantByClass(main, "ListBox", 1); }
// Edit2 (ignore and keywords) is made before Edit1 (friends).
HWND IgnoreEdit(HWND main) { return e2e::FindDescendantByClass(main, "Edit", 0); }
HWND FriendEdit(HWND main) { return e2e::FindDescendantByClass(main, "Edit", 1); }
HWND ChatLine(HWND main) { return e2e::FindDescendantByClass(main, "ComboBox"); }

bool FileHolds(const Session& s, const char* file, const std::string& bytes) {
  return e2e::WaitFor([&] { return s.ReadFile(file).value_or("?") == bytes; }, 5000);
}

// The user chooses a phrase of the drop-down list: selected, and the owner
// told as the combo box tells it when the user picks an item.
void ChoosePhrase(HWND combo, int index) {
  e2e::SendBounded(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  e2e::SendBounded(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
}

using e2e::ButtonNamed;
using e2e::DragRow;
using e2e::MouseButton;
using e2e::MouseTo;
using e2e::RowPoint;

class ListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  }
};

TEST_F(ListsTest, FriendsAreAddedDeletedAndReorderedByTheMouseWithTheFileWrittenEachTime) {
  Session s("lists_friends");
  WriteListFiles(s, "aaa\r\nbbb\r\nccc\r\nddd\r\neee");
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  HWND friends = FriendList(main);

  e2e::SendBounded(friends, LB_SETCURSEL, 2, 0);
  ASSERT_TRUE(e2e::SetTextOf(FriendEdit(main), "東風"));
  ASSERT_TRUE(e2e::Click(ButtonNamed(main, "追加")));
  EXPECT_TRUE(FileHolds(s, "friendlist.txt", "aaa\r\nbbb\r\n東風\r\nccc\r\nddd\r\neee\r\n"));
  EXPECT_EQ(e2e::TextOf(FriendEdit(main)), "");

  e2e::SendBounded(friends, LB_SETCURSEL, 0, 0);
  ASSERT_TRUE(e2e::Click(ButtonNamed(main, "削除")));
  EXPECT_TRUE(FileHolds(s, "friendlist.txt", "bbb\r\n東風\r\nccc\r\nddd\r\neee\r\n"));

  SetForegroundWindow(main);
  Sleep(200);
  DragRow(friends, 0, 3);
  EXPECT_TRUE(FileHolds(s, "friendlist.txt", "東風\r\nccc\r\nddd\r\nbbb\r\neee\r\n"))
      << s.ReadFile("friendlist.txt").value_or("(none)");
  EXPECT_EQ(e2e::ItemsAsSjis(friends, false), (Items{"東風", "ccc", "ddd", "bbb", "eee"}));
  EXPECT_EQ(e2e::SendBounded(friends, LB_GETCURSEL, 0, 0), 3);

  // Upwards: the item lands before the one it was dropped on.
  DragRow(friends, 4, 1);
  EXPECT_TRUE(FileHolds(s, "friendlist.txt", "東風\r\neee\r\nccc\r\nddd\r\nbbb\r\n"))
      << s.ReadFile("friendlist.txt").value_or("(none)");

  // A click without movement is a click: nothing moves, nothing is written.
  ASSERT_TRUE(s.WriteFile("friendlist.txt", "marker\r\n"));
  MouseTo(RowPoint(friends, 2));
  MouseButton(true);
  MouseButton(false);
  Sleep(300);
  EXPECT_EQ(s.ReadFile("friendlist.txt").value_or(""), "marker\r\n");
  EXPECT_EQ(e2e::SendBounded(friends, LB_GETCURSEL, 0, 0), 2);

  // A drag from the selection list onto the friend list drops nothing.
  ASSERT_TRUE(e2e::Click(ButtonNamed(main, "all")));
  const POINT from = RowPoint(SelectionList(main), 0);
  const POINT to = RowPoint(friends, 2);
  MouseTo(from);
  MouseButton(true);
  for (int i = 1; i <= 8; ++i) MouseTo({from.x + (to.x - from.x) * i / 8, from.y + (to.y - from.y) * i / 8});
  MouseButton(false);
  Sleep(300);
  EXPECT_EQ(s.ReadFile("friendlist.txt").value_or(""), "marker\r\n");
  EXPECT_EQ(e2e::ItemsAsSjis(friends, false), (Items{"東風", "eee", "ccc", "ddd", "bbb"}));
}

TEST_F(ListsTest, WhereRankIgnoreAndIgnoreAllReachTheClientInOrder) {
  Session s("lists_commands");
  WriteListFiles(s, "aaa\r\nbbb\r\n", "", "spam\r\n");
  ASSERT_TRUE(s.StartStandin("show table\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);

  ASSERT_TRUE(e2e::Click(ButtonNamed(main, "all")));
  EXPECT_EQ(e2e::ItemsAsSjis(SelectionList(main), false), (Items{"aaa", "bbb"}));
  ASSERT_TRUE(e2e::PostClick(ButtonNamed(main, "/w")));
  ASSERT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/w bbb"), 20000));
  ASSERT_TRUE(e2e::PostClick(ButtonNamed(main, "/r")));
  ASSERT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/r bbb"), 20000));

  ASSERT_TRUE(e2e::SetTextOf(IgnoreEdit(main), "荒らし"));
  ASSERT_TRUE(e2e::PostClick(ButtonNamed(main, "/i 追加")));
  ASSERT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/i 荒らし"), 20000));
  EXPECT_TRUE(FileHolds(s, "ignorelist.txt", "spam\r\n荒らし\r\n"));
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(IgnoreEdit(main)).empty(); }));

  ASSERT_TRUE(e2e::PostClick(ButtonNamed(main, "all /i")));
  ASSERT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/i 荒らし"), 20000));
  EXPECT_TRUE(e2e::WaitFor([&] { return s.SentLines("table").size() >= 7; }, 20000));
  EXPECT_EQ(s.SentLines("table"),
            (Items{"/w aaa", "/w bbb", "/r aaa", "/r bbb", "/i 荒らし", "/i spam", "/i 荒らし"}));
}

TEST_F(ListsTest, PhrasesAreAddedChosenAndRemovedWithTheFileWrittenEachTime) {
  Session s("lists_phrases");
  WriteListFiles(s, "", "A\r\nB\r\nC\r\n");
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  HWND line = ChatLine(main);

  ASSERT_TRUE(e2e::SetTextOf(line, "よろしく"));
  ASSERT_TRUE(e2e::Click(ButtonNamed(main, "追加", 1)));
  EXPECT_TRUE(FileHolds(s, "chatlist.txt", "A\r\nB\r\nC\r\nよろしく\r\n"));
  EXPECT_EQ(e2e::TextOf(line), "");

  ChoosePhrase(line, 1);
  EXPECT_EQ(e2e::TextOf(line), "B");
  ASSERT_TRUE(e2e::SetTextOf(line, "X"));
  ASSERT_TRUE(e2e::Click(ButtonNamed(main, "追加", 1)));
  EXPECT_TRUE(FileHolds(s, "chatlist.txt", "A\r\nX\r\nB\r\nC\r\nよろしく\r\n"));

  ASSERT_TRUE(e2e::SetTextOf(line, "B"));
  ASSERT_TRUE(e2e::Click(ButtonNamed(main, "削除", 1)));
  EXPECT_TRUE(FileHolds(s, "chatlist.txt", "A\r\nX\r\nC\r\nよろしく\r\n"));
  EXPECT_EQ(e2e::ItemsAsSjis(line, true), (Items{"A", "X", "C", "よろしく"}));
}

TEST_F(ListsTest, ARefusedWriteIsShownAndTheOldFileAndTheNewListStay) {
  Session s("lists_readonly");
  WriteListFiles(s, "aaa\r\n");
  ASSERT_TRUE(SetFileAttributesA(s.PathOf("friendlist.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);

  ASSERT_TRUE(e2e::SetTextOf(FriendEdit(main), "bbb"));
  ASSERT_TRUE(e2e::PostClick(ButtonNamed(main, "追加")));
  HWND box = e2e::WaitForTop("#32770", "Tamiru", 10000);
  ASSERT_NE(box, nullptr);
  const std::string expected = "ファイル " + s.PathOf("friendlist.txt") + " を作成できません.";
  bool named = false;
  for (HWND window : e2e::Descendants(box)) named = named || e2e::TextOf(window) == expected;
  EXPECT_TRUE(named) << expected;
  ASSERT_TRUE(e2e::PostClick(e2e::FindDescendantByClass(box, "Button")));
  EXPECT_TRUE(e2e::WaitForNoTop("#32770", "Tamiru"));
  EXPECT_EQ(s.ReadFile("friendlist.txt").value_or(""), "aaa\r\n");
  EXPECT_EQ(e2e::ItemsAsSjis(FriendList(main), false), (Items{"aaa", "bbb"}));
  SetFileAttributesA(s.PathOf("friendlist.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The measurement: 100,000 names, then one friend added at the top, deleted
// again, and one name dragged, each timed from the click or the release to
// the file written whole with the change. The times are printed.
TEST_F(ListsTest, OnALongListAnAddADeleteAndADropEachWriteTheWholeFile) {
  Session s("lists_large");
  std::string names;
  names.reserve(kLargeList * 12);
  char name[16];
  for (int i = 0; i < kLargeList; ++i) {
    std::snprintf(name, sizeof name, "p%06d\r\n", i);
    names += name;
  }
  WriteListFiles(s, names);
  const DWORD started = GetTickCount();
  ASSERT_TRUE(s.StartTamiru(60000));
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  HWND friends = FriendList(main);
  // Loaded once the window answers with the whole list.
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::SendBounded(friends, LB_GETCOUNT, 0, 0) == kLargeList; }, 60000));
  const DWORD loaded = GetTickCount() - started;

  // The file is opened only once its size or time has changed: a reader
  // that holds it open while Tamiru replaces it makes the replacement fail,
  // and reading a 1 MB file over and over would do that sooner or later.
  const std::string path = s.PathOf("friendlist.txt");
  const auto stamp = [&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::string();
    return std::string(reinterpret_cast<const char*>(&data.ftLastWriteTime), sizeof data.ftLastWriteTime) +
           std::to_string(data.nFileSizeLow);
  };
  std::string last_stamp = stamp();
  std::optional<std::string> file;
  const auto file_starts_with = [&](const std::string& head) {
    return e2e::WaitFor(
        [&] {
          const std::string now = stamp();
          if (now == last_stamp) return false;
          last_stamp = now;
          file = s.ReadFile("friendlist.txt");
          return file.has_value() && file->rfind(head, 0) == 0;
        },
        60000);
  };

  e2e::SendBounded(friends, LB_SETCURSEL, 0, 0);
  ASSERT_TRUE(e2e::SetTextOf(FriendEdit(main), "newcomer"));
  DWORD before = GetTickCount();
  ASSERT_TRUE(e2e::PostClick(ButtonNamed(main, "追加")));
  ASSERT_TRUE(file_starts_with("newcomer\r\np000000\r\n"));
  const DWORD add_ms = GetTickCount() - before;
  EXPECT_EQ(file->size(), names.size() + 10);
  EXPECT_EQ(e2e::SendBounded(friends, LB_GETCOUNT, 0, 0), kLargeList + 1);

  e2e::SendBounded(friends, LB_SETCURSEL, 0, 0);
  before = GetTickCount();
  ASSERT_TRUE(e2e::PostClick(ButtonNamed(main, "削除")));
  ASSERT_TRUE(file_starts_with("p000000\r\n"));
  const DWORD delete_ms = GetTickCount() - before;
  EXPECT_EQ(*file, names);

  // Row 0 dragged onto row 3 by the real mouse: it lands after p000003.
  e2e::SendBounded(friends, LB_SETCURSEL, 0, 0);
  SetForegroundWindow(main);
  Sleep(200);
  const POINT from = RowPoint(friends, 0);
  const POINT to = RowPoint(friends, 3);
  MouseTo(from);
  MouseButton(true);
  for (int i = 1; i <= 8; ++i) MouseTo({from.x, from.y + (to.y - from.y) * i / 8});
  Sleep(100);
  before = GetTickCount();
  MouseButton(false);
  ASSERT_TRUE(file_starts_with("p000001\r\np000002\r\np000003\r\np000000\r\np000004\r\n"));
  const DWORD drop_ms = GetTickCount() - before;
  EXPECT_EQ(file->size(), names.size());

  std::printf("[ lists ] %d names: start %lu ms; file written after an add %lu ms, a delete %lu ms, a drop %lu ms\n",
              kLargeList, static_cast<unsigned long>(loaded), static_cast<unsigned long>(add_ms),
              static_cast<unsigned long>(delete_ms), static_cast<unsigned long>(drop_ms));
}

}  // namespace

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "lists/list_drag.h"
#include "lists/name_lists.h"
#include "lists/phrase_list.h"
#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_event_loop.h"
#include "platform/files_testing.h"
#include "text/error.h"
#include "text/list_file.h"

namespace tamiru::lists {
namespace {

using Lines = std::vector<std::string>;
using platform::fake::FakeComboBox;
using platform::fake::FakeEdit;
using platform::fake::FakeListBox;

class RecordingShell : public platform::Shell {
 public:
  struct Call {
    platform::WindowHandle owner;
    std::optional<std::string> verb;
    std::string file;
    std::optional<std::string> directory;
    int show;
  };
  void ShellExecute(platform::WindowHandle owner, std::optional<std::string> verb, const std::string& file,
                    std::optional<std::string> directory, int show) override {
    calls.push_back({owner, verb, file, directory, show});
  }
  void WinExec(const std::string&, int) override {}
  std::string ExecutablePath() override { return "C:\\Tamiru\\tamiru.exe"; }
  std::vector<Call> calls;
};

class ListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tamiru_lists_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    friend_file_ = (dir_ / "friendlist.txt").string();
    ignore_file_ = (dir_ / "ignorelist.txt").string();
    phrase_file_ = (dir_ / "chatlist.txt").string();
  }
  void TearDown() override {
    platform::InjectWriteFailureAfter(-1);
    std::filesystem::remove_all(dir_);
  }
  std::string File(const std::string& path) { return platform::ReadWholeFile(path).value_or("<missing>"); }

  std::filesystem::path dir_;
  std::string friend_file_, ignore_file_, phrase_file_;
  RecordingShell shell_;
  FakeListBox friends_{15, 155};
  FakeListBox selection_{15, 155};
  FakeEdit edit_;
  static constexpr platform::WindowHandle kOwner = 0x99;
};

TEST_F(ListsTest, AddFriendBeforeTheSelectedOneOrAtTheEnd) {
  friends_.SetItems({"a", "b", "c", "d"});
  friends_.SetSelectedIndex(2);
  edit_.SetText("new");
  AddFriend(friends_, edit_, friend_file_, shell_, kOwner);
  EXPECT_EQ(friends_.Items(), (Lines{"a", "b", "new", "c", "d"}));
  EXPECT_EQ(File(friend_file_), "a\r\nb\r\nnew\r\nc\r\nd\r\n");
  EXPECT_EQ(edit_.Text(), "");

  friends_.SetSelectedIndex(-1);
  edit_.SetText("tail");
  AddFriend(friends_, edit_, friend_file_, shell_, kOwner);
  EXPECT_EQ(friends_.Item(5), "tail");
  EXPECT_TRUE(shell_.calls.empty());
}

TEST_F(ListsTest, AddFriendRefusesDuplicatesByteForByteAndOpensTheFileWhenEmpty) {
  friends_.SetItems({"Abc"});
  edit_.SetText("Abc");
  AddFriend(friends_, edit_, friend_file_, shell_, kOwner);
  EXPECT_EQ(friends_.Count(), 1);
  EXPECT_EQ(edit_.Text(), "");
  EXPECT_FALSE(std::filesystem::exists(friend_file_));  // nothing written

  edit_.SetText("abc");  // case counts
  AddFriend(friends_, edit_, friend_file_, shell_, kOwner);
  EXPECT_EQ(friends_.Count(), 2);

  AddFriend(friends_, edit_, friend_file_, shell_, kOwner);  // empty Edit1
  ASSERT_EQ(shell_.calls.size(), 1u);
  EXPECT_EQ(shell_.calls[0].owner, kOwner);
  EXPECT_EQ(shell_.calls[0].verb, "open");
  EXPECT_EQ(shell_.calls[0].file, friend_file_);
  EXPECT_EQ(shell_.calls[0].directory, "c:\\Windows");
  EXPECT_EQ(shell_.calls[0].show, platform::kSwShow);
  EXPECT_EQ(friends_.Count(), 2);
}

TEST_F(ListsTest, DeleteWritesTheFileEvenWithNothingSelected) {
  friends_.SetItems({"a", "b"});
  DeleteSelectedFriend(friends_, friend_file_);
  EXPECT_EQ(File(friend_file_), "a\r\nb\r\n");
  friends_.SetSelectedIndex(0);
  DeleteSelectedFriend(friends_, friend_file_);
  EXPECT_EQ(File(friend_file_), "b\r\n");
}

TEST_F(ListsTest, FailedWriteKeepsTheOldFileAndTheChangeOnScreen) {
  friends_.SetItems({"a", "b"});
  SaveItems(friends_, friend_file_);
  platform::InjectWriteFailureAfter(2);
  edit_.SetText("c");
  try {
    AddFriend(friends_, edit_, friend_file_, shell_, kOwner);
    FAIL() << "no error";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + friend_file_ + " を作成できません");
  }
  EXPECT_EQ(friends_.Items(), (Lines{"a", "b", "c"}));
  EXPECT_EQ(File(friend_file_), "a\r\nb\r\n");
}

TEST_F(ListsTest, SelectionListCopiesOnceAndAllCopiesDuplicates) {
  friends_.SetItems({"x", "y", "x"});
  friends_.SetSelectedIndex(1);
  CopySelectedToSelection(friends_, selection_);
  CopySelectedToSelection(friends_, selection_);
  EXPECT_EQ(selection_.Items(), Lines{"y"});
  friends_.SetSelectedIndex(-1);
  CopySelectedToSelection(friends_, selection_);
  EXPECT_EQ(selection_.Count(), 1);

  CopyAllToSelection(friends_, selection_);
  EXPECT_EQ(selection_.Items(), (Lines{"x", "y", "x"}));
  selection_.SetSelectedIndex(1);
  RemoveSelectedFromSelection(selection_);
  EXPECT_EQ(selection_.Items(), (Lines{"x", "x"}));
  RemoveSelectedFromSelection(selection_);  // nothing selected now
  EXPECT_EQ(selection_.Count(), 2);
}

TEST_F(ListsTest, IgnoreSendsFirstThenAppendsOnlyNewNames) {
  platform::WriteListFile(ignore_file_, {"bad"});
  int sent = 0;
  std::string edit_at_send;
  auto send = [&] {
    ++sent;
    edit_at_send = edit_.Text();
  };
  edit_.SetText("bad");
  IgnoreAndRemember(edit_, ignore_file_, shell_, kOwner, send);
  EXPECT_EQ(sent, 1);
  EXPECT_EQ(edit_at_send, "bad");  // the command reads Edit2 before it is emptied
  EXPECT_EQ(edit_.Text(), "");
  EXPECT_EQ(File(ignore_file_), "bad\r\n");

  edit_.SetText("worse");
  IgnoreAndRemember(edit_, ignore_file_, shell_, kOwner, send);
  EXPECT_EQ(File(ignore_file_), "bad\r\nworse\r\n");

  IgnoreAndRemember(edit_, ignore_file_, shell_, kOwner, send);  // empty: open the file
  EXPECT_EQ(sent, 2);
  ASSERT_EQ(shell_.calls.size(), 1u);
  EXPECT_EQ(shell_.calls[0].file, ignore_file_);
}

TEST_F(ListsTest, IgnoreWithAMissingFileSendsAndThenReportsIt) {
  int sent = 0;
  edit_.SetText("who");
  EXPECT_THROW(IgnoreAndRemember(edit_, ignore_file_, shell_, kOwner, [&] { ++sent; }), TamiruError);
  EXPECT_EQ(sent, 1);
  EXPECT_EQ(edit_.Text(), "");
}

TEST_F(ListsTest, PhraseInsertionPointDoesNotMove) {
  FakeComboBox chat;
  chat.SetItems({"A", "B", "C"});
  int insert_index = -1;
  chat.SetText("D");
  AddPhrase(chat, insert_index, phrase_file_, shell_, kOwner);
  chat.SetText("E");
  AddPhrase(chat, insert_index, phrase_file_, shell_, kOwner);
  EXPECT_EQ(chat.Items(), (Lines{"A", "B", "C", "E", "D"}));
  EXPECT_EQ(File(phrase_file_), "A\r\nB\r\nC\r\nE\r\nD\r\n");
  EXPECT_EQ(chat.Text(), "");

  chat.SetItems({"A", "B", "C"});
  insert_index = 1;  // the user chose B
  chat.SetText("X");
  AddPhrase(chat, insert_index, phrase_file_, shell_, kOwner);
  EXPECT_EQ(chat.Items(), (Lines{"A", "X", "B", "C"}));

  chat.SetText("A");  // already there: only the chat line is emptied
  AddPhrase(chat, insert_index, phrase_file_, shell_, kOwner);
  EXPECT_EQ(chat.Count(), 4);
  EXPECT_EQ(chat.Text(), "");
}

TEST_F(ListsTest, PhraseInsertionPointBeyondTheEndAddsAtTheEnd) {
  FakeComboBox chat;
  chat.SetItems({"A"});
  int insert_index = 5;
  chat.SetText("Z");
  AddPhrase(chat, insert_index, phrase_file_, shell_, kOwner);
  EXPECT_EQ(chat.Items(), (Lines{"A", "Z"}));
  EXPECT_EQ(insert_index, 5);
}

TEST_F(ListsTest, RemovePhraseTakesTheLaterOfTwoAndIgnoresEmpty) {
  FakeComboBox chat;
  chat.SetItems({"P", "Q", "P"});
  chat.SetText("P");
  RemovePhrase(chat, phrase_file_);
  EXPECT_EQ(chat.Items(), (Lines{"P", "Q"}));
  EXPECT_EQ(File(phrase_file_), "P\r\nQ\r\n");
  RemovePhrase(chat, phrase_file_);  // empty chat line
  EXPECT_EQ(chat.Count(), 2);
  chat.SetText("absent");
  RemovePhrase(chat, phrase_file_);
  EXPECT_EQ(chat.Count(), 2);
  int insert_index = -1;
  AddPhrase(chat, insert_index, phrase_file_, shell_, kOwner);  // empty: open the file
  ASSERT_EQ(shell_.calls.size(), 1u);
  EXPECT_EQ(shell_.calls[0].verb, "open");
  EXPECT_EQ(shell_.calls[0].directory, "c:\\Windows");
}

TEST(ListDrag, DropMovesTheItemToTheDropIndex) {
  FakeListBox box(15, 155);
  box.SetItems({"0", "1", "2", "3", "4"});
  DragState state;
  box.SetSelectedIndex(0);
  ASSERT_TRUE(BeginDrag(state, 1, box));
  EXPECT_TRUE(DragOver(state, 1, box, 5, 3 * 15 + 2));
  EXPECT_EQ(state.DragOverList, 1);
  EXPECT_TRUE(DragDrop(state, 1, box, 5, 3 * 15 + 2));
  EXPECT_EQ(box.Items(), (Lines{"1", "2", "3", "0", "4"}));
  EXPECT_EQ(box.SelectedIndex(), 3);

  box.SetSelectedIndex(2);
  BeginDrag(state, 1, box);
  EXPECT_TRUE(DragDrop(state, 1, box, 5, 2 * 15));  // onto itself
  EXPECT_EQ(box.Items(), (Lines{"1", "2", "3", "0", "4"}));
}

TEST(ListDrag, BelowTheLastItemAndForeignDragsAreRefused) {
  FakeListBox one(15, 155), two(15, 155);
  one.SetItems({"a", "b", "c"});
  two.SetItems({"x"});
  DragState state;
  one.SetSelectedIndex(2);
  BeginDrag(state, 1, one);
  EXPECT_FALSE(DragOver(state, 1, one, 5, 100));  // below the last item
  EXPECT_FALSE(DragDrop(state, 1, one, 5, 100));
  // A drag from ListBox1 dropped on ListBox2: index 2 means nothing there.
  EXPECT_TRUE(DragOver(state, 2, two, 5, 2));
  EXPECT_FALSE(DragDrop(state, 2, two, 5, 2));
  EXPECT_EQ(two.Items(), Lines{"x"});
  EXPECT_EQ(one.Items(), (Lines{"a", "b", "c"}));
  // A press with nothing selected begins no drag.
  one.SetSelectedIndex(-1);
  EXPECT_FALSE(BeginDrag(state, 1, one));
}

TEST(ListDrag, SourceIndexLostMeanwhileIsNeverUsed) {
  FakeListBox box(15, 155);
  box.SetItems({"a", "b", "c"});
  DragState state;
  box.SetSelectedIndex(2);
  BeginDrag(state, 1, box);
  box.Delete(2);
  EXPECT_FALSE(DragDrop(state, 1, box, 5, 0));
  EXPECT_EQ(box.Items(), (Lines{"a", "b"}));
}

TEST(ListDrag, AutoScrollUpTwoItemsEvery50ms) {
  platform::fake::FakeEventLoop loop(0);
  FakeListBox box(15, 155);
  Lines items;
  for (int i = 0; i < 30; ++i) items.push_back(std::to_string(i));
  box.SetItems(items);
  box.SetTopIndex(7);
  auto timer3 = loop.CreateTimer();
  timer3->SetInterval(50);
  std::vector<int> selected;
  bool button_down = true;
  timer3->SetHandler([&] {
    AutoScrollStep(box, -10, button_down, *timer3);
    selected.push_back(box.SelectedIndex());
  });
  AutoScrollStep(box, -10, button_down, *timer3);  // the step run at once by the drag-over
  selected.push_back(box.SelectedIndex());
  loop.Advance(150);
  EXPECT_EQ(selected, (std::vector<int>{5, 3, 1, 0}));
  EXPECT_EQ(box.TopIndex(), 0);
  EXPECT_TRUE(timer3->IsEnabled());
  button_down = false;
  loop.Advance(50);
  EXPECT_FALSE(timer3->IsEnabled());
}

TEST(ListDrag, AutoScrollDownAndOutsideTheZones) {
  platform::fake::FakeEventLoop loop(0);
  FakeListBox box(15, 155);
  Lines items;
  for (int i = 0; i < 30; ++i) items.push_back(std::to_string(i));
  box.SetItems(items);
  auto timer3 = loop.CreateTimer();
  timer3->SetInterval(50);
  // B = 155 / 15 + 0 = 10: inside the bottom band selects 11, below it 12.
  AutoScrollStep(box, 150, true, *timer3);
  EXPECT_EQ(box.SelectedIndex(), 11);
  EXPECT_TRUE(timer3->IsEnabled());
  box.SetTopIndex(0);
  AutoScrollStep(box, 170, true, *timer3);
  EXPECT_EQ(box.SelectedIndex(), 12);
  AutoScrollStep(box, 70, true, *timer3);  // middle: the timer stops
  EXPECT_FALSE(timer3->IsEnabled());
  box.SetTopIndex(25);
  AutoScrollStep(box, 170, true, *timer3);
  EXPECT_EQ(box.SelectedIndex(), 29);  // never past the last item
}

}  // namespace
}  // namespace tamiru::lists

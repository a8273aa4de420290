// The lists on the main window: the buttons, double-clicks and the drag
// reach the list operations through the window's own events, the files are
// written as the lists change, and a failed write reaches the general error
// display with the change kept on the screen.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/files_testing.h"
#include "tests/app/form_fixture.h"

namespace tamiru::app {
namespace {

using platform::ClientPoint;
using platform::ControlEvent;
using Items = std::vector<std::string>;
namespace msg = platform::msg;

// The pointer and the left button as the system reports them now.
class PointerInput : public platform::Input {
 public:
  bool IsKeyDown(int key) override { return key == 0x01 && left_down; }
  Point CursorPosition() override { return screen; }
  bool left_down = false;
  Point screen;
};

class FormListsTest : public testing_support::FormTest {
 protected:
  void StartWith(const std::string& friends, const std::string& phrases = {}, const std::string& ignored = {}) {
    WriteIni();
    WriteLists(friends, phrases);
    folder.Write("ignorelist.txt", ignored);
    form = std::make_unique<TForm1>(pointer_services);
  }
  std::vector<std::string> Typed(platform::WindowHandle chat_input) {
    std::vector<std::string> lines;
    for (const auto& m : desktop.MessagesTo(chat_input, msg::kSetText)) lines.push_back(m.text);
    return lines;
  }
  // Client point of item `row` (counted from the top visible one) of a list box.
  static ClientPoint Row(int row) { return {20, row * 15 + 7}; }
  void PointAt(const std::string& list, ClientPoint client) {
    const ClientPoint screen = host.ClientToScreen(list, client);
    pointer.screen = {screen.x, screen.y};
  }

  PointerInput pointer;
  FormServices pointer_services{desktop, loop, pointer, shell, sound, dialogs, host};
};

// ---- Friend and selection lists ----

TEST_F(FormListsTest, EveryListHandlerIsWiredToItsControl) {
  StartWith("");
  for (const char* name : {"Button9", "Button10", "Button11", "Button12", "Button13", "Button14", "Button15",
                           "Button16", "Button26", "Button4", "ComboBox1"}) {
    EXPECT_TRUE(host.HasHandler(name, ControlEvent::kClick)) << name;
  }
  for (const char* name : {"ListBox1", "ListBox2"}) {
    EXPECT_TRUE(host.HasHandler(name, ControlEvent::kDblClick)) << name;
    EXPECT_TRUE(host.HasHandler(name, ControlEvent::kMouseDown)) << name;
  }
}

TEST_F(FormListsTest, AddGoesBeforeTheSelectedFriendAndADuplicateOnlyEmptiesTheEdit) {
  StartWith("a\r\nb\r\nc\r\nd\r\n");
  form->ListBox1->SetSelectedIndex(2);
  form->Edit1->SetText("new");
  host.Click("Button9");
  EXPECT_EQ(form->ListBox1->Items(), (Items{"a", "b", "new", "c", "d"}));
  EXPECT_EQ(folder.Read("friendlist.txt"), "a\r\nb\r\nnew\r\nc\r\nd\r\n");

  // Byte for byte: another case is another name, an exact one is refused.
  form->Edit1->SetText("A");
  form->ListBox1->SetSelectedIndex(-1);
  host.Click("Button9");
  EXPECT_EQ(form->ListBox1->Item(5), "A");
  folder.Write("friendlist.txt", "outside edit\r\n");
  form->Edit1->SetText("new");
  host.Click("Button9");
  EXPECT_EQ(form->Edit1->Text(), "");
  EXPECT_EQ(form->ListBox1->Count(), 6);
  EXPECT_EQ(folder.Read("friendlist.txt"), "outside edit\r\n");  // nothing written
  EXPECT_TRUE(shell.calls.empty());
}

TEST_F(FormListsTest, EmptyNamesOpenTheirListFilesForTheUser) {
  StartWith("a\r\n");
  host.Click("Button9");
  host.Click("Button15");
  host.Click("Button26");
  ASSERT_EQ(shell.calls.size(), 3u);
  const char* files[] = {"friendlist.txt", "ignorelist.txt", "chatlist.txt"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(shell.calls[i].owner, host.Handle());
    EXPECT_EQ(shell.calls[i].verb, std::optional<std::string>("open"));
    EXPECT_EQ(shell.calls[i].file, folder.File(files[i]));
    EXPECT_EQ(shell.calls[i].directory, std::optional<std::string>("c:\\Windows"));
    EXPECT_EQ(shell.calls[i].show, 5);
  }
  EXPECT_EQ(form->ListBox1->Items(), Items{"a"});
}

TEST_F(FormListsTest, DeleteWithoutSelectionRewritesTheFileUnchanged) {
  StartWith("a\nb");  // LF and no final line end: written back in CR LF
  host.Click("Button10");
  EXPECT_EQ(folder.Read("friendlist.txt"), "a\r\nb\r\n");
  form->ListBox1->SetSelectedIndex(0);
  host.Click("Button10");
  EXPECT_EQ(folder.Read("friendlist.txt"), "b\r\n");
}

TEST_F(FormListsTest, SelectionListTakesEachFriendOnceByDoubleClickButAllCopiesDuplicates) {
  StartWith("x\r\ny\r\nx\r\n");
  form->ListBox1->SetSelectedIndex(0);
  host.DblClick("ListBox1");
  host.DblClick("ListBox1");
  form->ListBox1->SetSelectedIndex(2);  // the same name further down
  host.DblClick("ListBox1");
  EXPECT_EQ(form->ListBox2->Items(), Items{"x"});

  host.Click("Button11");
  EXPECT_EQ(form->ListBox2->Items(), (Items{"x", "y", "x"}));
  form->ListBox2->SetSelectedIndex(1);
  host.DblClick("ListBox2");
  EXPECT_EQ(form->ListBox2->Items(), (Items{"x", "x"}));
  host.DblClick("ListBox2");  // nothing selected now
  EXPECT_EQ(form->ListBox2->Count(), 2);
  host.Click("Button12");
  EXPECT_EQ(form->ListBox2->Count(), 0);
}

// ---- Commands ----

TEST_F(FormListsTest, WhereRankAndIgnoreSendTheirCommandsForEachName) {
  StartWith("", "", "troll\r\nspam\r\n");
  const auto game = desktop.CreateGameMainWindow();
  form->ListBox2->SetItems({"p1", "p2"});
  host.Click("Button13");
  host.Click("Button14");
  host.Click("Button16");
  EXPECT_EQ(Typed(game.chat_input), (Items{"/w p1", "/w p2", "/r p1", "/r p2", "/i troll", "/i spam"}));
}

TEST_F(FormListsTest, IgnoreOfAKnownNameStillSendsAndLeavesTheFileAlone) {
  StartWith("", "", "troll\r\n");
  const auto game = desktop.CreateGameMainWindow();
  form->Edit2->SetText("troll");
  host.Click("Button15");
  form->Edit2->SetText("Troll");
  host.Click("Button15");
  EXPECT_EQ(Typed(game.chat_input), (Items{"/i troll", "/i Troll"}));
  EXPECT_EQ(form->Edit2->Text(), "");
  EXPECT_EQ(folder.Read("ignorelist.txt"), "troll\r\nTroll\r\n");
}

TEST_F(FormListsTest, IgnoreWithAMissingFileHasSentAndEmptiedTheEditThenShowsTheOpenError) {
  StartWith("");
  std::filesystem::remove(folder.File("ignorelist.txt"));
  const auto game = desktop.CreateGameMainWindow();
  form->Edit2->SetText("troll");
  host.Click("Button15");
  EXPECT_EQ(Typed(game.chat_input), Items{"/i troll"});
  EXPECT_EQ(form->Edit2->Text(), "");
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].message, "ファイル " + folder.File("ignorelist.txt") + " は開けません.");
}

// ---- Phrases ----

TEST_F(FormListsTest, PhrasesGoInFrontOfTheLastAddedOrChosenUntilTheFormIsDoubleClicked) {
  StartWith("", "A\r\nB\r\nC\r\n");
  form->ComboBox1->SetText("D");
  host.Click("Button26");
  form->ComboBox1->SetText("E");
  host.Click("Button26");
  EXPECT_EQ(folder.Read("chatlist.txt"), "A\r\nB\r\nC\r\nE\r\nD\r\n");

  form->ComboBox1->SetSelectedIndex(1);  // the user chooses B
  host.Click("ComboBox1");
  EXPECT_EQ(form->Lists.PhraseInsertIndex, 1);
  form->ComboBox1->SetText("X");
  host.Click("Button26");
  EXPECT_EQ(form->ComboBox1->Items(), (Items{"A", "X", "B", "C", "E", "D"}));

  form->ListBox1->SetItems({"f"});
  form->ListBox1->SetSelectedIndex(0);
  host.DblClickForm();
  EXPECT_EQ(form->ListBox1->SelectedIndex(), -1);
  form->ComboBox1->SetText("Z");
  host.Click("Button26");
  EXPECT_EQ(form->ComboBox1->Item(6), "Z");
  EXPECT_EQ(folder.Read("chatlist.txt"), "A\r\nX\r\nB\r\nC\r\nE\r\nD\r\nZ\r\n");
}

TEST_F(FormListsTest, RemovingTakesTheLaterTwinAndAnInsertPointPastTheEndAddsAtTheEnd) {
  StartWith("", "A\r\nB\r\nA\r\nC\r\n");
  form->ComboBox1->SetSelectedIndex(3);
  host.Click("ComboBox1");
  form->ComboBox1->SetText("A");
  host.Click("Button4");
  form->ComboBox1->SetText("C");
  host.Click("Button4");
  EXPECT_EQ(folder.Read("chatlist.txt"), "A\r\nB\r\n");
  EXPECT_EQ(form->Lists.PhraseInsertIndex, 3);  // now beyond the end
  form->ComboBox1->SetText("N");
  host.Click("Button26");
  EXPECT_EQ(form->ComboBox1->Items(), (Items{"A", "B", "N"}));
  host.Click("Button4");  // empty chat line: nothing
  EXPECT_EQ(form->ComboBox1->Count(), 3);
}

// ---- Failed writes ----

TEST_F(FormListsTest, AFailedWriteShowsTheCreateErrorAndKeepsTheOldFileAndTheNewList) {
  StartWith("a\r\nb\r\n", "p\r\n");
  // Every write stops after 3 bytes, as on a full disk.
  struct FailingWrites {
    FailingWrites() { platform::InjectWriteFailureAfter(3); }
    ~FailingWrites() { platform::InjectWriteFailureAfter(-1); }
  } failing;
  form->Edit1->SetText("c");
  host.Click("Button9");
  form->ComboBox1->SetText("q");
  host.Click("Button26");

  EXPECT_EQ(form->ListBox1->Items(), (Items{"a", "b", "c"}));
  EXPECT_EQ(form->ComboBox1->Items(), (Items{"p", "q"}));
  EXPECT_EQ(folder.Read("friendlist.txt"), "a\r\nb\r\n");
  EXPECT_EQ(folder.Read("chatlist.txt"), "p\r\n");
  ASSERT_EQ(dialogs.errors.size(), 2u);
  EXPECT_EQ(dialogs.errors[0].owner, host.Handle());
  EXPECT_EQ(dialogs.errors[0].message, "ファイル " + folder.File("friendlist.txt") + " を作成できません.");
  EXPECT_EQ(dialogs.errors[1].message, "ファイル " + folder.File("chatlist.txt") + " を作成できません.");
}

// ---- Dragging ----

TEST_F(FormListsTest, DraggingTheFirstOfFiveOntoTheFourthMovesItThereAndWritesTheFile) {
  StartWith("0\r\n1\r\n2\r\n3\r\n4\r\n");
  pointer.left_down = true;
  ASSERT_TRUE(host.MouseDown("ListBox1", Row(0)));
  EXPECT_EQ(form->Lists.Drag.DragSourceIndex, 0);
  EXPECT_TRUE(host.DragArmed());
  EXPECT_FALSE(host.MouseMove("ListBox1", {22, 10}));  // under 5 pixels: still a click
  EXPECT_FALSE(host.Dragging());
  PointAt("ListBox1", Row(3));
  EXPECT_TRUE(host.MouseMove("ListBox1", Row(3)));
  EXPECT_EQ(form->Lists.Drag.DragOverList, 1);
  EXPECT_EQ(form->ListBox1->SelectedIndex(), 3);
  pointer.left_down = false;
  ASSERT_TRUE(host.MouseUp("ListBox1", Row(3)));

  EXPECT_EQ(form->ListBox1->Items(), (Items{"1", "2", "3", "0", "4"}));
  EXPECT_EQ(form->ListBox1->SelectedIndex(), 3);
  EXPECT_EQ(folder.Read("friendlist.txt"), "1\r\n2\r\n3\r\n0\r\n4\r\n");
}

TEST_F(FormListsTest, AClickWithoutMovementBelowTheItemsOrFromTheOtherListMovesNothing) {
  StartWith("0\r\n1\r\n2\r\n");
  folder.Write("friendlist.txt", "marker\r\n");
  // A click: pressed and released on the spot.
  host.MouseDown("ListBox1", Row(1));
  EXPECT_FALSE(host.MouseUp("ListBox1", Row(1)));
  // Released below the last item: not accepted, so no drop.
  host.MouseDown("ListBox1", Row(0));
  EXPECT_FALSE(host.MouseMove("ListBox1", Row(5)));
  EXPECT_FALSE(host.MouseUp("ListBox1", Row(5)));
  // Begun in the selection list: ListBox1 follows the pointer but refuses the drop.
  form->ListBox2->SetItems({"s0", "s1", "s2"});
  host.MouseDown("ListBox2", Row(2));
  EXPECT_FALSE(host.MouseMove("ListBox1", Row(0)));
  EXPECT_EQ(form->Lists.Drag.DragOverList, 1);
  EXPECT_EQ(form->ListBox1->SelectedIndex(), 0);
  EXPECT_FALSE(host.MouseUp("ListBox1", Row(0)));
  // Within the selection list the same drag moves the name, in memory only.
  host.MouseDown("ListBox2", Row(2));
  EXPECT_TRUE(host.MouseMove("ListBox2", Row(0)));
  EXPECT_TRUE(host.MouseUp("ListBox2", Row(0)));
  EXPECT_EQ(form->ListBox1->Items(), (Items{"0", "1", "2"}));
  EXPECT_EQ(folder.Read("friendlist.txt"), "marker\r\n");
  EXPECT_EQ(form->ListBox2->Items(), (Items{"s2", "s0", "s1"}));
}

TEST_F(FormListsTest, DropOntoItselfKeepsTheOrderAndStillWritesTheFile) {
  StartWith("0\r\n1\r\n2\r\n");
  folder.Write("friendlist.txt", "marker\r\n");
  host.MouseDown("ListBox1", Row(1));
  host.MouseMove("ListBox1", {30, Row(1).y});  // 10 pixels sideways
  ASSERT_TRUE(host.MouseUp("ListBox1", {30, Row(1).y}));
  EXPECT_EQ(folder.Read("friendlist.txt"), "0\r\n1\r\n2\r\n");
}

TEST_F(FormListsTest, HeldAboveTheListItScrollsUpTwoItemsEvery50MsUntilTheTop) {
  Items names;
  std::string file;
  for (int i = 0; i < 30; ++i) {
    names.push_back("n" + std::to_string(i));
    file += names.back() + "\r\n";
  }
  StartWith(file);
  form->ListBox1->SetTopIndex(7);
  pointer.left_down = true;
  host.MouseDown("ListBox1", Row(0));  // item 7
  EXPECT_EQ(form->Lists.Drag.DragSourceIndex, 7);
  PointAt("ListBox1", Row(1));
  host.MouseMove("ListBox1", Row(1));  // over item 8, out of the scroll zones
  EXPECT_FALSE(form->Timer3->IsEnabled());

  PointAt("ListBox1", {20, -10});  // 10 pixels above the list box
  form->Timer3Timer();
  EXPECT_EQ(form->ListBox1->SelectedIndex(), 5);
  EXPECT_TRUE(form->Timer3->IsEnabled());
  std::vector<int> steps;
  for (int i = 0; i < 4; ++i) {
    loop.Advance(50);
    steps.push_back(form->ListBox1->SelectedIndex());
  }
  EXPECT_EQ(steps, (std::vector<int>{3, 1, 0, 0}));
  EXPECT_EQ(form->ListBox1->TopIndex(), 0);

  pointer.left_down = false;  // released: the next step stops the timer
  loop.Advance(50);
  EXPECT_FALSE(form->Timer3->IsEnabled());
  EXPECT_EQ(form->ListBox1->SelectedIndex(), 0);
}

TEST_F(FormListsTest, DraggingIntoTheBottomRowScrollsDownAtOnce) {
  std::string file;
  for (int i = 0; i < 30; ++i) file += "n" + std::to_string(i) + "\r\n";
  StartWith(file);
  pointer.left_down = true;
  host.MouseDown("ListBox1", Row(0));
  PointAt("ListBox1", {20, 150});  // inside the list box, in the bottom band
  EXPECT_TRUE(host.MouseMove("ListBox1", {20, 150}));
  // Item 10 under the pointer is selected and scrolled fully into view (top
  // 1); the step at once then selects 155 / 15 + 1 + 1 = 12.
  EXPECT_EQ(form->ListBox1->SelectedIndex(), 12);
  EXPECT_TRUE(form->Timer3->IsEnabled());
}

}  // namespace
}  // namespace tamiru::app

#include "app/macro_editor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "macro/macro_actions.h"
#include "macro/macro_file.h"
#include "platform/fake/fake_controls.h"
#include "platform/files_testing.h"
#include "text/error.h"

namespace tamiru::app {
namespace {

using platform::fake::FakeButton;
using platform::fake::FakeCheckBox;
using platform::fake::FakeComboBox;
using platform::fake::FakeEdit;
using Lines = std::vector<std::string>;

constexpr int kF1 = 0x70, kF2 = 0x71;

class MacroEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tamiru_macro_editor_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    settings_.File1 = Path("friend.txt");
    settings_.File2 = Path("ignore.txt");
    settings_.File3 = Path("chat.txt");
    settings_.File6 = Path("macro.txt");
    Write(settings_.File1, "taro\r\nhanako\r\n");
    Write(settings_.File2, "troll\r\n");
    Write(settings_.File3, "よろしく\r\nお疲れ様 でした\r\n");
    Write(settings_.File6, "");
  }
  void TearDown() override {
    platform::InjectWriteFailureAfter(-1);
    std::filesystem::remove_all(dir_);
  }

  std::string Path(const char* name) const { return (dir_ / name).string(); }
  static void Write(const std::string& path, std::string_view bytes) {
    ASSERT_TRUE(platform::ReplaceFileContents(path, bytes));
  }
  std::string MacroFile() const { return platform::ReadWholeFile(settings_.File6).value_or("<missing>"); }

  MacroEditor& Open(Lines lines = {}) {
    macro_list_ = std::move(lines);
    editor_ = std::make_unique<MacroEditor>(
        MacroEditorControls{label15_, label16_, edit13_, shift_, alt_, ctrl_, action_, argument_, phrase_},
        settings_, macro_list_, [this](const std::string& message) { errors_.push_back(message); });
    return *editor_;
  }

  // The user picks an item of a pick-only list; the action list reports it.
  void Pick(FakeComboBox& box, const std::string& item) {
    const Lines items = box.Items();
    const auto found = std::find(items.begin(), items.end(), item);
    ASSERT_NE(found, items.end()) << item;
    box.SetSelectedIndex(static_cast<int>(found - items.begin()));
    if (&box == &action_) editor_->ComboBox1Click();
  }
  static std::string Picked(const FakeComboBox& box) {
    return box.SelectedIndex() < 0 ? "" : box.Item(box.SelectedIndex());
  }

  std::filesystem::path dir_;
  settings::TSettings settings_;
  Lines macro_list_;
  Lines errors_;
  FakeButton label15_, label16_;
  FakeEdit edit13_;
  FakeCheckBox shift_, alt_, ctrl_;
  FakeComboBox action_, argument_, phrase_;
  std::unique_ptr<MacroEditor> editor_;
};

const Lines kThree = {"70 0 1 0 /Where <all> ", "71 1 0 1 /Talk taro お疲れ様 でした ", "4C 1 0 1 OPEN friendlist "};

TEST_F(MacroEditorTest, OpensEmptyForANewEntryAndNeedsThePhraseFile) {
  Open({"7B 0 0 0 /Hide "});
  // The fourteen actions in their order, then any added behind them: one
  // item for every action the macro table knows.
  const Lines fourteen{"/Where", "/Rank", "/Ignore", "/Talk", "/Hide", "/List", "/CHATON", "/CHATOFF",
                       "発言", "画像保存", "瞬間観戦", "対/w,/r", "対戦成績", "OPEN"};
  const Lines items = action_.Items();
  ASSERT_EQ(items.size(), macro::kMacroActions.size());
  EXPECT_EQ(Lines(items.begin(), items.begin() + 14), fourteen);
  EXPECT_EQ(phrase_.Items(), (Lines{"よろしく", "お疲れ様 でした"}));
  EXPECT_EQ(label15_.Caption(), "1");
  EXPECT_EQ(label16_.Caption(), "新規");
  EXPECT_TRUE(alt_.IsChecked());
  EXPECT_FALSE(shift_.IsChecked() || ctrl_.IsChecked() || argument_.IsVisible() || phrase_.IsVisible());
  EXPECT_EQ(action_.SelectedIndex(), -1);

  std::filesystem::remove(settings_.File3);
  try {
    Open();
    FAIL() << "opened without its phrase file";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + settings_.File3 + " は開けません");
  }
}

TEST_F(MacroEditorTest, CapturesKeysButNeverAModifierAlone) {
  MacroEditor& editor = Open();
  for (int modifier : {0x10, 0x11, 0x12}) editor.Edit13KeyDown(modifier);
  EXPECT_EQ(editor.KeyCodeText, "");
  EXPECT_EQ(edit13_.Text(), "");
  editor.Edit13KeyDown(kF2);  // CTRL+F2: the key after CTRL
  EXPECT_EQ(editor.KeyCodeText, "71");
  EXPECT_EQ(edit13_.Text(), "F2");
  editor.Edit13KeyDown(0xBA);
  EXPECT_EQ(editor.KeyCodeText, "BA");
  EXPECT_EQ(edit13_.Text(), ":");
  editor.Edit13KeyDown(0x0D);
  EXPECT_EQ(edit13_.Text(), "Enter");
  editor.Edit13KeyDown(0x100);  // not a one-byte key code: kept out of the line
  EXPECT_EQ(editor.KeyCodeText, "0D");
}

TEST_F(MacroEditorTest, RegistersANewEntryOnceAndStaysReadyForTheNext) {
  MacroEditor& editor = Open();
  editor.Edit13KeyDown(kF1);
  EXPECT_EQ(edit13_.Text(), "F1");
  Pick(action_, "/Where");
  Pick(argument_, "<all>");
  editor.Button9Click();
  EXPECT_EQ(macro_list_, (Lines{"70 0 1 0 /Where <all> "}));
  EXPECT_EQ(MacroFile(), "70 0 1 0 /Where <all> \r\n");
  EXPECT_EQ(label15_.Caption(), "1");
  EXPECT_EQ(edit13_.Text(), "");
  EXPECT_EQ(editor.KeyCodeText, "");
  EXPECT_EQ(action_.SelectedIndex(), -1);
  EXPECT_FALSE(argument_.IsVisible());
  EXPECT_EQ(argument_.Count(), 0);
  EXPECT_TRUE(alt_.IsChecked());
  EXPECT_EQ(label16_.Caption(), "新規");
  EXPECT_EQ(editor.MacroIndex, -1);

  // The same line again: nothing changes, nothing is written, the page keeps it.
  Write(settings_.File6, "untouched");
  editor.Edit13KeyDown(kF1);
  Pick(action_, "/Where");
  Pick(argument_, "<all>");
  editor.Button9Click();
  EXPECT_EQ(macro_list_.size(), 1u);
  EXPECT_EQ(MacroFile(), "untouched");
  EXPECT_EQ(edit13_.Text(), "F1");
  EXPECT_EQ(Picked(action_), "/Where");
}

TEST_F(MacroEditorTest, IncompleteInputRegistersNothingAndHiddenBoxesAreLeftOut) {
  MacroEditor& editor = Open();
  const auto refused = [&] {
    editor.Button9Click();
    return macro_list_.empty();
  };
  Pick(action_, "/Where");
  Pick(argument_, "taro");
  EXPECT_TRUE(refused());  // no key
  editor.Edit13KeyDown(kF1);
  action_.SetSelectedIndex(-1);
  EXPECT_TRUE(refused());  // no action
  Pick(action_, "/Talk");
  EXPECT_TRUE(refused());  // argument box shown without a choice
  Pick(argument_, "taro");
  EXPECT_TRUE(refused());  // phrase box shown without a choice
  Pick(action_, "発言");
  phrase_.SetSelectedIndex(-1);
  EXPECT_TRUE(refused());

  // A choice left in a box that is now hidden is not part of the line.
  Pick(phrase_, "よろしく");
  Pick(action_, "/Hide");
  editor.Button9Click();
  EXPECT_EQ(macro_list_, (Lines{"70 0 1 0 /Hide "}));
}

TEST_F(MacroEditorTest, RegistersOnlyLinesThatBindWhatThePageShows) {
  const std::string name19(19, 'n'), phrase99(99, 'p');
  Write(settings_.File1, "ta ro\r\n" + name19 + "\r\n" + name19 + "x\r\n");
  Write(settings_.File3, phrase99 + "\r\n" + phrase99 + "p\r\n");
  MacroEditor& editor = Open();
  const auto registers = [&](const std::string& action, const std::string& argument, const std::string& phrase) {
    const std::size_t before = macro_list_.size();
    editor.Edit13KeyDown(kF1);
    Pick(action_, action);
    if (!argument.empty()) Pick(argument_, argument);
    if (!phrase.empty()) Pick(phrase_, phrase);
    editor.Button9Click();
    return macro_list_.size() > before;
  };
  EXPECT_FALSE(registers("/Where", "ta ro", ""));  // would name "ta" instead
  EXPECT_FALSE(registers("/Where", name19 + "x", ""));
  EXPECT_FALSE(registers("発言", "", phrase99 + "p"));
  EXPECT_TRUE(registers("/Where", name19, ""));
  EXPECT_TRUE(registers("/Talk", name19, phrase99));
  for (const std::string& line : macro_list_) EXPECT_TRUE(macro::ParseMacroLine(line)) << line;
}

TEST_F(MacroEditorTest, EachActionShowsItsOwnChoicesReadAfresh) {
  Open();
  Pick(phrase_, "よろしく");
  Pick(action_, "/Where");
  EXPECT_EQ(argument_.Items(), (Lines{"<all>", "<R-ListBox>", "taro", "hanako"}));
  EXPECT_TRUE(argument_.IsVisible());
  EXPECT_FALSE(phrase_.IsVisible());
  Pick(action_, "/Ignore");
  EXPECT_EQ(argument_.Items(), (Lines{"<all>", "troll"}));
  Pick(action_, "対戦成績");
  EXPECT_EQ(argument_.Items(), (Lines{"<R-ListBox>", "taro", "hanako"}));
  Pick(action_, "OPEN");
  EXPECT_EQ(argument_.Items(), (Lines{"friendlist", "ignorelist", "chatlist", "keyword", "macro", "mjscore"}));
  EXPECT_EQ(argument_.SelectedIndex(), -1);
  Pick(action_, "発言");
  EXPECT_FALSE(argument_.IsVisible());
  EXPECT_TRUE(phrase_.IsVisible());
  EXPECT_EQ(Picked(phrase_), "よろしく");  // the phrase box keeps its choice
  Pick(action_, "/Hide");
  EXPECT_FALSE(argument_.IsVisible() || phrase_.IsVisible());

  Write(settings_.File1, "jiro\r\n");
  Pick(action_, "/Talk");
  EXPECT_EQ(argument_.Items(), (Lines{"<all>", "<R-ListBox>", "jiro"}));
  EXPECT_TRUE(argument_.IsVisible() && phrase_.IsVisible());
}

TEST_F(MacroEditorTest, UnreadableListLeavesTheArgumentBoxShownWithoutChoices) {
  MacroEditor& editor = Open();
  std::filesystem::remove(settings_.File1);
  editor.Edit13KeyDown(kF1);
  Pick(action_, "/Rank");
  EXPECT_EQ(errors_, (Lines{"ファイル " + settings_.File1 + " は開けません"}));
  EXPECT_TRUE(argument_.IsVisible());
  EXPECT_EQ(argument_.Count(), 0);
  editor.Button9Click();
  EXPECT_TRUE(macro_list_.empty());
}

TEST_F(MacroEditorTest, NextAndPreviousWalkTheEntriesAndBackToNew) {
  MacroEditor& editor = Open(kThree);
  editor.Button12Click();
  EXPECT_EQ(label16_.Caption(), "No.1");
  EXPECT_EQ(edit13_.Text(), "F1");
  EXPECT_EQ(Picked(argument_), "<all>");
  editor.Button12Click();
  EXPECT_EQ(label16_.Caption(), "No.2");
  EXPECT_EQ(editor.KeyCodeText, "71");
  EXPECT_TRUE(shift_.IsChecked() && ctrl_.IsChecked());
  EXPECT_FALSE(alt_.IsChecked());
  EXPECT_EQ(Picked(action_), "/Talk");
  EXPECT_EQ(Picked(argument_), "taro");
  EXPECT_EQ(Picked(phrase_), "お疲れ様 でした");
  editor.Button12Click();
  EXPECT_EQ(label16_.Caption(), "No.3");
  EXPECT_EQ(Picked(argument_), "friendlist");
  EXPECT_FALSE(phrase_.IsVisible());
  editor.Button12Click();
  EXPECT_EQ(label16_.Caption(), "No.3");
  EXPECT_EQ(editor.MacroIndex, 2);

  editor.Button11Click();
  EXPECT_EQ(label16_.Caption(), "No.2");
  editor.Button11Click();
  EXPECT_EQ(label16_.Caption(), "No.1");
  editor.Button11Click();
  EXPECT_EQ(label16_.Caption(), "新規");
  EXPECT_EQ(edit13_.Text(), "");
  EXPECT_EQ(action_.SelectedIndex(), -1);
  EXPECT_TRUE(alt_.IsChecked());
  EXPECT_FALSE(shift_.IsChecked() || ctrl_.IsChecked() || argument_.IsVisible() || phrase_.IsVisible());
  editor.Button11Click();
  EXPECT_EQ(editor.MacroIndex, -1);
}

TEST_F(MacroEditorTest, RegisteringAShownEntryReplacesItInPlace) {
  MacroEditor& editor = Open(kThree);
  editor.Button12Click();
  editor.Button12Click();
  Pick(action_, "/Rank");
  Pick(argument_, "hanako");
  editor.Button9Click();
  EXPECT_EQ(macro_list_, (Lines{kThree[0], "71 1 0 1 /Rank hanako ", kThree[2]}));
  EXPECT_EQ(MacroFile(), "70 0 1 0 /Where <all> \r\n71 1 0 1 /Rank hanako \r\n4C 1 0 1 OPEN friendlist \r\n");
  EXPECT_EQ(label15_.Caption(), "3");
  EXPECT_EQ(label16_.Caption(), "No.2");
  EXPECT_EQ(Picked(argument_), "hanako");
}

TEST_F(MacroEditorTest, DeleteShowsTheNeighbourAndTheLastDeletionReturnsToNew) {
  MacroEditor& editor = Open(kThree);
  editor.Button10Click();  // nothing shown: nothing deleted
  EXPECT_EQ(macro_list_.size(), 3u);
  editor.Button12Click();
  editor.Button12Click();
  editor.Button10Click();
  EXPECT_EQ(macro_list_, (Lines{kThree[0], kThree[2]}));
  EXPECT_EQ(label16_.Caption(), "No.2");
  EXPECT_EQ(Picked(action_), "OPEN");
  EXPECT_EQ(label15_.Caption(), "2");
  EXPECT_EQ(MacroFile(), "70 0 1 0 /Where <all> \r\n4C 1 0 1 OPEN friendlist \r\n");

  editor.Button10Click();  // the last entry: the new last one is shown
  EXPECT_EQ(label16_.Caption(), "No.1");
  EXPECT_EQ(Picked(action_), "/Where");
  editor.Button10Click();
  EXPECT_TRUE(macro_list_.empty());
  EXPECT_EQ(label16_.Caption(), "新規");
  EXPECT_EQ(label15_.Caption(), "0");
  EXPECT_EQ(edit13_.Text(), "");
  EXPECT_EQ(MacroFile(), "");
}

TEST_F(MacroEditorTest, ARemovedFriendLeavesNoChoiceUntilOneIsPicked) {
  MacroEditor& editor = Open({"70 0 1 0 /Where jiro "});
  editor.Button12Click();
  EXPECT_EQ(Picked(action_), "/Where");
  EXPECT_EQ(argument_.SelectedIndex(), -1);
  editor.Button9Click();
  EXPECT_EQ(macro_list_, (Lines{"70 0 1 0 /Where jiro "}));
  Pick(argument_, "taro");
  editor.Button9Click();
  EXPECT_EQ(macro_list_, (Lines{"70 0 1 0 /Where taro "}));
}

TEST_F(MacroEditorTest, AFailedSaveKeepsTheOldFileAndTheChangeInMemory) {
  Write(settings_.File6, "7B 0 0 0 /Hide \r\n");
  MacroEditor& editor = Open({"7B 0 0 0 /Hide "});
  platform::InjectWriteFailureAfter(3);
  editor.Edit13KeyDown(kF1);
  Pick(action_, "/List");
  editor.Button9Click();
  EXPECT_EQ(errors_, (Lines{"ファイル " + settings_.File6 + " を作成できません"}));
  EXPECT_EQ(MacroFile(), "7B 0 0 0 /Hide \r\n");
  EXPECT_EQ(macro_list_, (Lines{"7B 0 0 0 /Hide ", "70 0 1 0 /List "}));
  EXPECT_EQ(label15_.Caption(), "2");  // the page still finishes its steps
  EXPECT_EQ(edit13_.Text(), "");

  editor.Button12Click();
  editor.Button10Click();
  EXPECT_EQ(errors_.size(), 2u);
  EXPECT_EQ(label15_.Caption(), "1");
  EXPECT_EQ(label16_.Caption(), "No.1");
  platform::InjectWriteFailureAfter(-1);
  editor.Button10Click();
  EXPECT_EQ(MacroFile(), "");
}

TEST_F(MacroEditorTest, HandEditedAndCutLinesShowWhatTheyHoldAndNoStaleAction) {
  MacroEditor& editor =
      Open({"4C 1 0 1 OPEN friendlist ", "70 1 1 1 /Jump x ", "", "70", "71 0 1", "71 0 1 0 発言 ", "71 0 1 0 発言",
            "20 0 0 0 /Talk taro", "20 0 0 0 /Talk taro "});
  editor.Button12Click();
  editor.Button12Click();  // an action that is not one of the fourteen
  EXPECT_EQ(edit13_.Text(), "F1");
  EXPECT_TRUE(shift_.IsChecked() && alt_.IsChecked() && ctrl_.IsChecked());
  EXPECT_EQ(action_.SelectedIndex(), -1);
  EXPECT_FALSE(argument_.IsVisible() || phrase_.IsVisible());
  editor.Button9Click();  // no action: nothing to register
  EXPECT_EQ(macro_list_[1], "70 1 1 1 /Jump x ");

  for (int entry = 3; entry <= 8; ++entry) {
    editor.Button12Click();
    EXPECT_EQ(label16_.Caption(), "No." + std::to_string(entry));
    EXPECT_EQ(argument_.SelectedIndex(), -1) << entry;
    EXPECT_EQ(phrase_.SelectedIndex(), -1) << entry;
  }
  editor.Button12Click();  // a "/Talk" line that ends after its argument
  EXPECT_EQ(Picked(argument_), "taro");
  EXPECT_EQ(phrase_.SelectedIndex(), -1);
  // Entry 5: the flags that are there are read, the missing ones are off.
  editor.MacroIndex = 4;
  editor.ShowMacroEntry();
  EXPECT_EQ(editor.KeyCodeText, "71");
  EXPECT_TRUE(alt_.IsChecked());
  EXPECT_FALSE(ctrl_.IsChecked());
  EXPECT_EQ(action_.SelectedIndex(), -1);
  // Entry 6: a known action whose empty text leaves the phrase box unchosen.
  editor.MacroIndex = 5;
  editor.ShowMacroEntry();
  EXPECT_EQ(Picked(action_), "発言");
  EXPECT_TRUE(phrase_.IsVisible());
}

TEST_F(MacroEditorTest, AnEntryLostFromTheListIsNeverUsed) {
  MacroEditor& editor = Open(kThree);
  for (int i = 0; i < 3; ++i) editor.Button12Click();
  macro_list_.resize(1);  // shortened while entry 3 is shown
  const Lines before = macro_list_;
  editor.Button9Click();
  editor.Button10Click();
  editor.Button12Click();
  EXPECT_EQ(macro_list_, before);
  editor.Button11Click();  // back from the end of what is left
  EXPECT_EQ(label16_.Caption(), "No.1");
  EXPECT_EQ(Picked(action_), "/Where");

  macro_list_.clear();
  editor.ShowMacroEntry();
  EXPECT_EQ(editor.MacroIndex, -1);
  EXPECT_EQ(label16_.Caption(), "新規");
}

}  // namespace
}  // namespace tamiru::app

// The macro keys on the main window: Timer4 polls a scripted keyboard on the
// simulated desktop and runs the actions of the lines whose combination is
// down, while the game client or Tamiru is in front.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "app/macro_editor.h"
#include "app/main_window.h"
#include "app/settings_dialog.h"
#include "game/discovery.h"
#include "platform/event_loop.h"
#include "tests/app/form_fixture.h"
#include "tests/stats/score_test_util.h"

namespace tamiru::app {
namespace {

using testing_support::FormTest;
using Lines = std::vector<std::string>;
namespace msg = platform::msg;
namespace score = stats::testing;

constexpr int kShift = 0x10, kCtrl = 0x11, kAlt = 0x12, kSpace = 0x20, kF1 = 0x70, kF2 = 0x71, kF12 = 0x7B;

// Keys held down by the test, at times it schedules on the fake clock.
class Keyboard : public platform::Input {
 public:
  bool IsKeyDown(int virtual_key) override {
    ++reads;
    return down.count(virtual_key) != 0;
  }
  Point CursorPosition() override { return {}; }
  std::set<int> down;
  std::size_t reads = 0;
};

// A mouse as the system reports it: by physical button, with the user's
// choice of which one is primary beside it.
class Mouse : public platform::PhysicalInput {
 public:
  Point CursorPosition() override { return {}; }
  std::set<int> physical_down;
  bool swapped = false;

 protected:
  bool PhysicalKeyDown(int physical_key) override { return physical_down.count(physical_key) != 0; }
  bool ButtonsSwapped() override { return swapped; }
};

class FormMacroTest : public FormTest {
 protected:
  // Tamiru with Macro=1, the given macro and friend files, its own main
  // window on the desktop, and the game main window in front.
  void StartMacros(const std::string& macros, const std::string& friends = {}, const std::string& ini = {},
                   FormServices* with = nullptr) {
    WriteIni("Macro=1\r\nUserName2=me\r\n" + ini);
    WriteLists(friends, {}, {}, macros);
    form = std::make_unique<TForm1>(with != nullptr ? *with : keyboard_services);
    own_window = desktop.CreateTopLevel("TForm1", "Tamiru Ver1.52");
    game = desktop.CreateGameMainWindow();
    desktop.SetForeground(game.window);
  }
  // Holds `keys` from `from_ms` after now for `for_ms`.
  void Hold(std::initializer_list<int> keys, std::uint32_t from_ms, std::uint32_t for_ms) {
    const std::set<int> held(keys);
    loop.ScheduleAfter(from_ms, [this, held] { keyboard.down.insert(held.begin(), held.end()); });
    loop.ScheduleAfter(from_ms + for_ms, [this, held] {
      for (int key : held) keyboard.down.erase(key);
    });
  }
  // Holds `keys` over exactly one tick (80 ms, the ticks' spacing) and
  // lets every action finish.
  void Tap(std::initializer_list<int> keys) {
    Hold(keys, 1, 80);
    loop.Advance(30000);
  }
  Lines Sent() { return desktop.Submitted(game.chat_input); }
  // The lines sent since the first `before` ones.
  Lines SentAfter(std::size_t before) {
    const Lines all = Sent();
    return Lines(all.begin() + static_cast<std::ptrdiff_t>(std::min(before, all.size())), all.end());
  }
  // What was typed into the game chat input, in order. The simple commands
  // post their Enter, so a second one typed in the same tick replaces the
  // first before the client takes it, as it would in the real client.
  Lines TypedLines() {
    Lines lines;
    for (const auto& [line, tick] : Typed()) lines.push_back(line);
    return lines;
  }
  // The lines typed into the game chat input, with the tick of each.
  std::vector<std::pair<std::string, std::uint32_t>> Typed() {
    std::vector<std::pair<std::string, std::uint32_t>> typed;
    for (const auto& m : desktop.MessagesTo(game.chat_input, msg::kSetText)) {
      if (!m.text.empty()) typed.emplace_back(m.text, m.tick);
    }
    return typed;
  }

  Keyboard keyboard;
  FormServices keyboard_services{desktop, loop, keyboard, shell, sound, dialogs, host, still_screen};
  Mouse mouse;
  FormServices mouse_services{desktop, loop, mouse, shell, sound, dialogs, host, still_screen};
  platform::WindowHandle own_window = platform::kNoWindow;
  platform::fake::GameMainWindows game;
};

TEST_F(FormMacroTest, HeldCombinationFiresOnEveryTickThatSeesItAndOnlyWithExactModifiers) {
  StartMacros("70 0 1 0 /Where <all> \r\n", "aaa\r\nbbb\r\n");
  ASSERT_TRUE(form->Timer4->IsEnabled());
  EXPECT_EQ(form->Timer4->Interval(), 80u);

  // ALT+F1 held 250 ms: the ticks at 160, 240 and 320 ms see it.
  Hold({kAlt, kF1}, 100, 250);
  loop.Advance(1000);
  EXPECT_EQ(Sent(), (Lines{"/w aaa", "/w bbb", "/w aaa", "/w bbb", "/w aaa", "/w bbb"}));

  for (const auto& keys : {std::initializer_list<int>{kShift, kAlt, kF1}, {kAlt, kCtrl, kF1}, {kF1}, {kAlt}}) {
    Hold(keys, 100, 250);
    loop.Advance(1000);
  }
  EXPECT_EQ(Sent().size(), 6u);
  EXPECT_TRUE(dialogs.errors.empty());
}

// The button pressed into the editor's key box is the one whose macro then
// fires, whichever physical button the user has made primary: 01 is the
// primary button, 02 the secondary one.
TEST_F(FormMacroTest, MouseButtonCapturedInTheEditorIsTheOneThePollFindsDown) {
  constexpr int kPhysicalLeft = 0x01, kPhysicalRight = 0x02;
  StartMacros({}, {}, {}, &mouse_services);
  platform::fake::FakeFormHost dialog_host(loop);
  TForm2 dialog(SettingsDialogOwnerOf(*form), dialog_host);
  struct Case {
    bool swapped;
    int pressed, other;  // physical buttons
    std::string code;
  };
  for (const Case& c : {Case{false, kPhysicalLeft, kPhysicalRight, "01"}, Case{false, kPhysicalRight, kPhysicalLeft, "02"},
                        Case{true, kPhysicalRight, kPhysicalLeft, "01"}, Case{true, kPhysicalLeft, kPhysicalRight, "02"}}) {
    SCOPED_TRACE(c.code + (c.swapped ? " swapped" : ""));
    mouse.swapped = c.swapped;
    mouse.physical_down = {c.pressed};
    ASSERT_TRUE(dialog_host.MouseButtonDown("Edit13", mouse));
    mouse.physical_down.clear();
    EXPECT_EQ(dialog.MacroPage->KeyCodeText, c.code);

    form->Macros.MacroList = {dialog.MacroPage->KeyCodeText + " 0 0 0 /List "};
    const std::size_t before = TypedLines().size();
    for (const int held : {c.other, c.pressed}) {
      loop.ScheduleAfter(1, [this, held] { mouse.physical_down = {held}; });
      loop.ScheduleAfter(81, [this] { mouse.physical_down.clear(); });
      loop.Advance(30000);
    }
    EXPECT_EQ(TypedLines().size(), before + 1) << "only the captured button fires";
  }
}

TEST_F(FormMacroTest, EveryLineOnTheCombinationFiresInListOrderAndBrokenLinesBindNothing) {
  // A hand-edited file: the broken lines are skipped, the others work as if
  // the broken ones were not there, and no error is shown on any tick.
  StartMacros(
      "7B 0 0 0 /Hide \r\n"
      "\r\n"
      "garbage\r\n"
      "7B 0 0 0 /CHATON\r\n"
      "ZZ 0 0 0 /List \r\n"
      "7B 0 0 0 /Where aaaaaaaaaaaaaaaaaaaaaaaaa \r\n"
      "7B 0 0 0 発言 \r\n"
      "7B 0 0 0 /List \r\n");
  Tap({kF12});
  EXPECT_EQ(TypedLines(), (Lines{"/h", "/l"}));
  EXPECT_TRUE(dialogs.errors.empty());

  // An empty list: the poll does nothing.
  form->Macros.MacroList.clear();
  Tap({kF12});
  EXPECT_EQ(TypedLines().size(), 2u);
}

TEST_F(FormMacroTest, FiresOnlyWithTheGameWindowOrTamiruInFront) {
  StartMacros("7B 0 0 0 OPEN macro \r\n");
  const auto room = desktop.CreateWaitingRoom();
  const auto settings_dialog = desktop.CreateTopLevel("TForm2", "各種設定");
  const auto other = desktop.CreateTopLevel("Notepad", "Tamiru.txt - Notepad");
  // "Tamiru" here starts on the trail byte of a double-byte character.
  const auto trail = desktop.CreateTopLevel("TForm1", "\x81Tamiru");
  const auto fires_with = [&](platform::WindowHandle front) {
    desktop.SetForeground(front);
    const std::size_t before = shell.calls.size();
    Tap({kF12});
    return shell.calls.size() - before;
  };
  EXPECT_EQ(fires_with(game.window), 1u);
  EXPECT_EQ(fires_with(own_window), 1u);
  EXPECT_EQ(fires_with(room.window), 0u) << "the waiting room counts only while no table window exists";
  EXPECT_EQ(fires_with(settings_dialog), 0u);
  EXPECT_EQ(fires_with(other), 0u);
  EXPECT_EQ(fires_with(trail), 0u);

  desktop.Destroy(game.window);
  EXPECT_EQ(fires_with(room.window), 1u);
  desktop.Destroy(room.window);
  EXPECT_EQ(fires_with(own_window), 1u) << "no client: Tamiru in front still runs the actions";
  EXPECT_EQ(fires_with(platform::kNoWindow), 0u) << "nothing in front is not the absent client";
}

// The window in front decides first: with another program there no key is
// read at all, and with the game in front each key once a tick, however
// many lines share it. A second room titled like the waiting room is not it.
TEST_F(FormMacroTest, IdleTicksReadEachKeyOnceAndNoneWithAnotherProgramInFront) {
  std::string macros;
  for (int i = 0; i < 20; ++i) macros += "7B 0 0 0 /Hide \r\n";
  macros += "41 0 1 0 /Hide \r\n42 0 1 0 /Hide \r\n";
  StartMacros(macros);
  const auto reads_in_ten_ticks = [&](platform::WindowHandle front) {
    desktop.SetForeground(front);
    keyboard.reads = 0;
    loop.Advance(10 * 80);
    return keyboard.reads;
  };
  EXPECT_EQ(reads_in_ten_ticks(desktop.CreateTopLevel("Notepad", "Tamiru.txt - Notepad")), 0u);
  EXPECT_EQ(reads_in_ten_ticks(game.window), 20u) << "F12 and ALT once a tick";
  form->Macros.MacroList.clear();
  for (int key = 0x41; key < 0x41 + 20; ++key) {
    form->Macros.MacroList.push_back(std::string{"0123456789ABCDEF"[key >> 4], "0123456789ABCDEF"[key & 15]} + " 0 1 0 /Hide ");
  }
  EXPECT_EQ(reads_in_ten_ticks(game.window), 10u) << "twenty ALT lines: ALT once a tick, no key";
  Tap({kAlt, 0x41 + 19});
  EXPECT_EQ(TypedLines().size(), 1u) << "and the last line still fires";

  form->Macros.MacroList = {"7B 0 0 0 OPEN macro "};
  desktop.Destroy(game.window);
  const auto room = desktop.CreateWaitingRoom().window;
  const auto other_room = desktop.CreateTopLevel("#32770", "待合室");
  const auto found = game::FindWaitingRoom(desktop);
  ASSERT_TRUE(found == room || found == other_room);
  desktop.SetForeground(found == room ? other_room : room);
  Tap({kF12});
  EXPECT_TRUE(shell.calls.empty());
  desktop.SetForeground(found);
  Tap({kF12});
  EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(FormMacroTest, TalkToAllSendsEachFriendAPauseApartAndEmptiesTheChatLine) {
  StartMacros("20 0 0 0 /Talk <all> よろしく お願いします \r\n", "aaa\r\nbbb\r\nccc\r\n");
  form->ComboBox1->SetText("typed by the user");
  std::string during_pause;
  loop.ScheduleAfter(3000, [&] { during_pause = form->ComboBox1->Text(); });
  Tap({kSpace});
  EXPECT_EQ(during_pause, "よろしく お願いします");
  const auto typed = Typed();
  ASSERT_EQ(typed.size(), 3u);
  EXPECT_EQ(typed[0].first, "/t aaa よろしく お願いします");
  EXPECT_EQ(typed[1].first, "/t bbb よろしく お願いします");
  EXPECT_EQ(typed[2].first, "/t ccc よろしく お願いします");
  EXPECT_EQ(typed[1].second - typed[0].second, 5500u);
  EXPECT_EQ(typed[2].second - typed[1].second, 5500u);
  EXPECT_EQ(form->ComboBox1->Text(), "");
}

TEST_F(FormMacroTest, HeldKeyFiresNestedInsideAPauseAndTheOuterSendKeepsItsPhrase) {
  StartMacros("20 0 0 0 /Talk <all> gg \r\n", "aaa\r\nbbb\r\n");
  // The tick at 160 ms starts the send; the one at 240 ms runs inside its
  // first pause and sends to every friend itself before the outer goes on.
  Hold({kSpace}, 100, 150);
  loop.Advance(20000);
  const auto typed = Typed();
  ASSERT_EQ(typed.size(), 4u);
  const std::uint32_t start = typed[0].second;
  EXPECT_EQ(typed[0], (std::pair<std::string, std::uint32_t>{"/t aaa gg", start}));
  EXPECT_EQ(typed[1], (std::pair<std::string, std::uint32_t>{"/t aaa gg", start + 80}));
  EXPECT_EQ(typed[2], (std::pair<std::string, std::uint32_t>{"/t bbb gg", start + 80 + 5500}));
  EXPECT_EQ(typed[3], (std::pair<std::string, std::uint32_t>{"/t bbb gg", start + 80 + 5500}))
      << "the nested send emptied the chat line under the outer one";
  EXPECT_EQ(form->ComboBox1->Text(), "");

  // Another phrase nested in the pause: the outer's later lines keep theirs.
  form->Macros.MacroList.push_back("71 0 0 0 /Talk <R-ListBox> nested ");
  form->ListBox2->SetItems({"sel"});
  Hold({kSpace}, 100, 80);
  Hold({kF2}, 1000, 80);
  loop.Advance(20000);
  EXPECT_EQ(Sent(), (Lines{"/t aaa gg", "/t aaa gg", "/t bbb gg", "/t bbb gg", "/t aaa gg", "/t sel nested",
                           "/t bbb gg"}));
  EXPECT_EQ(form->ComboBox1->Text(), "");
}

TEST_F(FormMacroTest, ListShortenedDuringAnActionIsNotReadPastItsNewEnd) {
  StartMacros("20 0 0 0 /Talk <all> hi \r\n7B 0 0 0 /Hide \r\n7B 0 0 0 /List \r\n", "aaa\r\nbbb\r\n");
  // F12 stays down; the space starts a send whose pause the editor's change
  // falls into: the list loses its last two lines (and its old storage).
  Hold({kF12}, 100, 12000);
  Hold({kSpace}, 100, 80);
  std::uint32_t shortened_at = 0;
  loop.ScheduleAfter(1000, [&] {
    form->Macros.MacroList = std::vector<std::string>{"20 0 0 0 /Talk <all> hi "};
    form->Macros.MacroList.shrink_to_fit();
    shortened_at = loop.TickCount();
  });
  loop.Advance(20000);
  const auto typed = Typed();
  std::size_t hides = 0;
  for (const auto& [line, tick] : typed) {
    if (line == "/h" || line == "/l") {
      hides += line == "/h";
      EXPECT_LT(tick, shortened_at) << "a removed line fired: " << line;
    }
  }
  // The nested ticks before the change (240 to 960 ms) still fired the
  // held F12 lines; the tick that waited did not go on past the new end.
  EXPECT_EQ(hides, 10u);
  EXPECT_EQ(typed.back().first, "/t bbb hi");
}

TEST_F(FormMacroTest, NestingIsBoundedWhileAKeyStaysDown) {
  StartMacros("20 0 0 0 /Talk <all> hi \r\n", "aaa\r\nbbb\r\n");
  Hold({kSpace}, 100, 3000);
  loop.Advance(90000);
  std::size_t first_lines = 0;
  for (const auto& line : Sent()) first_lines += line == "/t aaa hi";
  // One tick and seven nested in it; deeper ticks do nothing.
  EXPECT_EQ(first_lines, 8u);
}

TEST_F(FormMacroTest, EachActionOnce) {
  StartMacros("", "aaa\r\nbbb\r\n");
  folder.Write("ignorelist.txt", "ign1\r\nign2\r\n");
  form->ListBox2->SetItems({"sel"});
  const struct {
    const char* fields;
    Lines lines;
  } chat_actions[] = {
      {"/Where <R-ListBox> ", {"/w sel"}},
      {"/Where <all> ", {"/w aaa", "/w bbb"}},
      {"/Where taro ", {"/w taro"}},
      {"/Rank <R-ListBox> ", {"/r sel"}},
      {"/Rank <all> ", {"/r aaa", "/r bbb"}},
      {"/Rank taro ", {"/r taro"}},
      {"/Ignore <all> ", {"/i ign1", "/i ign2"}},
      {"/Ignore taro ", {"/i taro"}},
      {"/Talk <R-ListBox> hi there ", {"/t sel hi there"}},
      {"/Talk taro  hi ", {"/t taro  hi"}},
      {"/Hide ", {"/h"}},
      {"/List ", {"/l"}},
      {"/CHATON ", {"/chaton"}},
      {"/CHATOFF ", {"/chatoff"}},
      {"発言 こんにちは 皆さん ", {"こんにちは 皆さん"}},
      {"/Shout taro ", {}},
  };
  for (const auto& action : chat_actions) {
    form->Macros.MacroList = {std::string("7B 0 0 0 ") + action.fields};
    const std::size_t before = TypedLines().size();
    Tap({kF12});
    const Lines typed = TypedLines();
    EXPECT_EQ(Lines(typed.begin() + static_cast<std::ptrdiff_t>(before), typed.end()), action.lines)
        << action.fields;
  }

  // The image goes to the current folder under an automatic name.
  form->Settings.AutoNameImageFile = 1;
  form->Settings.ImageFileFormat = 0;
  form->Settings.TonpuImageNumber = 4;
  const auto previous_dir = std::filesystem::current_path();
  std::filesystem::current_path(folder.File(""));
  form->Macros.MacroList = {"7B 0 0 0 画像保存 "};
  Tap({kF12});
  std::filesystem::current_path(previous_dir);
  EXPECT_EQ(still_screen.grabs, 1);
  EXPECT_FALSE(folder.Read("Tonpu4.bmp").empty());

  // The spectate restarts the keep-alive interval: the tick count read as
  // signed, in seconds rounded toward zero.
  form->Macros.MacroList = {"7B 0 0 0 瞬間観戦 "};
  loop.SetTick(0xFFFFE000u);
  form->Timer4->SetInterval(80);  // the next tick 80 ms from the new time
  Tap({kF12});
  EXPECT_EQ(form->KeepAlive.KeepAliveStartSec, -8);  // 0xFFFFE050 is -8112 ms

  folder.Write("mjscore.txt", score::WithCrLf(score::Game({"aaa", "me", "ccc", "ddd"},
                                                          {{1, "me", 40}, {2, "aaa", 10}, {3, "ccc", -15},
                                                           {4, "ddd", -35}}) +
                                              score::Header() + score::PlayersLine({"xxx", "me", "yyy", "zzz"}) +
                                              "  東1局 0本場(リーチ0) xxx 1000点 ロン\n"));
  form->Macros.MacroList = {"7B 0 0 0 対/w,/r "};
  const std::size_t before = Sent().size();
  Tap({kF12});
  EXPECT_EQ(SentAfter(before), (Lines{"/w xxx", "/r xxx", "/w yyy", "/r yyy", "/w zzz", "/r zzz"}));

  // "対戦成績" with a name skips the checks of the button's report: here the
  // empty selection list stops the one but not the other.
  form->ListBox2->SetItems({});
  form->ComboBox1->SetText("kept");
  form->Macros.MacroList = {"7B 0 0 0 対戦成績 <R-ListBox> "};
  Tap({kF12});
  EXPECT_EQ(form->ComboBox1->Text(), "kept");
  form->Macros.MacroList = {"7B 0 0 0 対戦成績 aaa "};
  Tap({kF12});
  EXPECT_EQ(form->ComboBox1->Text(), "1勝0敗 平均順位1：2 平均得点40：10");
  for (const auto& error : dialogs.errors) ADD_FAILURE() << error.message;
}

TEST_F(FormMacroTest, OpenPicksTheFirstFileWordInItsOrderAndOpensItFromTheWindowsFolder) {
  StartMacros("");
  const struct {
    const char* argument;
    std::string path;
  } cases[] = {
      {"friendlist", form->Settings.File1}, {"ignorelist", form->Settings.File2},
      {"chatlist", form->Settings.File3},   {"mjscore", form->Settings.File4},
      {"keyword", form->Settings.File5},    {"macro", form->Settings.File6},
      {"macro+friendlist", form->Settings.File1}, {"keyword,mjscore", form->Settings.File4},
  };
  for (const auto& open : cases) {
    form->Macros.MacroList = {std::string("7B 0 0 0 OPEN ") + open.argument + " "};
    shell.calls.clear();
    Tap({kF12});
    ASSERT_EQ(shell.calls.size(), 1u) << open.argument;
    EXPECT_EQ(shell.calls[0].file, open.path) << open.argument;
    EXPECT_EQ(shell.calls[0].owner, host.Handle());
    EXPECT_EQ(shell.calls[0].verb, std::optional<std::string>("open"));
    EXPECT_EQ(shell.calls[0].directory, std::optional<std::string>("c:\\Windows"));
    EXPECT_EQ(shell.calls[0].show, 5);
  }
  form->Macros.MacroList = {"7B 0 0 0 OPEN Macro "};
  shell.calls.clear();
  Tap({kF12});
  EXPECT_TRUE(shell.calls.empty()) << "the words are compared byte for byte";
}

// A "/w ", "/r " or "/i " line over 19 bytes names no player and is not
// sent; a "/t " line may hold 99 bytes whatever its name's length.
TEST_F(FormMacroTest, OverLongNamesAreIgnoredAndOverLongTellLinesCutAtACharacter) {
  StartMacros("");
  const std::string name16(16, 'n');
  std::string phrase;
  for (int i = 0; i < 49; ++i) phrase += "あ";  // 98 bytes
  phrase += "x";
  for (const auto& [fields, expected] : std::vector<std::pair<std::string, Lines>>{
           {"/Where " + name16 + " ", {"/w " + name16}},
           {"/Where " + name16 + "n ", {}},
           {"/Rank " + name16 + "n ", {}},
           {"/Ignore " + name16 + "n ", {}},
           {"/Talk " + name16 + "n hi ", {"/t " + name16 + "n hi"}},
       }) {
    form->Macros.MacroList = {"7B 0 0 0 " + fields};
    const std::size_t before = Sent().size();
    Tap({kF12});
    EXPECT_EQ(SentAfter(before), expected) << fields;
  }

  // "/t taro " and 99 bytes of phrase: the line stops at 98 bytes, before
  // the double-byte character that would end past byte 99.
  form->Macros.MacroList = {"7B 0 0 0 /Talk taro " + phrase + " "};
  Tap({kF12});
  const std::string line = Sent().back();
  EXPECT_EQ(line.size(), 98u);
  EXPECT_EQ(line, "/t taro " + phrase.substr(0, 90));
}

}  // namespace
}  // namespace tamiru::app

// The macro key poll on the simulated desktop, without the main window:
// which lines fire for the window in front and the keys held.
#include "macro/macro_poll.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/fake/fake_desktop.h"
#include "platform/virtual_keys.h"

namespace tamiru::macro {
namespace {

class HeldKeys : public platform::Input {
 public:
  bool IsKeyDown(int virtual_key) override { return down.count(virtual_key) != 0; }
  Point CursorPosition() override { return {}; }
  std::set<int> down;
};

TEST(MacroPoll, FiresTheLinesWhoseKeysAreDownWhileTheGameOrThisProgramIsInFront) {
  constexpr int kF1 = 0x70, kF2 = 0x71;
  platform::fake::FakeEventLoop loop;
  platform::fake::FakeDesktop desktop{loop};
  const auto game = desktop.CreateGameMainWindow();
  const auto own = desktop.CreateTopLevel("TForm1", "Tamiru Ver1.52");
  const auto other = desktop.CreateTopLevel("Notepad", "memo");
  struct Case {
    const char* what;
    platform::WindowHandle front;
    std::set<int> down;
    std::vector<std::string> fired;  // the arguments of the lines that fire
  };
  const Case cases[] = {
      {"F1 at the table", game.window, {kF1}, {"one"}},
      {"ALT+F1 is another line", game.window, {kF1, platform::kVkMenu}, {"alt"}},
      {"both lines of F2", game.window, {kF2}, {"two", "again"}},
      {"this program in front", own, {kF1}, {"one"}},
      {"another program in front", other, {kF1}, {}},
      {"nothing held", game.window, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MacroPoll poll;
    poll.MacroList = {"70 0 0 0 /Where one ", "70 0 1 0 /Where alt ", "71 0 0 0 /Where two ", "not a line",
                      "71 0 0 0 /Where again "};
    HeldKeys keys;
    keys.down = c.down;
    desktop.SetForeground(c.front);
    std::vector<std::string> fired;
    poll.Tick(desktop, keys, own, [&](const TMacroEntry& entry) { fired.push_back(entry.argument); });
    EXPECT_EQ(fired, c.fired);
  }
}

// A combination held while its action waits starts ticks inside the wait;
// they nest only a few deep.
TEST(MacroPoll, TicksNestedInsideActionsStopAFewDeep) {
  platform::fake::FakeEventLoop loop;
  platform::fake::FakeDesktop desktop{loop};
  const auto game = desktop.CreateGameMainWindow();
  desktop.SetForeground(game.window);
  MacroPoll poll;
  poll.MacroList = {"70 0 0 0 /Where one "};
  HeldKeys keys;
  keys.down = {0x70};
  int runs = 0;
  std::function<void(const TMacroEntry&)> run = [&](const TMacroEntry&) {
    ++runs;
    poll.Tick(desktop, keys, platform::kNoWindow, run);
  };
  poll.Tick(desktop, keys, platform::kNoWindow, run);
  EXPECT_EQ(runs, 8);
}

}  // namespace
}  // namespace tamiru::macro

#include "macro/macro_poll.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "game/discovery.h"
#include "platform/virtual_keys.h"
#include "text/sjis.h"

namespace tamiru::macro {

namespace {

constexpr std::size_t kWindowTextBufferBytes = 256;
constexpr std::string_view kOwnTitleMark = "Tamiru";
constexpr std::string_view kOwnClassMark = "TForm1";

// Ticks nested inside their own actions' waits, at most. A key held down
// while an action waits starts a tick inside it every 80 ms; without a
// bound the nesting would grow for as long as the key is held, until the
// stack runs out.
constexpr int kMostNestedTicks = 8;

// What the window in front may be, told from that window alone.
enum class FrontWindow {
  kOther,           // neither: the tick reads no key
  kThisProgram,     // this program's main window: the rule holds
  kGameMain,        // of the game main window's class: the rule holds if it is the one found
  kWaitingRoomLike  // a dialog titled like the waiting room: likewise, while no table window exists
};

// The focus rule asks for the game window found on the desktop (the game
// main window, else the waiting room) or this program's main window in
// front. Only a window in front that could be one of them needs the
// desktop searched, so the search waits until a combination is down.
FrontWindow ClassifyFront(platform::WindowSystem& windows, platform::WindowHandle front,
                          const std::string& class_name) {
  if (front == platform::kNoWindow) return FrontWindow::kOther;
  const bool own_class = text::ContainsBytes(class_name, kOwnClassMark);
  const bool dialog_class = text::ContainsBytes(class_name, game::kDialogClass);
  if (own_class || dialog_class) {
    const std::string title = windows.GetWindowText(front, kWindowTextBufferBytes);
    if (own_class && text::ContainsSjis(title, kOwnTitleMark)) return FrontWindow::kThisProgram;
    if (dialog_class && text::ContainsSjis(title, game::kWaitingRoomTitle)) return FrontWindow::kWaitingRoomLike;
  }
  // The system compares class names without regard to case.
  if (text::EqualIgnoringCase(class_name, game::kGameMainClass)) return FrontWindow::kGameMain;
  return FrontWindow::kOther;
}

// The rest of the rule for a front window that could be the game window:
// it is the one the desktop search finds.
bool IsTheGameWindow(platform::WindowSystem& windows, platform::WindowHandle front, FrontWindow kind) {
  switch (kind) {
    case FrontWindow::kThisProgram:
      return true;
    case FrontWindow::kGameMain:
      return game::FindGameMainWindow(windows) == front;
    case FrontWindow::kWaitingRoomLike:
      return game::FindGameMainWindow(windows) == platform::kNoWindow && game::FindWaitingRoom(windows) == front;
    case FrontWindow::kOther:
      break;
  }
  return false;
}

// The keys a tick has read: each key is asked of the system once however
// many lines use it. Forgotten after an action, which may have waited.
class KeyStates {
 public:
  explicit KeyStates(platform::Input& input) : input_(input) {}
  bool Down(int virtual_key) {
    if (virtual_key < 0 || virtual_key >= static_cast<int>(known_.size())) return input_.IsKeyDown(virtual_key);
    std::uint8_t& state = known_[static_cast<std::size_t>(virtual_key)];
    if (state == kUnknown) state = input_.IsKeyDown(virtual_key) ? kDown : kUp;
    return state == kDown;
  }
  void Forget() { known_.fill(kUnknown); }

 private:
  static constexpr std::uint8_t kUnknown = 0, kUp = 1, kDown = 2;
  platform::Input& input_;
  std::array<std::uint8_t, 256> known_{};
};

// A line's key combination, read without copying its texts: every line is
// read on every tick, and only a line that fires needs its whole entry.
struct Combination {
  std::uint16_t key_code = 0;
  bool shift = false;
  bool alt = false;
  bool ctrl = false;
};

std::optional<Combination> CombinationOf(std::string_view line) {
  const auto fields = ReadMacroLineFields(line, ParseMode::kStrict);
  if (!fields) return std::nullopt;
  return Combination{*ParseMacroKeyCode(line), fields->shift, fields->alt, fields->ctrl};
}

bool ModifiersMatch(KeyStates& keys, const Combination& combination) {
  return keys.Down(platform::kVkShift) == combination.shift && keys.Down(platform::kVkMenu) == combination.alt &&
         keys.Down(platform::kVkControl) == combination.ctrl;
}

// A line's combination is down when its key and its three modifiers are as
// it says. Which is asked first changes only how often the system is asked:
// on a tick with nothing held, a line with a modifier is settled by the first
// modifier it needs held, which its lines share (twenty ALT lines cost one
// question), and a line without one by its key.
bool CombinationDown(KeyStates& keys, const Combination& combination) {
  if (!combination.shift && !combination.alt && !combination.ctrl) {
    return keys.Down(combination.key_code) && ModifiersMatch(keys, combination);
  }
  const bool held_ones_down = (!combination.alt || keys.Down(platform::kVkMenu)) &&
                              (!combination.ctrl || keys.Down(platform::kVkControl)) &&
                              (!combination.shift || keys.Down(platform::kVkShift));
  return held_ones_down && ModifiersMatch(keys, combination) && keys.Down(combination.key_code);
}

}  // namespace

void MacroPoll::Tick(platform::WindowSystem& windows, platform::Input& input, platform::WindowHandle this_program,
                     const std::function<void(const TMacroEntry&)>& run) {
  if (tick_depth_ >= kMostNestedTicks) return;
  const DepthScope depth(tick_depth_);
  if (MacroList.empty()) return;
  const platform::WindowHandle front = windows.GetForegroundWindow();
  // This program's own main window needs no look: its class and caption are
  // its own. Another window's class is asked once while it stays in front.
  const bool own_window = front != platform::kNoWindow && front == this_program;
  if (!own_window && front != front_) {
    front_ = front;
    front_class_ =
        front == platform::kNoWindow ? std::string() : windows.GetClassName(front, kWindowTextBufferBytes);
  }
  const FrontWindow front_kind =
      own_window ? FrontWindow::kThisProgram : ClassifyFront(windows, front, front_class_);
  if (front_kind == FrontWindow::kOther) return;
  KeyStates keys(input);
  std::optional<bool> rule_holds;

  // The count is read once; the list is asked again before each line, as an
  // editor change handled inside an action's wait may have shortened it.
  const std::size_t count = MacroList.size();
  for (std::size_t i = 0; i < count && i < MacroList.size(); ++i) {
    // A line that does not parse binds no key.
    const auto combination = CombinationOf(MacroList[i]);
    if (!combination || !CombinationDown(keys, *combination)) continue;
    const auto entry = ParseMacroLine(MacroList[i]);
    if (!rule_holds) rule_holds = IsTheGameWindow(windows, front, front_kind);
    if (!*rule_holds) return;
    // The entry is a copy: the action may wait, and the list may change.
    // An error ends the tick at the event boundary, as any handler's does.
    run(*entry);
    keys.Forget();
  }
}

}  // namespace tamiru::macro

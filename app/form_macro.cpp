// The macro keys: Timer4 polls the keyboard every 80 ms while the game
// client or this window is in front and runs the action of every macro line
// whose key combination is down.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "game/chat_send.h"
#include "game/discovery.h"
#include "lists/name_lists.h"
#include "macro/macro_actions.h"
#include "macro/macro_file.h"
#include "platform/virtual_keys.h"
#include "text/sjis.h"

namespace tamiru::app {

namespace {

constexpr std::size_t kWindowTextBufferBytes = 256;
constexpr std::string_view kOwnTitleMark = "Tamiru";
constexpr std::string_view kOwnClassMark = "TForm1";

// Ticks nested inside their own actions' waits, at most. A key held down
// while an action waits starts a tick inside it every 80 ms; without a
// bound the nesting would grow for as long as the key is held, until the
// stack runs out.
constexpr int kMostNestedTicks = 8;

// A counter that is one higher for the life of the scope.
class DepthScope {
 public:
  explicit DepthScope(int& depth) : depth_(depth) { ++depth_; }
  ~DepthScope() { --depth_; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;

 private:
  int& depth_;
};

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
  const auto fields = macro::ReadMacroLineFields(line, macro::ParseMode::kStrict);
  if (!fields) return std::nullopt;
  return Combination{*macro::ParseMacroKeyCode(line), fields->shift, fields->alt, fields->ctrl};
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

void TForm1::Timer4Timer() {
  if (Macros.tick_depth >= kMostNestedTicks) return;
  const DepthScope depth(Macros.tick_depth);
  if (Macros.MacroList.empty()) return;
  platform::WindowSystem& windows = services_.windows;
  const platform::WindowHandle front = windows.GetForegroundWindow();
  // This program's own main window needs no look: its class and caption are
  // its own. Another window's class is asked once while it stays in front.
  const bool own_window = front != platform::kNoWindow && front == services_.host.Handle();
  if (!own_window && front != Macros.front) {
    Macros.front = front;
    Macros.front_class =
        front == platform::kNoWindow ? std::string() : windows.GetClassName(front, kWindowTextBufferBytes);
  }
  const FrontWindow front_kind =
      own_window ? FrontWindow::kThisProgram : ClassifyFront(windows, front, Macros.front_class);
  if (front_kind == FrontWindow::kOther) return;
  KeyStates keys(services_.input);
  std::optional<bool> rule_holds;

  // The count is read once; the list is asked again before each line, as an
  // editor change handled inside an action's wait may have shortened it.
  const std::size_t count = Macros.MacroList.size();
  for (std::size_t i = 0; i < count && i < Macros.MacroList.size(); ++i) {
    // A line that does not parse binds no key.
    const auto combination = CombinationOf(Macros.MacroList[i]);
    if (!combination || !CombinationDown(keys, *combination)) continue;
    const auto entry = macro::ParseMacroLine(Macros.MacroList[i]);
    if (!rule_holds) rule_holds = IsTheGameWindow(windows, front, front_kind);
    if (!*rule_holds) return;
    // The entry is a copy: the action may wait, and the list may change.
    // An error ends the tick at the event boundary, as any handler's does.
    DispatchMacroAction(*entry);
    keys.Forget();
  }
}

// Each action's verb; Run picks it by the action.
struct TForm1::MacroVerbs {
  static void ForNames(TForm1& form, const macro::TMacroEntry& entry, const game::ChatCommand& selected,
                       const game::ChatCommand& friends, const game::ChatCommand& one_name) {
    switch (macro::TargetOf(entry.argument)) {
      case macro::ArgumentTarget::kSelectionList: form.SendNameCommand(selected); break;
      case macro::ArgumentTarget::kAll: form.SendNameCommand(friends); break;
      case macro::ArgumentTarget::kOneName: game::SendCommandForName(form.services().windows, one_name, entry.argument, {}); break;
    }
  }
  static void Where(TForm1& form, const macro::TMacroEntry& entry) {
    ForNames(form, entry, game::chat_command::kWhereSelected, game::chat_command::kWhereFriends,
             game::chat_command::kWhereName);
  }
  static void Rank(TForm1& form, const macro::TMacroEntry& entry) {
    ForNames(form, entry, game::chat_command::kRankSelected, game::chat_command::kRankFriends,
             game::chat_command::kRankName);
  }
  static void Ignore(TForm1& form, const macro::TMacroEntry& entry) {
    if (macro::TargetOf(entry.argument, false) == macro::ArgumentTarget::kAll) {
      form.SendNameCommand(game::chat_command::kIgnoreFile);
    } else {
      game::SendCommandForName(form.services().windows, game::chat_command::kIgnoreName, entry.argument, {});
    }
  }
  static void Talk(TForm1& form, const macro::TMacroEntry& entry) {
    switch (macro::TargetOf(entry.argument)) {
      case macro::ArgumentTarget::kSelectionList: TellList(form, entry, game::chat_command::kTellSelected); break;
      case macro::ArgumentTarget::kAll: TellList(form, entry, game::chat_command::kTellFriends); break;
      case macro::ArgumentTarget::kOneName:
        game::SendCommandForName(form.services().windows, game::chat_command::kTellName, entry.argument, entry.text);
        break;
    }
  }
  // The phrase goes through the chat line, which is emptied afterwards. A
  // "/Talk" nested inside another one's pause puts back the outer phrase
  // instead, which the outer send goes on reading line by line.
  static void TellList(TForm1& form, const macro::TMacroEntry& entry, const game::ChatCommand& command) {
    const std::string outer_text = form.Macros.talk_depth > 0 ? form.ComboBox1->Text() : std::string();
    const DepthScope talking(form.Macros.talk_depth);
    form.ComboBox1->SetText(entry.text);
    struct Restore {
      platform::ComboBox& line;
      const std::string& text;
      ~Restore() { line.SetText(text); }
    } restore{*form.ComboBox1, outer_text};
    form.SendNameCommand(command);
  }
  static void Hide(TForm1& form, const macro::TMacroEntry&) { form.SendSimpleCommand(game::chat_command::kHide); }
  static void List(TForm1& form, const macro::TMacroEntry&) { form.SendSimpleCommand(game::chat_command::kList); }
  static void ChatOn(TForm1& form, const macro::TMacroEntry&) { form.SendSimpleCommand(game::chat_command::kChatOn); }
  static void ChatOff(TForm1& form, const macro::TMacroEntry&) {
    form.SendSimpleCommand(game::chat_command::kChatOff);
  }
  static void Say(TForm1& form, const macro::TMacroEntry& entry) { game::SendChatText(form.services().windows, entry.text); }
  static void SaveImage(TForm1& form, const macro::TMacroEntry&) { form.SaveGameImage(); }
  // Unlike the button, no chat capture first.
  static void Spectate(TForm1& form, const macro::TMacroEntry&) {
    game::SpectateOnce(form.KeepAlive, form.SpectateContext());
    form.KeepAlive.KeepAliveStartSec = platform::SecondsSinceStart(form.services_.loop.TickCount());
  }
  static void LookUp(TForm1& form, const macro::TMacroEntry&) { form.LookUpOpponents(); }
  static void Scores(TForm1& form, const macro::TMacroEntry& entry) {
    if (macro::TargetOf(entry.argument) == macro::ArgumentTarget::kSelectionList) {
      form.ShowScoreReport();
    } else {
      form.ReportScoresFor(entry.argument);
    }
  }
  static void Open(TForm1& form, const macro::TMacroEntry& entry) {
    const settings::TSettings& s = form.Settings;
    const std::array<const std::string*, 6> files{&s.File1, &s.File2, &s.File3, &s.File4, &s.File5, &s.File6};
    const int number = macro::OpenFileNumber(entry.argument);
    if (number == 0) return;
    lists::OpenListFileForUser(form.services_.shell, form.services_.host.Handle(),
                               *files[static_cast<std::size_t>(number - 1)]);
  }

  // Every action has its case and there is no default: an action added
  // without its verb stops the build here, not the program when it fires.
#pragma GCC diagnostic push
#pragma GCC diagnostic error "-Wswitch"
  static void Run(TForm1& form, macro::MacroAction action, const macro::TMacroEntry& entry) {
    switch (action) {
      case macro::MacroAction::kWhere: return Where(form, entry);
      case macro::MacroAction::kRank: return Rank(form, entry);
      case macro::MacroAction::kIgnore: return Ignore(form, entry);
      case macro::MacroAction::kTalk: return Talk(form, entry);
      case macro::MacroAction::kHide: return Hide(form, entry);
      case macro::MacroAction::kList: return List(form, entry);
      case macro::MacroAction::kChatOn: return ChatOn(form, entry);
      case macro::MacroAction::kChatOff: return ChatOff(form, entry);
      case macro::MacroAction::kSay: return Say(form, entry);
      case macro::MacroAction::kSaveImage: return SaveImage(form, entry);
      case macro::MacroAction::kSpectate: return Spectate(form, entry);
      case macro::MacroAction::kLookUpOpponents: return LookUp(form, entry);
      case macro::MacroAction::kScores: return Scores(form, entry);
      case macro::MacroAction::kOpen: return Open(form, entry);
    }
  }
#pragma GCC diagnostic pop
};

void TForm1::DispatchMacroAction(const macro::TMacroEntry& entry) {
  const macro::MacroActionSpec* row = macro::DispatchedMacroAction(entry.action);
  if (row == nullptr) return;
  MacroVerbs::Run(*this, row->action, entry);
}

}  // namespace tamiru::app

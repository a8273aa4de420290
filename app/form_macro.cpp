// The macro keys: Timer4 polls the keyboard every 80 ms while the game
// client or this window is in front and runs the action of every macro line
// whose key combination is down.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/main_window.h"
#include "game/chat_send.h"
#include "game/discovery.h"
#include "lists/name_lists.h"
#include "macro/macro_file.h"
#include "text/sjis.h"

namespace tamiru::app {

namespace {

constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;
constexpr int kVkMenu = 0x12;  // ALT
constexpr std::size_t kWindowTextBufferBytes = 256;
constexpr std::string_view kOwnTitleMark = "Tamiru";
constexpr std::string_view kOwnClassMark = "TForm1";

// The longest "/w ", "/r " or "/i " line: holds the longest player name
// (12 bytes) with room to spare. A longer argument names no player.
constexpr std::size_t kNameCommandMaxBytes = 19;
// The longest "/t " line a macro composes.
constexpr std::size_t kMacroTellLineMaxBytes = 99;

// Ticks nested inside their own actions' waits, at most. A key held down
// while an action waits starts a tick inside it every 80 ms; without a
// bound the nesting would grow for as long as the key is held, until the
// stack runs out.
constexpr int kMostNestedTicks = 8;

constexpr std::string_view kRightList = "<R-ListBox>";
constexpr std::string_view kAll = "<all>";

bool Has(std::string_view text, std::string_view name) { return text::ContainsSjis(text, name); }
bool HasBytes(std::string_view text, std::string_view name) { return text::ContainsBytes(text, name); }

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

// Focus rule: the game window (the waiting room only while no table window
// exists) or this program's main window must be in front. No window in front
// at all is neither.
bool GameOrThisProgramInFront(platform::WindowSystem& windows) {
  platform::WindowHandle game = game::FindGameMainWindow(windows);
  if (game == platform::kNoWindow) game = game::FindWaitingRoom(windows);
  if (game != platform::kNoWindow && windows.GetForegroundWindow() == game) return true;
  const platform::WindowHandle front = windows.GetForegroundWindow();
  if (front == platform::kNoWindow) return false;
  if (!Has(windows.GetWindowText(front, kWindowTextBufferBytes), kOwnTitleMark)) return false;
  return HasBytes(windows.GetClassName(front, kWindowTextBufferBytes), kOwnClassMark);
}

}  // namespace

void TForm1::WireMacroHandlers() {
  OnTimer(*Timer4, &TForm1::Timer4Timer);
  // A held combination fires again inside a long action's wait.
  Timer4->SetNestedTicks(true);
}

void TForm1::Timer4Timer() {
  if (macro_tick_depth_ >= kMostNestedTicks) return;
  const DepthScope depth(macro_tick_depth_);
  platform::Input& input = services_.input;
  std::optional<bool> in_front;

  // The count is read once; the list is asked again before each line, as an
  // editor change handled inside an action's wait may have shortened it.
  const std::size_t count = MacroList.size();
  for (std::size_t i = 0; i < count && i < MacroList.size(); ++i) {
    // The key first: most lines are up, and their other fields are not
    // needed. A line that does not parse binds no key.
    const auto key_code = macro::ParseMacroKeyCode(MacroList[i]);
    if (!key_code || !input.IsKeyDown(*key_code)) continue;
    const auto entry = macro::ParseMacroLine(MacroList[i]);
    if (!entry) continue;
    if (input.IsKeyDown(kVkShift) != entry->shift) continue;
    if (input.IsKeyDown(kVkMenu) != entry->alt) continue;
    if (input.IsKeyDown(kVkControl) != entry->ctrl) continue;
    // The focus rule only reads windows, so it is asked once a whole
    // combination is down rather than on every tick: an idle tick then
    // touches no window, where a pass over every top-level window for the
    // waiting room costs more than the rest of the tick.
    if (!in_front) in_front = GameOrThisProgramInFront(services_.windows);
    if (!*in_front) return;
    // The entry is a copy: the action may wait, and the list may change.
    // An error ends the tick at the event boundary, as any handler's does.
    DispatchMacroAction(*entry);
  }
}

void TForm1::DispatchMacroAction(const macro::TMacroEntry& entry) {
  const std::string& action = entry.action;
  const std::string& argument = entry.argument;

  // "/w name", "/r name", "/i name": a name too long for a player's is no
  // player's, and a cut one might be another's: such an entry does nothing.
  const auto send_name_line = [this, &argument](std::string_view command) {
    if (command.size() + argument.size() > kNameCommandMaxBytes) return;
    SendChatText(std::string(command).append(argument));
  };
  const auto for_names = [this, &argument](int selected_kind, int friends_kind, std::string_view command,
                                           const auto& send_one) {
    if (Has(argument, kRightList)) {
      SendNameCommand(selected_kind);
    } else if (Has(argument, kAll)) {
      SendNameCommand(friends_kind);
    } else {
      send_one(command);
    }
  };

  if (HasBytes(action, "/Where")) {
    for_names(game::name_kind::kWhereSelected, game::name_kind::kWhereFriends, "/w ", send_name_line);
  } else if (HasBytes(action, "/Rank")) {
    for_names(game::name_kind::kRankSelected, game::name_kind::kRankFriends, "/r ", send_name_line);
  } else if (HasBytes(action, "/Ignore")) {
    if (Has(argument, kAll)) {
      SendNameCommand(game::name_kind::kIgnoreFile);
    } else {
      send_name_line("/i ");
    }
  } else if (HasBytes(action, "/Talk")) {
    const auto tell_list = [this, &entry](int kind) {
      // The phrase goes through the chat line, which is emptied afterwards.
      // A "/Talk" nested inside another one's pause puts back the outer
      // phrase instead, which the outer send goes on reading line by line.
      const std::string outer_text = macro_talk_depth_ > 0 ? ComboBox1->Text() : std::string();
      const DepthScope talking(macro_talk_depth_);
      ComboBox1->SetText(entry.text);
      struct Restore {
        platform::ComboBox& line;
        const std::string& text;
        ~Restore() { line.SetText(text); }
      } restore{*ComboBox1, outer_text};
      SendNameCommand(kind);
    };
    const auto tell_one = [this, &entry, &argument](std::string_view command) {
      if (command.size() + argument.size() > kNameCommandMaxBytes) return;
      std::string line(command);
      line.append(argument).append(" ").append(entry.text);
      SendChatText(text::CutAtCharBoundary(line, kMacroTellLineMaxBytes));
    };
    if (Has(argument, kRightList)) {
      tell_list(game::name_kind::kTellSelected);
    } else if (Has(argument, kAll)) {
      tell_list(game::name_kind::kTellFriends);
    } else {
      tell_one("/t ");
    }
  } else if (HasBytes(action, "/Hide")) {
    SendSimpleCommand(game::simple_kind::kHide);
  } else if (HasBytes(action, "/List")) {
    SendSimpleCommand(game::simple_kind::kList);
  } else if (HasBytes(action, "/CHATON")) {
    SendSimpleCommand(game::simple_kind::kChatOn);
  } else if (HasBytes(action, "/CHATOFF")) {
    SendSimpleCommand(game::simple_kind::kChatOff);
  } else if (Has(action, "発言")) {
    SendChatText(entry.text);
  } else if (Has(action, "画像保存")) {
    SaveGameImage();
  } else if (Has(action, "瞬間観戦")) {
    // Unlike the button, no chat capture first.
    SpectateOnce();
    KeepAliveStartSec = platform::SecondsSinceStart(services_.loop.TickCount());
  } else if (Has(action, "対/w,/r")) {
    LookUpOpponents();
  } else if (Has(action, "対戦成績")) {
    if (Has(argument, kRightList)) {
      ShowScoreReport();
    } else {
      ReportScoresFor(argument);
    }
  } else if (Has(action, "OPEN")) {
    const std::string* path = nullptr;
    if (HasBytes(argument, "friendlist")) {
      path = &Settings.File1;
    } else if (HasBytes(argument, "ignorelist")) {
      path = &Settings.File2;
    } else if (HasBytes(argument, "chatlist")) {
      path = &Settings.File3;
    } else if (HasBytes(argument, "mjscore")) {
      path = &Settings.File4;
    } else if (HasBytes(argument, "keyword")) {
      path = &Settings.File5;
    } else if (HasBytes(argument, "macro")) {
      path = &Settings.File6;
    }
    if (path != nullptr) lists::OpenListFileForUser(services_.shell, services_.host.Handle(), *path);
  }
}

}  // namespace tamiru::app

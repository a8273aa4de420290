// The macro keys: Timer4's tick asks the macro poll which lines' key
// combinations are down and runs each line's action here.
#include <array>
#include <string>

#include "app/main_window.h"
#include "game/chat_send.h"
#include "lists/name_lists.h"
#include "macro/macro_actions.h"
#include "macro/macro_file.h"

namespace tamiru::app {

void TForm1::Timer4Timer() {
  Macros.Tick(services_.windows, services_.input, services_.host.Handle(),
              [this](const macro::TMacroEntry& entry) { DispatchMacroAction(entry); });
}

// Each action's verb; Run picks it by the action.
struct TForm1::MacroVerbs {
  static void ForNames(TForm1& form, const macro::TMacroEntry& entry, const game::ChatCommand& selected,
                       const game::ChatCommand& friends, const game::ChatCommand& one_name) {
    switch (macro::TargetOf(entry.argument)) {
      case macro::ArgumentTarget::kSelectionList: form.SendNameCommand(selected); break;
      case macro::ArgumentTarget::kAll: form.SendNameCommand(friends); break;
      case macro::ArgumentTarget::kOneName:
        game::SendCommandForName(form.services().windows, one_name, entry.argument, {});
        break;
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
    const macro::DepthScope talking(form.Macros.talk_depth);
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

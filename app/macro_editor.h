#pragma once
// The macro key page of the settings dialog: browses, creates, changes and
// deletes the lines of the main window's MacroList one at a time, and writes
// the macro file after every registration and deletion. The dialog creates
// the page's controls and forwards their events to the handlers here.
#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "settings/settings.h"

namespace tamiru::macro {
struct MacroActionSpec;
}  // namespace tamiru::macro

namespace tamiru::app {

struct MacroEditorControls {
  platform::Label& Label15;   // number of lines in MacroList
  platform::Label& Label16;   // "新規" or "No." and the shown entry's number
  platform::Edit& Edit13;     // display name of the captured key (read-only)
  platform::CheckBox& CheckBox4;  // SHIFT
  platform::CheckBox& CheckBox5;  // ALT
  platform::CheckBox& CheckBox6;  // CTRL
  platform::ComboBox& ComboBox1;  // action, pick only
  platform::ComboBox& ComboBox2;  // argument, pick only
  platform::ComboBox& ComboBox3;  // text (chat phrases), pick only
};

class MacroEditor {
 public:
  // Fills ComboBox1 with the fourteen actions, loads ComboBox3 from the
  // phrase list file settings.File3 (throws FileOpenError when it cannot be
  // read: the dialog then does not open), shows the number of lines of
  // `macro_list` in Label15 and sets the new-entry state (MacroIndex -1,
  // Label16 "新規", ALT checked, both argument boxes hidden).
  // `settings` and `macro_list` are the main window's and must outlive the
  // editor; they are read at each use, since the dialog's OK may change the
  // file paths while the page lives. `show_error` is the general error
  // display.
  MacroEditor(const MacroEditorControls& controls, const settings::TSettings& settings,
              std::vector<std::string>& macro_list, std::function<void(const std::string& message)> show_error);

  // The user picked an action.
  void ComboBox1Click();
  // A key went down in Edit13; modifiers alone are never captured.
  void Edit13KeyDown(int virtual_key);
  void Button9Click();   // "登録": register a new entry or replace the shown one
  void Button10Click();  // "削除": delete the shown entry
  void Button11Click();  // "前": previous entry, or the new-entry state before the first
  void Button12Click();  // "次": next entry

  // Shows and fills ComboBox2 and ComboBox3 as the action in ComboBox1 asks.
  void UpdateArgumentBoxes();
  // Loads the line at MacroIndex into the controls.
  void ShowMacroEntry();
  // Back to an empty new entry.
  void ResetMacroEditor();

  int MacroIndex = -1;      // index in MacroList of the shown entry, -1 for a new one
  std::string KeyCodeText;  // captured key: two uppercase hex digits, or empty

 private:
  std::vector<std::string> ArgumentChoices(const macro::MacroActionSpec& row);
  void ShowEntry();  // ShowMacroEntry, then the entry's number in Label16
  void ShowCount();  // the number of lines in Label15
  void Save();       // SaveMacroFile; a failure goes to the error display

  MacroEditorControls controls_;
  const settings::TSettings& settings_;
  std::vector<std::string>& macro_list_;
  std::function<void(const std::string&)> show_error_;
};

}  // namespace tamiru::app

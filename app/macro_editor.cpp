#include "app/macro_editor.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

#include "macro/key_names.h"
#include "macro/macro_actions.h"
#include "macro/macro_file.h"
#include "platform/files.h"
#include "platform/virtual_keys.h"
#include "text/error.h"

namespace tamiru::app {
namespace {

// The three combo boxes are pick-only lists: their text is the chosen item,
// and no choice means no text.
std::string PickedText(const platform::ComboBox& box) {
  const int selected = box.SelectedIndex();
  return selected >= 0 ? box.Item(selected) : std::string();
}

void SelectItem(platform::ComboBox& box, std::string_view item) {
  const std::vector<std::string> items = box.Items();
  const auto found = std::find(items.begin(), items.end(), item);
  box.SetSelectedIndex(found == items.end() ? -1 : static_cast<int>(found - items.begin()));
}

// Names and phrases come from list files that may hold what a macro line
// cannot: a name with a space or over the argument's limit, a phrase over the
// text's limit. Such a line would be stored yet never bind the key to what
// the page shows, so it is not registered.
bool BindsAsChosen(const std::string& line, std::string_view action, std::string_view argument,
                   std::string_view phrase) {
  const std::optional<macro::TMacroEntry> entry = macro::ParseMacroLine(line);
  return entry && entry->action == action && entry->argument == argument && entry->text == phrase;
}

}  // namespace

MacroEditor::MacroEditor(const MacroEditorControls& controls, const settings::TSettings& settings,
                         std::vector<std::string>& macro_list,
                         std::function<void(const std::string& message)> show_error)
    : controls_(controls), settings_(settings), macro_list_(macro_list), show_error_(std::move(show_error)) {
  std::vector<std::string> actions;
  for (const macro::MacroActionSpec& row : macro::kMacroActions) actions.emplace_back(row.name);
  controls_.ComboBox1.SetItems(actions);
  // The phrases are read once for the page's life; a missing file keeps the
  // dialog from opening.
  controls_.ComboBox3.SetItems(platform::ReadListFile(settings_.File3));
  ShowCount();
  ResetMacroEditor();
}

void MacroEditor::ComboBox1Click() { UpdateArgumentBoxes(); }

void MacroEditor::Edit13KeyDown(int virtual_key) {
  if (virtual_key == platform::kVkShift || virtual_key == platform::kVkControl || virtual_key == platform::kVkMenu) {
    return;
  }
  // A virtual-key code is one byte; anything else cannot be stored in the
  // line's two digits.
  if (virtual_key < 0x01 || virtual_key > 0xFF) return;
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(virtual_key));
  KeyCodeText = digits;
  controls_.Edit13.SetText(macro::KeyCodeToName(KeyCodeText));
}

void MacroEditor::Button9Click() {
  const bool argument_shown = controls_.ComboBox2.IsVisible();
  const bool text_shown = controls_.ComboBox3.IsVisible();
  const std::string action = PickedText(controls_.ComboBox1);
  const std::string argument = PickedText(controls_.ComboBox2);
  const std::string phrase = PickedText(controls_.ComboBox3);
  if (controls_.Edit13.Text().empty() || action.empty() || (argument_shown && argument.empty()) ||
      (text_shown && phrase.empty()) || KeyCodeText.empty()) {
    return;
  }
  // The shown entry is gone from the list: there is nothing left to replace.
  if (MacroIndex >= static_cast<int>(macro_list_.size())) return;

  std::string line = macro::ComposeMacroLine(
      KeyCodeText, controls_.CheckBox4.IsChecked(), controls_.CheckBox5.IsChecked(),
      controls_.CheckBox6.IsChecked(), action,
      argument_shown ? std::optional<std::string_view>(argument) : std::nullopt,
      text_shown ? std::optional<std::string_view>(phrase) : std::nullopt);
  if (!BindsAsChosen(line, action, argument_shown ? argument : "", text_shown ? phrase : "")) return;
  if (std::find(macro_list_.begin(), macro_list_.end(), line) != macro_list_.end()) return;

  if (MacroIndex == -1) {
    macro_list_.push_back(std::move(line));
    // Ready for the next new entry; the modifier boxes keep their states.
    controls_.ComboBox2.SetVisible(false);
    controls_.Edit13.SetText("");
    KeyCodeText.clear();
    controls_.ComboBox3.SetVisible(false);
    controls_.ComboBox2.SetItems({});
    controls_.ComboBox1.SetSelectedIndex(-1);
    ShowCount();
  } else {
    macro_list_[static_cast<std::size_t>(MacroIndex)] = std::move(line);
  }
  Save();
}

void MacroEditor::Button10Click() {
  const int count = static_cast<int>(macro_list_.size());
  if (count == 0 || MacroIndex < 0 || MacroIndex >= count) return;
  macro_list_.erase(macro_list_.begin() + MacroIndex);
  if (static_cast<int>(macro_list_.size()) < MacroIndex + 1) --MacroIndex;
  ShowCount();
  if (MacroIndex == -1) {
    ResetMacroEditor();
  } else {
    ShowEntry();
  }
  // Written once the page shows the list as it now is, so that a failed save
  // is reported over a page that matches the list in memory.
  Save();
}

void MacroEditor::Button11Click() {
  const int count = static_cast<int>(macro_list_.size());
  if (count == 0 || MacroIndex == -1) return;
  // An entry lost from the list meanwhile: step back from its end.
  if (MacroIndex > count) MacroIndex = count;
  --MacroIndex;
  if (MacroIndex == -1) {
    ResetMacroEditor();
  } else {
    ShowEntry();
  }
}

void MacroEditor::Button12Click() {
  const int count = static_cast<int>(macro_list_.size());
  if (count == 0 || MacroIndex + 1 >= count) return;
  ++MacroIndex;
  ShowEntry();
}

void MacroEditor::UpdateArgumentBoxes() {
  platform::ComboBox& arguments = controls_.ComboBox2;
  arguments.SetVisible(false);
  controls_.ComboBox3.SetVisible(false);
  arguments.SetItems({});

  const macro::MacroActionSpec* row = macro::ExactMacroAction(PickedText(controls_.ComboBox1));
  if (row == nullptr) return;
  controls_.ComboBox3.SetVisible(row->takes_text);
  if (row->takes_argument) {
    arguments.SetVisible(true);
    arguments.SetItems(ArgumentChoices(*row));
  }
  arguments.SetSelectedIndex(-1);
}

// The fixed choices, then the names of the action's list file. A file that
// cannot be read leaves the box shown without choices, so the entry cannot
// be registered.
std::vector<std::string> MacroEditor::ArgumentChoices(const macro::MacroActionSpec& row) {
  std::vector<std::string> items;
  if (row.choices == macro::ArgumentChoices::kFileKeys) {
    for (const macro::OpenFileKey& key : macro::kOpenFileKeys) items.emplace_back(key.word);
    return items;
  }
  const std::string& path =
      row.choices == macro::ArgumentChoices::kIgnoreListFile ? settings_.File2 : settings_.File1;
  try {
    items = platform::ReadListFile(path);
  } catch (const TamiruError& error) {
    if (show_error_) show_error_(error.what());
    return {};
  }
  std::vector<std::string> leading;
  for (const std::string_view choice : row.leading_choices) {
    if (!choice.empty()) leading.emplace_back(choice);
  }
  items.insert(items.begin(), leading.begin(), leading.end());
  return items;
}

void MacroEditor::ShowMacroEntry() {
  controls_.ComboBox2.SetSelectedIndex(-1);
  controls_.ComboBox3.SetSelectedIndex(-1);
  if (MacroIndex == -1) return;
  if (MacroIndex < 0 || MacroIndex >= static_cast<int>(macro_list_.size())) {
    // The entry is no longer in the list: fall back to a new entry rather
    // than show or later overwrite a line that is not there.
    MacroIndex = -1;
    ResetMacroEditor();
    return;
  }

  // A copy: an error box shown below turns the message loop, and the line
  // must not depend on the list staying as it is meanwhile.
  const std::string line_copy = macro_list_[static_cast<std::size_t>(MacroIndex)];
  const std::string_view line = line_copy;
  const macro::MacroLineFields fields = *macro::ReadMacroLineFields(line, macro::ParseMode::kLenient);
  KeyCodeText = std::string(fields.key);
  controls_.Edit13.SetText(macro::KeyCodeToName(KeyCodeText));
  controls_.CheckBox4.SetChecked(fields.shift);
  controls_.CheckBox5.SetChecked(fields.alt);
  controls_.CheckBox6.SetChecked(fields.ctrl);

  // An action that is not one of the fourteen (a hand-edited line) is shown
  // as no action at all, never as the action of the entry shown before.
  const bool known = fields.action && macro::ExactMacroAction(*fields.action) != nullptr;
  if (known) {
    SelectItem(controls_.ComboBox1, *fields.action);
  } else {
    controls_.ComboBox1.SetSelectedIndex(-1);
  }
  UpdateArgumentBoxes();
  if (fields.argument) SelectItem(controls_.ComboBox2, *fields.argument);
  if (fields.text) SelectItem(controls_.ComboBox3, *fields.text);
}

void MacroEditor::ResetMacroEditor() {
  controls_.Edit13.SetText("");
  KeyCodeText.clear();
  controls_.ComboBox1.SetSelectedIndex(-1);
  controls_.ComboBox2.SetVisible(false);
  controls_.ComboBox3.SetVisible(false);
  controls_.ComboBox2.SetItems({});
  controls_.CheckBox4.SetChecked(false);
  controls_.CheckBox5.SetChecked(true);
  controls_.CheckBox6.SetChecked(false);
  controls_.Label16.SetCaption("新規");
}

void MacroEditor::ShowEntry() {
  ShowMacroEntry();
  if (MacroIndex != -1) controls_.Label16.SetCaption("No." + std::to_string(MacroIndex + 1));
}

void MacroEditor::ShowCount() { controls_.Label15.SetCaption(std::to_string(macro_list_.size())); }

void MacroEditor::Save() {
  try {
    macro::SaveMacroFile(settings_.File6, macro_list_);
  } catch (const TamiruError& error) {
    // The change stays in MacroList; the next successful save writes it.
    if (show_error_) show_error_(error.what());
  }
}

}  // namespace tamiru::app

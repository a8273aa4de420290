#include "app/macro_editor.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

#include "macro/key_names.h"
#include "macro/macro_file.h"
#include "platform/files.h"
#include "text/error.h"

namespace tamiru::app {
namespace {

constexpr std::array<std::string_view, 14> kActions = {
    "/Where", "/Rank", "/Ignore", "/Talk", "/Hide", "/List", "/CHATON",
    "/CHATOFF", "発言", "画像保存", "瞬間観戦", "対/w,/r", "対戦成績", "OPEN"};

// Actions whose line ends after ACTION: nothing more to show for them.
constexpr std::array<std::string_view, 7> kActionsWithoutArguments = {
    "/Hide", "/List", "/CHATON", "/CHATOFF", "画像保存", "瞬間観戦", "対/w,/r"};

constexpr std::array<std::string_view, 6> kOpenTargets = {"friendlist", "ignorelist", "chatlist",
                                                          "keyword",    "macro",      "mjscore"};

constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;
constexpr int kVkMenu = 0x12;

template <std::size_t N>
bool IsOneOf(std::string_view text, const std::array<std::string_view, N>& set) {
  return std::find(set.begin(), set.end(), text) != set.end();
}

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

// The field that starts at byte `from` of `line` and ends before the next
// space; nullopt when the line ends first (a hand-edited or cut line), so
// that nothing behind it is read.
struct Field {
  std::string_view text;
  std::size_t next;  // the byte after the space that ends the field
};

std::optional<Field> FieldAt(std::string_view line, std::size_t from) {
  if (from > line.size()) return std::nullopt;
  const std::size_t space = line.find(' ', from);
  if (space == std::string_view::npos) return std::nullopt;
  return Field{line.substr(from, space - from), space + 1};
}

bool FlagAt(std::string_view line, std::size_t position) {
  return position < line.size() && line[position] == '1';
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
  controls_.ComboBox1.SetItems(std::vector<std::string>(kActions.begin(), kActions.end()));
  // The phrases are read once for the page's life; a missing file keeps the
  // dialog from opening.
  controls_.ComboBox3.SetItems(platform::ReadListFile(settings_.File3));
  ShowCount();
  ResetMacroEditor();
}

void MacroEditor::ComboBox1Click() { UpdateArgumentBoxes(); }

void MacroEditor::Edit13KeyDown(int virtual_key) {
  if (virtual_key == kVkShift || virtual_key == kVkControl || virtual_key == kVkMenu) return;
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

  const std::string action = PickedText(controls_.ComboBox1);
  const auto fill_from = [&](const std::string& path, std::vector<std::string> leading) {
    arguments.SetVisible(true);
    std::vector<std::string> items;
    try {
      items = platform::ReadListFile(path);
    } catch (const TamiruError& error) {
      // The box stays shown without choices, so the entry cannot be registered.
      if (show_error_) show_error_(error.what());
      return;
    }
    items.insert(items.begin(), leading.begin(), leading.end());
    arguments.SetItems(items);
  };

  if (action == "/Where" || action == "/Rank") {
    fill_from(settings_.File1, {"<all>", "<R-ListBox>"});
  } else if (action == "/Talk") {
    controls_.ComboBox3.SetVisible(true);
    fill_from(settings_.File1, {"<all>", "<R-ListBox>"});
  } else if (action == "/Ignore") {
    fill_from(settings_.File2, {"<all>"});
  } else if (action == "発言") {
    controls_.ComboBox3.SetVisible(true);
  } else if (action == "対戦成績") {
    fill_from(settings_.File1, {"<R-ListBox>"});
  } else if (action == "OPEN") {
    arguments.SetVisible(true);
    arguments.SetItems(std::vector<std::string>(kOpenTargets.begin(), kOpenTargets.end()));
  }
  arguments.SetSelectedIndex(-1);
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
  // A line without any space is all KEY; its flags and action are missing.
  const std::size_t key_end = std::min(line.find(' '), line.size());
  KeyCodeText = std::string(line.substr(0, key_end));
  controls_.Edit13.SetText(macro::KeyCodeToName(KeyCodeText));

  controls_.CheckBox4.SetChecked(FlagAt(line, key_end + 1));
  controls_.CheckBox5.SetChecked(FlagAt(line, key_end + 3));
  controls_.CheckBox6.SetChecked(FlagAt(line, key_end + 5));

  // An action that is not one of the fourteen (a hand-edited line) is shown
  // as no action at all, never as the action of the entry shown before.
  const std::optional<Field> action = FieldAt(line, key_end + 7);
  const bool known = action && IsOneOf(action->text, kActions);
  if (known) {
    SelectItem(controls_.ComboBox1, action->text);
  } else {
    controls_.ComboBox1.SetSelectedIndex(-1);
  }
  UpdateArgumentBoxes();
  if (!known || IsOneOf(action->text, kActionsWithoutArguments)) return;

  std::size_t text_start = action->next;
  if (action->text != "発言") {
    const std::optional<Field> argument = FieldAt(line, action->next);
    if (!argument) return;
    SelectItem(controls_.ComboBox2, argument->text);
    text_start = argument->next;
  }
  if (action->text == "/Talk" || action->text == "発言") {
    // TEXT runs to the line's end less its last byte, the trailing space.
    const std::string_view rest = line.substr(text_start);
    if (rest.empty()) return;
    SelectItem(controls_.ComboBox3, rest.substr(0, rest.size() - 1));
  }
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

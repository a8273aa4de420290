#include "macro/macro_actions.h"

#include "text/sjis.h"

namespace tamiru::macro {

const MacroActionSpec* ExactMacroAction(std::string_view name) {
  for (const MacroActionSpec& row : kMacroActions) {
    if (row.name == name) return &row;
  }
  return nullptr;
}

const MacroActionSpec* DispatchedMacroAction(std::string_view action) {
  for (const MacroActionSpec& row : kMacroActions) {
    const bool found = row.name.front() == '/' ? text::ContainsBytes(action, row.name)
                                                : text::ContainsSjis(action, row.name);
    if (found) return &row;
  }
  return nullptr;
}

bool ActionTakesText(std::string_view action) {
  for (const MacroActionSpec& row : kMacroActions) {
    if (row.takes_text && text::ContainsSjis(action, row.name)) return true;
  }
  return false;
}

int OpenFileNumber(std::string_view argument) {
  for (int number = 1; number <= static_cast<int>(kOpenFileKeys.size()); ++number) {
    for (const OpenFileKey& key : kOpenFileKeys) {
      if (key.file_number == number && text::ContainsBytes(argument, key.word)) return number;
    }
  }
  return 0;
}

ArgumentTarget TargetOf(std::string_view argument, bool selection_counts) {
  if (selection_counts && text::ContainsSjis(argument, kSelectionListArgument)) return ArgumentTarget::kSelectionList;
  if (text::ContainsSjis(argument, kAllArgument)) return ArgumentTarget::kAll;
  return ArgumentTarget::kOneName;
}

}  // namespace tamiru::macro

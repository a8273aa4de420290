#include "macro/macro_actions.h"

#include "text/sjis.h"

namespace tamiru::macro {

const MacroActionSpec* ExactMacroAction(std::string_view name) {
  for (const MacroActionSpec& spec : kMacroActions) {
    if (spec.name == name) return &spec;
  }
  return nullptr;
}

const MacroActionSpec* DispatchedMacroAction(std::string_view action) {
  for (const MacroActionSpec& spec : kMacroActions) {
    const bool found = spec.name.front() == '/' ? text::ContainsBytes(action, spec.name)
                                                : text::ContainsSjis(action, spec.name);
    if (found) return &spec;
  }
  return nullptr;
}

bool ActionTakesText(std::string_view action) {
  for (const MacroActionSpec& spec : kMacroActions) {
    if (spec.takes_text && text::ContainsSjis(action, spec.name)) return true;
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

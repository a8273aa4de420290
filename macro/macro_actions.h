#pragma once
// The fourteen macro actions: the one table that the macro line parser, the
// macro editor's boxes and the dispatch of a matched key all read.
#include <array>
#include <cstddef>
#include <string_view>

namespace tamiru::macro {

// An action added here needs its row in kMacroActions and its verb in the
// dispatch (app/form_macro.cpp), whose switch fails the build without it.
enum class MacroAction {
  kWhere, kRank, kIgnore, kTalk, kHide, kList, kChatOn, kChatOff,
  kSay, kSaveImage, kSpectate, kLookUpOpponents, kScores, kOpen,
};

// Where the editor's argument choices come from, after the fixed choices.
enum class ArgumentChoices {
  kNone,            // no argument box
  kFriendListFile,  // the names of the friend list file (File1)
  kIgnoreListFile,  // the names of the ignore list file (File2)
  kFileKeys,        // the six words of OPEN
};

struct MacroActionSpec {
  std::string_view name;  // as the line and the editor's list hold it
  MacroAction action;
  bool takes_argument;    // an ARG field follows ACTION
  bool takes_text;        // a TEXT field ends the line
  ArgumentChoices choices;
  std::array<std::string_view, 2> leading_choices;  // offered before the file's names
};

// In dispatch order: a matched line runs the first row whose name its action
// contains.
inline constexpr std::array<MacroActionSpec, 14> kMacroActions{{
    {"/Where", MacroAction::kWhere, true, false, ArgumentChoices::kFriendListFile, {"<all>", "<R-ListBox>"}},
    {"/Rank", MacroAction::kRank, true, false, ArgumentChoices::kFriendListFile, {"<all>", "<R-ListBox>"}},
    {"/Ignore", MacroAction::kIgnore, true, false, ArgumentChoices::kIgnoreListFile, {"<all>"}},
    {"/Talk", MacroAction::kTalk, true, true, ArgumentChoices::kFriendListFile, {"<all>", "<R-ListBox>"}},
    {"/Hide", MacroAction::kHide, false, false, ArgumentChoices::kNone, {}},
    {"/List", MacroAction::kList, false, false, ArgumentChoices::kNone, {}},
    {"/CHATON", MacroAction::kChatOn, false, false, ArgumentChoices::kNone, {}},
    {"/CHATOFF", MacroAction::kChatOff, false, false, ArgumentChoices::kNone, {}},
    {"発言", MacroAction::kSay, false, true, ArgumentChoices::kNone, {}},
    {"画像保存", MacroAction::kSaveImage, false, false, ArgumentChoices::kNone, {}},
    {"瞬間観戦", MacroAction::kSpectate, false, false, ArgumentChoices::kNone, {}},
    {"対/w,/r", MacroAction::kLookUpOpponents, false, false, ArgumentChoices::kNone, {}},
    {"対戦成績", MacroAction::kScores, true, false, ArgumentChoices::kFriendListFile, {"<R-ListBox>"}},
    {"OPEN", MacroAction::kOpen, true, false, ArgumentChoices::kFileKeys, {}},
}};

// The words OPEN takes, in the order the editor offers them, each with the
// number of the file setting it opens (File1 to File6).
struct OpenFileKey {
  std::string_view word;
  int file_number;
};
inline constexpr std::array<OpenFileKey, 6> kOpenFileKeys{{
    {"friendlist", 1}, {"ignorelist", 2}, {"chatlist", 3}, {"keyword", 5}, {"macro", 6}, {"mjscore", 4}}};
// The file OPEN opens for `argument`: the words are tested (byte searches)
// in the order of their file numbers and the first found wins; 0 for none.
int OpenFileNumber(std::string_view argument);

// The row whose name is exactly `name`; nullptr for none.
const MacroActionSpec* ExactMacroAction(std::string_view name);

// The row a matched line runs: the first, in table order, whose name
// `action` contains (a byte search for the names that begin with "/", a
// Shift_JIS-aware one for the others); nullptr when none matches.
const MacroActionSpec* DispatchedMacroAction(std::string_view action);

// Whether a line with this ACTION ends with a TEXT field: its action holds
// the name of an action that takes one.
bool ActionTakesText(std::string_view action);

// The list arguments: "<R-ListBox>" the selection list, "<all>" the friend
// list (for "/Ignore" the ignore list file), anything else one name.
inline constexpr std::string_view kSelectionListArgument = "<R-ListBox>";
inline constexpr std::string_view kAllArgument = "<all>";
enum class ArgumentTarget { kSelectionList, kAll, kOneName };
// "<R-ListBox>" is tested first, then "<all>" (Shift_JIS-aware searches);
// `selection_counts` false for the actions that know no selection list.
ArgumentTarget TargetOf(std::string_view argument, bool selection_counts = true);

}  // namespace tamiru::macro

#pragma once
// The chat phrase list: the drop-down items of ComboBox1, saved to File3.
#include <string>

#include "platform/controls.h"
#include "platform/system.h"

namespace tamiru::lists {

// "追加": stores the chat line as a phrase at `insert_index` (-1: at the end,
// which then becomes the insertion point), unless it is there already, and
// saves the list. The chat line is emptied; an empty one opens the phrase
// file instead. An insertion point beyond the end (phrases removed since it
// was chosen) adds at the end.
void AddPhrase(platform::ComboBox& chat_line, int& insert_index, const std::string& phrase_file,
               platform::Shell& shell, platform::WindowHandle owner);

// "削除": removes the last phrase equal to the chat line and saves the list;
// the chat line is emptied.
void RemovePhrase(platform::ComboBox& chat_line, const std::string& phrase_file);

}  // namespace tamiru::lists

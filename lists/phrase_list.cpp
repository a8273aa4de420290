#include "lists/phrase_list.h"

#include <algorithm>
#include <vector>

#include "lists/name_lists.h"

namespace tamiru::lists {

void AddPhrase(platform::ComboBox& chat_line, int& insert_index, const std::string& phrase_file,
               platform::Shell& shell, platform::WindowHandle owner) {
  const int count = chat_line.Count();
  const std::string text = chat_line.Text();
  chat_line.SetText("");
  // No phrase picked yet: the first one added goes to the end, and so do
  // those after it.
  const auto insert_at = [&] {
    if (insert_index == -1) insert_index = count;
    return insert_index;
  };
  AddOrOpenFile(chat_line, text, insert_at, phrase_file, shell, owner);
}

void RemovePhrase(platform::ComboBox& chat_line, const std::string& phrase_file) {
  const std::string text = chat_line.Text();
  chat_line.SetText("");
  if (text.empty()) return;
  const std::vector<std::string> phrases = chat_line.Items();
  const auto found = std::find(phrases.rbegin(), phrases.rend(), text);
  if (found == phrases.rend()) return;
  const int last = static_cast<int>(phrases.rend() - found) - 1;
  chat_line.Delete(last);
  SaveItems(chat_line, phrase_file);
}

}  // namespace tamiru::lists

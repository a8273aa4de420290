#include "lists/name_lists.h"

#include <algorithm>
#include <vector>

#include "platform/files.h"

namespace tamiru::lists {

namespace {
// The folder the shell is asked to start the editor in.
constexpr const char* kEditorFolder = "c:\\Windows";
}  // namespace

// All rows asked at once: a control may answer each single row with a
// message of its own, too slow on a long list.
int IndexOf(const ItemList& list, std::string_view text) {
  const std::vector<std::string> items = list.Items();
  const auto found = std::find(items.begin(), items.end(), text);
  return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

bool AppendOnce(std::vector<std::string>& lines, std::string_view line) {
  if (std::find(lines.begin(), lines.end(), line) != lines.end()) return false;
  lines.emplace_back(line);
  return true;
}

void SaveItems(const ItemList& list, const std::string& path) { platform::WriteListFile(path, list.Items()); }

void OpenListFileForUser(platform::Shell& shell, platform::WindowHandle owner, const std::string& path) {
  shell.ShellExecute(owner, std::string("open"), path, std::string(kEditorFolder), platform::kSwShow);
}

void AddOrOpenFile(ItemList& list, const std::string& text, const std::function<int()>& insert_at,
                   const std::string& path, platform::Shell& shell, platform::WindowHandle owner) {
  if (text.empty()) {
    OpenListFileForUser(shell, owner, path);
    return;
  }
  if (IndexOf(list, text) >= 0) return;
  const int count = list.Count();
  const int at = insert_at();
  list.Insert(at >= 0 && at <= count ? at : count, text);
  SaveItems(list, path);
}

void AddFriend(ItemList& friends, Edit& name_edit, const std::string& friend_file, platform::Shell& shell,
               platform::WindowHandle owner) {
  const int selected = friends.SelectedIndex();
  const std::string name = name_edit.Text();
  name_edit.SetText("");
  AddOrOpenFile(friends, name, [selected] { return selected; }, friend_file, shell, owner);
}

void DeleteSelectedFriend(ItemList& friends, const std::string& friend_file) {
  const int selected = friends.SelectedIndex();
  if (selected >= 0 && selected < friends.Count()) friends.Delete(selected);
  SaveItems(friends, friend_file);
}

void CopySelectedToSelection(const ItemList& friends, ItemList& selection) {
  const int selected = friends.SelectedIndex();
  if (selected < 0 || selected >= friends.Count()) return;
  const std::string name = friends.Item(selected);
  if (IndexOf(selection, name) >= 0) return;
  selection.Insert(selection.Count(), name);
}

void RemoveSelectedFromSelection(ItemList& selection) {
  const int selected = selection.SelectedIndex();
  if (selected >= 0 && selected < selection.Count()) selection.Delete(selected);
}

void CopyAllToSelection(const ItemList& friends, ItemList& selection) { selection.SetItems(friends.Items()); }

void IgnoreAndRemember(Edit& name_edit, const std::string& ignore_file, platform::Shell& shell,
                       platform::WindowHandle owner, const std::function<void()>& send_ignore) {
  const std::string name = name_edit.Text();
  if (name.empty()) {
    OpenListFileForUser(shell, owner, ignore_file);
    return;
  }
  send_ignore();
  name_edit.SetText("");
  auto lines = platform::ReadListFile(ignore_file);
  if (AppendOnce(lines, name)) platform::WriteListFile(ignore_file, lines);
}

}  // namespace tamiru::lists

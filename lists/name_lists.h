#pragma once
// The friend list (ListBox1, saved to File1), the selection list (ListBox2,
// memory only) and the ignore list (the File2 file, read at each use).
// Names compare byte for byte.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"
#include "platform/system.h"

namespace tamiru::lists {

using platform::Edit;
using platform::ItemList;

// The index of the first item equal to `text`, or -1.
int IndexOf(const ItemList& list, std::string_view text);

// Writes every item, in order, to the list file (atomic replace; throws
// FileCreateError when it cannot).
void SaveItems(const ItemList& list, const std::string& path);

// Appends `line` unless the lines hold it already; true when it did.
bool AppendOnce(std::vector<std::string>& lines, std::string_view line);

// Opens a list file in the program the system associates with it.
void OpenListFileForUser(platform::Shell& shell, platform::WindowHandle owner, const std::string& path);

// The "追加" of a list kept in a file: an empty `text` opens the file in its
// program; a text the list does not hold yet is inserted at the index
// `insert_at` gives (the end when that is out of range) and the list saved.
void AddOrOpenFile(ItemList& list, const std::string& text, const std::function<int()>& insert_at,
                   const std::string& path, platform::Shell& shell, platform::WindowHandle owner);

// "追加": adds Edit1's name before the selected friend (at the end with no
// selection) and saves; an empty Edit1 opens the friend list file instead.
void AddFriend(ItemList& friends, Edit& name_edit, const std::string& friend_file, platform::Shell& shell,
               platform::WindowHandle owner);

// "削除": deletes the selected friend, then saves in every case.
void DeleteSelectedFriend(ItemList& friends, const std::string& friend_file);

// Double-click on the friend list: appends the selected friend to the
// selection list unless it is there already.
void CopySelectedToSelection(const ItemList& friends, ItemList& selection);

// Double-click on the selection list: removes the selected name.
void RemoveSelectedFromSelection(ItemList& selection);

// "all": the selection list becomes a copy of the friend list.
void CopyAllToSelection(const ItemList& friends, ItemList& selection);

// "/i 追加": sends "/i " + Edit2 (through `send_ignore`, which reads Edit2),
// empties Edit2, and appends the name to the ignore file unless it holds it.
// An empty Edit2 opens the ignore file instead.
void IgnoreAndRemember(Edit& name_edit, const std::string& ignore_file, platform::Shell& shell,
                       platform::WindowHandle owner, const std::function<void()>& send_ignore);

}  // namespace tamiru::lists

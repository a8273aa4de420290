#pragma once
// Windows paths as Shift_JIS byte strings: their folder, their file name, a
// folder and a name joined. "\" and ":" separate only as whole characters,
// so the second byte of a double-byte character (0x5C in "ソ" and "表") is
// never taken for a "\".
#include <cstddef>
#include <string>
#include <string_view>

namespace tamiru::text {

// Where the file name of `path` starts: after its last "\", or in a path
// without one after its drive colon ("C:a.txt"); 0 when it has neither.
std::size_t FileNameStart(std::string_view path);

// The file name: the text from FileNameStart on ("" for "C:\dir\").
std::string_view FileNameOf(std::string_view path);

// The folder: the text before the file name without its final "\", except
// that a drive root keeps its own ("C:\a.txt" gives "C:\", "C:\dir\a.txt"
// gives "C:\dir", "C:a.txt" gives "C:"); empty when there is no separator.
std::string_view FolderOf(std::string_view path);

// The folder by the last "\" or ":", whichever comes later: the text up to
// it, without that final "\" unless it follows a drive colon or another "\"
// ("C:\mjscore.txt" gives "C:\", "C:\games\\mjscore.txt" gives
// "C:\games\\"); empty when there is no separator. The client's folder is
// found this way, so that the path it is started from is the one its score
// file names.
std::string_view FolderUpToLastSeparator(std::string_view path);

// `folder` and `name` joined by one "\"; none is added to a folder that
// already ends in one ("C:\" + "a.txt" is "C:\a.txt", "C:\表" + "a.txt" is
// "C:\表\a.txt").
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace tamiru::text

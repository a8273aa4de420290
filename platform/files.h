#pragma once
// Whole-file operations on Shift_JIS paths (the system code page on Windows).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamiru::platform {

// What tells a changed file: its size and its last write time.
struct FileStamp {
  bool exists = false;
  long long size = 0;
  long long write_time = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp asked of the file itself. On Windows that is
// GetFileAttributesExA: the C runtime's stat reads the directory entry, which
// NTFS may leave stale while another program holds the file open and appends
// to it (the client and its score file).
FileStamp StampOf(const std::string& path);
inline bool FileExists(const std::string& path) { return StampOf(path).exists; }

// What this program may do with a file now: whether it is there, whether it
// opens for reading, and whether it opens for writing (a read-only file, or
// one that another program holds without sharing, does not). Asking opens
// and closes the file, writing nothing.
struct FileAccess {
  bool exists = false;
  bool readable = false;
  bool writable = false;
};
FileAccess AccessOf(const std::string& path);

// Whether a new file can be made in `folder`: a probe file is made there and
// removed again.
bool FolderWritable(const std::string& folder);

// The process's current directory, where the chat logs and automatically
// named images go; empty when the system does not tell.
std::string CurrentFolder();

// The file's last write time in local time, "yyyy/mm/dd hh:mm:ss"; empty
// when it is not there.
std::string LocalWriteTimeText(const std::string& path);

// The file's bytes, or nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// The names of the files (not folders) in `folder`, empty for the current
// directory; none when it cannot be listed.
std::vector<std::string> FileNamesIn(const std::string& folder);

// Reads up to `size` bytes of the file from byte `offset` into `bytes`
// (whose room a caller reading block after block keeps), sharing the file
// with readers and writers: the chat capture may be appending to it.
// Fewer bytes at the file's end; false when it cannot be opened or read.
bool ReadFileRange(const std::string& path, long long offset, std::size_t size, std::string& bytes);

// Replaces the file's contents atomically: writes a temporary file beside it,
// flushes it, gives it the old file's attributes, then renames it over the
// target. A target that another program holds for the moment is tried again
// over about a second. False when any step fails; the old file is then
// untouched and the temporary file removed.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

// Appends bytes to the file in binary mode, creating it when missing.
bool AppendToFile(const std::string& path, std::string_view bytes);

// List files (the friend, ignore, phrase, keyword and macro files), read and
// written whole with text::SplitLines and text::JoinLines.
// ReadListFile throws FileOpenError("ファイル %s は開けません") when the file
// cannot be opened. WriteListFile replaces the file (ReplaceFileContents) and
// throws FileCreateError("ファイル %s を作成できません") when that fails; the
// old file is then left as it was.
std::vector<std::string> ReadListFile(const std::string& path);
void WriteListFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace tamiru::platform

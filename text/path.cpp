#include "text/path.h"

#include "text/sjis.h"

namespace tamiru::text {

std::size_t FileNameStart(std::string_view path) {
  std::size_t separator = FindLastCharOf(path, "\\");
  if (separator == npos) separator = FindLastCharOf(path, ":");
  return separator == npos ? 0 : separator + 1;
}

std::string_view FileNameOf(std::string_view path) { return path.substr(FileNameStart(path)); }

// ":" is never the second byte of a double-byte character (those are 0x40
// and above), so the byte before a separator is safely tested for it.
std::string_view FolderOf(std::string_view path) {
  const std::size_t start = FileNameStart(path);
  if (start == 0) return {};
  const bool root = path[start - 1] == ':' || (start >= 2 && path[start - 2] == ':');
  return path.substr(0, root ? start : start - 1);
}

std::string_view FolderUpToLastSeparator(std::string_view path) {
  const std::size_t last = FindLastCharOf(path, "\\:");
  if (last == npos) return {};
  // The character before the separator is one too when the last separator
  // of the text before it stands right there.
  const std::size_t before = FindLastCharOf(path.substr(0, last), "\\:");
  const bool keeps = path[last] == ':' || (before != npos && before + 1 == last);
  return path.substr(0, keeps ? last + 1 : last);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (folder.empty() || FindLastCharOf(folder, "\\") != folder.size() - 1) path += '\\';
  path.append(name);
  return path;
}

}  // namespace tamiru::text

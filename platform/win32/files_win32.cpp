#include <windows.h>
#include <io.h>

#include <cstdio>

#include "platform/files_internal.h"

namespace tamiru::platform {

bool FlushToDisk(std::FILE* file) {
  return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != 0;
}

// MoveFileExA replaces the target in one step; plain rename() refuses an
// existing target on Windows. A read-only target is refused as Windows
// refuses it (Wine would replace it): the user protected that file.
bool RenameOver(const std::string& from, const std::string& to) {
  const DWORD attributes = GetFileAttributesA(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace tamiru::platform

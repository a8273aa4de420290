#include <unistd.h>

#include <cstdio>

#include "platform/files_internal.h"

namespace tamiru::platform {

bool FlushToDisk(std::FILE* file) { return ::fsync(::fileno(file)) == 0; }

bool RenameOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace tamiru::platform

#pragma once
// The two steps of an atomic replace that differ between systems.
#include <cstdio>
#include <string>

namespace tamiru::platform {
bool FlushToDisk(std::FILE* file);
bool RenameOver(const std::string& from, const std::string& to);
}  // namespace tamiru::platform

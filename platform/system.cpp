#include "platform/system.h"

#include <algorithm>

#include "text/sjis.h"

namespace tamiru::platform {

int PhysicalKeyOf(int virtual_key, bool buttons_swapped) {
  constexpr int kLeftButton = 0x01;   // VK_LBUTTON
  constexpr int kRightButton = 0x02;  // VK_RBUTTON
  if (!buttons_swapped) return virtual_key;
  if (virtual_key == kLeftButton) return kRightButton;
  if (virtual_key == kRightButton) return kLeftButton;
  return virtual_key;
}

std::optional<int> MouseButtonDown(Input& input) {
  for (const int key : kMouseButtonKeys) {
    if (input.IsKeyDown(key)) return key;
  }
  return std::nullopt;
}

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// `path` starts with the folder `folder` (a trailing backslash or not) and
// goes on below it. Letters compare without case, the trail bytes of
// double-byte characters exactly.
bool LiesUnder(std::string_view path, std::string_view folder) {
  while (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  if (folder.empty() || path.size() <= folder.size() + 1 || path[folder.size()] != '\\') return false;
  for (std::size_t i = 0; i < folder.size(); ++i) {
    if (text::IsLeadByte(static_cast<unsigned char>(folder[i])) && i + 1 < folder.size()) {
      if (path[i] != folder[i] || path[i + 1] != folder[i + 1]) return false;
      ++i;
    } else if (AsciiLower(path[i]) != AsciiLower(folder[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::string> VirtualStorePath(std::string_view path, const std::vector<std::string>& program_files,
                                            std::string_view local_app_data) {
  if (local_app_data.empty() || path.size() < 3 || path[1] != ':') return std::nullopt;
  const bool under = std::any_of(program_files.begin(), program_files.end(),
                                 [&](const std::string& folder) { return LiesUnder(path, folder); });
  if (!under) return std::nullopt;
  while (!local_app_data.empty() && local_app_data.back() == '\\') local_app_data.remove_suffix(1);
  // The store mirrors the path below the drive: C:\Program Files\x -> ...\VirtualStore\Program Files\x.
  return std::string(local_app_data) + "\\VirtualStore" + std::string(path.substr(2));
}

bool PreferVirtualStoreCopy(WriteTime file, WriteTime copy) { return copy && (!file || *copy > *file); }

std::optional<std::string> ProgramFilesX86Twin(std::string_view path, std::string_view program_files,
                                               std::string_view program_files_x86) {
  while (!program_files.empty() && program_files.back() == '\\') program_files.remove_suffix(1);
  while (!program_files_x86.empty() && program_files_x86.back() == '\\') program_files_x86.remove_suffix(1);
  if (program_files_x86.empty() || LiesUnder(program_files_x86, program_files) ||
      !LiesUnder(path, program_files) || LiesUnder(path, program_files_x86)) {
    return std::nullopt;
  }
  return std::string(program_files_x86) + std::string(path.substr(program_files.size()));
}

}  // namespace tamiru::platform

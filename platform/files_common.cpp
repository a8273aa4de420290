#include <cstdio>
#include <string>

#include "platform/files.h"
#include "platform/files_internal.h"

namespace tamiru::platform {

namespace {
long long g_fail_after = -1;
}

void InjectWriteFailureAfter(long long bytes) { g_fail_after = bytes; }

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  char block[1 << 16];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return bytes;
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
  const std::string temp = path + ".tmp~";
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) return false;
  std::string_view to_write = bytes;
  const bool injected = g_fail_after >= 0 && static_cast<unsigned long long>(g_fail_after) < bytes.size();
  if (injected) to_write = bytes.substr(0, static_cast<std::size_t>(g_fail_after));
  bool ok = std::fwrite(to_write.data(), 1, to_write.size(), file) == to_write.size() && !injected;
  ok = std::fflush(file) == 0 && ok;
  ok = FlushToDisk(file) && ok;
  ok = std::fclose(file) == 0 && ok;
  if (ok) ok = RenameOver(temp, path);
  if (!ok) std::remove(temp.c_str());
  return ok;
}

bool AppendToFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

}  // namespace tamiru::platform

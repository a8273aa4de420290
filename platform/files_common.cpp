#include <cstdio>
#include <string>

#include "platform/files.h"
#include "platform/files_internal.h"
#include "text/error.h"
#include "text/list_file.h"
#include "text/path.h"

namespace tamiru::platform {
namespace {

// The waits between tries of a step on a file that another program holds:
// about a second in all, then the step counts as failed.
constexpr unsigned kBusyRetryWaitsMs[] = {50, 100, 200, 300, 400};

template <typename Step>
bool RetryWhileBusy(const FileSteps& steps, Step&& step) {
  StepResult result = step();
  for (const unsigned wait : kBusyRetryWaitsMs) {
    if (result != StepResult::kBusy) break;
    steps.sleep_ms(wait);
    result = step();
  }
  return result == StepResult::kDone;
}

bool WriteTemporary(const FileSteps& steps, const std::string& temp, std::string_view bytes) {
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) return false;
  bool ok = steps.write(file, bytes);
  ok = std::fflush(file) == 0 && ok;
  ok = steps.flush_to_disk(file) && ok;
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

}  // namespace

bool AppendBytes(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

FileSteps& ActiveFileSteps() {
  static FileSteps steps = SystemFileSteps();
  return steps;
}

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
  const FileSteps& steps = ActiveFileSteps();
  const std::string temp = path + ".tmp~";
  // What an interrupted replace left behind must not stand in the way.
  if (FileExists(temp)) steps.remove(temp);
  bool ok = WriteTemporary(steps, temp, bytes);
  if (ok) {
    steps.copy_attributes(path, temp);
    ok = RetryWhileBusy(steps, [&] { return steps.rename_over(temp, path); });
  }
  if (!ok) RetryWhileBusy(steps, [&] { return steps.remove(temp); });
  return ok;
}

bool FolderWritable(const std::string& folder) {
  const std::string probe = text::JoinPath(folder, "tamiru-probe.tmp~");
  std::FILE* file = std::fopen(probe.c_str(), "wb");
  if (!file) return false;
  std::fclose(file);
  return ActiveFileSteps().remove(probe) == StepResult::kDone;
}

bool AppendToFile(const std::string& path, std::string_view bytes) { return ActiveFileSteps().append(path, bytes); }

std::vector<std::string> ReadListFile(const std::string& path) {
  const std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) throw FileOpenError(path);
  return text::SplitLines(*bytes);
}

void WriteListFile(const std::string& path, const std::vector<std::string>& lines) {
  if (!ReplaceFileContents(path, text::JoinLines(lines))) throw FileCreateError(path);
}

}  // namespace tamiru::platform

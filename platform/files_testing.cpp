#include "platform/files_testing.h"

#include "platform/files_internal.h"

namespace tamiru::platform {
namespace {

long long g_fail_after = -1;
int g_busy_target = 0;
int g_busy_temporary = 0;
std::vector<unsigned> g_waits;
std::string* g_append_sink = nullptr;

bool WriteUntilFull(std::FILE* file, std::string_view bytes) {
  if (g_fail_after < 0 || static_cast<unsigned long long>(g_fail_after) >= bytes.size()) {
    return SystemFileSteps().write(file, bytes);
  }
  SystemFileSteps().write(file, bytes.substr(0, static_cast<std::size_t>(g_fail_after)));
  return false;
}

bool TakeBusy(int& busy) {
  if (busy == 0) return false;
  if (busy > 0) --busy;
  return true;
}

StepResult RenameOverUnlessBusy(const std::string& from, const std::string& to) {
  return TakeBusy(g_busy_target) ? StepResult::kBusy : SystemFileSteps().rename_over(from, to);
}

StepResult RemoveUnlessBusy(const std::string& path) {
  return TakeBusy(g_busy_temporary) ? StepResult::kBusy : SystemFileSteps().remove(path);
}

bool AppendToSink(const std::string& path, std::string_view bytes) {
  if (!g_append_sink) return SystemFileSteps().append(path, bytes);
  *g_append_sink += bytes;
  return true;
}

void RecordWait(unsigned ms) { g_waits.push_back(ms); }

void InstallTestSteps() {
  FileSteps& steps = ActiveFileSteps();
  steps = SystemFileSteps();
  steps.write = WriteUntilFull;
  steps.append = AppendToSink;
  steps.rename_over = RenameOverUnlessBusy;
  steps.remove = RemoveUnlessBusy;
  steps.sleep_ms = RecordWait;
}

}  // namespace

void InjectWriteFailureAfter(long long bytes) {
  g_fail_after = bytes;
  InstallTestSteps();
}

void InjectBusyTarget(int times) {
  g_busy_target = times;
  InstallTestSteps();
}

void InjectBusyTemporary(int times) {
  g_busy_temporary = times;
  InstallTestSteps();
}

void RedirectAppends(std::string* sink) {
  g_append_sink = sink;
  InstallTestSteps();
}

std::vector<unsigned> TakeFileWaits() {
  std::vector<unsigned> waits;
  waits.swap(g_waits);
  return waits;
}

void ResetFileFailures() {
  g_fail_after = -1;
  g_busy_target = 0;
  g_busy_temporary = 0;
  g_waits.clear();
  g_append_sink = nullptr;
  ActiveFileSteps() = SystemFileSteps();
}

}  // namespace tamiru::platform

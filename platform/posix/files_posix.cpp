#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/files.h"
#include "platform/files_internal.h"

namespace tamiru::platform {
namespace {

bool Write(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool FlushToDisk(std::FILE* file) { return ::fsync(::fileno(file)) == 0; }

void CopyAttributes(const std::string& target, const std::string& temp) {
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) ::chmod(temp.c_str(), old.st_mode & 07777);
}

StepResult RenameOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? StepResult::kDone : StepResult::kFailed;
}

StepResult Remove(const std::string& path) {
  return std::remove(path.c_str()) == 0 || errno == ENOENT ? StepResult::kDone : StepResult::kFailed;
}

void SleepMs(unsigned ms) {
  const timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  ::nanosleep(&wait, nullptr);
}

}  // namespace

FileStamp StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return {true, static_cast<long long>(info.st_size),
          static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return names;
  const std::string prefix = folder.empty() ? "" : folder + "/";
  while (const dirent* entry = ::readdir(dir)) {
    struct stat info {};
    if (::stat((prefix + entry->d_name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  return names;
}

bool ReadFileRange(const std::string& path, long long offset, std::size_t size, std::string& bytes) {
  const int file = ::open(path.c_str(), O_RDONLY);
  if (file < 0) return false;
  if (bytes.size() < size) bytes.resize(size);
  std::size_t got = 0;
  bool ok = true;
  while (got < size) {
    const ssize_t n = ::pread(file, bytes.data() + got, size - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(file);
  bytes.resize(got);
  return ok;
}

// A file without its owner's write bit counts as read-only, as the
// read-only attribute does on Windows, for every user (root included).
FileAccess AccessOf(const std::string& path) {
  FileAccess access;
  struct stat info {};
  access.exists = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  if (!access.exists) return access;
  const auto opens = [&](int mode) {
    const int file = ::open(path.c_str(), mode);
    if (file < 0) return false;
    ::close(file);
    return true;
  };
  access.readable = opens(O_RDONLY);
  access.writable = (info.st_mode & S_IWUSR) != 0 && opens(O_WRONLY);
  return access;
}

std::string CurrentFolder() {
  char buffer[4096];
  return ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}

std::string LocalWriteTimeText(const std::string& path) {
  struct stat info {};
  struct tm local {};
  if (::stat(path.c_str(), &info) != 0 || ::localtime_r(&info.st_mtime, &local) == nullptr) return {};
  char text[32];
  std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
  return text;
}

const FileSteps& SystemFileSteps() {
  static const FileSteps steps{Write, AppendBytes, FlushToDisk, CopyAttributes, RenameOver, Remove, SleepMs};
  return steps;
}

}  // namespace tamiru::platform

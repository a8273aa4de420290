#include <windows.h>
#include <io.h>

#include <algorithm>
#include <cstdio>

#include "platform/files.h"
#include "platform/files_internal.h"
#include "text/path.h"

namespace tamiru::platform {
namespace {

bool Write(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool FlushToDisk(std::FILE* file) {
  return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != 0;
}

// The rename gives the target the temporary file's attributes; a hidden or
// system list file stays so.
void CopyAttributes(const std::string& target, const std::string& temp) {
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  SetFileAttributesA(temp.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

// Errors of a file that another program holds for the moment.
StepResult LastError() {
  switch (GetLastError()) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return StepResult::kBusy;
    default: return StepResult::kFailed;
  }
}

// MoveFileExA replaces the target in one step; plain rename() refuses an
// existing target on Windows. A read-only target is refused at once, as
// Windows refuses it (Wine would replace it): the user protected that file,
// and its "access denied" is no passing lock.
StepResult RenameOver(const std::string& from, const std::string& to) {
  const DWORD attributes = GetFileAttributesA(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return StepResult::kFailed;
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return StepResult::kDone;
  }
  return LastError();
}

// A read-only file cannot be deleted, and a hidden one cannot be created
// again over: a temporary file left so by an interrupted replace loses both
// first.
StepResult Remove(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return StepResult::kDone;
  return LastError();
}

void SleepMs(unsigned ms) { Sleep(ms); }

}  // namespace

FileStamp StampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return {};
  const auto join = [](DWORD high, DWORD low) {
    return static_cast<long long>((static_cast<unsigned long long>(high) << 32) | low);
  };
  return {true, join(data.nFileSizeHigh, data.nFileSizeLow),
          join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  const std::string pattern = folder.empty() ? "*" : text::JoinPath(folder, "*");
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// Shared for reading, writing and deleting: the capture appends while the
// search reads, and the user may move a month's file away meanwhile.
bool ReadFileRange(const std::string& path, long long offset, std::size_t size, std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (bytes.size() < size) bytes.resize(size);
  LARGE_INTEGER at{};
  at.QuadPart = offset;
  bool ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
  std::size_t got = 0;
  while (ok && got < size) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - got, 1u << 30));
    DWORD n = 0;
    ok = ReadFile(file, bytes.data() + got, want, &n, nullptr) != 0;
    if (!ok || n == 0) break;
    got += n;
  }
  CloseHandle(file);
  bytes.resize(got);
  return ok;
}

// The read-only attribute is tested apart: Wine running as root would
// open such a file for writing, Windows never does.
FileAccess AccessOf(const std::string& path) {
  FileAccess access;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  access.exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (!access.exists) return access;
  const auto opens = [&](DWORD rights) {
    HANDLE file = CreateFileA(path.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  };
  access.readable = opens(GENERIC_READ);
  access.writable = !(attributes & FILE_ATTRIBUTE_READONLY) && opens(GENERIC_WRITE);
  return access;
}

std::string CurrentFolder() {
  const DWORD size = GetCurrentDirectoryA(0, nullptr);
  std::string folder(size, '\0');
  const DWORD length = size > 0 ? GetCurrentDirectoryA(size, folder.data()) : 0;
  folder.resize(length < size ? length : 0);
  return folder;
}

std::string LocalWriteTimeText(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  FILETIME local{};
  SYSTEMTIME time{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &time)) {
    return {};
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
                time.wMinute, time.wSecond);
  return text;
}

const FileSteps& SystemFileSteps() {
  static const FileSteps steps{Write, AppendBytes, FlushToDisk, CopyAttributes, RenameOver, Remove, SleepMs};
  return steps;
}

}  // namespace tamiru::platform

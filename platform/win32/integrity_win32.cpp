#include "platform/win32/integrity_win32.h"

#include <windows.h>

#include <memory>

#include "platform/window_system.h"

namespace tamiru::platform::win32 {

std::uint32_t ProcessIntegrityLevel(void* process, std::uint32_t refused) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) {
    return GetLastError() == ERROR_ACCESS_DENIED ? refused : integrity::kUnknown;
  }
  DWORD size = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  std::uint32_t level = integrity::kUnknown;
  std::unique_ptr<char[]> buffer(new char[size > 0 ? size : 1]);
  if (size > 0 && GetTokenInformation(token, TokenIntegrityLevel, buffer.get(), size, &size)) {
    const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.get());
    const DWORD count = *GetSidSubAuthorityCount(label->Label.Sid);
    if (count > 0) level = *GetSidSubAuthority(label->Label.Sid, count - 1);
  }
  CloseHandle(token);
  return level;
}

std::uint32_t IntegrityLevelOfProcess(unsigned long process_id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED ? integrity::kHigh : integrity::kUnknown;
  const std::uint32_t level = ProcessIntegrityLevel(process, integrity::kHigh);
  CloseHandle(process);
  return level;
}

std::uint32_t OwnIntegrityLevel() {
  static const std::uint32_t own = [] {
    const std::uint32_t level = ProcessIntegrityLevel(GetCurrentProcess(), integrity::kMedium);
    return level != integrity::kUnknown ? level : integrity::kMedium;
  }();
  return own;
}

}  // namespace tamiru::platform::win32

#include "platform/win32/system_win32.h"

#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>

// The interface names its operations after the calls; not the A/W macros.
#undef ShellExecute

#include <vector>

namespace tamiru::platform::win32 {

namespace {

HWND H(WindowHandle window) { return reinterpret_cast<HWND>(window); }

// "name|pattern|name|pattern" as the common dialogs want it: parts ended by
// NUL bytes, the whole by one more.
std::string DialogFilter(const std::string& filter) {
  std::string parts = filter;
  for (char& c : parts) {
    if (c == '|') c = '\0';
  }
  parts.push_back('\0');
  parts.push_back('\0');
  return parts;
}

std::optional<Dialogs::FileDialogResult> RunFileDialog(WindowHandle owner, const Dialogs::FileDialogRequest& request,
                                                       bool save) {
  std::vector<char> path(MAX_PATH * 4, '\0');
  request.file_name.copy(path.data(), path.size() - 1);
  const std::string filter = DialogFilter(request.filter);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = H(owner);
  dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(request.filter_index);
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrInitialDir = request.initial_dir.empty() ? nullptr : request.initial_dir.c_str();
  dialog.lpstrDefExt = request.default_extension.empty() ? nullptr : request.default_extension.c_str();
  // The save dialog does not ask before replacing a file: the image save
  // overwrites without a question, as its automatic names do. Neither
  // dialog moves the current directory, where chat logs and automatically
  // named images go.
  const DWORD must_exist = save || !request.file_must_exist ? OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST;
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | must_exist;
  const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen) return std::nullopt;
  return Dialogs::FileDialogResult{std::string(path.data()), static_cast<int>(dialog.nFilterIndex)};
}

}  // namespace

bool Win32Input::IsKeyDown(int virtual_key) { return (GetAsyncKeyState(virtual_key) & 0x8000) != 0; }

Input::Point Win32Input::CursorPosition() {
  POINT point{};
  GetCursorPos(&point);
  return {point.x, point.y};
}

void Win32Shell::ShellExecute(WindowHandle owner, std::optional<std::string> verb, const std::string& file,
                              std::optional<std::string> directory, int show_command) {
  ShellExecuteA(H(owner), verb ? verb->c_str() : nullptr, file.c_str(), nullptr,
                directory ? directory->c_str() : nullptr, show_command);
}

void Win32Shell::WinExec(const std::string& command_line, int show_command) {
  ::WinExec(command_line.c_str(), static_cast<UINT>(show_command));
}

std::string Win32Shell::ExecutablePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

void Win32Sound::PlayAsync(const std::string& path) { sndPlaySoundA(path.c_str(), SND_ASYNC); }

bool Win32SingleInstance::AnotherInstanceRuns(const std::string& name) {
  HANDLE other = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str());
  if (other == nullptr) return false;
  CloseHandle(other);
  return true;
}

void Win32SingleInstance::Acquire(const std::string& name) { mutex_ = CreateMutexA(nullptr, TRUE, name.c_str()); }

void Win32SingleInstance::Release() {
  if (mutex_ == nullptr) return;
  ReleaseMutex(mutex_);
  CloseHandle(mutex_);
  mutex_ = nullptr;
}

void Win32Dialogs::ShowError(WindowHandle owner, const std::string& title, const std::string& message) {
  MessageBoxA(H(owner), message.c_str(), title.c_str(), MB_OK | MB_ICONSTOP);
}

std::optional<Dialogs::FileDialogResult> Win32Dialogs::ShowOpenDialog(WindowHandle owner,
                                                                      const FileDialogRequest& request) {
  return RunFileDialog(owner, request, false);
}

std::optional<Dialogs::FileDialogResult> Win32Dialogs::ShowSaveDialog(WindowHandle owner,
                                                                      const FileDialogRequest& request) {
  return RunFileDialog(owner, request, true);
}

}  // namespace tamiru::platform::win32

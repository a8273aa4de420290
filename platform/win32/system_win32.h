#pragma once
// Keyboard and mouse state, the shell, sound, the single-instance mutex and
// the message and file dialogs on the real desktop.
#include <optional>
#include <string>

#include "platform/system.h"

namespace tamiru::platform::win32 {

class Win32Input : public PhysicalInput {
 public:
  Point CursorPosition() override;

 protected:
  bool PhysicalKeyDown(int physical_key) override;
  bool ButtonsSwapped() override;
};

class Win32Shell : public Shell {
 public:
  void ShellExecute(WindowHandle owner, std::optional<std::string> verb, const std::string& file,
                    std::optional<std::string> directory, int show_command) override;
  void WinExec(const std::string& command_line, int show_command) override;
  std::string ExecutablePath() override;
  // The newer of the file and its VirtualStore copy, for a file under either
  // Program Files folder.
  std::string FileToRead(const std::string& path) override;
  std::string InstalledPath(const std::string& path) override;
  std::optional<std::string> VirtualStoreCopyOf(const std::string& path) override;
  bool CopyText(WindowHandle owner, const std::string& text) override;
  SystemFacts DescribeSystem() override;
};

class Win32Sound : public Sound {
 public:
  void PlayAsync(const std::string& path) override;
};

class Win32SingleInstance : public SingleInstance {
 public:
  ~Win32SingleInstance() override { Release(); }
  bool AnotherInstanceRuns(const std::string& name) override;
  void Acquire(const std::string& name) override;
  void Release() override;

 private:
  void* mutex_ = nullptr;
};

// A filter of the designer's form "name|pattern|..." as the common dialogs
// take it: each part ended by a NUL byte, the whole by one more.
std::string DialogFilter(const std::string& filter);

// The system's ANSI code page (GetACP): 932 with the Japanese system locale.
unsigned SystemCodePage();

class Win32Dialogs : public Dialogs {
 public:
  void ShowError(WindowHandle owner, const std::string& title, const std::string& message) override;
  void ShowWideWarning(WindowHandle owner, const std::u16string& title, const std::u16string& message) override;
  std::optional<FileDialogResult> ShowOpenDialog(WindowHandle owner, const FileDialogRequest& request) override;
  std::optional<FileDialogResult> ShowSaveDialog(WindowHandle owner, const FileDialogRequest& request) override;
};

}  // namespace tamiru::platform::win32

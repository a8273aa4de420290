#pragma once
// A main window on the simulated desktop: a temporary program folder with
// its INI and list files, in-memory controls, the fake clock, and recording
// stand-ins for the shell, the dialogs and the rest of the platform.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_event_loop.h"
#include "platform/system.h"

namespace tamiru::testing_support {

struct ShellCall {
  platform::WindowHandle owner;
  std::optional<std::string> verb;
  std::string file;
  std::optional<std::string> directory;
  int show;
};

class RecordingShell : public platform::Shell {
 public:
  explicit RecordingShell(std::string exe) : exe_(std::move(exe)) {}
  void ShellExecute(platform::WindowHandle owner, std::optional<std::string> verb, const std::string& file,
                    std::optional<std::string> directory, int show_command) override {
    calls.push_back({owner, std::move(verb), file, std::move(directory), show_command});
  }
  void WinExec(const std::string& command_line, int) override {
    commands.push_back(command_line);
    if (while_starting) while_starting();
  }
  std::string ExecutablePath() override { return exe_; }
  void SetExecutablePath(std::string exe) { exe_ = std::move(exe); }
  std::string InstalledPath(const std::string& path) override {
    const auto it = installed.find(path);
    return it == installed.end() ? path : it->second;
  }
  bool CopyText(platform::WindowHandle, const std::string& text) override {
    copied.push_back(text);
    return true;
  }
  std::optional<std::string> VirtualStoreCopyOf(const std::string& path) override {
    const auto it = virtual_store.find(path);
    return it == virtual_store.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  platform::SystemFacts DescribeSystem() override { return facts; }
  // Paths under Program Files and their VirtualStore copies.
  std::map<std::string, std::string> virtual_store;
  // A 64-bit Tamiru on 64-bit Windows 10, code page 932, 96 DPI, medium.
  platform::SystemFacts facts{"10.0.19045", true, true, "", 932, 96, platform::DpiAwareness::kSystem,
                              platform::integrity::kMedium};
  std::vector<ShellCall> calls;
  // What was put on the clipboard, in order.
  std::vector<std::string> copied;
  // Files the system finds elsewhere (under Program Files (x86)).
  std::map<std::string, std::string> installed;
  std::vector<std::string> commands;
  // Runs inside WinExec, which returns only once the client waits for input.
  std::function<void()> while_starting;

 private:
  std::string exe_;
};

struct ErrorBox {
  platform::WindowHandle owner;
  std::string title;
  std::string message;
};

class RecordingDialogs : public platform::Dialogs {
 public:
  void ShowError(platform::WindowHandle owner, const std::string& title, const std::string& message) override {
    errors.push_back({owner, title, message});
  }
  void ShowWideWarning(platform::WindowHandle, const std::u16string&, const std::u16string& message) override {
    wide_warnings.push_back(message);
  }
  std::optional<FileDialogResult> ShowOpenDialog(platform::WindowHandle, const FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<FileDialogResult> ShowSaveDialog(platform::WindowHandle, const FileDialogRequest&) override {
    return std::nullopt;
  }
  std::vector<ErrorBox> errors;
  std::vector<std::u16string> wide_warnings;
};

class IdleInput : public platform::Input {
 public:
  bool IsKeyDown(int) override { return false; }
  Point CursorPosition() override { return {}; }
};

class SilentSound : public platform::Sound {
 public:
  void PlayAsync(const std::string& path) override { played.push_back(path); }
  std::vector<std::string> played;
};

// A fixed picture for the image save.
class StillScreen : public platform::Screen {
 public:
  platform::Image GrabWholeScreen() override {
    ++grabs;
    return image;
  }
  platform::Image image{3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080}};
  int grabs = 0;
};

// A fresh program folder per test, removed afterwards.
class ProgramFolder {
 public:
  ProgramFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("tamiru_app_" + std::string(info->test_suite_name()) + "_" + info->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ProgramFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path_ / name, std::ios::binary);
    out << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path path_;
};

class FormTest : public ::testing::Test {
 protected:
  FormTest() : shell(folder.File("tamiru.exe")) {}

  // An INI naming list files in the test's folder; `extra` lines follow.
  void WriteIni(const std::string& extra = {}) {
    std::string ini = "[Setting]\r\n";
    const char* keys[] = {"File1", "File2", "File3", "File4", "File5", "File6"};
    const char* names[] = {"friendlist.txt", "ignorelist.txt", "chatlist.txt", "mjscore.txt", "keyword.txt",
                           "macro.txt"};
    for (int i = 0; i < 6; ++i) ini += std::string(keys[i]) + "=" + folder.File(names[i]) + "\r\n";
    ini += extra;
    folder.Write("tamiru.INI", ini);
  }
  // The four list files the start-up needs, empty unless given.
  void WriteLists(const std::string& friends = {}, const std::string& phrases = {},
                  const std::string& keywords = {}, const std::string& macros = {}) {
    folder.Write("friendlist.txt", friends);
    folder.Write("chatlist.txt", phrases);
    folder.Write("keyword.txt", keywords);
    folder.Write("macro.txt", macros);
  }
  void Start(const std::string& extra_ini = {}) {
    WriteIni(extra_ini);
    WriteLists();
    Build();
  }
  void Build() { form = std::make_unique<app::TForm1>(services); }

  ProgramFolder folder;
  platform::fake::FakeEventLoop loop;
  platform::fake::FakeDesktop desktop{loop};
  platform::fake::FakeFormHost host{loop};
  RecordingShell shell;
  RecordingDialogs dialogs;
  IdleInput input;
  SilentSound sound;
  StillScreen still_screen;
  platform::fake::FakeFormFactory forms{loop};
  app::FormServices services{desktop, loop, input, shell, sound, dialogs, host, still_screen, forms};
  std::unique_ptr<app::TForm1> form;
};

}  // namespace tamiru::testing_support

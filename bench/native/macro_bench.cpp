// One Timer4 tick of the main window with 1,000 macro lines on the simulated
// desktop, the game main window in front: no key down, and one key down that
// a single line binds (its action opens a file through a shell that does
// nothing, so the figure is the poll's). Goal: at most 200 µs a tick.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_event_loop.h"
#include "platform/system.h"

namespace {

namespace fs = std::filesystem;
using namespace tamiru;

class Keys : public platform::Input {
 public:
  bool IsKeyDown(int virtual_key) override { return virtual_key == down; }
  Point CursorPosition() override { return {}; }
  int down = -1;
};

class NoShell : public platform::Shell {
 public:
  explicit NoShell(std::string exe) : exe_(std::move(exe)) {}
  void ShellExecute(platform::WindowHandle, std::optional<std::string>, const std::string&,
                    std::optional<std::string>, int) override {
    ++opened;
  }
  void WinExec(const std::string&, int) override {}
  std::string ExecutablePath() override { return exe_; }
  int opened = 0;

 private:
  std::string exe_;
};

class NoDialogs : public platform::Dialogs {
 public:
  void ShowError(platform::WindowHandle, const std::string&, const std::string&) override {}
  void ShowWideWarning(platform::WindowHandle, const std::u16string&, const std::u16string&) override {}
  std::optional<FileDialogResult> ShowOpenDialog(platform::WindowHandle, const FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<FileDialogResult> ShowSaveDialog(platform::WindowHandle, const FileDialogRequest&) override {
    return std::nullopt;
  }
};

class NoSound : public platform::Sound {
 public:
  void PlayAsync(const std::string&) override {}
};

// 1,000 lines of every shape the editor writes, each on a key other than
// F12 except the last one.
std::string MacroFile() {
  const char* const shapes[] = {"/Where <all> ", "/Rank <R-ListBox> ", "/Talk <all> よろしく お願いします ",
                                "/Hide ", "発言 こんにちは ", "OPEN friendlist ", "/Ignore someone "};
  std::string file;
  for (int i = 0; i < 999; ++i) {
    char key[8];
    std::snprintf(key, sizeof key, "%02X", 0x30 + i % 0x40);  // 30 to 6F
    file += std::string(key) + (i % 3 == 0 ? " 0 1 0 " : " 1 0 1 ") + shapes[i % 7] + "\r\n";
  }
  file += "7B 0 0 0 OPEN macro \r\n";
  return file;
}

struct Bench {
  Bench() : folder(fs::temp_directory_path() / ("tamiru_macro_bench_" + std::to_string(::getpid()))) {
    fs::create_directories(folder);
    const auto file = [&](const char* name) { return (folder / name).string(); };
    std::ofstream(file("tamiru.INI"), std::ios::binary)
        << "[Setting]\r\nMacro=1\r\nFile1=" << file("f.txt") << "\r\nFile3=" << file("c.txt") << "\r\nFile5="
        << file("k.txt") << "\r\nFile6=" << file("m.txt") << "\r\n";
    for (const char* name : {"f.txt", "c.txt", "k.txt"}) std::ofstream(file(name), std::ios::binary) << "";
    std::ofstream(file("m.txt"), std::ios::binary) << MacroFile();
    shell = std::make_unique<NoShell>(file("tamiru.exe"));
    services = std::make_unique<app::FormServices>(
        app::FormServices{desktop, loop, keys, *shell, sound, dialogs, host});
    form = std::make_unique<app::TForm1>(*services);
    desktop.CreateTopLevel("TForm1", "Tamiru Ver1.52");
    desktop.CreateWaitingRoom();
    desktop.SetForeground(desktop.CreateGameMainWindow().window);
  }
  ~Bench() {
    form.reset();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  fs::path folder;
  platform::fake::FakeEventLoop loop;
  platform::fake::FakeDesktop desktop{loop};
  platform::fake::FakeFormHost host{loop};
  Keys keys;
  std::unique_ptr<NoShell> shell;
  NoDialogs dialogs;
  NoSound sound;
  std::unique_ptr<app::FormServices> services;
  std::unique_ptr<app::TForm1> form;
};

void BM_Timer4TickNoKeyDown(benchmark::State& state) {
  Bench bench;
  for (auto _ : state) bench.form->Timer4Timer();
  state.counters["lines"] = static_cast<double>(bench.form->Macros.MacroList.size());
}
BENCHMARK(BM_Timer4TickNoKeyDown)->Unit(benchmark::kMicrosecond);

void BM_Timer4TickOneKeyDown(benchmark::State& state) {
  Bench bench;
  bench.keys.down = 0x7B;
  for (auto _ : state) bench.form->Timer4Timer();
  if (bench.shell->opened == 0) state.SkipWithError("the held key fired nothing");
}
BENCHMARK(BM_Timer4TickOneKeyDown)->Unit(benchmark::kMicrosecond);

// A key that 16 lines bind (each with modifiers that are up): each of them
// is parsed whole.
void BM_Timer4TickKeyOfSixteenLines(benchmark::State& state) {
  Bench bench;
  bench.keys.down = 0x31;
  for (auto _ : state) bench.form->Timer4Timer();
}
BENCHMARK(BM_Timer4TickKeyOfSixteenLines)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

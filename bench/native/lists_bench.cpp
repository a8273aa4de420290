// A 100,000-name friend list: loaded from its file, one friend added, one
// deleted, one item dragged to another place, each with the whole list file
// written as the buttons and the drop write it (in-memory list box, the real
// file system). The list loads once, in bulk; the add is undone and the
// delete redone outside the timing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "lists/list_drag.h"
#include "lists/name_lists.h"
#include "platform/fake/fake_controls.h"
#include "platform/files.h"

namespace {

using namespace tamiru;

class NoShell : public platform::Shell {
 public:
  void ShellExecute(platform::WindowHandle, std::optional<std::string>, const std::string&,
                    std::optional<std::string>, int) override {}
  void WinExec(const std::string&, int) override {}
  std::string ExecutablePath() override { return {}; }
};

std::vector<std::string> Names(int count) {
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(count));
  char name[16];
  for (int i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, "p%06d", i);
    names.emplace_back(name);
  }
  return names;
}

std::string ListPath() { return (std::filesystem::temp_directory_path() / "tamiru_lists_bench.txt").string(); }

void BM_AddFriendTo100000(benchmark::State& state) {
  const std::string path = ListPath();
  platform::WriteListFile(path, Names(100000));
  platform::fake::FakeListBox friends(15, 155);
  friends.SetItems(platform::ReadListFile(path));
  platform::fake::FakeEdit edit;
  NoShell shell;
  for (auto _ : state) {
    friends.SetSelectedIndex(0);
    edit.SetText("newcomer");
    lists::AddFriend(friends, edit, path, shell, 0);
    state.PauseTiming();
    friends.Delete(0);
    state.ResumeTiming();
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_AddFriendTo100000)->Unit(benchmark::kMillisecond);

void BM_LoadFriendListOf100000(benchmark::State& state) {
  const std::string path = ListPath();
  platform::WriteListFile(path, Names(100000));
  platform::fake::FakeListBox friends(15, 155);
  for (auto _ : state) friends.SetItems(platform::ReadListFile(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadFriendListOf100000)->Unit(benchmark::kMillisecond);

void BM_DeleteFriendFrom100000(benchmark::State& state) {
  const std::string path = ListPath();
  platform::fake::FakeListBox friends(15, 155);
  friends.SetItems(Names(100000));
  for (auto _ : state) {
    friends.SetSelectedIndex(0);
    lists::DeleteSelectedFriend(friends, path);
    state.PauseTiming();
    friends.Insert(0, "p000000");
    state.ResumeTiming();
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_DeleteFriendFrom100000)->Unit(benchmark::kMillisecond);

void BM_DropInto100000(benchmark::State& state) {
  const std::string path = ListPath();
  platform::fake::FakeListBox friends(15, 155);
  friends.SetItems(Names(100000));
  lists::DragState drag;
  for (auto _ : state) {
    friends.SetTopIndex(50000);
    friends.SetSelectedIndex(50000);
    lists::BeginDrag(drag, 1, friends);
    if (lists::DragDrop(drag, 1, friends, 20, 60)) lists::SaveItems(friends, path);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_DropInto100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

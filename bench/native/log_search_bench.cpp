// One whole chat log search over the LOGyymm.txt files of a folder, as the
// window runs it (steps of its tick's size, every line found kept), timed in
// the process's CPU (user and system) around the search alone. Prints
// "cpu_seconds lines_found files". Usage: log_search_bench DIR TEXT [fold]
// (bench/log_search_measure.sh runs it beside grep -F -c).
#include <sys/resource.h>

#include <cstdio>
#include <string>

#include "chatlog/log_search.h"
#include "platform/files.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s DIR TEXT [fold]\n", argv[0]);
    return 2;
  }
  using namespace tamiru::chatlog;
  const std::string folder = std::string(argv[1]) + "/";
  const std::vector<LogMonth> months = LogMonths(tamiru::platform::FileNamesIn(folder));
  const double start = CpuSeconds();
  LogSearch search(folder, months, {argv[2], "", argc > 3});
  while (!search.Step(4u << 20)) {
  }
  const double cpu = CpuSeconds() - start;
  std::printf("%.4f %zu %zu\n", cpu, search.hits().size(), search.files_read());
  return 0;
}

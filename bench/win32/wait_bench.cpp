// Reports the processor time that a 2-second WaitWithMessages uses, with a
// 450 ms message-loop timer running as during auto-connect. The wait must
// sleep between messages: the target is under 1% of one core.
//
//   wine build/<folder>/bin/wait_bench.exe
#include <windows.h>

#include <cstdio>

#include "platform/win32/event_loop_win32.h"

namespace {

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto seconds = [](const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;  // 100 ns units
  };
  return seconds(kernel) + seconds(user);
}

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

}  // namespace

int main() {
  tamiru::platform::win32::Win32EventLoop loop;
  const UINT_PTR timer = SetTimer(nullptr, 0, 450, CountTick);
  constexpr std::uint32_t kWaitMs = 2000;

  const double cpu_before = ProcessCpuSeconds();
  const DWORD wall_before = GetTickCount();
  loop.WaitWithMessages(kWaitMs);
  const DWORD wall_ms = GetTickCount() - wall_before;
  const double cpu_ms = (ProcessCpuSeconds() - cpu_before) * 1000.0;
  KillTimer(nullptr, timer);

  // A loop of short waits, as a caller of ProcessPendingMessages runs it.
  const double cpu_before_slices = ProcessCpuSeconds();
  const DWORD slices_before = GetTickCount();
  int slices = 0;
  while (GetTickCount() - slices_before < kWaitMs) {
    loop.ProcessPendingMessages();
    ++slices;
  }
  const double slice_cpu_ms = (ProcessCpuSeconds() - cpu_before_slices) * 1000.0;

  std::printf("WaitWithMessages(%u): %lu ms elapsed, %.1f ms CPU (%.2f%% of a core), %d timer ticks\n",
              kWaitMs, static_cast<unsigned long>(wall_ms), cpu_ms, 100.0 * cpu_ms / wall_ms, g_ticks);
  std::printf("ProcessPendingMessages loop for %u ms: %d calls, %.1f ms CPU (%.2f%% of a core)\n", kWaitMs,
              slices, slice_cpu_ms, 100.0 * slice_cpu_ms / kWaitMs);
  return 0;
}

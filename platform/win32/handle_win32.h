#pragma once
// The portable window handle and the system's HWND are the same value.
#include <windows.h>

#include "platform/window_system.h"

namespace tamiru::platform::win32 {

inline HWND AsHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle AsHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// A function that GetProcAddress found, as its own type (nullptr stays nullptr).
template <typename Function>
Function FunctionOf(FARPROC found) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace tamiru::platform::win32

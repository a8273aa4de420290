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

// A function of a system library that is loaded at its first use and kept
// for the run; nullptr when the library or the function is missing. The file
// dialogs, the shell, COM and the sound are needed only once the user asks
// for them, and every library loaded at start costs start-up time and memory.
template <typename Function>
Function LateBound(const char* library, const char* name) {
  HMODULE module = LoadLibraryA(library);
  return module != nullptr ? FunctionOf<Function>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace tamiru::platform::win32

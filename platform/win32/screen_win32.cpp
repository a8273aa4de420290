#include "platform/win32/screen_win32.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/handle_win32.h"

namespace tamiru::platform::win32 {

namespace {

// Releases the GDI objects of one grab, whichever step it stopped at.
struct GrabResources {
  HDC screen = nullptr;
  HDC memory = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  ~GrabResources() {
    if (previous) SelectObject(memory, previous);
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    if (screen) ReleaseDC(nullptr, screen);
  }
};

// For the grab the thread is per-monitor aware where the system offers it
// (SetThreadDpiAwarenessContext, Windows 10 1703 on): a system-aware thread
// gets the pixels of a monitor of another DPI scaled. Elsewhere the
// process's own (system) awareness holds, which sees the real pixels of a
// single monitor.
class PerMonitorAware {
 public:
  PerMonitorAware() {
    if (const Setter set = SetterOf(); set != nullptr) previous_ = set(kPerMonitorAwareV2);
  }
  ~PerMonitorAware() {
    if (previous_ != nullptr) SetterOf()(previous_);
  }
  PerMonitorAware(const PerMonitorAware&) = delete;
  PerMonitorAware& operator=(const PerMonitorAware&) = delete;

 private:
  using Setter = HANDLE(WINAPI*)(HANDLE);
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  inline static const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));
  static Setter SetterOf() {
    static const Setter set =
        FunctionOf<Setter>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext"));
    return set;
  }
  HANDLE previous_ = nullptr;
};

}  // namespace

Image Win32Screen::GrabWholeScreen() {
  const PerMonitorAware aware;
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width <= 0 || height <= 0) {
    left = top = 0;
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
  }
  if (width <= 0 || height <= 0) return {};

  GrabResources gdi;
  gdi.screen = GetDC(nullptr);
  if (!gdi.screen) return {};
  gdi.memory = CreateCompatibleDC(gdi.screen);
  if (!gdi.memory) return {};

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows, as Image holds them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  gdi.bitmap = CreateDIBSection(gdi.screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!gdi.bitmap || !bits) return {};
  gdi.previous = SelectObject(gdi.memory, gdi.bitmap);
  if (!gdi.previous || gdi.previous == HGDI_ERROR) {
    gdi.previous = nullptr;
    return {};
  }
  // CAPTUREBLT takes layered (translucent) windows too, as Print Screen does.
  if (!BitBlt(gdi.memory, 0, 0, width, height, gdi.screen, left, top, SRCCOPY | CAPTUREBLT)) return {};
  GdiFlush();

  Image image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  std::memcpy(image.pixels.data(), bits, image.pixels.size() * sizeof(std::uint32_t));
  // The DIB's fourth byte is undefined after a blit; Image holds 0x00RRGGBB.
  for (std::uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFFu;
  return image;
}

}  // namespace tamiru::platform::win32

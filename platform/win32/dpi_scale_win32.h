#pragma once
// The layout of the windows is given at 96 DPI; the system's pixels are at
// its own DPI. Positions, sizes, font and row heights go through Pixels on
// their way to the system, and points the system reports through Layout on
// their way back, so the logic above sees 96-DPI values only.
#include <cstdint>

namespace tamiru::platform::win32 {

class DpiScale {
 public:
  static constexpr int kLayoutDpi = 96;
  explicit DpiScale(int dpi = kLayoutDpi) : dpi_(dpi > 0 ? dpi : kLayoutDpi) {}
  // The system DPI (the screen's LOGPIXELSY).
  static DpiScale OfSystem();
  int Pixels(int layout) const { return Rounded(layout, dpi_, kLayoutDpi); }
  int Layout(int pixels) const { return Rounded(pixels, kLayoutDpi, dpi_); }
  // A size in layout units that covers `pixels` (rounded up): what a text
  // takes, so that room made for it is never a pixel short.
  int LayoutCovering(int pixels) const {
    return static_cast<int>((static_cast<std::int64_t>(pixels) * kLayoutDpi + dpi_ - 1) / dpi_);
  }

 private:
  // value * times / by, rounded half away from zero (as MulDiv does).
  static int Rounded(int value, int times, int by) {
    const std::int64_t product = static_cast<std::int64_t>(value) * times;
    const std::int64_t half = by / 2;
    return static_cast<int>(product >= 0 ? (product + half) / by : -((-product + half) / by));
  }
  int dpi_;
};

}  // namespace tamiru::platform::win32

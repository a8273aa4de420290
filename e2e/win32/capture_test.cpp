// The screen grab on a real (virtual) display, and the image writers built
// with the MinGW libjpeg.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <string>
#include <vector>

#include "capture/image_files.h"
#include "platform/win32/screen_win32.h"
#include "tests/capture/jpeg_decode.h"

namespace {

using tamiru::platform::Image;
using tamiru::capture::testing_support::Channel;

constexpr COLORREF kWindowColour = RGB(0x20, 0xC0, 0x60);
constexpr std::uint32_t kWindowPixel = 0x20C060;
constexpr int kLeft = 100, kTop = 120, kWidth = 240, kHeight = 160;

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// A borderless top-most window filled with one colour.
class ColouredWindow {
 public:
  ColouredWindow() {
    brush_ = CreateSolidBrush(kWindowColour);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = brush_;
    wc.lpszClassName = "TamiruCaptureTarget";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "capture target", WS_POPUP, kLeft, kTop, kWidth,
                              kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
    PumpFor(500);
  }
  ~ColouredWindow() {
    DestroyWindow(window_);
    UnregisterClassA("TamiruCaptureTarget", GetModuleHandleA(nullptr));
    DeleteObject(brush_);
  }
  HWND handle() const { return window_; }

 private:
  HBRUSH brush_ = nullptr;
  HWND window_ = nullptr;
};

std::uint32_t At(const Image& image, int x, int y) {
  return image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + x];
}

TEST(Win32Screen, GrabHasTheDisplaysSize) {
  tamiru::platform::win32::Win32Screen screen;
  const Image image = screen.GrabWholeScreen();
  EXPECT_EQ(image.width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(image.height, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(image.width, GetDeviceCaps(dc, DESKTOPHORZRES));
  EXPECT_EQ(image.height, GetDeviceCaps(dc, DESKTOPVERTRES));
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
}

TEST(Win32Screen, GrabSeesAWindowAtItsPlaceAndLeavesTheClipboardAlone) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const char text[] = "user's copy";
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
  std::memcpy(GlobalLock(memory), text, sizeof text);
  GlobalUnlock(memory);
  SetClipboardData(CF_TEXT, memory);
  CloseClipboard();

  ColouredWindow window;
  tamiru::platform::win32::Win32Screen screen;
  const Image image = screen.GrabWholeScreen();
  ASSERT_GE(image.width, kLeft + kWidth);
  ASSERT_GE(image.height, kTop + kHeight);
  const int origin_x = -GetSystemMetrics(SM_XVIRTUALSCREEN), origin_y = -GetSystemMetrics(SM_YVIRTUALSCREEN);
  for (auto [x, y] : {std::pair{kLeft + 5, kTop + 5}, std::pair{kLeft + kWidth - 6, kTop + 5},
                      std::pair{kLeft + kWidth / 2, kTop + kHeight / 2}, std::pair{kLeft + 5, kTop + kHeight - 6},
                      std::pair{kLeft + kWidth - 6, kTop + kHeight - 6}}) {
    EXPECT_EQ(At(image, origin_x + x, origin_y + y), kWindowPixel) << x << "," << y;
  }
  // The fourth byte of each pixel is cleared.
  for (std::uint32_t pixel : image.pixels) ASSERT_EQ(pixel >> 24, 0u);

  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(data)), text);
  GlobalUnlock(data);
  EmptyClipboard();
  CloseClipboard();
}

TEST(ImageFilesMinGW, ScreenGrabEncodesAsBmpAndJpeg) {
  ColouredWindow window;
  tamiru::platform::win32::Win32Screen screen;
  const Image image = screen.GrabWholeScreen();
  ASSERT_GT(image.width, 0);

  const auto bmp = tamiru::capture::EncodeBmp(image);
  ASSERT_TRUE(bmp);
  EXPECT_EQ(bmp->substr(0, 2), "BM");
  EXPECT_EQ(bmp->size(), 54 + static_cast<std::size_t>((image.width * 3 + 3) / 4 * 4) * image.height);

  const auto jpeg = tamiru::capture::EncodeJpeg(image);
  ASSERT_TRUE(jpeg);
  const Image decoded = tamiru::capture::testing_support::DecodeJpeg(*jpeg).image;
  ASSERT_EQ(decoded.width, image.width);
  ASSERT_EQ(decoded.height, image.height);
  const int origin_x = -GetSystemMetrics(SM_XVIRTUALSCREEN), origin_y = -GetSystemMetrics(SM_YVIRTUALSCREEN);
  const std::uint32_t centre = At(decoded, origin_x + kLeft + kWidth / 2, origin_y + kTop + kHeight / 2);
  for (int shift : {16, 8, 0}) EXPECT_NEAR(Channel(centre, shift), Channel(kWindowPixel, shift), 6);
}

}  // namespace

// The image save of tamiru.exe beside the stand-in: "画像保存" with automatic
// names brings the stand-in's game window to the front and saves the whole
// display as Tonpu<N>.bmp or Tonpu<N>.jpg in Tamiru's folder; the number it
// used up is in the INI after the window is closed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "e2e/scenarios/harness.h"
#include "platform/win32/screen_win32.h"
#include "tests/capture/jpeg_decode.h"

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;
using tamiru::platform::Image;

constexpr const char* kMainClass = "TForm1";
constexpr const char* kMainCaption = "Tamiru Ver1.52";

std::uint32_t Get16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
std::uint32_t Get32(const std::string& b, std::size_t at) { return Get16(b, at) | Get16(b, at + 2) << 16; }

// A 24- or 32-bit uncompressed BMP file as 0x00RRGGBB pixels, rows top to
// bottom; an empty image for anything else or a short file.
Image DecodeBmp(const std::string& bytes) {
  if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return {};
  const std::uint32_t offset = Get32(bytes, 10);
  const int width = static_cast<int>(Get32(bytes, 18));
  const int signed_height = static_cast<int>(Get32(bytes, 22));
  const std::uint32_t bits = Get16(bytes, 28);
  const std::uint32_t compression = Get32(bytes, 30);
  if (width <= 0 || signed_height == 0 || (bits != 24 && bits != 32) || compression != 0) return {};
  const int height = std::abs(signed_height);
  const std::size_t stride = (static_cast<std::size_t>(width) * (bits / 8) + 3) & ~std::size_t{3};
  if (offset + stride * static_cast<std::size_t>(height) > bytes.size()) return {};
  Image image{width, height, {}};
  image.pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const int row = signed_height > 0 ? height - 1 - y : y;  // positive height: bottom-up
    const std::size_t start = offset + stride * static_cast<std::size_t>(row);
    for (int x = 0; x < width; ++x) {
      const std::size_t at = start + static_cast<std::size_t>(x) * (bits / 8);
      const auto blue = static_cast<unsigned char>(bytes[at]);
      const auto green = static_cast<unsigned char>(bytes[at + 1]);
      const auto red = static_cast<unsigned char>(bytes[at + 2]);
      image.pixels.push_back(std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue);
    }
  }
  return image;
}

// Mean absolute difference per channel of two same-sized images over `area`.
double MeanDifference(const Image& a, const Image& b, const RECT& area) {
  double sum = 0;
  long count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * a.width + x;
      for (int shift : {0, 8, 16}) {
        sum += std::abs(tamiru::capture::testing_support::Channel(a.pixels[i], shift) -
                        tamiru::capture::testing_support::Channel(b.pixels[i], shift));
      }
      ++count;
    }
  }
  return count == 0 ? 0 : sum / (3.0 * count);
}

Image GrabScreen() { return tamiru::platform::win32::Win32Screen().GrabWholeScreen(); }

class CaptureScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  }

  // Saves with automatic names in `format` (0 BMP, 1 JPEG) from number 7
  // and holds the picture against two screens taken by the test: Tamiru in
  // front before the click, the game window in front after it.
  void SaveAndCheck(const char* name, int format) {
    Session s(name);
    for (const char* list : {"friendlist.txt", "chatlist.txt", "keyword.txt", "macro.txt"}) {
      ASSERT_TRUE(s.WriteFile(list, ""));
    }
    ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\nAutoNameImageFile=1\r\nImageFileFormat=" +
                                              std::to_string(format) + "\r\nTonpuImageNumber=7\r\n"));
    ASSERT_TRUE(s.StartStandin("show room\nshow table 3\n"));
    HWND table = e2e::WaitForTop("KatuGameMjMain", "", 10000);
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(s.StartTamiru());
    HWND main = e2e::WaitForTop(kMainClass, kMainCaption, 15000);
    ASSERT_NE(main, nullptr);

    // Tamiru in front, over part of the game window.
    RECT table_rect{}, main_rect{}, overlap{};
    GetWindowRect(table, &table_rect);
    GetWindowRect(main, &main_rect);
    ASSERT_TRUE(IntersectRect(&overlap, &table_rect, &main_rect)) << "the two windows must overlap";
    SetForegroundWindow(main);
    Sleep(700);
    const Image tamiru_in_front = GrabScreen();

    HWND button = e2e::FindDescendantByText(main, "画像保存", "Button");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(e2e::PostClick(button));
    const std::string file = format == 0 ? "Tonpu7.bmp" : "Tonpu7.jpg";
    ASSERT_TRUE(e2e::WaitFor([&] { return s.FileExists(file); }, 10000)) << file;
    EXPECT_EQ(GetForegroundWindow(), table) << "the game window was brought to the front";
    Sleep(300);
    const Image game_in_front = GrabScreen();

    const auto bytes = s.ReadFile(file);
    ASSERT_TRUE(bytes.has_value());
    Image picture;
    if (format == 0) {
      picture = DecodeBmp(*bytes);
    } else {
      ASSERT_EQ(bytes->compare(0, 3, "\xFF\xD8\xFF"), 0);
      const auto decoded = tamiru::capture::testing_support::DecodeJpeg(*bytes);
      EXPECT_EQ(decoded.components, 3);
      EXPECT_FALSE(decoded.progressive);
      picture = decoded.image;
    }
    ASSERT_EQ(picture.width, GetSystemMetrics(SM_CXSCREEN));
    ASSERT_EQ(picture.height, GetSystemMetrics(SM_CYSCREEN));
    ASSERT_EQ(picture.width, game_in_front.width);
    ASSERT_EQ(picture.height, game_in_front.height);
    ASSERT_EQ(tamiru_in_front.width, game_in_front.width);

    // Where the windows overlap, the two screens differ, and the picture is
    // the one with the game window in front. BMP is exact but for a caret
    // or a redraw; JPEG within its loss.
    const double screens_apart = MeanDifference(tamiru_in_front, game_in_front, overlap);
    ASSERT_GT(screens_apart, 5.0) << "the overlap looks the same either way; the check would prove nothing";
    const double to_game = MeanDifference(picture, game_in_front, overlap);
    const double to_tamiru = MeanDifference(picture, tamiru_in_front, overlap);
    EXPECT_LT(to_game, format == 0 ? 1.0 : 4.0);
    EXPECT_LT(to_game * 4, to_tamiru);
    // The whole game window, too.
    EXPECT_LT(MeanDifference(picture, game_in_front, table_rect), format == 0 ? 1.0 : 4.0);

    PostMessageA(main, WM_CLOSE, 0, 0);
    const auto code = s.WaitForTamiruExit(10000);
    ASSERT_TRUE(code.has_value()) << "Tamiru did not end after WM_CLOSE";
    const auto ini = s.ReadFile("tamiru.INI");
    ASSERT_TRUE(ini.has_value());
    EXPECT_NE(ini->find("TonpuImageNumber=8\r\n"), std::string::npos) << *ini;
    EXPECT_NE(ini->find("ImageFileFormat=" + std::to_string(format) + "\r\n"), std::string::npos) << *ini;
  }
};

TEST_F(CaptureScenario, AutomaticBmpNameSavesTheDisplayWithTheGameWindowInFront) {
  SaveAndCheck("capture_bmp", 0);
}

TEST_F(CaptureScenario, AutomaticJpegNameSavesTheDisplayWithTheGameWindowInFront) {
  SaveAndCheck("capture_jpg", 1);
}

}  // namespace

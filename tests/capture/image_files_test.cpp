// The image file writers: bitmap layout read back byte by byte, JPEG decoded
// again with libjpeg and its markers checked.
#include "capture/image_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "tests/capture/jpeg_decode.h"

namespace tamiru::capture {
namespace {

using platform::Image;
using testing_support::Channel;
using testing_support::DecodedJpeg;
using testing_support::DecodeJpeg;

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}
std::uint16_t Le16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

// Every pixel different in all three channels, so a swapped channel, a row
// written upside down or a shifted row shows.
Image Pattern(int width, int height) {
  Image image{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t r = (x * 37 + y * 11) & 0xFF, g = (x * 5 + y * 71) & 0xFF, b = (x * 113 + y * 3 + 7) & 0xFF;
      image.pixels.push_back((r << 16) | (g << 8) | b);
    }
  }
  return image;
}

// Smooth colour ramps with flat blocks: what a screen mostly holds, and what
// JPEG at quality 90 keeps closely.
Image Screenlike(int width, int height) {
  Image image{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t r = static_cast<std::uint32_t>(x * 255 / width), g = static_cast<std::uint32_t>(y * 255 / height),
                    b = 128;
      if ((x / 32 + y / 32) % 3 == 0) r = 200, g = 30, b = 40;
      image.pixels.push_back((r << 16) | (g << 8) | b);
    }
  }
  return image;
}

Image DecodeBmp(const std::string& bytes) {
  const int width = static_cast<int>(Le32(bytes, 18));
  const int height = static_cast<int>(Le32(bytes, 22));
  const std::size_t row_bytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  Image image{width, height, {}};
  for (int y = 0; y < height; ++y) {
    const std::size_t row = Le32(bytes, 10) + static_cast<std::size_t>(height - 1 - y) * row_bytes;
    for (int x = 0; x < width; ++x) {
      const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + row + 3 * x);
      image.pixels.push_back((std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0]);
    }
  }
  return image;
}

struct Marker {
  unsigned char code;
  std::string payload;
};

// The markers before the entropy-coded data (up to and including SOS).
std::vector<Marker> HeaderMarkers(const std::string& bytes) {
  std::vector<Marker> markers;
  std::size_t at = 2;
  while (at + 4 <= bytes.size() && static_cast<unsigned char>(bytes[at]) == 0xFF) {
    const auto code = static_cast<unsigned char>(bytes[at + 1]);
    const std::size_t length = (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
    markers.push_back({code, bytes.substr(at + 4, length - 2)});
    if (code == 0xDA) break;
    at += 2 + length;
  }
  return markers;
}

const Marker* FindMarker(const std::vector<Marker>& markers, unsigned char code) {
  for (const Marker& marker : markers) {
    if (marker.code == code) return &marker;
  }
  return nullptr;
}

TEST(BmpFile, HeaderDescribesA24BitBottomUpBitmap) {
  const auto bytes = EncodeBmp(Pattern(5, 3));
  ASSERT_TRUE(bytes);
  const std::size_t row_bytes = 16;  // 5 * 3 = 15, padded to 16
  ASSERT_EQ(bytes->size(), 54 + 3 * row_bytes);
  EXPECT_EQ(bytes->substr(0, 2), "BM");
  EXPECT_EQ(Le32(*bytes, 2), bytes->size());
  EXPECT_EQ(Le32(*bytes, 10), 54u);
  EXPECT_EQ(Le32(*bytes, 14), 40u);
  EXPECT_EQ(Le32(*bytes, 18), 5u);
  EXPECT_EQ(Le32(*bytes, 22), 3u);  // positive: bottom-up
  EXPECT_EQ(Le16(*bytes, 26), 1);
  EXPECT_EQ(Le16(*bytes, 28), 24);
  EXPECT_EQ(Le32(*bytes, 30), 0u);  // BI_RGB
  EXPECT_EQ(Le32(*bytes, 34), 3 * row_bytes);
  // The padding bytes at each row end are zero.
  for (std::size_t row = 0; row < 3; ++row) EXPECT_EQ((*bytes)[54 + row * row_bytes + 15], '\0');
}

TEST(BmpFile, PixelsReadBackExactlyForEveryRowPadding) {
  for (int width : {1, 2, 3, 4, 5, 7}) {
    const Image source = Pattern(width, 4);
    const auto bytes = EncodeBmp(source);
    ASSERT_TRUE(bytes) << width;
    const Image back = DecodeBmp(*bytes);
    EXPECT_EQ(back.pixels, source.pixels) << "width " << width;
  }
  // Top-left pixel 0x123456 lands in the last stored row as B G R.
  Image corner{2, 2, {0x123456, 0, 0, 0}};
  const auto bytes = EncodeBmp(corner);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->substr(54 + 8, 3), std::string("\x56\x34\x12", 3));
}

TEST(ImageFiles, RefuseImagesThatDoNotHoldTheirPixels) {
  EXPECT_FALSE(EncodeBmp(Image{}));
  EXPECT_FALSE(EncodeJpeg(Image{}));
  Image short_of_pixels = Pattern(4, 4);
  short_of_pixels.pixels.pop_back();
  EXPECT_FALSE(EncodeBmp(short_of_pixels));
  EXPECT_FALSE(EncodeJpeg(short_of_pixels));
  Image negative{-2, -2, std::vector<std::uint32_t>(4)};
  EXPECT_FALSE(EncodeBmp(negative));
  EXPECT_FALSE(EncodeJpeg(negative));
  // Wider than JPEG allows; width * height would also overflow 32 bits.
  Image huge{70000, 70000, {}};
  EXPECT_FALSE(IsEncodableImage(huge));
  EXPECT_FALSE(EncodeJpeg(Pattern(2, 2), 0));
  EXPECT_FALSE(EncodeJpeg(Pattern(2, 2), 101));
}

TEST(JpegFile, IsBaselineColourWithThreeComponentsAtQuality90) {
  const auto bytes = EncodeJpeg(Screenlike(64, 48));
  ASSERT_TRUE(bytes);
  ASSERT_GE(bytes->size(), 4u);
  EXPECT_EQ(bytes->substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(bytes->substr(bytes->size() - 2), "\xFF\xD9");

  const auto markers = HeaderMarkers(*bytes);
  const Marker* sof0 = FindMarker(markers, 0xC0);
  ASSERT_NE(sof0, nullptr) << "no baseline frame header";
  EXPECT_EQ(FindMarker(markers, 0xC2), nullptr) << "progressive";
  EXPECT_EQ(FindMarker(markers, 0xC1), nullptr) << "extended sequential";
  ASSERT_EQ(sof0->payload.size(), 6u + 3 * 3);
  EXPECT_EQ(sof0->payload[0], 8);                        // precision
  EXPECT_EQ(Le16(std::string{sof0->payload[2], sof0->payload[1]}, 0), 48);  // height
  EXPECT_EQ(Le16(std::string{sof0->payload[4], sof0->payload[3]}, 0), 64);  // width
  EXPECT_EQ(sof0->payload[5], 3);                        // components
  EXPECT_EQ(static_cast<unsigned char>(sof0->payload[7]), 0x22);  // Y sampled 2x2 (4:2:0)

  // Quality 90 scales the standard luminance table by 20 %: its DC entry 16
  // becomes 3 (quality 75 would give 8, quality 100 would give 1).
  const Marker* dqt = FindMarker(markers, 0xDB);
  ASSERT_NE(dqt, nullptr);
  EXPECT_EQ(dqt->payload[0], 0);  // 8-bit table 0
  EXPECT_EQ(dqt->payload[1], 3);

  const DecodedJpeg decoded = DecodeJpeg(*bytes);
  EXPECT_EQ(decoded.components, 3);
  EXPECT_EQ(decoded.color_space, JCS_YCbCr);
  EXPECT_FALSE(decoded.progressive);
}

TEST(JpegFile, DecodesToTheSourcePixelsWithinQuality90Error) {
  // 37 x 29 leaves partial blocks on the right and at the bottom.
  for (auto [width, height] : {std::pair{64, 48}, std::pair{37, 29}}) {
    const Image source = Screenlike(width, height);
    const auto bytes = EncodeJpeg(source);
    ASSERT_TRUE(bytes);
    const DecodedJpeg decoded = DecodeJpeg(*bytes);
    ASSERT_EQ(decoded.image.width, width);
    ASSERT_EQ(decoded.image.height, height);
    ASSERT_EQ(decoded.image.pixels.size(), source.pixels.size());
    long long total = 0;
    int worst = 0;
    for (std::size_t i = 0; i < source.pixels.size(); ++i) {
      for (int shift : {16, 8, 0}) {
        const int error = std::abs(Channel(source.pixels[i], shift) - Channel(decoded.image.pixels[i], shift));
        total += error;
        worst = std::max(worst, error);
      }
    }
    const double mean = static_cast<double>(total) / (3.0 * static_cast<double>(source.pixels.size()));
    EXPECT_LT(mean, 3.0) << width << "x" << height;
    // Sharp colour edges under 4:2:0 chroma subsampling lose the most.
    EXPECT_LT(worst, 100) << width << "x" << height;
  }
}

TEST(JpegFile, KeepsChannelOrder) {
  // Flat 16 x 16 blocks of pure red, green and blue: inside each block the
  // colour comes back nearly exactly, so swapped channels cannot pass.
  Image image{48, 16, {}};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 48; ++x) image.pixels.push_back(x < 16 ? 0xFF0000u : x < 32 ? 0x00FF00u : 0x0000FFu);
  }
  const auto bytes = EncodeJpeg(image);
  ASSERT_TRUE(bytes);
  const DecodedJpeg decoded = DecodeJpeg(*bytes);
  ASSERT_EQ(decoded.image.pixels.size(), image.pixels.size());
  for (int block = 0; block < 3; ++block) {
    const std::uint32_t got = decoded.image.pixels[8 * 48 + block * 16 + 8];
    const std::uint32_t want = image.pixels[8 * 48 + block * 16 + 8];
    for (int shift : {16, 8, 0}) EXPECT_NEAR(Channel(got, shift), Channel(want, shift), 8) << "block " << block;
  }
}

}  // namespace
}  // namespace tamiru::capture

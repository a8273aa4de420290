#pragma once
// Encoding a screen image as the bytes of an image file: a Windows bitmap
// (24 bits per pixel) or a baseline colour JPEG. Pure: no files, no platform.
#include <optional>
#include <string>

#include "platform/system.h"

namespace tamiru::capture {

inline constexpr int kJpegQuality = 90;

// True when the image has a positive size, one pixel per place, and fits
// both file formats (JPEG allows at most 65500 pixels a side; a bitmap file
// must stay under 4 GiB).
bool IsEncodableImage(const platform::Image& image);

// A bottom-up 24-bit BI_RGB bitmap file, rows padded to four bytes.
// nullopt when the image is not encodable.
std::optional<std::string> EncodeBmp(const platform::Image& image);

// A baseline (SOF0) JPEG with three YCbCr components, 4:2:0, at `quality`
// (1-100). nullopt when the image is not encodable or libjpeg fails.
std::optional<std::string> EncodeJpeg(const platform::Image& image, int quality = kJpegQuality);

}  // namespace tamiru::capture

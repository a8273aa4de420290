#pragma once
// Test helper: decodes JPEG bytes with libjpeg into 0x00RRGGBB pixels.
#include <csetjmp>
#include <cstdint>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/system.h"

namespace tamiru::capture::testing_support {

struct DecodedJpeg {
  platform::Image image;  // empty when libjpeg refused the data
  int components = 0;
  J_COLOR_SPACE color_space = JCS_UNKNOWN;
  bool progressive = true;
};

struct JpegTestErrors {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

inline bool DecodeJpegInto(const std::string& bytes, DecodedJpeg* out, std::vector<unsigned char>* rgb) {
  jpeg_decompress_struct cinfo;
  JpegTestErrors errors;
  cinfo.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegTestErrors*>(c->err)->jump, 1); };
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  out->components = cinfo.num_components;
  out->color_space = cinfo.jpeg_color_space;
  out->progressive = cinfo.progressive_mode != 0;
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  rgb->resize(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = rgb->data() + static_cast<std::size_t>(cinfo.output_scanline) * cinfo.output_width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  out->image.width = static_cast<int>(cinfo.output_width);
  out->image.height = static_cast<int>(cinfo.output_height);
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

inline DecodedJpeg DecodeJpeg(const std::string& bytes) {
  DecodedJpeg decoded;
  std::vector<unsigned char> rgb;
  if (!DecodeJpegInto(bytes, &decoded, &rgb)) return {};
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
    decoded.image.pixels.push_back((std::uint32_t{rgb[i]} << 16) | (std::uint32_t{rgb[i + 1]} << 8) | rgb[i + 2]);
  }
  return decoded;
}

inline int Channel(std::uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

}  // namespace tamiru::capture::testing_support

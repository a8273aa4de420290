#include "capture/image_files.h"

#include <bit>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace tamiru::capture {

namespace {

constexpr std::uint32_t kBmpHeaderBytes = 14 + 40;
constexpr int kJpegMaxSide = 65500;

std::uint64_t BmpRowBytes(int width) { return (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3}; }

void PutLe16(std::string& out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>(value >> 8);
}

void PutLe32(std::string& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// libjpeg reports fatal errors through error_exit, which by default ends the
// process; ours jumps back to the compressing function instead.
struct JpegErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  std::longjmp(errors->jump, 1);
}

void JpegOutputMessage(j_common_ptr) {}  // warnings are not shown anywhere

// A destination that collects the compressed bytes in a std::string,
// one block at a time.
struct StringDestination {
  jpeg_destination_mgr base;
  std::string* out;
  std::vector<JOCTET> block;
};

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<StringDestination*>(cinfo->dest);
  dest->base.next_output_byte = dest->block.data();
  dest->base.free_in_buffer = dest->block.size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<StringDestination*>(cinfo->dest);
  dest->out->append(reinterpret_cast<const char*>(dest->block.data()), dest->block.size());
  dest->base.next_output_byte = dest->block.data();
  dest->base.free_in_buffer = dest->block.size();
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<StringDestination*>(cinfo->dest);
  dest->out->append(reinterpret_cast<const char*>(dest->block.data()),
                    dest->block.size() - dest->base.free_in_buffer);
}

// Each pixel 0x00RRGGBB is, in memory on a little-endian machine, the bytes
// B G R X: libjpeg-turbo's BGRX input reads the image in place.
#if defined(JCS_EXTENSIONS)
constexpr bool kReadsPixelsInPlace = std::endian::native == std::endian::little;
#else
constexpr bool kReadsPixelsInPlace = false;
#endif

// Runs the compression. Only trivially destructible objects live in this
// frame, as longjmp from the error handler skips destructors.
bool Compress(const platform::Image& image, int quality, StringDestination* dest, JSAMPROW* rows,
              JSAMPLE* rgb_row) {
  jpeg_compress_struct cinfo;
  JpegErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = JpegErrorExit;
  errors.base.output_message = JpegOutputMessage;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  cinfo.dest = &dest->base;
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  if constexpr (kReadsPixelsInPlace) {
#if defined(JCS_EXTENSIONS)
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
#endif
  } else {
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
  }
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, JCS_YCbCr);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  if constexpr (kReadsPixelsInPlace) {
    while (cinfo.next_scanline < cinfo.image_height) {
      jpeg_write_scanlines(&cinfo, rows + cinfo.next_scanline, cinfo.image_height - cinfo.next_scanline);
    }
  } else {
    while (cinfo.next_scanline < cinfo.image_height) {
      const std::uint32_t* source =
          image.pixels.data() + static_cast<std::size_t>(cinfo.next_scanline) * static_cast<std::size_t>(image.width);
      for (int x = 0; x < image.width; ++x) {
        rgb_row[3 * x] = static_cast<JSAMPLE>((source[x] >> 16) & 0xFF);
        rgb_row[3 * x + 1] = static_cast<JSAMPLE>((source[x] >> 8) & 0xFF);
        rgb_row[3 * x + 2] = static_cast<JSAMPLE>(source[x] & 0xFF);
      }
      jpeg_write_scanlines(&cinfo, &rgb_row, 1);
    }
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

bool IsEncodableImage(const platform::Image& image) {
  if (image.width <= 0 || image.height <= 0) return false;
  if (image.width > kJpegMaxSide || image.height > kJpegMaxSide) return false;
  const std::uint64_t count = static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
  if (image.pixels.size() != count) return false;
  return kBmpHeaderBytes + BmpRowBytes(image.width) * static_cast<std::uint64_t>(image.height) <= 0xFFFFFFFFu;
}

std::optional<std::string> EncodeBmp(const platform::Image& image) {
  if (!IsEncodableImage(image)) return std::nullopt;
  const auto row_bytes = static_cast<std::size_t>(BmpRowBytes(image.width));
  const auto width = static_cast<std::size_t>(image.width);
  const std::size_t data_bytes = row_bytes * static_cast<std::size_t>(image.height);
  std::string out(kBmpHeaderBytes + data_bytes, '\0');

  // BITMAPFILEHEADER
  out[0] = 'B';
  out[1] = 'M';
  PutLe32(out, 2, static_cast<std::uint32_t>(out.size()));
  PutLe32(out, 10, kBmpHeaderBytes);
  // BITMAPINFOHEADER: positive height = rows stored bottom-up.
  PutLe32(out, 14, 40);
  PutLe32(out, 18, static_cast<std::uint32_t>(image.width));
  PutLe32(out, 22, static_cast<std::uint32_t>(image.height));
  PutLe16(out, 26, 1);   // planes
  PutLe16(out, 28, 24);  // bits per pixel
  PutLe32(out, 30, 0);   // BI_RGB
  PutLe32(out, 34, static_cast<std::uint32_t>(data_bytes));
  PutLe32(out, 38, 3780);  // 96 dots per inch
  PutLe32(out, 42, 3780);

  for (int y = 0; y < image.height; ++y) {
    const std::uint32_t* source = image.pixels.data() + static_cast<std::size_t>(y) * width;
    char* row = out.data() + kBmpHeaderBytes + static_cast<std::size_t>(image.height - 1 - y) * row_bytes;
    for (std::size_t x = 0; x < width; ++x) {
      row[3 * x] = static_cast<char>(source[x] & 0xFF);
      row[3 * x + 1] = static_cast<char>((source[x] >> 8) & 0xFF);
      row[3 * x + 2] = static_cast<char>((source[x] >> 16) & 0xFF);
    }
  }
  return out;
}

std::optional<std::string> EncodeJpeg(const platform::Image& image, int quality) {
  if (!IsEncodableImage(image) || quality < 1 || quality > 100) return std::nullopt;
  std::string out;
  StringDestination dest{};
  dest.base.init_destination = InitDestination;
  dest.base.empty_output_buffer = EmptyOutputBuffer;
  dest.base.term_destination = TermDestination;
  dest.out = &out;
  dest.block.resize(1 << 16);

  std::vector<JSAMPROW> rows;
  std::vector<JSAMPLE> rgb_row;
  if constexpr (kReadsPixelsInPlace) {
    rows.resize(static_cast<std::size_t>(image.height));
    // libjpeg only reads the rows; its row type is not const.
    auto* first = reinterpret_cast<JSAMPLE*>(const_cast<std::uint32_t*>(image.pixels.data()));
    const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = first + y * stride;
  } else {
    rgb_row.resize(static_cast<std::size_t>(image.width) * 3);
  }
  if (!Compress(image, quality, &dest, rows.data(), rgb_row.data())) return std::nullopt;
  return out;
}

}  // namespace tamiru::capture

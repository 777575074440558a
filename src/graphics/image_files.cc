// Image file readers: BMP decoded here, PNG by Cairo, JPEG by libjpeg.
#include "graphics/image_files.h"

#include <cairo.h>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

namespace zirbin::graphics {

namespace {

uint32_t le(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

bool sideOk(long long w, long long h) {
  return w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide;
}

// BMP: file header (14 bytes), an info header of at least 40 bytes, the palette, rows from
// the bottom (from the top when the height is negative), each padded to 4 bytes.
std::optional<Image> decodeBmp(const std::string& b) {
  if (b.size() < 54) return std::nullopt;
  uint32_t offset = le(b, 10, 4), infoSize = le(b, 14, 4);
  auto w = static_cast<int32_t>(le(b, 18, 4)), h = static_cast<int32_t>(le(b, 22, 4));
  uint32_t bits = le(b, 28, 2), compression = le(b, 30, 4), colours = le(b, 46, 4);
  bool topDown = h < 0;
  long long height = topDown ? -static_cast<long long>(h) : h;
  if (infoSize < 40 || !sideOk(w, height) || (compression != 0 && compression != 3)) return std::nullopt;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  if (compression == 3 && bits != 32) return std::nullopt;
  size_t stride = ((static_cast<size_t>(w) * bits + 31) / 32) * 4;
  if (offset > b.size() || b.size() - offset < stride * static_cast<size_t>(height)) return std::nullopt;
  std::vector<Rgb> palette;
  if (bits <= 8) {
    size_t n = colours != 0 ? colours : (1u << bits);
    size_t at = 14 + infoSize;
    if (n > 256 || at + 4 * n > offset) return std::nullopt;
    for (size_t i = 0; i < n; ++i) {
      palette.push_back(rgb(static_cast<unsigned char>(b[at + 4 * i + 2]),
                            static_cast<unsigned char>(b[at + 4 * i + 1]),
                            static_cast<unsigned char>(b[at + 4 * i])));
    }
  }
  Image img{w, static_cast<int>(height), {}};
  img.pixels.resize(static_cast<size_t>(w) * height);
  for (long long r = 0; r < height; ++r) {
    size_t row = offset + stride * static_cast<size_t>(topDown ? r : height - 1 - r);
    for (int x = 0; x < w; ++x) {
      Rgb c = kBlack;
      if (bits >= 24) {
        size_t p = row + static_cast<size_t>(x) * (bits / 8);
        c = rgb(static_cast<unsigned char>(b[p + 2]), static_cast<unsigned char>(b[p + 1]),
                static_cast<unsigned char>(b[p]));
      } else {
        size_t bit = static_cast<size_t>(x) * bits;
        unsigned byte = static_cast<unsigned char>(b[row + bit / 8]);
        unsigned index = (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        if (index >= palette.size()) return std::nullopt;
        c = palette[index];
      }
      img.pixels[static_cast<size_t>(r) * w + x] = c;
    }
  }
  return img;
}

struct PngReader {
  const std::string* bytes;
  size_t at = 0;
};

cairo_status_t readPng(void* closure, unsigned char* data, unsigned int length) {
  auto* r = static_cast<PngReader*>(closure);
  if (r->bytes->size() - r->at < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, r->bytes->data() + r->at, length);
  r->at += length;
  return CAIRO_STATUS_SUCCESS;
}

std::optional<Image> decodePng(const std::string& b) {
  PngReader reader{&b};
  cairo_surface_t* s = cairo_image_surface_create_from_png_stream(readPng, &reader);
  std::optional<Image> result;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    cairo_format_t format = cairo_image_surface_get_format(s);
    if (sideOk(w, h) && (format == CAIRO_FORMAT_ARGB32 || format == CAIRO_FORMAT_RGB24)) {
      cairo_surface_flush(s);
      const unsigned char* data = cairo_image_surface_get_data(s);
      int stride = cairo_image_surface_get_stride(s);
      Image img{w, h, std::vector<Rgb>(static_cast<size_t>(w) * h)};
      for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
          uint32_t p = row[x];
          // Premultiplied alpha: a translucent pixel shows over white, as on a figure.
          unsigned a = format == CAIRO_FORMAT_ARGB32 ? p >> 24 : 255;
          auto over = [a](unsigned c) { return c + (255 - a); };
          img.pixels[static_cast<size_t>(y) * w + x] =
              rgb(over((p >> 16) & 0xff), over((p >> 8) & 0xff), over(p & 0xff));
        }
      }
      result = std::move(img);
    }
  }
  cairo_surface_destroy(s);
  return result;
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void jpegFailed(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void jpegSilent(j_common_ptr, int) {}

// Decodes into `img`, whose storage the caller owns: a failure jumps back here and only
// plain data lies between the jump and its target.
bool decodeJpegInto(const std::string& b, Image& img, std::vector<unsigned char>& line) {
  jpeg_decompress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = jpegFailed;
  error.manager.emit_message = jpegSilent;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(b.data()), b.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (!sideOk(info.output_width, info.output_height) || info.output_components != 3) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  img.width = static_cast<int>(info.output_width);
  img.height = static_cast<int>(info.output_height);
  img.pixels.resize(static_cast<size_t>(img.width) * img.height);
  line.resize(static_cast<size_t>(img.width) * 3);
  while (info.output_scanline < info.output_height) {
    size_t y = info.output_scanline;
    unsigned char* row = line.data();
    jpeg_read_scanlines(&info, &row, 1);
    for (int x = 0; x < img.width; ++x)
      img.pixels[y * img.width + x] = rgb(line[3 * x], line[3 * x + 1], line[3 * x + 2]);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::optional<Image> decodeImage(const std::string& bytes) {
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return decodeBmp(bytes);
  if (bytes.size() >= 8 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) return decodePng(bytes);
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xff\xd8\xff") == 0) {
    Image img;
    std::vector<unsigned char> line;
    if (decodeJpegInto(bytes, img, line)) return img;
  }
  return std::nullopt;
}

std::optional<Image> readImageFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return decodeImage(bytes);
}

}  // namespace zirbin::graphics

// Reading bitmap files (BMP, PNG, JPEG) into pixel arrays for figure bitmaps. No image
// library type appears outside image_files.cc.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "graphics/colour_table.h"

namespace zirbin::graphics {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // row by row from the top, 0x00BBGGRR
};

// The largest image accepted, in pixels per side: larger files are refused rather than
// allowed to claim gigabytes.
inline constexpr int kMaxImageSide = 16384;

// Reads the image at `path`, its format known by its first bytes: BMP (uncompressed 1, 4,
// 8, 24 or 32 bits per pixel), PNG (through Cairo) or JPEG (through libjpeg). Returns
// nullopt when the file cannot be read or is not such an image; never throws.
std::optional<Image> readImageFile(const std::string& path);

// Decodes an image held in memory, as readImageFile does.
std::optional<Image> decodeImage(const std::string& bytes);

}  // namespace zirbin::graphics

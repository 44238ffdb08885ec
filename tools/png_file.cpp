#include "tools/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace zorva {

bool WritePng(const std::string& path, std::span<const uint32_t> pixels, int width, int height) {
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * height) {
    errno = EINVAL;
    return false;
  }
  std::vector<uint8_t> rgb;
  rgb.reserve(pixels.size() * 3);
  for (const uint32_t p : pixels.first(static_cast<size_t>(width) * height)) {
    rgb.insert(rgb.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                           static_cast<uint8_t>(p)});
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;

  // Our own stream rather than png_image_write_to_file, which removes the
  // file it could not finish: the path may name a device (/dev/full).
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  errno = 0;
  const bool written = png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr) != 0 &&
                       std::fflush(file) == 0 && !std::ferror(file);
  const int error = errno != 0 ? errno : EIO;
  const bool closed = std::fclose(file) == 0;
  if (!written) errno = error;
  return written && closed;
}

}  // namespace zorva

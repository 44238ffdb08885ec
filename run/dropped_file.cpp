#include "run/dropped_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "machine/memory_map.h"

namespace zorva {
namespace {

DroppedFile Unusable(const std::string& path, const std::string& reason) {
  return {DroppedFile::Kind::Unusable, {}, "Cannot use '" + path + "': " + reason};
}

bool IsText(const std::string& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\r' || c == '\n';
  });
}

}  // namespace

DroppedFile ExamineDroppedFile(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0)
    return Unusable(path, std::strerror(errno) + std::string("."));
  if (!S_ISREG(info.st_mode)) return Unusable(path, "it is not a file.");
  const auto size = static_cast<uint64_t>(info.st_size);
  if (size == kCartridgeSize) return {DroppedFile::Kind::Cartridge, {}, {}};
  if (size == kRomSize) return {DroppedFile::Kind::Rom, {}, {}};
  const std::string neither =
      "it is neither a 16384-byte cartridge image, nor an 8192-byte ROM image, nor a text of "
      "printable characters of up to 64 KiB to type.";
  if (size > kLongestDroppedText) return Unusable(path, neither);

  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return Unusable(path, std::strerror(errno) + std::string("."));
  // One byte more than a text may have: a file that grew since stat shows it.
  std::string bytes(kLongestDroppedText + 1, '\0');
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      close(fd);
      return Unusable(path, std::strerror(error) + std::string("."));
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  bytes.resize(got);
  if (got > kLongestDroppedText || !IsText(bytes)) return Unusable(path, neither);
  return {DroppedFile::Kind::Text, std::move(bytes), {}};
}

}  // namespace zorva

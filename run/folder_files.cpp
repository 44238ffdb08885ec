#include "run/folder_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <optional>
#include <utility>

namespace zorva {
namespace {

// Owns a file descriptor.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }

  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes it now; false when the kernel reports a late write error. Linux
  // closes the descriptor even when interrupted, and the data was synced.
  bool Close() {
    const int result = close(std::exchange(fd_, -1));
    return result == 0 || errno == EINTR;
  }

 private:
  int fd_;
};

// Repeats a system call that a signal interrupted.
template <typename Call>
int Retry(Call call) {
  int result;
  do result = call();
  while (result < 0 && errno == EINTR);
  return result;
}

Fd OpenFolder(const std::string& folder) {
  return Fd(Retry([&] { return open(folder.c_str(), O_DIRECTORY | O_RDONLY | O_CLOEXEC); }));
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

// "NAME.BAS" for a name BASIC may use, or nothing, so that a name that slipped
// past the caller's check can never reach another folder.
std::optional<std::string> StoredName(std::string_view name) {
  const auto stem = ProgramFileName(name);
  if (!stem) return std::nullopt;
  return *stem + ".BAS";
}

// Calls `visit` with every entry's name. A copy of the descriptor goes to the
// directory stream, which closes it.
template <typename Visit>
void ForEachEntry(int folder, Visit visit) {
  const int copy = fcntl(folder, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return;
  DIR* dir = fdopendir(copy);
  if (!dir) {
    close(copy);
    return;
  }
  rewinddir(dir);  // the copy shares its position with `folder`
  while (const dirent* entry = readdir(dir)) visit(std::string_view(entry->d_name));
  closedir(dir);
}

// The entry that holds `stored` ("NAME.BAS"): that exact name, or else the
// first, byte by byte, of those that differ from it only in case. Capitals sort
// first, so the exact name is what the scan would pick as well; Read, Write and
// List all agree on which of several look-alikes is the program.
std::optional<std::string> FindEntry(int folder, const std::string& stored) {
  struct stat info {};
  if (fstatat(folder, stored.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return stored;
  std::optional<std::string> found;
  ForEachEntry(folder, [&](std::string_view entry) {
    if (SameIgnoringCase(entry, stored) && (!found || entry < *found)) found = std::string(entry);
  });
  return found;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// A file size limit (RLIMIT_FSIZE) kills the process with SIGXFSZ by default;
// ignored, the write fails with EFBIG and the old program survives. A handler
// the host installed itself is left in place.
void IgnoreFileSizeSignal() {
  struct sigaction current {};
  if (sigaction(SIGXFSZ, nullptr, &current) != 0) return;
  if ((current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL) return;
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, nullptr);
}

std::atomic<unsigned> temp_counter{0};

}  // namespace

FolderFiles::FolderFiles(std::string folder) : folder_(std::move(folder)) {
  IgnoreFileSizeSignal();
}

FileError FolderFiles::Read(std::string_view name, std::string& bytes) {
  const auto stored = StoredName(name);
  if (!stored) return FileError::NoFile;
  const Fd folder = OpenFolder(folder_);
  if (!folder.ok()) return FileError::NoFile;
  const auto entry = FindEntry(folder.get(), *stored);
  if (!entry) return FileError::NoFile;

  // Look before opening: opening a device can have effects of its own.
  struct stat info {};
  if (fstatat(folder.get(), entry->c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? FileError::NoFile : FileError::NotProgram;
  if (!S_ISREG(info.st_mode)) return FileError::NotProgram;
  // O_NONBLOCK: should a FIFO take the file's place meanwhile, opening it
  // must not wait for a writer.
  const Fd file(Retry([&] {
    return openat(folder.get(), entry->c_str(),
                  O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  }));
  if (!file.ok()) return errno == ENOENT ? FileError::NoFile : FileError::NotProgram;
  if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<uint64_t>(info.st_size) > kMaxProgramFile)
    return FileError::NotProgram;

  // One byte more than a program may have: a file that grew since fstat shows it.
  std::string got(kMaxProgramFile + 1, '\0');
  size_t size = 0;
  while (size < got.size()) {
    const ssize_t n = read(file.get(), got.data() + size, got.size() - size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FileError::NotProgram;
    if (n == 0) break;
    size += static_cast<size_t>(n);
  }
  if (size > kMaxProgramFile) return FileError::NotProgram;
  got.resize(size);
  bytes = std::move(got);
  return FileError::None;
}

FileError FolderFiles::Write(std::string_view name, std::string_view bytes) {
  const auto stored = StoredName(name);
  // A program too big to load again must not seem saved.
  if (!stored || bytes.size() > kMaxProgramFile) return FileError::CannotWrite;
  const Fd folder = OpenFolder(folder_);
  if (!folder.ok()) return FileError::CannotWrite;
  const std::string target = FindEntry(folder.get(), *stored).value_or(*stored);

  // Only a plain file is replaced, and only one we may write: renaming over a
  // file would otherwise get past the read-only mark its owner gave it.
  bool replacing = false;
  struct stat old {};
  if (fstatat(folder.get(), target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
    if (!S_ISREG(old.st_mode)) return FileError::CannotWrite;
    if (faccessat(folder.get(), target.c_str(), W_OK, AT_EACCESS) != 0)
      return FileError::CannotWrite;
    replacing = true;
  } else if (errno != ENOENT) {
    return FileError::CannotWrite;
  }

  // The leading dot and the suffix keep it from ever being taken for a program.
  std::string temp;
  Fd out;
  for (int attempt = 0; attempt < 100 && !out.ok(); ++attempt) {
    temp = "." + target + ".tmp" + std::to_string(getpid()) + "-" +
           std::to_string(temp_counter.fetch_add(1));
    out = Fd(Retry([&] {
      return openat(folder.get(), temp.c_str(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644);
    }));
    if (!out.ok() && errno != EEXIST) return FileError::CannotWrite;
  }
  if (!out.ok()) return FileError::CannotWrite;

  // The new file keeps the permissions of the one it replaces, where it can;
  // failing that, it has the usual ones, which is no reason to lose the program.
  if (replacing) fchmod(out.get(), old.st_mode & 0777);
  bool ok = WriteAll(out.get(), bytes) && Retry([&] { return fsync(out.get()); }) == 0;
  ok = out.Close() && ok;
  if (ok) ok = renameat(folder.get(), temp.c_str(), folder.get(), target.c_str()) == 0;
  if (!ok) {
    unlinkat(folder.get(), temp.c_str(), 0);
    return FileError::CannotWrite;
  }
  // So that the new name, not only the bytes, survives a power cut.
  fsync(folder.get());
  return FileError::None;
}

std::vector<ProgramFileInfo> FolderFiles::List() {
  const Fd folder = OpenFolder(folder_);
  if (!folder.ok()) return {};
  // Stored name -> the entry FindEntry would pick among look-alikes.
  std::map<std::string, std::string> entries;
  ForEachEntry(folder.get(), [&](std::string_view entry) {
    if (entry.size() < 5 || !SameIgnoringCase(entry.substr(entry.size() - 4), ".BAS")) return;
    const auto stem = ProgramFileName(entry.substr(0, entry.size() - 4));
    if (!stem) return;
    const auto [it, fresh] = entries.emplace(*stem + ".BAS", entry);
    if (!fresh && entry < it->second) it->second = std::string(entry);
  });

  std::vector<ProgramFileInfo> files;
  for (const auto& [stored, entry] : entries) {
    struct stat info {};
    if (fstatat(folder.get(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode))
      files.push_back({stored, static_cast<uint64_t>(info.st_size)});
  }
  return files;
}

}  // namespace zorva

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/quillet-check/media_host.h"

namespace quillet {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, for the write's last error.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string kindOf(mode_t mode) {
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

bool writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += std::size_t(put);
  }
  return true;
}

// A new file only this run writes to: O_EXCL and O_NOFOLLOW, so a name
// planted there beforehand is never written through.
int createBeside(const std::string& path, std::string* temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temporary = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    const int fd = ::open(temporary->c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

MediaRead readMediaFile(const std::string& mediaDir, const std::string& listName,
                        const MediaUse& use, std::string* why) {
  const std::string path = mediaDir + "/" + listName;
  // The type before opening: opening a FIFO waits for a writer, opening a
  // device can act on it.
  struct stat seen;
  if (::stat(path.c_str(), &seen) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return MediaRead::kMissing;
    *why = std::strerror(errno);
    return MediaRead::kFailed;
  }
  if (!S_ISREG(seen.st_mode)) {
    *why = "it is " + kindOf(seen.st_mode) + ", not a regular file";
    return MediaRead::kFailed;
  }
  // Non-blocking and checked again: the name may have changed since.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat opened;
  if (file.get() < 0 || ::fstat(file.get(), &opened) != 0) {
    *why = std::strerror(errno);
    return MediaRead::kFailed;
  }
  if (!S_ISREG(opened.st_mode)) {
    *why = "it is " + kindOf(opened.st_mode) + ", not a regular file";
    return MediaRead::kFailed;
  }
  std::string readError;
  const PieceReader pieces = [&](char* buffer, std::size_t capacity, std::size_t* got) {
    for (;;) {
      const ssize_t read = ::read(file.get(), buffer, capacity);
      if (read >= 0) {
        *got = std::size_t(read);
        return true;
      }
      if (errno != EINTR) {
        readError = std::strerror(errno);
        return false;
      }
    }
  };
  if (use(pieces)) return MediaRead::kRead;
  *why = readError;
  return MediaRead::kFailed;
}

bool replaceMediaList(const std::string& mediaDir, const std::string& listName,
                      const std::string& text, std::string* why) {
  const std::string path = mediaDir + "/" + listName;
  struct stat seen;
  if (::lstat(path.c_str(), &seen) == 0) {
    if (!S_ISREG(seen.st_mode)) {
      *why = "it is " + kindOf(seen.st_mode) + ", which is left as it is; remove it and seal again";
      return false;
    }
  } else if (errno != ENOENT) {
    *why = std::strerror(errno);
    return false;
  }
  std::string temporary;
  Descriptor out(createBeside(path, &temporary));
  if (out.get() < 0) {
    *why = std::string("cannot create a file beside it: ") + std::strerror(errno);
    return false;
  }
  // Renamed over the list only once written and on the disk; the rename
  // replaces whatever name stands there then, and never writes through it.
  const bool written = writeAll(out.get(), text) && ::fsync(out.get()) == 0;
  const int writeError = errno;
  if (!out.close() || !written) {
    *why = std::string("cannot write '") + temporary + "': " + std::strerror(written ? errno : writeError);
    ::unlink(temporary.c_str());
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    *why = std::string("cannot rename the new list over it: ") + std::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace quillet

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "raster/spooler/bounded_flock_posix.h"
#include "raster/spooler/spool_files_posix.h"
#include "raster/spooler/system_ports.h"
#include "raster/spooler/utf16.h"

namespace vexmoor {
namespace {

struct FilePrinter {
  std::string name;  // the printer's name as the host gave it (bytes)
  std::string folder;
  bool madeFolder = false;  // this printer made its folder: it may remove it again
  int file = -1;     // the open document, -1 between documents
  std::string path;  // its path, for deleting an abandoned document
};

// Folders are made and removed under a lock on the spool root, so that two
// spellings of one printer meet one folder and a folder is not removed
// under a document being begun. A root that stays locked past the bound is
// used unlocked: a printer must not stop for a process that hangs.
constexpr unsigned kRootLockMilliseconds = 2000;

class RootLock {
 public:
  explicit RootLock(const std::string& root) : fd_(open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0) flockWithin(fd_, LOCK_EX, kRootLockMilliseconds);
  }
  ~RootLock() {
    if (fd_ >= 0) close(fd_);  // closing releases the lock
  }
  RootLock(const RootLock&) = delete;
  RootLock& operator=(const RootLock&) = delete;

 private:
  int fd_;
};

bool isFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool openPrinter(void*, const char16_t* name, bool, PrinterHandle* handle) {
  if (!name || !name[0]) return false;
  char bytes[1024];
  // The name's bytes as the host gave them, also those that are not UTF-8.
  if (!utf16ToUtf8(name, bytes, sizeof bytes)) return false;
  // The spool root must exist. Each printer has its own folder, as each
  // Windows printer has its own queue: the numbered documents of concurrent
  // jobs on two printers never interleave. The folder is made by the first
  // document, so a printer that never prints leaves none.
  if (!isFolder(posixSpoolFolder())) return false;
  auto* printer = new (std::nothrow) FilePrinter;
  if (!printer) return false;
  printer->name = bytes;
  *handle = printer;
  return true;
}

// Opens the next numbered document in the folder.
int openNextDocument(FilePrinter& printer) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    int number = 0;
    std::string path = nextSpoolDocumentPath(printer.folder, &number);
    // Not inherited: a child process of the host must not keep a document open.
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      printer.path = path;
      return fd;
    }
    if (errno != EEXIST) return -1;  // another writer took the number: try the next
  }
  return -1;
}

bool startDoc(void*, PrinterHandle handle, const char16_t*) {
  auto* printer = static_cast<FilePrinter*>(handle);
  if (printer->file >= 0) return false;
  const std::string root = posixSpoolFolder();
  RootLock lock(root);
  printer->folder = printerSpoolFolder(root, printer->name);
  if (!isFolder(printer->folder)) {
    if (mkdir(printer->folder.c_str(), 0755) != 0) return false;
    printer->madeFolder = true;
  }
  printer->file = openNextDocument(*printer);
  return printer->file >= 0;
}

bool writeBytes(void*, PrinterHandle handle, const void* bytes, std::uint32_t length) {
  auto* printer = static_cast<FilePrinter*>(handle);
  if (printer->file < 0) return false;
  const auto* p = static_cast<const char*>(bytes);
  while (length > 0) {
    ssize_t n = write(printer->file, p, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    length -= std::uint32_t(n);
  }
  return true;
}

bool endDoc(void*, PrinterHandle handle) {
  auto* printer = static_cast<FilePrinter*>(handle);
  if (printer->file < 0) return false;
  bool ok = close(printer->file) == 0;
  printer->file = -1;
  return ok;
}

bool abortDoc(void*, PrinterHandle handle) {
  auto* printer = static_cast<FilePrinter*>(handle);
  if (printer->file < 0) return false;
  close(printer->file);
  printer->file = -1;
  const bool removed = unlink(printer->path.c_str()) == 0;
  // A folder this printer made and left empty goes too (a template printer
  // makes one per job); rmdir keeps any folder that still holds a document.
  // A folder someone else made stays, empty or not.
  if (printer->madeFolder) {
    RootLock lock(posixSpoolFolder());
    if (rmdir(printer->folder.c_str()) == 0) printer->madeFolder = false;
  }
  return removed;
}

bool closePrinter(void*, PrinterHandle handle) {
  auto* printer = static_cast<FilePrinter*>(handle);
  if (printer->file >= 0) close(printer->file);
  delete printer;
  return true;
}

bool spoolDirectory(void*, PrinterHandle, char16_t* directory, std::size_t capacity) {
  // The spool root, as the spooler's one folder on Windows: a printer's own
  // folder may not exist before its first document.
  return utf8ToUtf16(posixSpoolFolder().c_str(), directory, capacity);
}

bool printerState(void*, PrinterHandle, PrinterState* state) {
  // Nothing drains the folder, so no document counts as queued: waiting
  // would never free space.
  state->queuedJobs = 0;
  return true;
}

bool freeBytes(void*, const char16_t* directory, std::uint64_t* freeBytes) {
  char path[4096];
  if (!utf16ToUtf8(directory, path, sizeof path)) return false;
  struct statvfs fs;
  if (statvfs(path, &fs) != 0) return false;
  *freeBytes = std::uint64_t(fs.f_bavail) * std::uint64_t(fs.f_frsize);
  return true;
}

}  // namespace

std::string posixSpoolFolder() {
  const char* folder = std::getenv("PLEXOR_SPOOL_DIR");
  return folder && *folder ? folder : "/var/spool/plexor";
}

std::string nextSpoolDocumentPath(const std::string& folder, int* number) {
  int highest = 0;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      int n = 0;
      char tail[8] = {};
      if (std::sscanf(entry->d_name, "doc-%d.%4s", &n, tail) == 2 && std::strcmp(tail, "prn") == 0 && n > highest)
        highest = n;
    }
    closedir(dir);
  }
  *number = highest + 1;
  char name[32];
  std::snprintf(name, sizeof name, "doc-%04d.prn", *number);
  return folder + "/" + name;
}

SpoolerPort systemSpoolerPort() {
  return SpoolerPort{nullptr,       &openPrinter,    &startDoc,    &writeBytes, &endDoc, &abortDoc,
                     &closePrinter, &spoolDirectory, &printerState};
}

DiskSpacePort systemDiskSpacePort() { return DiskSpacePort{nullptr, &freeBytes}; }

}  // namespace vexmoor

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "raster/spooler/spool_files_posix.h"
#include "raster/spooler/system_ports.h"
#include "raster/spooler/utf16.h"

namespace vexmoor {
namespace {

struct FilePrinter {
  std::string folder;
  int file = -1;     // the open document, -1 between documents
  std::string path;  // its path, for deleting an abandoned document
};

bool isFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool openPrinter(void*, const char16_t* name, bool, PrinterHandle* handle) {
  if (!name || !name[0]) return false;
  char utf8[1024];
  if (!utf16ToUtf8(name, utf8, sizeof utf8)) return false;
  // Each printer has its own folder, as each Windows printer has its own
  // queue: the numbered documents of concurrent jobs on two printers never
  // interleave. The spool root must exist; a printer's folder is made on
  // first use.
  const std::string root = posixSpoolFolder();
  if (!isFolder(root)) return false;
  std::string folder = root + "/" + printerFolderName(utf8);
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
  if (!isFolder(folder)) return false;
  auto* printer = new (std::nothrow) FilePrinter;
  if (!printer) return false;
  printer->folder = folder;
  *handle = printer;
  return true;
}

bool startDoc(void*, PrinterHandle handle, const char16_t*) {
  auto* printer = static_cast<FilePrinter*>(handle);
  if (printer->file >= 0) return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    int number = 0;
    std::string path = nextSpoolDocumentPath(printer->folder, &number);
    // Not inherited: a child process of the host must not keep a document open.
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      printer->file = fd;
      printer->path = path;
      return true;
    }
    if (errno != EEXIST) return false;  // another writer took the number: try the next
  }
  return false;
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
  return unlink(printer->path.c_str()) == 0;
}

bool closePrinter(void*, PrinterHandle handle) {
  auto* printer = static_cast<FilePrinter*>(handle);
  if (printer->file >= 0) close(printer->file);
  delete printer;
  return true;
}

bool spoolDirectory(void*, PrinterHandle handle, char16_t* directory, std::size_t capacity) {
  auto* printer = static_cast<FilePrinter*>(handle);
  return utf8ToUtf16(printer->folder.c_str(), directory, capacity);
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

std::string printerFolderName(const std::string& printerName) {
  // Escaped so that no name leaves the root or meets another name's folder:
  // '/', '%', control bytes and a leading '.' become %XX.
  std::string out;
  for (std::size_t i = 0; i < printerName.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(printerName[i]);
    if (c == '/' || c == '%' || c < 0x20 || c == 0x7F || (i == 0 && c == '.')) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += char(c);
    }
  }
  return out;
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
